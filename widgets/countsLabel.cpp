#include "widgets/countsLabel.h"

namespace {

// The text with every digit replaced by `digit`.
wxString WithDigits(const wxString& text, wxChar digit) {
  wxString shaped(text);
  for (wxString::iterator it = shaped.begin(); it != shaped.end(); ++it)
    if (*it >= '0' && *it <= '9') *it = digit;
  return shaped;
}

}  // namespace

CountsLabel::CountsLabel(wxWindow* parent, wxWindowID id)
    : LabelText(parent, id, wxString(), wxDefaultPosition, wxDefaultSize, wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END) {}

bool CountsLabel::SetFont(const wxFont& font) {
  m_shape.clear();
  m_widestDigit = 0;
  return LabelText::SetFont(font);
}

bool CountsLabel::SetCounts(const wxString& text) {
  const wxString shape = WithDigits(text, '0');
  if (shape == m_shape) {
    SetLabelText(text);
    return false;
  }
  m_shape = shape;
  // The widest digit in the label's font, once.
  if (m_widestDigit == 0) {
    int widest = -1;
    for (wxChar digit = '0'; digit <= '9'; ++digit) {
      const int width = GetTextExtent(wxString(digit)).x;
      if (width > widest) {
        widest = width;
        m_widestDigit = digit;
      }
    }
  }
  // The tool kit's measure of a label counts what it has been given as well: it is asked once,
  // for its margins about the text, and the text alone is measured after that.
  const wxString widest = WithDigits(text, m_widestDigit);
  const wxSize extent = GetTextExtent(widest);
  if (!m_marginsKnown) {
    SetLabelText(widest);
    InvalidateBestSize();
    m_margins = GetBestSize() - extent;
    m_margins.IncTo(wxSize(0, 0));
    m_marginsKnown = true;
  }
  SetLabelText(text);
  const wxSize size = extent + m_margins;
  if (size == GetMinSize()) return false;
  SetMinSize(size);
  return true;
}
