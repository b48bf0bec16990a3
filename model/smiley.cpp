#include "model/smiley.h"

#include <algorithm>

#include "model/log.h"
#include "model/stringConversion.h"

Smiley::Smiley() : def(false) { TRACE_STARTEND(); }

Smiley::Smiley(const std::string& name_, const std::string& shortcut, const std::string& filename_, bool def_)
    : name(name_), filename(filename_), def(def_), shortcuts(1, shortcut) {
  TRACE_START_ARGS("%s, %s", name_.c_str(), shortcut.c_str());
  TRACE_END();
}

std::string Smiley::GetName() const { return name; }
void Smiley::SetName(const std::string& v) { TRACE_STARTEND(); name = v; }
std::string Smiley::GetFilename() const { return filename; }
void Smiley::SetFilename(const std::string& v) { TRACE_STARTEND(); filename = v; }
bool Smiley::IsDefault() const { return def; }
void Smiley::SetDefault(bool v) { TRACE_STARTEND(); def = v; }

void Smiley::AddShortcut(const std::string& text) { TRACE_STARTEND(); shortcuts.push_back(text); }

void Smiley::SetShortcut(const std::string& text) {
  TRACE_STARTEND();
  shortcuts.assign(1, text);
}

int Smiley::GetNbrShortcuts() const { return static_cast<int>(shortcuts.size()); }

// A message is matched against every shortcut of every smiley: the look-ups write no trace line.
std::string Smiley::GetShortcut(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= shortcuts.size()) return std::string();
  return shortcuts[static_cast<size_t>(index)];
}

bool Smiley::HasShortcut(const std::string& text) const {
  return std::find(shortcuts.begin(), shortcuts.end(), text) != shortcuts.end();
}

std::string Smiley::GetShortcutsText() const {
  std::string text;
  for (size_t i = 0; i < shortcuts.size(); ++i) {
    if (i) text += "   ";
    text += shortcuts[i];
  }
  return text;
}

wxBitmapType Smiley::GetBitmapTypeOf(const std::string& file) {
  size_t dot = file.rfind('.');
  char c = '\0';
  if (dot == std::string::npos) {
    if (!file.empty()) c = file[0];
  } else if (dot + 1 < file.size()) {
    c = file[dot + 1];
  }
  wxBitmapType type;
  switch (c) {
    case 'g': case 'G': type = wxBITMAP_TYPE_GIF; break;
    case 'j': case 'J': type = wxBITMAP_TYPE_JPEG; break;
    case 'p': case 'P': type = wxBITMAP_TYPE_PNG; break;
    case 'x': case 'X': type = wxBITMAP_TYPE_XPM; break;
    default:
      TRACE_ERROR("Smiley::GetBitmap : unknown format for %s", file.c_str());
      type = wxBITMAP_TYPE_XPM;
      break;
  }
  return type;
}

wxBitmap Smiley::GetBitmap() const {
  TRACE_START_ARGS("%s", filename.c_str());
  wxBitmap bitmap(std2wx(filename), GetBitmapTypeOf(filename));
  TRACE_END();
  return bitmap;
}
