// The program's general question box: a message, two or three buttons labelled by the caller,
// and optionally a one-line text field under a prompt. ShowModal answers wxID_YES (first button
// or Enter in the field), wxID_NO (second button) or wxID_CANCEL (third button, the title bar's
// close box or Escape).
#ifndef PARLAVOX_GUI_MESSAGEYESNOCANCELFRAME_H
#define PARLAVOX_GUI_MESSAGEYESNOCANCELFRAME_H

#include <wx/dialog.h>

class wxTextCtrl;

class MessageYesNoCancelFrame : public wxDialog {
 public:
  MessageYesNoCancelFrame(wxWindow* parent, const wxString& message, const wxString& prompt,
                          const wxString& title, const wxString& yes, const wxString& no,
                          const wxString& cancel, const wxString& initial, int maxLength);

  // The text field's content; empty when the dialog has no field.
  wxString GetValue() const;

 private:
  void OnCloseWindow(wxCloseEvent& event);
  void OnCharHook(wxKeyEvent& event);
  void OnButton(wxCommandEvent& event);
  void OnTextEnter(wxCommandEvent& event);

  wxTextCtrl* m_text = nullptr;
};

#endif
