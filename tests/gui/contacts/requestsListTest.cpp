// The contacts manager's requests list on its own, not connected: the look of each kind of event,
// the order of the rows, which rows replace which, "Clear all", the window's bounded size, texts
// from other users shown on one line as they are, and rows that ignore clicks while offline.
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/modalhook.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/uiaction.h>

#include <string>
#include <vector>

#include "gui/contacts/contactsShortFrame.h"
#include "gui/contacts/lateDestruction.h"
#include "gui/contacts/shortContactInfoPanel.h"
#include "tests/gui/contacts/contactsListFixture.h"

namespace {

// Counts the questions that would have opened, and answers none.
class NoQuestions : public wxModalDialogHook {
 public:
  NoQuestions() { Register(); }
  int asked = 0;

 protected:
  int Enter(wxDialog*) override { return ++asked, wxID_CANCEL; }
  void Exit(wxDialog*) override {}
};

class RequestsListTest : public contactstest::ContactsListTest {
 protected:
  void SetUp() override {
    ContactsListTest::SetUp();
    m_manager = new ContactsShortFrame(m_frame, GetManager(), nullptr);
    m_manager->Show(true);
    guitest::PumpUntil([&] { return m_manager->IsShownOnScreen(); });
  }
  void TearDown() override {
    m_manager->Destroy();
    guitest::Pump(30);
    ContactsListTest::TearDown();
  }
  void Add(long id, int type, const std::string& login = "bob", const std::string& nickname = "Bob",
           const std::string& message = "hello", const std::string& url = "none") {
    m_manager->UpdateContactEvent(ContactEvent(id, type, url, login, nickname, message));
    // A burst is listed a slice at a time: wait for it.
    ASSERT_TRUE(guitest::PumpUntil([&] { return m_manager->GetWaitingRequests() == 0; }));
  }
  // The rows as listed on screen, top first: "id:kind".
  std::string Shown() {
    std::string text;
    wxSizer* sizer = m_manager->GetRequestsList()->GetSizer();
    for (wxSizerItem* item : sizer->GetChildren()) {
      auto* row = dynamic_cast<ShortContactInfoPanel*>(item->GetWindow());
      text += (text.empty() ? "" : " ") + std::to_string(row->GetEventId()) + ":" + std::to_string(row->GetEventType());
    }
    return text;
  }
  ShortContactInfoPanel* Top() { return m_manager->GetRequestRows().back(); }
  ContactsShortFrame* m_manager = nullptr;
};

TEST_F(RequestsListTest, EachKindHasItsStatusColourAndButton) {
  const wxColour blue(178, 198, 255), green(144, 255, 128), red(255, 128, 128);
  const struct {
    int type;
    const char* status;
    wxColour background;
    bool button;
  } kinds[] = {
      {0, "has been contacted", blue, false},      {1, "has been invited", green, false},
      {2, "has not been invited", red, false},     {3, "wants to add you", blue, true},
      {4, "accepts your invitation", green, false}, {5, "refuses your invitation", red, false},
      {6, "has been removed", red, false},         {7, "has removed you", red, false},
      {8, "invites you", blue, true},              {9, "Checking...", *wxCYAN, false},
      {10, "is registered", blue, false},          {11, "is not registered", red, false},
      {12, "has been blocked", red, false},        {13, "has been unblocked", green, false},
      {14, "", *wxCYAN, false},                    {-5, "", *wxCYAN, false},
  };
  long id = 100;
  for (const auto& kind : kinds) {
    SCOPED_TRACE(kind.type);
    Add(++id, kind.type, "bob", "", "hi");
    ShortContactInfoPanel* row = Top();
    EXPECT_EQ(id, row->GetEventId());
    EXPECT_EQ(kind.status, row->GetStatusLabel()->GetLabel());
    EXPECT_EQ(kind.background, row->GetBackgroundColour());
    EXPECT_EQ(kind.button, row->GetAnswerButton() != nullptr);
    if (row->GetAnswerButton()) {
      EXPECT_EQ("Answer", row->GetAnswerButton()->GetLabel());
    }
    // An empty nickname leaves the login in brackets.
    EXPECT_EQ(" (bob)", row->GetNameText()->GetLabel());
  }
  // Built now: day and month over hours and minutes.
  std::vector<wxStaticText*> texts = guitest::FindChildren<wxStaticText>(Top());
  ASSERT_EQ(5u, texts.size());
  EXPECT_EQ(wxDateTime::Now().Format("%d/%m"), texts[0]->GetLabel());
  EXPECT_EQ(5u, texts[1]->GetLabel().length());
}

TEST_F(RequestsListTest, NewestFirstReplacedByIdAndClearAll) {
  EXPECT_FALSE(m_manager->GetClearButton()->IsEnabled());
  Add(1, CE_ADD_ASKED);
  EXPECT_TRUE(m_manager->GetClearButton()->IsEnabled());
  Add(2, CE_ADD_RECEIVED);
  Add(3, CE_CHECKING, "carol");
  EXPECT_EQ("3:9 2:3 1:0", Shown());
  // The answer to a request comes under its id: the old row goes, the new one is on top.
  Add(1, CE_ANSWER_ACCEPTED);
  EXPECT_EQ("1:4 3:9 2:3", Shown());
  // A second request of the same login is a second row.
  Add(4, CE_ADD_RECEIVED);
  EXPECT_EQ("4:3 1:4 3:9 2:3", Shown());
  // Events that expect no answer all have -1: none replaces another.
  Add(-1, CE_REMOVED_BY_OTHER, "dave");
  Add(-1, CE_REMOVED, "erin");
  EXPECT_EQ("-1:6 -1:7 4:3 1:4 3:9 2:3", Shown());
  m_manager->RemoveContactEvent(3);
  m_manager->RemoveContactEvent(77);
  EXPECT_EQ("-1:6 -1:7 4:3 1:4 2:3", Shown());
  EXPECT_TRUE(m_manager->GetClearButton()->IsEnabled());
  // "Clear all", by a real click: every row goes, unanswered ones too, and the button is off.
  m_manager->Raise();
  wxUIActionSimulator sim;
  wxButton* clear = m_manager->GetClearButton();
  sim.MouseMove(clear->GetScreenPosition() + clear->GetSize() / 2);
  guitest::Pump(50);
  sim.MouseClick();
  ASSERT_TRUE(guitest::PumpUntil([&] { return m_manager->GetRequestRows().empty(); }));
  EXPECT_EQ("", Shown());
  EXPECT_FALSE(clear->IsEnabled());
  EXPECT_TRUE(guitest::PumpUntil([] { return lateDestruction::Waiting() == 0; }));
  Add(5, CE_BLOCKED);
  EXPECT_TRUE(clear->IsEnabled());
}

TEST_F(RequestsListTest, OtherUsersTextsStayOnOneLineAndTheWindowKeepsItsSize) {
  Add(1, CE_ADD_ASKED);
  guitest::Pump(50);
  wxSize wide;
  const wxSize before = m_manager->GetSize();
  const std::string hostile = "<b>bold</b> &amp; &x\n\tline\x01\x1b[31m\xe2\x80\xae" + std::string(10000, 'w');
  Add(2, CE_ADD_RECEIVED, hostile, hostile, hostile);
  Add(3, CE_INVITED, hostile, "", hostile, hostile);
  for (ShortContactInfoPanel* row : {m_manager->GetRequestRows()[1], m_manager->GetRequestRows()[2]}) {
    const wxString name = row->GetNameText()->GetLabelText();
    const wxString message = row->GetMessageText()->GetLabelText();
    for (const wxString& shown : {name, message}) {
      EXPECT_EQ(wxNOT_FOUND, shown.Find('\n'));
      EXPECT_EQ(wxNOT_FOUND, shown.Find('\x01'));
      EXPECT_EQ(wxNOT_FOUND, shown.Find(wxUniChar(0x202e)));
      // Markup and ampersands shown as they are.
      EXPECT_NE(wxNOT_FOUND, shown.Find("<b>bold</b> &amp; &x  line")) << shown.Left(40);
    }
    EXPECT_LE(name.length(), 2 * ShortContactInfoPanel::kShownName + 3);
    EXPECT_LE(message.length(), ShortContactInfoPanel::kShownMessage);
  }
  // The window is no higher than before and stays narrow; more rows scroll.
  for (int i = 0; i < 40; ++i) {
    Add(10 + i, CE_ADD_RECEIVED, "bob", "Bob", hostile);
    if (i == 0) guitest::Pump(50);
    if (i == 0) wide = m_manager->GetSize();
  }
  guitest::Pump(50);
  EXPECT_EQ(before.y, wide.y);
  EXPECT_LE(wide.x, 600);
  EXPECT_EQ(before.y, m_manager->GetSize().y);
  EXPECT_LE(m_manager->GetSize().x, 600);
  wxScrolledWindow* list = m_manager->GetRequestsList();
  EXPECT_GT(list->GetVirtualSize().y, list->GetClientSize().y * 4);
}

TEST_F(RequestsListTest, RowsIgnoreClicksWhileOffline) {
  NoQuestions hook;
  Add(1, CE_ADD_RECEIVED);
  Add(2, CE_INVITED, "bob", "Bob", "", "prv://parlavox/bob:room");
  Add(3, CE_REGISTERED);
  m_manager->Raise();
  guitest::Pump(100);
  wxUIActionSimulator sim;
  for (ShortContactInfoPanel* row : m_manager->GetRequestRows()) {
    wxWindow* target = row->GetAnswerButton() ? static_cast<wxWindow*>(row->GetAnswerButton()) : row->GetNameText();
    sim.MouseMove(target->GetScreenPosition() + wxPoint(4, target->GetSize().y / 2));
    guitest::Pump(30);
    sim.MouseClick();
    guitest::Pump(60);
  }
  EXPECT_EQ(0, hook.asked);
  EXPECT_FALSE(m_manager->GetRequestRows()[0]->GetContactEvent().IsAnswered());
}

}  // namespace
