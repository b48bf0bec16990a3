#include "gui/contacts/contactPictures.h"

#include <wx/filefn.h>
#include <wx/image.h>
#include <wx/log.h>

#include <map>
#include <string>

#include "gui/pictures.h"
#include "model/config.h"
#include "model/log.h"
#include "model/stringConversion.h"

namespace contactPictures {

namespace {

wxBitmap LoadXpm(const std::string& name) {
  const wxString path = std2wx(Config::GetImagePath(name));
  wxBitmap bitmap;
  if (wxFileExists(path)) {
    wxLogNull quiet;
    bitmap.LoadFile(path, wxBITMAP_TYPE_XPM);
  }
  if (bitmap.IsOk()) return bitmap;
  TRACE_ERROR("picture %s not loaded", name.c_str());
  return pictures::Load(name, 16);
}

const wxBitmap& Png(const char* name, int size) {
  // One slot per name, filled on first use.
  static std::map<std::string, wxBitmap> loaded;
  auto found = loaded.find(name);
  if (found == loaded.end()) found = loaded.emplace(name, pictures::Load(name, size)).first;
  return found->second;
}

const wxBitmap& Xpm(const char* name) {
  static std::map<std::string, wxBitmap> loaded;
  auto found = loaded.find(name);
  if (found == loaded.end()) found = loaded.emplace(name, LoadXpm(name)).first;
  return found->second;
}

}  // namespace

void LoadAll() {
  RoomGreen();
  RoomEmpty();
  Mars();
  Venus();
  NoGender();
}

const wxBitmap& RoomGreen() { return Png("roomgreen.png", 16); }
const wxBitmap& RoomEmpty() { return Png("roomempty.png", 16); }
const wxBitmap& Mars() { return Png("mars.png", 12); }
const wxBitmap& Venus() { return Png("venus.png", 12); }
const wxBitmap& NoGender() { return Png("nogender.png", 12); }
const wxBitmap& TreeOpened() { return Xpm("treeopened.xpm"); }
const wxBitmap& TreeClosed() { return Xpm("treeclosed.xpm"); }

}  // namespace contactPictures
