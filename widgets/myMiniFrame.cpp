#include "widgets/myMiniFrame.h"

#include <wx/sizer.h>
#include <wx/stattext.h>

#include "model/config.h"
#include "model/log.h"
#include "model/stringConversion.h"
#include "widgets/focusReturn.h"
#include "widgets/idlePass.h"
#include "widgets/keptOnTop.h"

namespace {

const long kFrameStyle = wxBORDER_NONE | wxTAB_TRAVERSAL | wxFRAME_NO_TASKBAR;
const long kCaptionStyle = wxBORDER_NONE | wxTAB_TRAVERSAL;
const wxColour kCaptionColour(241, 147, 0);

}  // namespace

MyMiniFrame::MyMiniFrame(wxWindow* parent, const wxString& title)
    : wxFrame(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, kFrameStyle) {
  TRACE_START();
  wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
  SetSizer(sizer);
  SetBackgroundColour(*wxWHITE);
  TextPanel* caption = new TextPanel(this, title);
  sizer->Add(caption, 0, wxEXPAND, 0);
  Layout();
  keptOnTop::Follow(this);
  focusReturn::Keep(this);
  TRACE_END();
}

bool MyMiniFrame::SendIdleEvents(wxIdleEvent& event) { return idlePass::SendToShown(this, event); }

bool MyMiniFrame::Show(bool show) {
  TRACE_START();
  bool result = wxFrame::Show(show);
  if (show && GetParent()) GetParent()->SetFocus();
  TRACE_END();
  return result;
}

void MyMiniFrame::OnClose(wxMouseEvent&) {
  TRACE_START();
  Show(false);
  TRACE_END();
}

void MyMiniFrame::SetTopRightPosition(const wxPoint& point) {
  wxSize size = GetSize();
  SetSize(point.x - size.GetWidth(), point.y, size.GetWidth(), size.GetHeight());
}

TextPanel::TextPanel(MyMiniFrame* parent, const wxString& title)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, kCaptionStyle) {
  wxBoxSizer* sizer = new wxBoxSizer(wxHORIZONTAL);
  SetSizer(sizer);
  wxStaticText* text = new wxStaticText(this, wxID_ANY, wxEmptyString, wxDefaultPosition,
                                        wxDefaultSize, wxTRANSPARENT_WINDOW | wxALIGN_CENTRE_HORIZONTAL);
  // The title is shown as it is: an "&" in it is no mnemonic.
  text->SetLabelText(title);
  sizer->Add(text, 1, wxALIGN_CENTER_VERTICAL, 0);

  wxBitmap bitmap(std2wx(Config::GetImagePath("close.png")), wxBITMAP_TYPE_PNG);
  CloseContactsFrameButtonBitmap* close =
      new CloseContactsFrameButtonBitmap(this, wxID_ANY, bitmap);
  // Bound through the virtual slot, so a subclass's OnClose is the one called.
  close->Bind(wxEVT_LEFT_DOWN, &MyMiniFrame::OnClose, parent);
  sizer->Add(close, 0, wxEXPAND, 0);
  SetBackgroundColour(kCaptionColour);
}

CloseContactsFrameButtonBitmap::CloseContactsFrameButtonBitmap(wxWindow* parent, wxWindowID id,
                                                               const wxBitmap& bitmap,
                                                               const wxPoint& pos,
                                                               const wxSize& size, long style,
                                                               const wxString& name)
    : wxStaticBitmap(parent, id, bitmap, pos, size, style, name) {}
