#include "widgets/myStaticText.h"

#include <wx/sizer.h>
#include <wx/tooltip.h>

#include "model/log.h"
#include "widgets/cachedLook.h"

namespace {

const wxColour kHoverColour(128, 0, 128);

}  // namespace

wxBEGIN_EVENT_TABLE(MyStaticText, wxPanel)
  EVT_ENTER_WINDOW(MyStaticText::OnEnterWindow)
  EVT_LEAVE_WINDOW(MyStaticText::OnLeaveWindow)
wxEND_EVENT_TABLE()

MyStaticText::MyStaticText(wxWindow* parent, int id, const wxString& label, bool hover, long textStyle)
    : wxPanel(parent, id, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE | wxTAB_TRAVERSAL),
      m_text(nullptr),
      m_savedColour(wxNullColour),
      m_hover(hover) {
  TRACE_START();
  wxPanel::SetBackgroundColour(*wxWHITE);
  wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
  SetSizer(sizer);
  m_text = new LabelText(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, textStyle);
  // Labels come from other users (nicknames, site names): never read "&" as a mnemonic.
  m_text->SetLabelText(label);
  sizer->Add(m_text, 0, wxALL | wxEXPAND, 1);
  TRACE_END();
}

void MyStaticText::SetLabel(const wxString& label) { m_text->SetLabelText(label); }

bool MyStaticText::Enable(bool enable) {
  TRACE(LOG_LEVEL_TRACE, "START/END (%d)", enable ? 1 : 0);
  return m_text->Enable(enable);
}

bool MyStaticText::SetForegroundColour(const wxColour& colour) {
  TRACE_STARTEND();
  m_savedColour = colour;
  return m_text->SetForegroundColour(colour);
}

bool MyStaticText::SetFont(const wxFont& font) {
  TRACE_STARTEND();
  return m_text->SetFont(font);
}

wxFont MyStaticText::GetFont() const {
  TRACE_STARTEND();
  return m_text->GetFont();
}

void MyStaticText::Connect(wxEventType type, wxObjectEventFunction handler, wxObject* userData,
                           wxEvtHandler* sink) {
  TRACE_START();
  m_text->Connect(wxID_ANY, wxID_ANY, type, handler, userData, sink);
  TRACE_END();
}

void MyStaticText::SetToolTip(const wxString& tip) {
  TRACE_START();
  wxPanel::SetToolTip(tip);
  m_text->SetToolTip(tip);
  TRACE_END();
}

void MyStaticText::SetToolTip(wxToolTip* tip) {
  TRACE_START();
  wxString text = tip ? tip->GetTip() : wxString();
  wxPanel::SetToolTip(tip);
  if (tip)
    m_text->SetToolTip(new wxToolTip(text));
  else
    m_text->UnsetToolTip();
  TRACE_END();
}

void MyStaticText::ResetDisplay() {
  TRACE_START();
  if (m_text->IsEnabled() && m_hover) {
    Freeze();
    m_text->SetForegroundColour(m_savedColour);
    if (GetParent()) GetParent()->Layout();
    Thaw();
  }
  TRACE_END();
}

void MyStaticText::OnEnterWindow(wxMouseEvent& event) {
  if (m_text->IsEnabled() && m_hover) {
    Freeze();
    m_savedColour = m_text->GetForegroundColour();
    m_text->SetForegroundColour(kHoverColour);
    if (GetParent()) GetParent()->Layout();
    Thaw();
  }
  event.Skip(true);
}

void MyStaticText::OnLeaveWindow(wxMouseEvent& event) {
  ResetDisplay();
  event.Skip(true);
}
