#include "gui/reduceDialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/statline.h>

#include "gui/windowIcon.h"
#include "model/log.h"

namespace {
const wxWindowID kExitId = wxWindow::NewControlId();
const wxWindowID kReduceId = wxWindow::NewControlId();
const wxWindowID kCancelId = wxWindow::NewControlId();
}  // namespace

ReduceDialog::ReduceDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, _("Reduce or exit?"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE) {
  TRACE_START();
  SetProgramIcon(this);
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(CreateTextSizer(_("Do you want to exit Parlavox Instant Messenger or reduce it to the tray?")), 0,
           wxALL, 10);
  m_remember = new wxCheckBox(this, wxID_ANY, _("Remember this choice"));
  top->Add(m_remember, 0, wxLEFT, 50);
  top->Add(new wxStaticLine(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLI_HORIZONTAL), 0,
           wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 10);

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  auto* exitButton = new wxButton(this, kExitId, _("&Exit"));
  auto* reduceButton = new wxButton(this, kReduceId, _("&Reduce"));
  auto* cancelButton = new wxButton(this, kCancelId, _("Cancel"));
  for (wxButton* b : {exitButton, reduceButton, cancelButton}) buttons->Add(b, 0, wxEXPAND | wxALL, 5);
  reduceButton->SetFocus();
  top->Add(buttons, 0, wxALIGN_RIGHT | wxALL, 10);

  // Escape presses Cancel; the close box is handled below. Neither may mean Exit.
  SetEscapeId(kCancelId);
  SetAffirmativeId(kReduceId);
  SetAutoLayout(true);
  SetSizer(top);
  top->SetSizeHints(this);
  Fit();

  Bind(wxEVT_BUTTON, &ReduceDialog::OnClose, this, kExitId);
  Bind(wxEVT_BUTTON, &ReduceDialog::OnReduce, this, kReduceId);
  Bind(wxEVT_BUTTON, &ReduceDialog::OnCancel, this, kCancelId);
  Bind(wxEVT_CLOSE_WINDOW, &ReduceDialog::OnCloseWindow, this);
  TRACE_END();
}

bool ReduceDialog::GetRemember() const {
  TRACE_STARTEND();
  return m_remember->GetValue();
}

void ReduceDialog::OnClose(wxCommandEvent&) {
  TRACE_START();
  Answer(kExit);
  TRACE_END();
}

void ReduceDialog::OnReduce(wxCommandEvent&) {
  TRACE_START();
  Answer(kReduce);
  TRACE_END();
}

void ReduceDialog::OnCancel(wxCommandEvent&) {
  TRACE_START();
  Answer(kCancel);
  TRACE_END();
}

void ReduceDialog::OnCloseWindow(wxCloseEvent&) { Answer(kCancel); }

void ReduceDialog::Answer(int value) {
  if (IsModal()) EndModal(value);
  else Hide();
}
