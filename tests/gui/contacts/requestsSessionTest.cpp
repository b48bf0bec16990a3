// The contacts manager's requests in the whole program on the stand-in server, with other users
// logging in through the client's own code: requests answered by real clicks and what the server
// received, answers given while the list changes or goes away under the open question, a check
// whose answer opens the invitation by itself, and a burst of requests.
#include <wx/app.h>
#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <string>
#include <thread>

#include "core/application.h"
#include "gui/contacts/contactsPanel.h"
#include "gui/contacts/contactsShortFrame.h"
#include "gui/contacts/lateDestruction.h"
#include "gui/contacts/shortContactInfoPanel.h"
#include "gui/mainFrame.h"
#include "tests/gui/contacts/modalAnswer.h"
#include "tests/gui/mainWindowFixture.h"
#include "tests/support/programSession.h"

namespace {

using contactstest::AnswerWhenShown;
using standintest::TestUser;

class RequestsSession : public programtest::ProgramSession {
 protected:
  ContactsShortFrame* Manager() {
    return guitest::FindChild<ContactsShortFrame>(Frame(), [](ContactsShortFrame*) { return true; });
  }
  const std::vector<ShortContactInfoPanel*>& Rows() { return Manager()->GetRequestRows(); }
  void ShowManager() {
    Frame()->OnSwitchContactsManager();
    Manager()->Move(20, 20);
    ASSERT_TRUE(Until([&] { return Manager()->IsShownOnScreen(); }));
    Manager()->Raise();
    Settle();
  }
  // The newest row of the kind about the login, once it is listed.
  ShortContactInfoPanel* AwaitRow(int type, const std::string& login) {
    ShortContactInfoPanel* found = nullptr;
    EXPECT_TRUE(Until([&] {
      for (ShortContactInfoPanel* row : Rows())
        if (row->GetEventType() == type && row->GetContactEvent().GetLogin() == login) found = row;
      return found != nullptr;
    })) << type << " " << login;
    return found;
  }
  static void Click(wxWindow* target) {
    wxGetTopLevelParent(target)->Raise();
    wxUIActionSimulator sim;
    sim.MouseMove(target->GetScreenPosition() + wxPoint(std::min(8, target->GetSize().x / 2), target->GetSize().y / 2));
    guitest::Pump(60);
    sim.MouseClick();
  }
  // Types the message into the question's field, then presses the button.
  static void Answer(wxDialog* dialog, const std::string& message, const wxString& button) {
    wxTextCtrl* field = guitest::FindChild<wxTextCtrl>(dialog, [](wxTextCtrl*) { return true; });
    ASSERT_TRUE(field);
    field->SetFocus();
    wxUIActionSimulator sim;
    if (!message.empty()) {
      // The keys reach the field before the button is pressed.
      sim.Text(message.c_str());
      guitest::PumpUntil([&] { return field->GetValue().EndsWith(wxString::FromUTF8(message)); });
    } else {
      guitest::Pump(200);
    }
    contactstest::ClickButton(dialog, button);
  }
  // The journal's lines of the kind from alice, from index `from` on.
  programtest::Lines Sent(const std::string& kind, size_t from) {
    programtest::Lines found;
    programtest::Lines lines = Journal();
    for (size_t i = from; i < lines.size(); ++i)
      if (lines[i].rfind("alice " + kind + " ", 0) == 0) found.push_back(lines[i]);
    return found;
  }
  static bool QuestionOpen() {
    for (wxWindow* w : wxTopLevelWindows)
      if (dynamic_cast<wxDialog*>(w) && w->IsShown()) return true;
    return false;
  }
  // Returns once the server has read all that alice sent before.
  void SyncWithServer() {
    const size_t mark = JournalSize();
    ASSERT_TRUE(GetManager()->CheckContact("frank"));
    ASSERT_TRUE(AwaitJournal([](const std::string& l) { return l.rfind("alice checkcontact", 0) == 0; }, mark));
  }
};

TEST_F(RequestsSession, ARequestAcceptedByARealClickAndASecondRefused) {
  TestUser& bob = LogIn("bob");
  TestUser& carol = LogIn("carol");
  ShowManager();
  ASSERT_TRUE(bob.Link().AddContact(bob.Key(), "alice", "Hi alice"));
  ShortContactInfoPanel* row = AwaitRow(CE_ADD_RECEIVED, "bob");
  ASSERT_TRUE(row);
  EXPECT_EQ("wants to add you", row->GetStatusLabel()->GetLabel());
  EXPECT_EQ("Hi alice", row->GetMessageText()->GetLabel());
  size_t mark = JournalSize();
  {
    AnswerWhenShown answer([&](wxDialog* dialog) {
      EXPECT_EQ("Accept/Refuse invitation", dialog->GetTitle());
      Answer(dialog, "See you", "&Accept");
    });
    Click(row->GetAnswerButton());
    ASSERT_TRUE(Until([&] { return answer.answered && row->GetContactEvent().IsAnswered(); }));
  }
  ASSERT_TRUE(AwaitJournal("alice addcontactanswer login=\"bob\" answer=true message=\"See you\"", mark));
  EXPECT_EQ("has been added", row->GetStatusLabel()->GetLabel());
  EXPECT_EQ(wxColour(144, 255, 128), row->GetBackgroundColour());
  EXPECT_FALSE(row->GetAnswerButton()->IsShown());
  // Each side lists the other, with presence.
  EXPECT_TRUE(Until([&] {
    return GetManager()->HasContact("bob") && GetManager()->GetContactInfo("bob")->GetStatus() == STATUS_ONLINE &&
           guitest::FindChild<ContactsPanel>(Frame(), [](ContactsPanel*) { return true; })->FindContactRow("bob");
  }));
  EXPECT_TRUE(bob.Wait(S2C_Request_PR_addcontactanswer));
  EXPECT_TRUE(bob.Wait(S2C_Request_PR_updcontact, [](const S2C_Request_t& r) {
    return standintest::Str(r.choice.updcontact.login) == "alice";
  }));

  // carol's request, on top, refused by a click on its text.
  ASSERT_TRUE(carol.Link().AddContact(carol.Key(), "alice", ""));
  ShortContactInfoPanel* second = AwaitRow(CE_ADD_RECEIVED, "carol");
  ASSERT_TRUE(second);
  EXPECT_EQ(second, Manager()->GetRequestsList()->GetSizer()->GetItem(size_t(0))->GetWindow());
  mark = JournalSize();
  {
    AnswerWhenShown answer([&](wxDialog* dialog) { Answer(dialog, "", "&Refuse"); });
    Click(second->GetNameText());
    ASSERT_TRUE(Until([&] { return answer.answered && second->GetContactEvent().IsAnswered(); }));
  }
  ASSERT_TRUE(AwaitJournal("alice addcontactanswer login=\"carol\" answer=false message=\"\"", mark));
  EXPECT_EQ("has not been added", second->GetStatusLabel()->GetLabel());
  EXPECT_EQ(wxColour(255, 128, 128), second->GetBackgroundColour());
  const S2C_Request_t* refused = carol.Wait(S2C_Request_PR_addcontactanswer);
  ASSERT_TRUE(refused);
  EXPECT_FALSE(refused->choice.addcontactanswer.answer);
  EXPECT_FALSE(GetManager()->HasContact("carol"));
  // An answered row asks nothing more.
  mark = JournalSize();
  Click(second->GetNameText());
  guitest::Pump(300);
  EXPECT_FALSE(QuestionOpen());
  SyncWithServer();
  EXPECT_TRUE(Sent("addcontactanswer", mark).empty());

  // bob invites alice into a private room: closed with "&Cancel" the question leaves the
  // invitation waiting; asked again, "&Yes" joins.
  ASSERT_TRUE(bob.Link().InviteContactInChatRoom(bob.Key(), nullptr, {"alice"}));
  ShortContactInfoPanel* invitation = AwaitRow(CE_INVITED, "bob");
  ASSERT_TRUE(invitation);
  EXPECT_EQ("invites you", invitation->GetStatusLabel()->GetLabel());
  mark = JournalSize();
  for (const char* button : {"&Cancel", "&Yes"}) {
    AnswerWhenShown answer([&](wxDialog* dialog) {
      EXPECT_EQ("Accept/Refuse invitation", dialog->GetTitle());
      EXPECT_TRUE(guitest::ButtonLabelled(dialog, "&No"));
      Answer(dialog, "", button);
    });
    Click(invitation->GetAnswerButton());
    ASSERT_TRUE(Until([&] { return answer.answered && !QuestionOpen(); }));
    Until([&] { return button[1] != 'Y' || invitation->GetContactEvent().IsAnswered(); });
    guitest::Pump(100);
    EXPECT_EQ(button[1] == 'Y', invitation->GetContactEvent().IsAnswered()) << button;
  }
  EXPECT_TRUE(AwaitJournal([&](const std::string& l) {
    return l.rfind("alice invitechatroomanswer site=\"" + invitation->GetContactEvent().GetURL() + "\"", 0) == 0 &&
           l.find("status=true") != std::string::npos;
  }, mark));
  EXPECT_EQ("joins you", invitation->GetStatusLabel()->GetLabel());
  EXPECT_EQ(1u, Sent("invitechatroomanswer", mark).size());
}

TEST_F(RequestsSession, AnswersGivenWhileTheListChangesUnderTheQuestion) {
  TestUser& bob = LogIn("bob");
  ShowManager();
  // bob takes his request back (the server removes him) while alice's question is open: her
  // answer still goes, and the row shows it.
  ASSERT_TRUE(bob.Link().AddContact(bob.Key(), "alice", "first"));
  ShortContactInfoPanel* row = AwaitRow(CE_ADD_RECEIVED, "bob");
  ASSERT_TRUE(row);
  size_t mark = JournalSize();
  {
    AnswerWhenShown answer([&](wxDialog* dialog) {
      ASSERT_TRUE(bob.Link().RemoveContact(bob.Key(), "alice", "never mind"));
      EXPECT_TRUE(AwaitRow(CE_REMOVED_BY_OTHER, "bob"));
      // The contacts manager's close picture hides it; the question stays.
      wxMouseEvent press(wxEVT_LEFT_DOWN);
      Manager()->OnClose(press);
      EXPECT_FALSE(Manager()->IsShown());
      Answer(dialog, "", "&Accept");
    });
    Click(row->GetAnswerButton());
    ASSERT_TRUE(Until([&] { return answer.answered && row->GetContactEvent().IsAnswered(); }));
  }
  EXPECT_TRUE(AwaitJournal("alice addcontactanswer login=\"bob\" answer=true message=\"\"", mark));
  EXPECT_EQ("has been added", row->GetStatusLabel()->GetLabel());
  ShowManager();

  // The row is replaced (same id), then every row is cleared, while its question is open: the
  // answer is dropped, nothing is sent, and the rows go once the question closed.
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    ASSERT_TRUE(bob.Link().AddContact(bob.Key(), "alice", "again"));
    ASSERT_TRUE(Until([&] {
      return !Rows().empty() && Rows().back()->GetEventType() == CE_ADD_RECEIVED &&
             Rows().back()->GetContactEvent().GetMessage() == "again";
    }));
    ShortContactInfoPanel* asked = Rows().back();
    const ContactEvent event = asked->GetContactEvent();
    mark = JournalSize();
    {
      AnswerWhenShown answer([&](wxDialog* dialog) {
        if (round == 0) Manager()->UpdateContactEvent(event);
        else Manager()->RemoveContactEvents();
        guitest::PumpUntil([] { return lateDestruction::Waiting() >= 1; });
        EXPECT_LE(1, lateDestruction::Waiting());
        Answer(dialog, "late", "&Accept");
      });
      Click(asked->GetAnswerButton());
      ASSERT_TRUE(Until([&] { return answer.answered && lateDestruction::Waiting() == 0; }));
    }
    SyncWithServer();
    EXPECT_TRUE(Sent("addcontactanswer", mark).empty());
    // The row that came in its place still waits for an answer.
    ShortContactInfoPanel* replaced = nullptr;
    for (ShortContactInfoPanel* r : Rows())
      if (r->GetEventId() == event.GetId()) replaced = r;
    EXPECT_EQ(round == 0, replaced != nullptr);
    if (replaced) { EXPECT_FALSE(replaced->GetContactEvent().IsAnswered()); }
  }
}

TEST_F(RequestsSession, AWindowDestroyedUnderItsQuestionDropsTheAnswer) {
  TestUser& bob = LogIn("bob");
  ASSERT_TRUE(bob.Link().AddContact(bob.Key(), "alice", "hello"));
  ContactEvent* request = AwaitStored(CE_ADD_RECEIVED, "bob");
  ASSERT_TRUE(request);
  auto* other = new ContactsShortFrame(Frame(), GetManager(), Frame());
  other->UpdateContactEvent(*request);
  other->Show(true);
  other->Move(40, 40);
  ASSERT_TRUE(Until([&] { return other->IsShownOnScreen(); }));
  wxWeakRef<ContactsShortFrame> alive(other);
  const size_t mark = JournalSize();
  {
    AnswerWhenShown answer([&](wxDialog* dialog) {
      // Gone at the next idle time of the question's own loop.
      other->Destroy();
      wxTheApp->ProcessIdle();
      EXPECT_FALSE(alive);
      Answer(dialog, "", "&Accept");
    });
    Click(other->GetRequestRows().back()->GetAnswerButton());
    ASSERT_TRUE(Until([&] { return answer.answered && !alive; }));
    guitest::Pump(200);
  }
  SyncWithServer();
  EXPECT_TRUE(Sent("addcontactanswer", mark).empty());
}

TEST_F(RequestsSession, ACheckAnsweredOpensTheInvitationOnceAndABurstOfRequestsStaysUsable) {
  TestUser& bob = LogIn("bob");
  ShowManager();
  // A check made here: its answer replaces the row and asks, by itself, whether to invite.
  size_t mark = JournalSize();
  {
    AnswerWhenShown answer([&](wxDialog* dialog) {
      EXPECT_EQ("Invite Bob", dialog->GetTitle());
      Answer(dialog, "join me", "&Invite");
    });
    ContactEvent* check = GetManager()->CheckContact("bob");
    ASSERT_TRUE(check);
    Manager()->UpdateContactEvent(*check);
    ASSERT_TRUE(Until([&] { return answer.answered; }));
  }
  ASSERT_TRUE(AwaitJournal("alice addcontact login=\"bob\" message=\"join me\"", mark));
  ASSERT_EQ(1u, Rows().size());
  EXPECT_EQ("has been invited", Rows().back()->GetStatusLabel()->GetLabel());
  EXPECT_EQ(CE_ADD_ASKED, Rows().back()->GetEventType());
  // bob's answer comes under the new id, in place of the row.
  const S2C_Request_t* asked = bob.Wait(S2C_Request_PR_addcontactask);
  ASSERT_TRUE(asked);
  ASSERT_TRUE(bob.Link().AddContactAnswer(bob.Key(), "alice", false, "no thanks"));
  ASSERT_TRUE(Until([&] { return Rows().size() == 1 && Rows().back()->GetEventType() == CE_ANSWER_REFUSED; }));
  // A registered login nobody asked about here opens nothing.
  ContactEvent unasked(999999, CE_REGISTERED, "none", "carol", "Carol", "");
  Manager()->UpdateContactEvent(unasked);
  guitest::Pump(300);
  EXPECT_FALSE(QuestionOpen());

  // 500 requests at once: all listed, the window as high as before (as wide as its widest row),
  // the oldest still answered.
  Manager()->RemoveContactEvents();
  Settle();
  const wxSize before = Manager()->GetSize();
  const int kBurst = 500;
  for (int i = 0; i < kBurst; ++i)
    while (!bob.Link().AddContact(bob.Key(), "alice", "request " + std::to_string(i)))
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_TRUE(Until([&] { return Rows().size() == size_t(kBurst); }, 120000)) << Rows().size();
  Settle();
  EXPECT_EQ(before.y, Manager()->GetSize().y);
  EXPECT_LE(Manager()->GetSize().x, 600);
  ShortContactInfoPanel* oldest = Rows().front();
  EXPECT_EQ("request 0", oldest->GetMessageText()->GetLabel());
  Manager()->GetRequestsList()->Scroll(0, Manager()->GetRequestsList()->GetVirtualSize().y);
  Settle();
  ASSERT_TRUE(oldest->IsShownOnScreen());
  mark = JournalSize();
  {
    AnswerWhenShown answer([&](wxDialog* dialog) { Answer(dialog, "", "&Accept"); });
    Click(oldest->GetAnswerButton());
    ASSERT_TRUE(Until([&] { return answer.answered && oldest->GetContactEvent().IsAnswered(); }));
  }
  EXPECT_TRUE(AwaitJournal("alice addcontactanswer login=\"bob\" answer=true message=\"\"", mark));
}

}  // namespace
