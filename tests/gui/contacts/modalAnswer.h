// Answering the questions that the contacts windows open, as the user does: real keys or clicks
// once a dialog of the program is on screen, and message boxes checked for their text.
#ifndef PARLAVOX_TESTS_GUI_CONTACTS_MODALANSWER_H
#define PARLAVOX_TESTS_GUI_CONTACTS_MODALANSWER_H

#include <gtest/gtest.h>
#include <wx/dialog.h>
#include <wx/msgdlg.h>
#include <wx/textdlg.h>
#include <wx/testing.h>
#include <wx/timer.h>
#include <wx/toplevel.h>
#include <wx/uiaction.h>

#include <functional>
#include <utility>

#include "tests/gui/mainWindowFixture.h"

namespace contactstest {

// Runs `input` once a modal dialog is on screen (a question of a row, a header or a window).
class AnswerWhenShown : public wxTimer {
 public:
  explicit AnswerWhenShown(std::function<void(wxDialog*)> input) : m_input(std::move(input)) { Start(40); }
  bool answered = false;

 private:
  void Notify() override {
    if (answered) return;
    for (wxWindow* w : wxTopLevelWindows) {
      wxDialog* dialog = dynamic_cast<wxDialog*>(w);
      if (!dialog || !dialog->IsModal() || !dialog->IsShownOnScreen()) continue;
      if (++m_ticks < 5) return;
      answered = true;
      dialog->Raise();
      m_input(dialog);
      return;
    }
  }
  std::function<void(wxDialog*)> m_input;
  int m_ticks = 0;
};

// A real click on the dialog's button of that label.
inline void ClickButton(wxDialog* dialog, const wxString& label) {
  wxButton* button = guitest::ButtonLabelled(dialog, label);
  ASSERT_TRUE(button) << label;
  wxUIActionSimulator sim;
  sim.MouseMove(button->GetScreenPosition() + button->GetSize() / 2);
  sim.MouseClick();
}

// Selects the whole text of the focused field and types `text` in its place, then Enter.
inline void TypeOver(const std::string& text) {
  wxUIActionSimulator sim;
  sim.Char('a', wxMOD_CONTROL);
  if (!text.empty()) sim.Text(text.c_str());
  else sim.Char(WXK_DELETE);
  sim.Char(WXK_RETURN);
}

// A message box that must come with this caption and text; it is answered OK, and `seen` set.
class ExpectMessage : public wxExpectModalBase<wxMessageDialog, ExpectMessage> {
 public:
  ExpectMessage(const wxString& caption, const wxString& text, bool* seen = nullptr)
      : m_caption(caption), m_text(text), m_seen(seen) {}

 protected:
  int OnInvoked(wxMessageDialog* dialog) const override {
    EXPECT_EQ(m_caption, dialog->GetCaption());
    EXPECT_EQ(m_text, dialog->GetMessage());
    if (m_seen) *m_seen = true;
    return wxID_OK;
  }

 private:
  wxString m_caption;
  wxString m_text;
  bool* m_seen;
};

// A text prompt answered with this text, without being shown.
class EnterText : public wxExpectModalBase<wxTextEntryDialog, EnterText> {
 public:
  explicit EnterText(const wxString& text) : m_text(text) {}

 protected:
  int OnInvoked(wxTextEntryDialog* dialog) const override {
    dialog->SetValue(m_text);
    return wxID_OK;
  }

 private:
  wxString m_text;
};

}  // namespace contactstest

#endif
