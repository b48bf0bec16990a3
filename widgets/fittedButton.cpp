#include "widgets/fittedButton.h"

#include <wx/dcclient.h>

#include <algorithm>

#include "widgets/accessibleName.h"
#include "widgets/shownText.h"

namespace {

// The size of `text`, of one or more lines, in the font of `window` as it stands.
wxSize TextSize(wxWindow* window, const wxString& text) {
  wxClientDC dc(window);
  dc.SetFont(window->GetFont());
  wxCoord width = 0, height = 0;
  dc.GetMultiLineTextExtent(text, &width, &height);
  return wxSize(int(width), int(height));
}

}  // namespace

FittedButton::FittedButton(wxWindow* parent, wxWindowID id, const wxString& text, long style, const wxFont& font)
    : wxButton(parent, id, wxEmptyString, wxDefaultPosition, wxDefaultSize, style) {
  // The tool kit measures a button in a new font only once it has drawn it: its sizes are read
  // now, in the font it starts with, and only its text is measured after the font changed. What
  // lies about the text shows with a text wider and higher than the button's least size.
  m_least = GetBestSize();
  wxString probe = "M";
  while (TextSize(this, probe).x <= m_least.x && probe.length() < 1024) probe += probe;
  probe += "\nM";
  SetLabelText(probe);
  InvalidateBestSize();
  m_margins = GetBestSize() - TextSize(this, probe);
  m_margins.IncTo(wxSize(0, 0));
  SetFont(font);
  SetText(text);
}

void FittedButton::SetText(const wxString& text) {
  m_text = shown::OneLine(text, text.length());
  // Read whole, however it is cut on the screen.
  accessible::SetName(this, m_text);
  ShowText();
}

wxSize FittedButton::GetWholeSize() const {
  wxSize size = GetTextExtent(m_text) + m_margins;
  size.IncTo(m_least);
  return size;
}

int FittedButton::GetLeastWidth() const {
  return GetTextExtent("...").x + m_margins.x;
}

void FittedButton::FitTo(int width) {
  m_width = width < 0 ? -1 : std::max(width, GetLeastWidth());
  ShowText();
}

void FittedButton::ShowText() {
  const wxSize whole = GetWholeSize();
  const bool fits = m_width < 0 || m_width >= whole.x;
  const wxString shown = fits ? m_text : shown::Fitted(m_text, this, GetFont(), m_width - m_margins.x);
  if (shown != GetLabelText()) SetLabelText(shown);
  SetMinSize(wxSize(m_width < 0 ? whole.x : m_width, whole.y));
}
