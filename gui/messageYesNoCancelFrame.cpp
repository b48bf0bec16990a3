#include "gui/messageYesNoCancelFrame.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "gui/windowIcon.h"
#include "model/log.h"

MessageYesNoCancelFrame::MessageYesNoCancelFrame(wxWindow* parent, const wxString& message,
                                                 const wxString& prompt, const wxString& title,
                                                 const wxString& yes, const wxString& no,
                                                 const wxString& cancel, const wxString& initial,
                                                 int maxLength)
    : wxDialog(parent, wxID_ANY, title, wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE) {
  TRACE_START();
  SetProgramIcon(this);
  auto* top = new wxBoxSizer(wxVERTICAL);

  wxString label = message;
  if (message.empty()) label = prompt;
  else if (!prompt.empty()) label = message + "\n" + prompt;
  auto* text = new wxStaticText(this, wxID_ANY, wxEmptyString);
  text->SetLabelText(label);
  top->Add(text, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 8);

  if (!prompt.empty()) {
    top->Add(12, 12);
    m_text = new wxTextCtrl(this, wxID_ANY, initial, wxDefaultPosition, wxDefaultSize, wxTE_PROCESS_ENTER);
    m_text->SetMaxLength(maxLength > 0 ? maxLength : 0);
    m_text->SetFocus();
    top->Add(m_text, 0, wxEXPAND | wxLEFT | wxRIGHT, 20);
    m_text->Bind(wxEVT_TEXT_ENTER, &MessageYesNoCancelFrame::OnTextEnter, this);
  }

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  auto* first = new wxButton(this, wxID_YES, yes);
  buttons->Add(first, 1, wxLEFT, 10);
  buttons->Add(new wxButton(this, wxID_NO, no), 1, wxLEFT, 10);
  first->SetDefault();
  if (!cancel.empty()) buttons->Add(new wxButton(this, wxID_CANCEL, cancel), 1, wxLEFT, 10);
  SetAffirmativeId(wxID_YES);

  top->Add(new wxStaticLine(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLI_HORIZONTAL), 0,
           wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 10);
  top->Add(buttons, 1, wxALIGN_RIGHT | wxALL, 10);

  SetAutoLayout(true);
  SetSizer(top);
  top->SetSizeHints(this);
  Fit();

  // Escape and the close box both mean Cancel, even when there is no Cancel button.
  Bind(wxEVT_CHAR_HOOK, &MessageYesNoCancelFrame::OnCharHook, this);
  Bind(wxEVT_CLOSE_WINDOW, &MessageYesNoCancelFrame::OnCloseWindow, this);
  Bind(wxEVT_BUTTON, &MessageYesNoCancelFrame::OnButton, this, wxID_YES);
  Bind(wxEVT_BUTTON, &MessageYesNoCancelFrame::OnButton, this, wxID_NO);
  Bind(wxEVT_BUTTON, &MessageYesNoCancelFrame::OnButton, this, wxID_CANCEL);
  TRACE_END();
}

wxString MessageYesNoCancelFrame::GetValue() const { return m_text ? m_text->GetValue() : wxString(); }

void MessageYesNoCancelFrame::OnCloseWindow(wxCloseEvent&) {
  if (IsModal()) EndModal(wxID_CANCEL);
  else Hide();
}

void MessageYesNoCancelFrame::OnCharHook(wxKeyEvent& event) {
  if (event.GetKeyCode() == WXK_ESCAPE && IsModal()) EndModal(wxID_CANCEL);
  else event.Skip();
}

void MessageYesNoCancelFrame::OnButton(wxCommandEvent& event) {
  if (IsModal()) EndModal(event.GetId());
}

void MessageYesNoCancelFrame::OnTextEnter(wxCommandEvent&) {
  if (IsModal()) EndModal(wxID_YES);
}
