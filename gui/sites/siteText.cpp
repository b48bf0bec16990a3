#include "gui/sites/siteText.h"

#include <wx/control.h>

#include "model/stringConversion.h"
#include "widgets/shownText.h"

namespace siteText {

wxString Cut(const wxString& text, size_t max) {
  if (text.length() <= max) return text;
  return text.Left(max > 0 ? max - 1 : 0) + "...";
}

wxString Shown(const std::string& utf8, size_t max) {
  wxString text = std2wx(utf8);
  if (text.empty() && !utf8.empty()) text = wxString::From8BitData(utf8.data(), utf8.size());
  for (wxString::iterator it = text.begin(); it != text.end(); ++it)
    if (shown::IsUnsafe(*it)) *it = ' ';
  return Cut(text, max);
}

wxString MenuItem(const std::string& utf8, size_t max) { return wxControl::EscapeMnemonics(Shown(utf8, max)); }

bool IsWebAddress(const std::string& url) {
  const std::string lower = AsciiLower(url);
  const bool web = lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0;
  if (!web || url.size() > 8192) return false;
  for (unsigned char c : url)
    if (c <= 0x20 || c == 0x7f || c == '"' || c == '\'' || c == '`' || c == '\\') return false;
  return true;
}

wxString Grade(float grade) { return wxString::FromCDouble(grade, 1); }

}  // namespace siteText
