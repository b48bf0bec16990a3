#include "gui/notifyPanel.h"

#include <wx/arrstr.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include <algorithm>

namespace {
const wxSize kPanelSize(250, 100);
// Between the centred lines of layouts 1 and 2 and the panel's sides.
constexpr int kSideMargin = 10;

// The room a label's text takes in the label's own font, its lines as they are broken: measured
// as the toolkit lays the label out, line by line (an empty line as high as a letter), without a
// device context, which looks the label's colours up in the theme at each notice.
wxSize TextSize(wxStaticText* label) {
  const wxString text = label->GetLabelText();
  if (text.empty()) return wxSize(0, 0);
  wxSize size;
  for (const wxString& line : wxSplit(text, '\n', '\0')) {
    int width = 0, height = 0;
    label->GetTextExtent(line.empty() ? wxString("W") : line, &width, &height);
    if (!line.empty()) size.x = std::max(size.x, width);
    size.y += height;
  }
  return size;
}

// The label's lines are broken at `width` when its text is wider (a pop-up with a stream of
// notices shows one after the other: breaking a line that fits measures it word by word); returns
// the room of the text as it is broken.
wxSize BreakAt(wxStaticText* label, int width) {
  const wxSize text = TextSize(label);
  if (text.x <= width) return text;
  label->Wrap(width);
  return TextSize(label);
}

// A hidden label asks for at least the room of its text: the toolkit may measure a hidden label
// in another font than the bold one it is drawn in, and the text was then cut at both ends.
void FitHiddenLabel(wxStaticText* label, int width) {
  const wxSize text = BreakAt(label, width);
  label->InvalidateBestSize();
  const wxSize best = label->GetBestSize();
  label->SetMinSize(wxSize(std::max(best.x, text.x), std::max(best.y, text.y)));
}

// A label on screen is measured once, by hand, in the font it is drawn in: asked for its best
// size, the toolkit measures it twice more, lays the whole pop-up out again each time, and never
// answers less than the room the label was given before, so that the pop-up stayed tall after a
// long notice. The toolkit gives a label a pixel more than its text, as it does here.
void FitShownLabel(wxStaticText* label, int width) {
  wxSize text = BreakAt(label, width);
  if (text.y == 0) text.y = label->GetTextExtent("W").y;
  label->SetMinSize(wxSize(text.x + 1, text.y));
}

}  // namespace

NotifyPanel::NotifyPanel(wxWindow* parent, const wxString& text, const wxColour& colour, const wxString& text2,
                         const wxColour& colour2)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER), m_layout(1) {
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  m_text = MakeLabel(text, wxALIGN_CENTRE_HORIZONTAL, colour);
  m_text2 = MakeLabel(text2, wxALIGN_CENTRE_HORIZONTAL, colour2);
  sizer->AddStretchSpacer(1);
  sizer->Add(m_text, 0, wxEXPAND | wxLEFT | wxRIGHT, kSideMargin);
  sizer->Add(8, 8);
  sizer->Add(m_text2, 0, wxEXPAND | wxLEFT | wxRIGHT, kSideMargin);
  sizer->AddStretchSpacer(1);
  Finish(sizer);
}

NotifyPanel::NotifyPanel(wxWindow* parent, const wxString& text, const wxColour& colour)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER), m_layout(2) {
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  m_text = MakeLabel(text, wxALIGN_CENTRE_HORIZONTAL, colour);
  sizer->AddStretchSpacer(1);
  sizer->Add(m_text, 0, wxEXPAND | wxLEFT | wxRIGHT, kSideMargin);
  sizer->AddStretchSpacer(1);
  Finish(sizer);
}

NotifyPanel::NotifyPanel(wxWindow* parent, const wxString& text, const wxBitmap& bitmap, t_status status)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER), m_layout(3) {
  auto* sizer = new wxBoxSizer(wxHORIZONTAL);
  m_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap);
  sizer->Add(m_bitmap, 0, wxEXPAND | wxALL, 10);
  auto* column = new wxBoxSizer(wxVERTICAL);
  m_text = MakeLabel(text, 0, *wxBLACK);
  m_text2 = MakeLabel(StatusText(status), 0, wxNullColour);
  column->Add(m_text, 0, wxLEFT | wxTOP, 2);
  column->Add(10, 10);
  column->Add(m_text2, 0, wxALIGN_RIGHT | wxRIGHT | wxBOTTOM, 10);
  sizer->Add(column, 1, wxEXPAND | wxTOP, 6);
  Finish(sizer);
}

NotifyPanel::NotifyPanel(wxWindow* parent, const wxString& text, const wxBitmap& bitmap, const wxString& text2)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER), m_layout(4) {
  auto* sizer = new wxBoxSizer(wxHORIZONTAL);
  m_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap);
  sizer->Add(m_bitmap, 0, wxEXPAND | wxALL, 10);
  auto* column = new wxBoxSizer(wxVERTICAL);
  m_text = MakeLabel(text, 0, *wxBLACK);
  m_text2 = MakeLabel(text2, wxALIGN_RIGHT, *wxBLUE);
  column->Add(m_text, 0, wxLEFT | wxTOP, 4);
  column->Add(10, 10);
  column->Add(m_text2, 0, wxALIGN_RIGHT | wxRIGHT | wxBOTTOM, 10);
  sizer->Add(column, 1, wxEXPAND | wxTOP, 4);
  Finish(sizer);
}

wxStaticText* NotifyPanel::MakeLabel(const wxString& text, long style, const wxColour& colour) {
  // Sized by the panel's layout from what SetText measured, not at each new text.
  auto* label = new wxStaticText(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                                 style | wxST_NO_AUTORESIZE);
  // Names and texts from the network are shown as they are: an "&" is no mnemonic.
  label->SetLabelText(text);
  wxFont font = label->GetFont();
  font.SetFamily(wxFONTFAMILY_SWISS);
  font.SetStyle(wxFONTSTYLE_NORMAL);
  font.SetWeight(wxFONTWEIGHT_BOLD);
  label->SetFont(font);
  if (colour.IsOk()) label->SetForegroundColour(colour);
  return label;
}

void NotifyPanel::Finish(wxSizer* sizer) {
  SetBackgroundColour(*wxWHITE);
  SetSizer(sizer);
  SetSize(kPanelSize);
  SetMinSize(kPanelSize);
}

void NotifyPanel::SetContent(const wxString& text, const wxColour& colour, const wxString& text2,
                             const wxColour& colour2, const wxBitmap& bitmap, t_status status) {
  // The same picture again (avatars are drawn once and shared) is left as it is shown: each new
  // one is converted for the toolkit and has it size and draw the picture anew.
  if (m_bitmap && !(bitmap.IsSameAs(m_shownBitmap) && bitmap.IsOk())) {
    m_bitmap->SetBitmap(bitmap);
    m_shownBitmap = bitmap;
  }
  // Long names and addresses break over lines instead of running out of the pop-up.
  const int width = kPanelSize.GetWidth() - 2 * kSideMargin - (m_bitmap && bitmap.IsOk() ? bitmap.GetWidth() + 20 : 0);
  SetText(m_text, m_fitted, text, width);
  switch (m_layout) {
    case 1:
      m_text->SetForegroundColour(colour);
      SetText(m_text2, m_fitted2, text2, width);
      m_text2->SetForegroundColour(colour2);
      break;
    case 2:
      m_text->SetForegroundColour(colour);
      break;
    case 3:
      SetText(m_text2, m_fitted2, StatusText(status), width);
      break;
    default:
      SetText(m_text2, m_fitted2, text2, width);
      break;
  }
  // The pop-up gives the panel its usual size when that is room enough, and grows to hold every
  // line the panel shows when it is not.
  SetMinSize(GetSizer()->CalcMin());
}

void NotifyPanel::SetText(wxStaticText* label, Fitted& fitted, const wxString& text, int width) {
  const bool onScreen = label->IsShownOnScreen();
  if (onScreen && fitted.onScreen && fitted.width == width && fitted.text == text) return;
  label->SetLabelText(text);
  if (onScreen)
    FitShownLabel(label, width);
  else
    FitHiddenLabel(label, width);
  fitted = Fitted{text, width, onScreen};
}

wxString NotifyPanel::StatusText(int status) {
  switch (status) {
    case STATUS_NONE:
    case STATUS_OFFLINE:
      return _("is offline");
    case STATUS_ONLINE:
      return _("is online");
    case STATUS_NO_ACTIVITY:
      return _("is inactive");
    case STATUS_AWAY:
      return _("is away");
    case STATUS_BUSY:
      return _("is busy");
    default:
      return wxEmptyString;
  }
}
