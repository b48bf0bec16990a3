// A site's menus: which items a site and a person get, the commands chosen with real input, the
// questions answered with real keys, and panels and avatars that go while their menu or question
// is open (the browser closed the site meanwhile).
#include <gtest/gtest.h>
#include <wx/menu.h>

#include <algorithm>
#include <memory>

#include "gui/messageYesNoCancelFrame.h"
#include "gui/sites/contactButtonBitmap.h"
#include "model/config.h"
#include "tests/gui/sites/sitesPanelFixture.h"

namespace {

using sitestest::Person;
using sitestest::Site;
using sitestest::SitesPanelTest;

const std::string kUrl = "http://menus.example/";

std::vector<std::string> Items(wxMenu* menu) {
  std::vector<std::string> items;
  for (wxMenuItem* item : menu->GetMenuItems()) {
    if (item->IsSeparator()) {
      items.push_back("-");
      continue;
    }
    items.push_back(std::string(item->IsEnabled() ? "" : "(off) ") + item->GetItemLabel().ToStdString());
  }
  return items;
}

// Once a question is on screen, gives it the keyboard and runs `answer` once (from the
// question's own loop); a question still open long after is cancelled and the test fails.
class Answerer : public wxTimer {
 public:
  explicit Answerer(std::function<void(MessageYesNoCancelFrame*)> answer) : m_answer(std::move(answer)) {
    Start(40);
  }
  ~Answerer() override { EXPECT_FALSE(timedOut); }
  bool answered = false;
  bool timedOut = false;

 private:
  void Notify() override {
    for (wxWindow* window : wxTopLevelWindows) {
      auto* question = dynamic_cast<MessageYesNoCancelFrame*>(window);
      if (!question || !question->IsShownOnScreen() || ++m_ticks < 5) continue;
      if (answered) {
        if (m_ticks > 100 && question->IsModal()) {
          timedOut = true;
          question->EndModal(wxID_CANCEL);
        }
        return;
      }
      answered = true;
      question->Raise();
      m_answer(question);
      return;
    }
  }
  std::function<void(MessageYesNoCancelFrame*)> m_answer;
  int m_ticks = 0;
};

void Command(SitePanel* panel, int id) {
  wxCommandEvent event(wxEVT_MENU, id);
  panel->GetEventHandler()->ProcessEvent(event);
}

TEST_F(SitesPanelTest, MenusOfferWhatTheSiteAndThePersonAllow) {
  SitePanel* panel = m_sites->AddSitePanel(Site(kUrl), "menus.example/");
  std::unique_ptr<wxMenu> site(panel->BuildMenu(nullptr));
  EXPECT_EQ((std::vector<std::string>{"&Subscribe to this chatroom", "&Close this site", "&Block this site",
                                      "&Display profile and setup parameters"}),
            Items(site.get()));
  panel->SwitchSubscribeChatRoom(true);
  site.reset(panel->BuildMenu(nullptr));
  EXPECT_EQ("&Unsubscribe from this chatroom", Items(site.get()).front());

  m_sites->UpdateContact(Person(kUrl, "bob"));
  m_sites->UpdateContact(Person(kUrl, "ext"));
  m_sites->UpdateContact(Person(kUrl, "saved"));
  ContactInfo* bob = GetManager()->GetContactInfo("bob");
  bob->SetStatus(STATUS_ONLINE);
  GetManager()->GetContactInfo("ext")->SetImType("msn");
  GetManager()->GetContactInfo("ext")->SetStatus(STATUS_OFFLINE);
  auto* saved = new ContactInfo("saved", "Saved", "", "", STATUS_OFFLINE, "", "", 0, 0, 0, "", "", false);
  Config::GetInstance()->UpdateContact(saved);
  GetManager()->GetContactInfo("saved")->SetStatus(STATUS_OFFLINE);
  struct Row {
    const char* login;
    std::vector<std::string> items;
  };
  // Not connected: the requests to the server are off.
  const Row rows[] = {
      {"bob",
       {"&Send a message", "&Display profile and setup parameters", "(off) &Add to your private list...",
        "(off) &Block this contact...", "(off) Report &abuse...", "-", "(off) No private chatroom opened"}},
      {"ext",
       {"(off) &Send a message", "&Display profile and setup parameters", "(off) &Add to your private list...",
        "(off) Block only for Parlavoxers", "(off) Report &abuse...", "-", "(off) No private chatroom opened"}},
      {"saved",
       {"(off) &Send a message", "&Display profile and setup parameters", "(off) &Remove from your private list...",
        "(off) &Block this contact...", "(off) Report &abuse...", "-", "(off) No private chatroom opened"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.login);
    std::unique_ptr<wxMenu> menu(panel->BuildMenu(panel->FindContact(row.login)));
    EXPECT_EQ(row.items, Items(menu.get()));
  }
  bob->SetBlocked(true);
  std::unique_ptr<wxMenu> blocked(panel->BuildMenu(panel->FindContact("bob")));
  EXPECT_EQ("(off) &Send a message", Items(blocked.get())[0]);
  EXPECT_EQ("(off) &Unblock this contact...", Items(blocked.get())[3]);
  bob->SetBlocked(false);
  delete Config::GetInstance()->RemoveContact("saved");
}

TEST_F(SitesPanelTest, SiteMenuChosenWithRealInput) {
  SitePanel* panel = m_sites->AddSitePanel(Site(kUrl), "menus.example/");
  guitest::Pump(50);
  const struct {
    int downs;
    std::string call;
  } rows[] = {{1, "subscribe " + kUrl}, {2, "close " + kUrl}, {3, "switch " + kUrl}};  // Down selects the first
  for (const auto& row : rows) {
    SCOPED_TRACE(row.call);
    m_listener.calls.clear();
    guitest::MenuPicker picker([&] { return panel->IsMenuShown(); }, row.downs);
    Click(panel->GetSiteLabel()->GetInnerText(), wxMOUSE_BTN_RIGHT);
    EXPECT_TRUE(guitest::PumpUntil([&] { return !m_listener.calls.empty(); }));
    EXPECT_EQ(std::vector<std::string>{row.call}, m_listener.calls);
    EXPECT_FALSE(panel->IsMenuShown());
    guitest::Pump(500);
  }
}

TEST_F(SitesPanelTest, QuestionsSendWhatWasTypedAtMostThirtyCharacters) {
  SitePanel* panel = m_sites->AddSitePanel(Site(kUrl), "menus.example/");
  m_sites->UpdateContact(Person(kUrl, "bob"));
  std::unique_ptr<wxMenu> menu(panel->BuildMenu(panel->FindContact("bob")));
  const struct {
    int id;
    const char* typed;
    bool yes;
    std::string call;
  } rows[] = {
      {ID_ADD_CONTACT, "please add me, this is a long message", true, "add bob [please add me, this is a long ]"},
      {ID_REMOVE_CONTACT, "", true, "remove bob []"},
      {ID_REPORT_ABUSE, "spam", true, "abuse " + kUrl + " bob [spam]"},
      {ID_BLOCK_CONTACT, nullptr, true, "block bob []"},
      {ID_UNBLOCK_CONTACT, nullptr, false, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.call);
    m_listener.calls.clear();
    Answerer answerer([&](MessageYesNoCancelFrame* question) {
      if (row.typed) {
        auto* field = guitest::FindChild<wxTextCtrl>(question, [](wxTextCtrl*) { return true; });
        guitest::ClickUntil(field, [&] { return field->HasFocus(); });
        wxUIActionSimulator().Text(row.typed);
        // The keys reach the field (as many as it takes) before the answer is given.
        const wxString typed(row.typed);
        guitest::PumpUntil([&] {
          return typed.StartsWith(field->GetValue()) && field->GetValue().length() >= std::min<size_t>(30, typed.length());
        });
      }
      if (row.yes) Click(question->FindWindow(wxID_YES));
      else question->Close();
    });
    Command(panel, row.id);
    EXPECT_TRUE(answerer.answered);
    EXPECT_EQ(row.call.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.call}, m_listener.calls);
  }
}

// The browser closes the site while its menu is open, and the person leaves while a question
// about them is open: the menu and the question end normally, then the panel and avatar go.
TEST_F(SitesPanelTest, PanelsAndAvatarsGoingWhileTheirMenuOrQuestionIsOpenGoAfterIt) {
  SitePanel* panel = m_sites->AddSitePanel(Site(kUrl), "menus.example/");
  m_sites->UpdateContact(Person(kUrl, "bob"));
  guitest::Pump(50);
  wxWeakRef<SitePanel> site(panel);
  wxWeakRef<ContactButtonBitmap> avatar(panel->FindContact("bob"));
  std::unique_ptr<wxMenu> menu(panel->BuildMenu(avatar));
  menu.reset();
  Answerer answerer([&](MessageYesNoCancelFrame* question) {
    m_sites->UpdateContact(Person(kUrl, "bob", true));
    EXPECT_TRUE(avatar);
    EXPECT_FALSE(avatar->IsShown());
    EXPECT_TRUE(m_sites->RemoveURL(kUrl));
    EXPECT_TRUE(site);
    EXPECT_FALSE(site->IsShown());
    Click(question->FindWindow(wxID_YES));
  });
  Command(panel, ID_BLOCK_CONTACT);
  EXPECT_TRUE(answerer.answered);
  EXPECT_EQ(std::vector<std::string>{"block bob []"}, m_listener.calls);
  EXPECT_TRUE(guitest::PumpUntil([&] { return !site && !avatar; }));
  EXPECT_TRUE(m_sites->GetSitePanels().empty());

  // The site's menu, opened by a real right click; the site closed under it.
  panel = m_sites->AddSitePanel(Site(kUrl), "menus.example/");
  m_sites->UpdateContact(Person(kUrl, "bob"));
  guitest::Pump(50);
  site = panel;
  avatar = panel->FindContact("bob");
  bool removed = false;
  wxTimer closer;
  closer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    if (removed || !site || !site->IsMenuShown()) return;
    removed = true;
    m_sites->UpdateContact(Person(kUrl, "bob", true));
    m_sites->RemoveURL(kUrl);
    guitest::Pump(100);
    wxUIActionSimulator().Char(WXK_ESCAPE);
  });
  closer.Start(200);
  Click(avatar, wxMOUSE_BTN_RIGHT);
  EXPECT_TRUE(guitest::PumpUntil([&] { return removed && !site && !avatar; }));
  closer.Stop();
}

}  // namespace
