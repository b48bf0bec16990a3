#include "tests/gui/screen/screenCheck.h"

#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dcclient.h>
#include <wx/display.h>
#include <wx/generic/statbmpg.h>
#include <wx/radiobut.h>
#include <wx/scrolwin.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include <cstdlib>

#include "model/stringConversion.h"
#include "tests/support/screenCapture.h"

namespace screencheck {

namespace {

std::string Rect(const wxRect& r) {
  return "(" + std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) + "x" +
         std::to_string(r.height) + ")";
}

std::string Name(wxWindow* window) {
  std::string name = wx2std(window->GetClassInfo()->GetClassName());
  const wxString label = window->GetLabel();
  if (!label.empty()) name += " \"" + wx2std(label.Left(60)) + "\"";
  return name;
}

bool IsText(wxWindow* window) {
  return dynamic_cast<wxStaticText*>(window) || dynamic_cast<wxStaticBox*>(window) || dynamic_cast<wxCheckBox*>(window) ||
         dynamic_cast<wxRadioButton*>(window) ||
         (dynamic_cast<wxButton*>(window) && !dynamic_cast<wxBitmapButton*>(window));
}

bool IsPicture(wxWindow* window) {
  return dynamic_cast<wxStaticBitmap*>(window) || dynamic_cast<wxGenericStaticBitmap*>(window);
}

wxSize PictureSize(wxWindow* window) {
  if (auto* picture = dynamic_cast<wxStaticBitmap*>(window)) return picture->GetBitmap().IsOk() ? picture->GetBitmap().GetSize() : wxSize();
  auto* picture = dynamic_cast<wxGenericStaticBitmap*>(window);
  return picture && picture->GetBitmap().IsOk() ? picture->GetBitmap().GetSize() : wxSize();
}

// The room the label's text takes in its own font.
wxSize TextSize(wxStaticText* label) {
  wxClientDC dc(label);
  dc.SetFont(label->GetFont());
  wxCoord width = 0;
  wxCoord height = 0;
  dc.GetMultiLineTextExtent(label->GetLabelText(), &width, &height);
  return wxSize(int(width), int(height));
}

void Check(wxWindow* window, const wxRect& visible, std::vector<std::string>* faults) {
  const wxRect rect = window->GetScreenRect();
  const bool shows = (IsText(window) && !window->GetLabel().empty()) || (IsPicture(window) && PictureSize(window) != wxSize());
  if (shows && !Within(rect, visible))
    faults->push_back(Name(window) + " at " + Rect(rect) + " outside what holds it " + Rect(visible));
  auto* label = dynamic_cast<wxStaticText*>(window);
  if (label && !label->GetLabelText().empty() && !label->HasFlag(wxST_ELLIPSIZE_END | wxST_ELLIPSIZE_MIDDLE | wxST_ELLIPSIZE_START)) {
    const wxSize text = TextSize(label);
    if (text.x > rect.width + 1 || text.y > rect.height + 1)
      faults->push_back(Name(window) + " of " + Rect(rect) + " cuts its text of " + std::to_string(text.x) + "x" +
                        std::to_string(text.y));
  }
  const wxSize picture = PictureSize(window);
  if (picture.x > rect.width || picture.y > rect.height)
    faults->push_back(Name(window) + " of " + Rect(rect) + " cuts its picture of " + std::to_string(picture.x) + "x" +
                      std::to_string(picture.y));
}

void Walk(wxWindow* parent, const wxRect& visible, std::vector<std::string>* faults) {
  for (wxWindow* child : parent->GetChildren()) {
    if (child->IsTopLevel() || !child->IsShown()) continue;
    Check(child, visible, faults);
    // What a scrolled panel holds may lie out of its view: the user scrolls to it.
    if (dynamic_cast<wxScrollHelperBase*>(child)) continue;
    Walk(child, visible.Intersect(child->GetScreenRect()), faults);
  }
}

}  // namespace

int DrawnWidth(wxWindow* label) {
  const wxImage image = screencapture::Capture(label->GetScreenRect());
  if (!image.IsOk()) return 0;
  const wxColour background = label->GetBackgroundColour();
  auto unlike = [&](int x, int y) {
    const int distance = std::abs(image.GetRed(x, y) - background.Red()) + std::abs(image.GetGreen(x, y) - background.Green()) +
                         std::abs(image.GetBlue(x, y) - background.Blue());
    return distance > 96;
  };
  for (int x = image.GetWidth() - 1; x >= 0; --x)
    for (int y = 0; y < image.GetHeight(); ++y)
      if (unlike(x, y)) return x + 1;
  return 0;
}

int TextWidth(wxWindow* label) {
  wxClientDC dc(label);
  dc.SetFont(label->GetFont());
  auto* control = dynamic_cast<wxControl*>(label);
  return dc.GetTextExtent(control ? control->GetLabelText() : label->GetLabel()).x;
}

bool Within(const wxRect& inner, const wxRect& outer) {
  return inner.GetLeft() >= outer.GetLeft() && inner.GetTop() >= outer.GetTop() &&
         inner.GetRight() <= outer.GetRight() && inner.GetBottom() <= outer.GetBottom();
}

std::vector<std::string> Hidden(wxWindow* top) {
  std::vector<std::string> faults;
  const wxRect screen = wxDisplay(0u).GetGeometry();
  const wxRect rect = top->GetScreenRect();
  if (!Within(rect, screen)) faults.push_back(Name(top) + " at " + Rect(rect) + " leaves the screen " + Rect(screen));
  Walk(top, rect, &faults);
  return faults;
}

std::string HiddenText(wxWindow* top) {
  std::string text;
  for (const std::string& line : Hidden(top)) text += line + "\n";
  return text;
}

}  // namespace screencheck
