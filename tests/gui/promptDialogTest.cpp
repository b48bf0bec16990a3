// The question boxes driven by real keys and clicks: every way of answering gives the value
// the caller acts on, and dismissing a question never answers it.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <functional>

#include "gui/messageYesNoCancelFrame.h"
#include "gui/reduceDialog.h"
#include "tests/gui/guiTestSupport.h"

namespace {

using guitest::FindChild;
using guitest::RunModal;

wxPoint CentreOf(wxWindow* w) { return w->GetScreenRect().GetPosition() + w->GetSize() / 2; }

void Click(wxWindow* w) {
  wxUIActionSimulator sim;
  sim.MouseMove(CentreOf(w));
  guitest::Pump(30);
  sim.MouseClick();
}

wxButton* ButtonLabelled(wxWindow* dialog, const wxString& label) {
  return FindChild<wxButton>(dialog, [&](wxButton* b) { return b->GetLabel() == label; });
}

struct QuestionCase {
  const char* name;
  const char* message;
  const char* prompt;
  const char* cancel;
  // The input sent once the dialog is shown.
  std::function<void(MessageYesNoCancelFrame*)> answer;
  int expected;
  const char* value;  // GetValue after the answer
};

TEST(PromptDialogs, QuestionAnswersByEveryRoute) {
  const QuestionCase cases[] = {
      {"first button", "Unblock bob?", "", "", [](MessageYesNoCancelFrame* d) { Click(ButtonLabelled(d, "&Yes")); },
       wxID_YES, ""},
      {"second button", "Unblock bob?", "", "", [](MessageYesNoCancelFrame* d) { Click(ButtonLabelled(d, "&No")); },
       wxID_NO, ""},
      {"third button", "Resize?", "", "&Cancel",
       [](MessageYesNoCancelFrame* d) { Click(ButtonLabelled(d, "&Cancel")); }, wxID_CANCEL, ""},
      {"close box without a cancel button", "Unblock bob?", "", "", [](MessageYesNoCancelFrame* d) { d->Close(); },
       wxID_CANCEL, ""},
      {"escape without a cancel button", "Unblock bob?", "", "",
       [](MessageYesNoCancelFrame*) { wxUIActionSimulator().Char(WXK_ESCAPE); }, wxID_CANCEL, ""},
      {"enter in the field", "", "Enter a short sentence describing your mood:", "",
       [](MessageYesNoCancelFrame*) {
         wxUIActionSimulator sim;
         sim.Text(" and sunny");
         sim.Char(WXK_RETURN);
       },
       wxID_YES, " and sunny"},  // the initial text starts selected
      {"typing past the length limit", "", "Mood:", "",
       [](MessageYesNoCancelFrame* d) {
         wxUIActionSimulator sim;
         sim.Text("0123456789012345678901234567890123456789012345");
         // The keys reach the field before the button is pressed.
         auto* field = FindChild<wxTextCtrl>(d, [](wxTextCtrl*) { return true; });
         guitest::PumpUntil([&] { return field->GetValue() == "0123456789012345678901234567890123456789"; });
         Click(ButtonLabelled(d, "&Yes"));
       },
       wxID_YES, "0123456789012345678901234567890123456789"},
  };
  for (const QuestionCase& c : cases) {
    SCOPED_TRACE(c.name);
    MessageYesNoCancelFrame dialog(nullptr, c.message, c.prompt, "Question", "&Yes", "&No", c.cancel, "happy", 40);
    const int answer = RunModal(&dialog, [&] { c.answer(&dialog); });
    EXPECT_EQ(c.expected, answer);
    EXPECT_EQ(wxString::FromUTF8(c.value), dialog.GetValue());
  }
}

TEST(PromptDialogs, QuestionShowsMessageAndPromptAsOneText) {
  struct Row {
    const char* message;
    const char* prompt;
    const char* label;
    bool field;
  } rows[] = {
      {"Delete?", "", "Delete?", false},
      {"", "Your mood:", "Your mood:", true},
      {"A & B", "Your mood:", "A & B\nYour mood:", true},
  };
  for (const Row& r : rows) {
    MessageYesNoCancelFrame dialog(nullptr, r.message, r.prompt, "t", "y", "n", "", "", 10);
    auto* text = FindChild<wxStaticText>(&dialog, [](wxStaticText*) { return true; });
    ASSERT_TRUE(text);
    EXPECT_EQ(wxString::FromUTF8(r.label), text->GetLabelText());
    EXPECT_EQ(r.field, FindChild<wxTextCtrl>(&dialog, [](wxTextCtrl*) { return true; }) != nullptr);
    EXPECT_EQ(2, (int)guitest::FindChildren<wxButton>(&dialog).size());
  }
}

TEST(PromptDialogs, ReduceAnswersNeverExitUnlessAsked) {
  struct Row {
    const char* name;
    std::function<void(ReduceDialog*)> answer;
    int expected;
    bool remember;
  } rows[] = {
      {"exit", [](ReduceDialog* d) { Click(ButtonLabelled(d, "&Exit")); }, ReduceDialog::kExit, false},
      {"reduce remembered",
       [](ReduceDialog* d) {
         auto* remember = FindChild<wxCheckBox>(d, [](wxCheckBox*) { return true; });
         Click(remember);
         guitest::PumpUntil([&] { return remember->IsChecked(); });
         Click(ButtonLabelled(d, "&Reduce"));
       },
       ReduceDialog::kReduce, true},
      {"cancel", [](ReduceDialog* d) { Click(ButtonLabelled(d, "Cancel")); }, ReduceDialog::kCancel, false},
      {"enter presses the focused reduce", [](ReduceDialog*) { wxUIActionSimulator().Char(WXK_RETURN); },
       ReduceDialog::kReduce, false},
      {"escape", [](ReduceDialog*) { wxUIActionSimulator().Char(WXK_ESCAPE); }, ReduceDialog::kCancel, false},
      {"close box", [](ReduceDialog* d) { d->Close(); }, ReduceDialog::kCancel, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    ReduceDialog dialog(nullptr);
    EXPECT_EQ(r.expected, RunModal(&dialog, [&] { r.answer(&dialog); }));
    EXPECT_EQ(r.remember, dialog.GetRemember());
  }
}

}  // namespace
