#include "widgets/shownText.h"

#include <wx/control.h>
#include <wx/dcclient.h>

#include <algorithm>

#include "model/stringConversion.h"

namespace shown {

// C0 and C1 controls, DEL, and the characters that break or reorder a line: the embeddings,
// overrides and isolates, and the direction marks (left-to-right, right-to-left, Arabic letter).
bool IsUnsafe(wxUniChar c) {
  const unsigned int v = c.GetValue();
  return v < 0x20 || (v >= 0x7f && v < 0xa0) || v == 0x2028 || v == 0x2029 || (v >= 0x202a && v <= 0x202e) ||
         (v >= 0x2066 && v <= 0x2069) || v == 0x200e || v == 0x200f || v == 0x061c || v == 0xfeff;
}

wxString OneLine(const wxString& text, size_t maxChars) {
  wxString line;
  line.reserve(std::min(text.length(), maxChars + 1));
  for (wxUniChar c : text) {
    if (line.length() > maxChars) break;
    line += IsUnsafe(c) ? wxUniChar(' ') : c;
  }
  if (line.length() > maxChars && maxChars > 0) {
    line.Truncate(maxChars - 1);
    line += wxUniChar(0x2026);
  }
  return line;
}

wxString OneLine(const std::string& utf8, size_t maxChars) { return OneLine(std2wx(utf8), maxChars); }

wxString Lines(const wxString& text, size_t maxCharsPerLine, size_t maxLines) {
  wxString shown;
  size_t start = 0;
  for (size_t lines = 0; lines < maxLines; ++lines) {
    const size_t end = text.find('\n', start);
    wxString line = OneLine(text.substr(start, end == wxString::npos ? wxString::npos : end - start), maxCharsPerLine);
    const bool last = end == wxString::npos;
    if (!last && lines + 1 == maxLines && !line.EndsWith(wxUniChar(0x2026))) line += wxUniChar(0x2026);
    shown += (lines ? "\n" : "") + line;
    if (last) break;
    start = end + 1;
  }
  return shown;
}

wxString Fitted(const wxString& text, wxWindow* window, const wxFont& font, int width) {
  wxClientDC dc(window);
  dc.SetFont(font);
  if (dc.GetTextExtent(text).x <= width) return text;
  const wxString ellipsis = "...";
  // The toolkit's own shortening may leave out the ellipsis in a very narrow space, or keep a
  // first character that does not fit: the text then gives way to it character by character.
  wxString shortened = wxControl::Ellipsize(text, dc, wxELLIPSIZE_END, width, wxELLIPSIZE_FLAGS_NONE);
  if (!shortened.EndsWith(ellipsis) || dc.GetTextExtent(shortened).x > width) {
    shortened = text;
    while (!shortened.empty() && dc.GetTextExtent(shortened + ellipsis).x > width) shortened.RemoveLast();
    shortened += ellipsis;
  }
  return shortened;
}

std::pair<int, int> Share(int room, int first, int second) {
  if (first + second <= room) return {first, second};
  const int given = std::min(first, std::max(room - second, room / 3));
  return {given, std::max(0, std::min(second, room - given))};
}

}  // namespace shown
