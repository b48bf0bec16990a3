#include "gui/sites/siteText.h"

#include <wx/control.h>
#include <wx/dcclient.h>
#include <wx/stattext.h>

#include <algorithm>
#include <memory>

#include "model/stringConversion.h"
#include "widgets/myStaticText.h"
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

void ShowFitted(MyStaticText* label, const wxString& text) {
  wxStaticText* inner = label->GetInnerText();
  // Measuring the text is the dear part, and the list of sites sizes every site's name again
  // whenever it is laid out: a width already fitted is not measured again.
  auto fitted = std::make_shared<int>(-1);
  auto fit = [label, inner, text, fitted] {
    // The inner text stands 1 pixel inside the label on each side.
    const int width = label->GetClientSize().x - 2;
    if (width == *fitted) return;
    *fitted = width;
    const wxString shown = width > 0 ? shown::Fitted(text, inner, inner->GetFont(), width) : text;
    if (shown != inner->GetLabelText()) label->SetLabel(shown);
  };
  label->Bind(wxEVT_SIZE, [fit](wxSizeEvent& event) {
    fit();
    event.Skip();
  });
  label->SetLabel(text);
  fit();
}

void FitWidth(MyStaticText* label, int least) {
  wxStaticText* inner = label->GetInnerText();
  wxClientDC dc(inner);
  dc.SetFont(inner->GetFont());
  // The 1-pixel border around the inner text on each side, and a pixel for the bold glyphs' overhang.
  const int width = std::max(least, dc.GetTextExtent(inner->GetLabelText()).x + 3);
  if (label->GetMinSize().x == width) return;
  label->SetMinSize(wxSize(width, -1));
  if (wxWindow* parent = label->GetParent()) parent->Layout();
}

}  // namespace siteText
