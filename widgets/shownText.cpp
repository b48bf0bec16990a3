#include "widgets/shownText.h"

#include "model/stringConversion.h"

namespace shown {

namespace {

// C0 and C1 controls, DEL, and the characters that break or reorder a line.
bool BreaksLine(wxUniChar c) {
  const unsigned int v = c.GetValue();
  return v < 0x20 || (v >= 0x7f && v < 0xa0) || v == 0x2028 || v == 0x2029 || (v >= 0x202a && v <= 0x202e) ||
         (v >= 0x2066 && v <= 0x2069) || v == 0xfeff;
}

}  // namespace

wxString OneLine(const wxString& text, size_t maxChars) {
  wxString line;
  line.reserve(std::min(text.length(), maxChars + 1));
  for (wxUniChar c : text) {
    if (line.length() > maxChars) break;
    line += BreaksLine(c) ? wxUniChar(' ') : c;
  }
  if (line.length() > maxChars && maxChars > 0) {
    line.Truncate(maxChars - 1);
    line += wxUniChar(0x2026);
  }
  return line;
}

wxString OneLine(const std::string& utf8, size_t maxChars) { return OneLine(std2wx(utf8), maxChars); }

}  // namespace shown
