// The nickname and mood panel of the real main window: what each presence shows, the presence
// menu and the mood dialog driven by real clicks and keys against a test server (one update on
// the wire per confirmed mood, cut to what the server takes and never inside a character), what
// the server says of the user shown as it came, and the name row at any width and font size.
#include <gtest/gtest.h>
#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>

#include "core/guiEvents.h"
#include "gui/messageYesNoCancelFrame.h"
#include "gui/myTaskBar.h"
#include "gui/nicknamePanel.h"
#include "model/urlContactInfo.h"
#include "tests/gui/mainWindowFixture.h"
#include "tests/gui/textFit.h"
#include "widgets/accessibleName.h"
#include "widgets/fittedButton.h"
#include "widgets/myStaticText.h"

namespace {

using guitest::ClickUntil;
using guitest::FindChild;
using guitest::PumpUntil;

NicknamePanel* Panel(wxWindow* frame) {
  return FindChild<NicknamePanel>(frame, [](NicknamePanel*) { return true; });
}

wxString MoodShown(NicknamePanel* panel) { return panel->GetMoodLabel()->GetInnerText()->GetLabelText(); }

// Runs `input` on the mood dialog once it is on screen.
class MoodAnswer : public wxTimer {
 public:
  explicit MoodAnswer(std::function<void(MessageYesNoCancelFrame*)> input) : m_input(std::move(input)) { Start(20); }
  bool done = false;

 private:
  void Notify() override {
    MessageYesNoCancelFrame* open = nullptr;
    for (wxWindow* w : wxTopLevelWindows)
      if (auto* d = dynamic_cast<MessageYesNoCancelFrame*>(w))
        if (d->IsModal()) open = d;
    if (open && open->IsShownOnScreen() && ++m_ticks == 5) m_input(open);
    // A dialog the input did not close is cancelled, and the test fails.
    if (open && m_ticks >= 5 && ++m_after == 150) {
      ADD_FAILURE() << "the mood dialog stayed open";
      open->EndModal(wxID_CANCEL);
    }
    done = m_ticks >= 5 && !open;
  }
  int m_after = 0;
  std::function<void(MessageYesNoCancelFrame*)> m_input;
  int m_ticks = 0;
};

wxTextCtrl* Field(wxWindow* dialog) { return FindChild<wxTextCtrl>(dialog, [](wxTextCtrl*) { return true; }); }

// Pastes `text` at the end of the field as a user does (Ctrl+V). The text comes through the
// clipboard after the keys were handled: a paste the field `takes` is waited for; one it refuses
// is given the time a paste takes.
void Paste(wxTextCtrl* field, const wxString& text, bool takes) {
  if (wxTheClipboard->Open()) {
    wxTheClipboard->SetData(new wxTextDataObject(text));
    wxTheClipboard->Close();
  }
  ClickUntil(field, [&] { return field->HasFocus(); });
  const wxString before = field->GetValue();
  guitest::KeyPresses pressed;
  wxUIActionSimulator sim;
  sim.Char(WXK_END);
  sim.Char('v', wxMOD_CONTROL);
  EXPECT_TRUE(PumpUntil([&] { return pressed.count >= 2; })) << "the keys were not handled";
  if (takes) EXPECT_TRUE(PumpUntil([&] { return field->GetValue() != before; })) << "nothing pasted";
  else guitest::Pump(300);
}

// Counts the dialogs that would have opened, and opens none.
class NoDialogs : public wxModalDialogHook {
 public:
  NoDialogs() { Register(); }
  int count = 0;

 protected:
  int Enter(wxDialog*) override { return ++count, wxID_CANCEL; }
  void Exit(wxDialog*) override {}
};

class NicknamePanelTest : public guitest::MainWindowTest {};

TEST_F(NicknamePanelTest, EachPresenceShowsItsLabelColourAndButtons) {
  NicknamePanel* panel = Panel(Open());
  EXPECT_EQ("(disconnected)", panel->GetStatusButton()->GetLabel());
  EXPECT_FALSE(panel->GetStatusButton()->IsEnabled());
  EXPECT_FALSE(panel->GetAvatarButton()->IsEnabled());
  const struct {
    int status;
    const char* label;
    bool enabled;
    wxColour colour;
  } rows[] = {
      {1, "(Online)", true, wxColour(100, 150, 0)},       {-1, "(disconnected)", false, wxColour(120, 120, 120)},
      {0, "(Offline)", true, wxColour(120, 120, 120)},    {2, "(No activity)", true, wxColour(235, 225, 10)},
      {3, "(Away)", true, wxColour(249, 150, 25)},        {4, "(Busy)", true, wxColour(255, 0, 0)},
      {7, "(Busy)", true, *wxBLACK},  // unknown: the label stays
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.status);
    panel->SetStatus(t_status(row.status));
    EXPECT_EQ(row.label, panel->GetStatusButton()->GetLabel());
    EXPECT_EQ(row.enabled, panel->GetStatusButton()->IsEnabled());
    EXPECT_EQ(row.enabled, panel->GetAvatarButton()->IsEnabled());
    EXPECT_EQ(row.colour, panel->GetStatusButton()->GetForegroundColour());
    EXPECT_EQ(row.colour, panel->GetNicknameText()->GetButton()->GetForegroundColour());
  }
  panel->SetMood("");
  EXPECT_EQ("<click here to share your mood>", MoodShown(panel));
  panel->SetMood("sunny & warm");
  EXPECT_EQ("sunny & warm", MoodShown(panel));
}

TEST_F(NicknamePanelTest, MoodIsCleanedAndCutOnCharacters) {
  const wxString han = wxString::FromUTF8("\xe6\x97\xa5");  // one character, three bytes
  wxString many;
  for (int i = 0; i < 10000; ++i) many += han;
  const struct {
    wxString typed, sent;
  } rows[] = {
      {"", ""},
      {"plain", "plain"},
      {wxString(50, 'x'), wxString(40, 'x')},
      {many, many.Left(40)},
      {"a\tb\nc\x01" "d\x7f" "e", "a b c d e"},
      {wxString::FromUTF8("\xc3\xa9t\xc3\xa9 \xe2\x80\xa8!"), wxString::FromUTF8("\xc3\xa9t\xc3\xa9  !")},
  };
  for (const auto& row : rows) {
    const wxString sent = NicknamePanel::CleanMood(row.typed);
    EXPECT_EQ(row.sent, sent) << row.typed.Left(20);
    // Always whole characters: the bytes decode back to the same text.
    EXPECT_EQ(sent, wxString::FromUTF8(sent.utf8_str()));
  }
}

TEST_F(NicknamePanelTest, MoodTypedReachesTheServerOnceAndShows) {
  testserver::TestServer& server = UseTestServer();
  Config::GetInstance()->SetNickname("Alice");
  Config::GetInstance()->SetMood("old");
  guitest::SpyMainFrame* frame = Open();
  NicknamePanel* panel = Panel(frame);
  wxWindow* mood = panel->GetMoodLabel()->GetInnerText();

  // Not connected: a click opens nothing.
  {
    NoDialogs dialogs;
    EXPECT_TRUE(guitest::ClickOn(mood));
    guitest::Pump(200);
    EXPECT_EQ(0, dialogs.count);
  }

  frame->OnSwitchConnection(false);
  auto link = AcceptLogIn(server);
  ASSERT_TRUE(link);
  while (link->Next(std::chrono::milliseconds(200))) {
  }
  const std::string han = "\xe6\x97\xa5";
  wxString many;
  for (int i = 0; i < 10000; ++i) many += wxString::FromUTF8(han.c_str());
  const struct {
    const char* name;
    std::function<void(MessageYesNoCancelFrame*)> input;
    const char* button;
    std::string sent;  // empty: nothing sent
  } rows[] = {
      {"typed", [](MessageYesNoCancelFrame* d) { guitest::Type(Field(d), "Feeling fine"); }, "&OK", "Feeling fine"},
      {"typed past the limit", [](MessageYesNoCancelFrame* d) {
         wxTextCtrl* f = Field(d);
         ClickUntil(f, [f] { return f->HasFocus(); });
         wxUIActionSimulator sim;
         sim.Char('a', wxMOD_CONTROL);
         sim.Text(std::string(55, 'y').c_str());
         PumpUntil([f] { return f->GetValue().length() == 40; });
       }, "&OK", std::string(40, 'y')},
      // Too long to fit: the field refuses the whole paste and keeps what was typed.
      {"ten thousand pasted", [&](MessageYesNoCancelFrame* d) {
         guitest::Type(Field(d), "so");
         Paste(Field(d), many, false);
       }, "&OK", "so"},
      {"control characters pasted", [](MessageYesNoCancelFrame* d) {
         guitest::Type(Field(d), "-");
         Paste(Field(d), "tab\there\x01now", true);
       }, "&OK", "-tab here now"},
      {"cancelled", [](MessageYesNoCancelFrame* d) { guitest::Type(Field(d), "never sent"); }, "&Cancel", ""},
  };
  std::string shown = "Feeling fine";
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    MoodAnswer answer([&](MessageYesNoCancelFrame* d) {
      row.input(d);
      ClickUntil(guitest::ButtonLabelled(d, row.button), [] { return true; });
    });
    ClickUntil(mood, [&] { return answer.done; });
    if (row.sent.empty()) {
      EXPECT_TRUE(link->NothingWithin(std::chrono::milliseconds(300)));
      EXPECT_EQ(wxString::FromUTF8(shown.c_str()), MoodShown(panel));
      continue;
    }
    auto update = AwaitRequest(*link, C2S_Request_PR_updateprofile);
    ASSERT_TRUE(update);
    EXPECT_EQ(row.sent, testserver::Text(update->choice.updateprofile.mood));
    EXPECT_EQ("Alice", testserver::Text(update->choice.updateprofile.nickname));
    EXPECT_TRUE(link->NothingWithin(std::chrono::milliseconds(300)));  // once
    EXPECT_EQ(row.sent, Config::GetInstance()->GetMood());
    EXPECT_EQ(wxString::FromUTF8(row.sent.c_str()), MoodShown(panel));
    shown = row.sent;
  }

  // The presence menu: a real click on the presence, then "Away" by keyboard.
  frame->ChangeStatus(STATUS_ONLINE, true);
  bool opened = false;
  panel->Bind(wxEVT_MENU_OPEN, [&](wxMenuEvent& e) { opened = true, e.Skip(); });
  guitest::MenuPicker picker([&] { return opened; }, 4);
  ClickUntil(panel->GetStatusButton(), [&] { return picker.picked(); });
  auto status = AwaitRequest(*link, C2S_Request_PR_changestatus);
  ASSERT_TRUE(status);
  EXPECT_EQ(long(STATUS_AWAY), long(status->choice.changestatus.status));
  EXPECT_TRUE(link->NothingWithin(std::chrono::milliseconds(300)));
  EXPECT_EQ("(Away)", panel->GetStatusButton()->GetLabel());
  EXPECT_EQ("tb_away.ico", frame->GetTaskBar()->GetIconFile());

  // What the server says of the user is shown as it came; "&" is no mnemonic.
  ContactInfo own("alice", "Al & Co", "", "", STATUS_BUSY, "", "", 0, 0, 0, "", "", false);
  own.SetMood("from the server");
  ManagerEvent event(wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT, Manager::GetEventId());
  event.SetOwnedObject(new URLContactInfo("none", 0, own, false, false, false));
  GetManager()->AddPendingEvent(event);
  EXPECT_TRUE(PumpUntil([&] { return panel->GetNicknameText()->GetButton()->GetLabelText() == "Al & Co"; }));
  EXPECT_EQ("from the server", MoodShown(panel));
  EXPECT_EQ("(Busy)", panel->GetStatusButton()->GetLabel());
}

// The name row at the main window's usual width and at 200 pixels, disconnected and online, with
// a short and a long nickname, and a long mood: each text inside the panel, none over another,
// each as high as its font's line and whole or cut with an ellipsis; a screen reader is told the
// nickname and the presence whole. Run again with every font twice as large.
TEST_F(NicknamePanelTest, NameAndPresenceShareTheirRowWholeOrCut) {
  guitest::SpyMainFrame* frame = Open();
  NicknamePanel* panel = Panel(frame);
  const bool large = textfit::LargeFont(panel);
  const wxString longName = "Alexandra Montgomery-Smithson";
  panel->SetMood("Out in the sun all afternoon, in the park");
  FittedButton* name = panel->GetNicknameText()->GetButton();
  FittedButton* presence = panel->GetStatusButton();
  wxStaticText* mood = panel->GetMoodLabel()->GetInnerText();
  const std::vector<wxWindow*> texts = {name, presence, mood};
  for (int width : {370, 200}) {
    frame->SetSize(wxSize(width, 600));
    ASSERT_TRUE(PumpUntil([&] { return frame->GetSize().x == width && panel->GetSize().x == frame->GetClientSize().x; }))
        << "the window is " << frame->GetSize().x << " wide";
    for (const t_status status : {STATUS_NONE, STATUS_ONLINE}) {
      for (const wxString& nickname : {wxString("Alice"), longName}) {
        SCOPED_TRACE(std::to_string(width) + " " + std::to_string(int(status)) + " " + nickname.ToStdString());
        panel->SetStatus(status);
        panel->SetNickname(nickname);
        PumpUntil([&] { return textfit::Faults(panel, texts).empty(); });
        EXPECT_EQ("", textfit::Faults(panel, texts));
        EXPECT_EQ(nickname, accessible::GetName(name));
        EXPECT_EQ(presence->GetText(), accessible::GetName(presence));
        for (FittedButton* button : {name, presence}) {
          if (button->GetLabelText() == button->GetText()) continue;
          // The start of the text, then "...".
          wxString kept;
          EXPECT_TRUE(button->GetLabelText().EndsWith("...", &kept)) << button->GetLabelText();
          EXPECT_TRUE(button->GetText().StartsWith(kept) && kept.length() < button->GetText().length()) << kept;
        }
        if (width == 200 && nickname == longName) {
          EXPECT_TRUE(textfit::Cut(name));
        }
        if (width == 370 && nickname == "Alice" && !large) {
          EXPECT_EQ("Alice", name->GetLabelText());
          EXPECT_EQ(presence->GetText(), presence->GetLabelText());
        }
      }
    }
    if (width == 200) {
      EXPECT_TRUE(PumpUntil([&] { return textfit::DrawnEllipsized(mood); }));
    }
  }
}

}  // namespace
