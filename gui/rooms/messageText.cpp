#include "gui/rooms/messageText.h"

#include <wx/richtext/richtextbuffer.h>

namespace messagetext {

std::string FormatMessageTime(time_t t, time_t now) {
  struct tm today {};
  struct tm then {};
  localtime_r(&now, &today);
  localtime_r(&t, &then);
  const bool sameDay =
      today.tm_year == then.tm_year && today.tm_mon == then.tm_mon && today.tm_mday == then.tm_mday;
  char buffer[100];
  size_t length = strftime(buffer, sizeof buffer, sameDay ? "%H:%M:%S" : "%c", &then);
  return std::string(buffer, length);
}

bool IsUnsafe(wxUniChar c) {
  const wxUint32 v = c.GetValue();
  const bool control = v < 0x20 || (v >= 0x7F && v <= 0x9F);
  const bool reorders = (v >= 0x202A && v <= 0x202E) || (v >= 0x2066 && v <= 0x2069);
  return control || reorders;
}

wxString Shown(const wxString& text) {
  wxString shown;
  shown.reserve(text.length());
  for (wxUniChar c : text) {
    if (c == '\n') shown += wxRichTextLineBreakChar;
    else if (c == '\t') shown += c;
    else if (IsUnsafe(c)) shown += wxUniChar(0xFFFD);
    else shown += c;
  }
  return shown;
}

std::vector<Run> SplitLinks(const wxString& text) {
  std::vector<Run> runs;
  wxString rest = text;
  for (;;) {
    const int http = rest.Find("http://");
    const int www = rest.Find("www.");
    if (http == wxNOT_FOUND && www == wxNOT_FOUND) break;
    size_t start = size_t(http == wxNOT_FOUND ? www : (www == wxNOT_FOUND ? http : std::min(http, www)));
    if (start > 0) runs.push_back({rest.substr(0, start), wxString()});
    size_t space = rest.find(' ', start + 1);
    const wxString address = rest.substr(start, space == wxString::npos ? wxString::npos : space - start);
    runs.push_back({address, address[0] == 'h' ? address : "http://" + address});
    rest = space == wxString::npos ? wxString() : rest.substr(space);
  }
  if (!rest.empty()) runs.push_back({rest, wxString()});
  return runs;
}

}  // namespace messagetext
