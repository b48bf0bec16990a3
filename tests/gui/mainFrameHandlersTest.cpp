// The main window's handlers of the controller's events, driven in this process through the
// controller's own queue: what each window is asked to show, which pop-ups and sounds follow
// the per-contact and per-site settings, and a burst of presence and progress reports.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/eventfilter.h>
#include <wx/intl.h>
#include <wx/timer.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "core/application.h"
#include "core/guiEvents.h"
#include "gui/appStartup.h"
#include "gui/rooms/chatRoomPanel.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/contacts/contactEntry.h"
#include "gui/contacts/contactsPanel.h"
#include "gui/contacts/contactsShortFrame.h"
#include "gui/contacts/shortContactInfoPanel.h"
#include "gui/rooms/fileInfoPanel.h"
#include "gui/rooms/filesFrame.h"
#include "gui/mainFrame.h"
#include "gui/notifyFrame.h"
#include "gui/sites/sitePanel.h"
#include "gui/sites/sitesPanel.h"
#include "gui/soundPlayer.h"
#include "gui/toolBar.h"
#include "model/config.h"
#include "model/contactEvent.h"
#include "model/fileMessage.h"
#include "model/message.h"
#include "model/urlContactInfo.h"
#include "model/urlInfo.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/support/testSupport.h"

namespace {

using Calls = std::vector<std::string>;

class QuietPrompter : public startup::StartupPrompter {
 public:
  void ShowError(const std::string&) override {}
  bool AskSetAside(const std::string&) override { return true; }
  bool AskRetryBackup(const std::string&) override { return false; }
};

template <class T>
T* Find(wxWindow* frame) {
  return guitest::FindChild<T>(frame, [](T*) { return true; });
}

class Handlers : public ::testing::Test {
 protected:
  void SetUp() override {
    m_savedHome = getenv("HOME") ? getenv("HOME") : "";
    setenv("HOME", m_home.path().c_str(), 1);
    setenv("PARLAVOX_DATA", (testsupport::SourceDir() + "/data").c_str(), 1);
    m_savedLog = wxLog::GetActiveTarget();
    QuietPrompter prompter;
    m_frame = startup::StartApplication(m_locale, prompter);
    ASSERT_TRUE(m_frame);
    sound::SetRecorder([this](const std::string& file) { m_sounds.push_back(file); });
    m_rooms = Find<ChatRoomsNotebook>(m_frame);
    m_contacts = Find<ContactsPanel>(m_frame);
    m_sites = Find<SitesPanel>(m_frame);
    m_manager = Find<ContactsShortFrame>(m_frame);
    m_toolBar = Find<ToolBar>(m_frame);
    m_files = Find<FilesFrame>(m_frame);
    ASSERT_TRUE(m_rooms && m_contacts && m_sites && m_manager && m_toolBar && m_files && NotifyFrame::GetInstance());
  }
  void TearDown() override {
    sound::SetRecorder(nullptr);
    if (m_frame) {
      m_frame->Close(true);
      EXPECT_TRUE(guitest::PumpUntil([] { return MainFrame::GetInstance() == nullptr; }));
      startup::EndApplication();
    }
    setenv("HOME", m_savedHome.c_str(), 1);
    wxLog* installed = wxLog::SetActiveTarget(m_savedLog);
    if (installed != m_savedLog) delete installed;
  }

  // Posts as the controller posts, and lets the window handle it.
  void Post(wxEventType type, int code, wxObject* owned, const wxString& text = wxString()) {
    ManagerEvent event(type, Manager::GetEventId());
    event.SetInt(code);
    if (owned) event.SetOwnedObject(owned);
    event.SetString(text);
    GetManager()->AddPendingEvent(event);
    guitest::Pump(20);
  }
  void PostKept(wxEventType type, int code, wxObject* record) {
    ManagerEvent event(type, Manager::GetEventId());
    event.SetInt(code);
    event.SetKeptObject(record);
    GetManager()->AddPendingEvent(event);
    guitest::Pump(20);
  }
  void PostTexts(wxEventType type, int code, const wxArrayString& texts) {
    ManagerEvent event(type, Manager::GetEventId());
    event.SetInt(code);
    event.SetStrings(texts);
    GetManager()->AddPendingEvent(event);
    guitest::Pump(20);
  }
  const NotifyItem* LastPopup() {
    NotifyFrame* popup = NotifyFrame::GetInstance();
    return popup->GetCount() ? popup->GetItem(popup->GetCount() - 1) : nullptr;
  }
  size_t Popups() { return NotifyFrame::GetInstance()->GetCount(); }

  testsupport::TempDir m_home;
  std::string m_savedHome;
  wxLog* m_savedLog = nullptr;
  wxLocale m_locale;
  MainFrame* m_frame = nullptr;
  ChatRoomsNotebook* m_rooms = nullptr;
  // What the room's page shows.
  wxString Shown(const std::string& room) {
    ChatRoomPanel* page = m_rooms->GetChatRoom(room);
    if (!page) return wxString();
    page->FlushLines();
    return page->GetDisplay()->GetValue();
  }
  ContactsPanel* m_contacts = nullptr;
  SitesPanel* m_sites = nullptr;
  ContactsShortFrame* m_manager = nullptr;
  ToolBar* m_toolBar = nullptr;
  FilesFrame* m_files = nullptr;
  std::vector<std::string> m_sounds;
};

ContactInfo Contact(const std::string& login, t_status previous, t_status now) {
  ContactInfo contact(login, "Nick " + login, "", "", previous, "", "", 0, 0, 0, "", "", false);
  contact.SetStatus(now);
  return contact;
}

TEST_F(Handlers, PresenceNotificationsFollowTheContactThenTheDefaultSetting) {
  struct Row {
    t_notification_status ownVisual, defaultVisual, ownBell, defaultBell;
    t_status previous, now;
    bool logout;
    std::string url;
    bool popup;
    const char* sound;
  };
  const auto N = NOTIFICATION_NOT_SET, OFF = NOTIFICATION_OFF, ON = NOTIFICATION_ON;
  const Row rows[] = {
      {N, ON, N, ON, STATUS_OFFLINE, STATUS_ONLINE, false, "none", true, "sounds/online.wav"},
      {OFF, ON, ON, OFF, STATUS_OFFLINE, STATUS_ONLINE, false, "none", false, "sounds/online.wav"},
      {ON, OFF, N, OFF, STATUS_NONE, STATUS_BUSY, false, "none", true, nullptr},
      {ON, ON, ON, ON, STATUS_BUSY, STATUS_AWAY, false, "none", false, nullptr},        // was online already
      {N, ON, N, ON, STATUS_ONLINE, STATUS_OFFLINE, true, "none", true, "sounds/offline.wav"},
      {ON, ON, ON, ON, STATUS_OFFLINE, STATUS_ONLINE, false, "http://a.example", false, nullptr},  // a site's room
      {N, N, N, N, STATUS_OFFLINE, STATUS_ONLINE, false, "none", false, nullptr},
  };
  ContactInfo* defaults = GetManager()->GetDefaultContactInfo();
  // A visitor of a site is shown on the site; its arrival notice is not a presence notice.
  m_sites->AddSitePanel(URLInfo("http://a.example", SITE_DEFAULT, 1, 0, 0, 99, "", 99, "", nullptr), "a.example");
  for (const char* key : {"open-visual-contact", "open-bell-contact"})
    GetManager()->GetURLInfo("http://a.example")->SetNotification(key, NOTIFICATION_OFF);
  int index = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(index++);
    const char* visual = row.logout ? "logout-visual" : "login-visual";
    const char* bell = row.logout ? "logout-bell" : "login-bell";
    defaults->SetNotification(visual, row.defaultVisual);
    defaults->SetNotification(bell, row.defaultBell);
    ContactInfo contact = Contact("bob", row.previous, row.now);
    contact.SetNotification(visual, row.ownVisual);
    contact.SetNotification(bell, row.ownBell);
    const size_t before = Popups();
    m_sounds.clear();
    Post(wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT, GUI_UPDATE_CONTACT,
         new URLContactInfo(row.url, 0, contact, true, row.logout, false));
    EXPECT_EQ(row.popup ? before + 1 : before, Popups());
    if (row.popup) {
      EXPECT_EQ(NOTIFY_ACTION_PRIVATE_CHATROOM, LastPopup()->action.GetType());
      EXPECT_EQ("bob", LastPopup()->action.GetParam());
      EXPECT_EQ("Nick bob", LastPopup()->text);
      EXPECT_EQ(row.now, LastPopup()->status);
    }
    EXPECT_EQ(row.sound ? Calls{row.sound} : Calls{}, m_sounds);
    // A contact of the list is shown in the contacts panel, a site's visitor in the sites panel.
    if (row.url == "none") {
      ASSERT_TRUE(m_contacts->FindContactRow("bob"));
      EXPECT_EQ(row.now, m_contacts->FindContactRow("bob")->GetStatus());
    } else {
      EXPECT_EQ(1, m_sites->GetContactsCount(row.url));
    }
  }
}

// Holds back the ticks of the timers `owner` owns for as long as it lives.
class HeldTicks : public wxEventFilter {
 public:
  explicit HeldTicks(wxEvtHandler* owner) : m_owner(owner) { wxEvtHandler::AddFilter(this); }
  ~HeldTicks() override { wxEvtHandler::RemoveFilter(this); }
  int FilterEvent(wxEvent& event) override {
    const bool tick = event.GetEventType() == wxEVT_TIMER &&
                      static_cast<wxTimerEvent&>(event).GetTimer().GetOwner() == m_owner;
    return tick ? Event_Ignore : Event_Skip;
  }

 private:
  wxEvtHandler* m_owner;
};

TEST_F(Handlers, ContactRequestsAnswersAndInvitationsAreListedAnnouncedAndBlinked) {
  struct Row {
    wxEventType type;
    int kind;
    bool managerShown;
    const char* title;  // null: no pop-up
    const char* first;
    const char* second;
    int action;
    int blink;  // the blink asked for; kNoBlink: none
  };
  const int kNoBlink = 7;
  const Row rows[] = {
      {wxEVT_RECEIVE_CONTACT_EVENT, CE_ADD_RECEIVED, false, "Request", "Ann (ann)", "asks to be in your private list",
       NOTIFY_ACTION_CONTACTS_MANAGER, 60},
      {wxEVT_RECEIVE_CONTACT_EVENT, CE_ADD_RECEIVED, true, "Request", "Ann (ann)", "asks to be in your private list",
       NOTIFY_ACTION_CONTACTS_MANAGER, kNoBlink},
      {wxEVT_RECEIVE_CONTACT_EVENT, CE_ANSWER_ACCEPTED, false, "Notification", "Ann (ann)",
       "accepts to be in your private list", NOTIFY_ACTION_PRIVATE_CHATROOM, 60},
      {wxEVT_RECEIVE_CONTACT_EVENT, CE_ANSWER_REFUSED, false, "Notification", "Ann (ann)",
       "refuses to be in your private list", NOTIFY_ACTION_CONTACTS_MANAGER, 60},
      {wxEVT_RECEIVE_CONTACT_EVENT, CE_REGISTERED, false, nullptr, "", "", 0, 0},
      {wxEVT_RECEIVE_CONTACT_EVENT, CE_NOT_REGISTERED, true, nullptr, "", "", 0, kNoBlink},
      {wxEVT_RECEIVE_INVITE_CONTACT_IN_CHATROOM, CE_INVITED, false, "Notification", "Ann",
       "invites you to a private chatroom", NOTIFY_ACTION_CONTACTS_MANAGER, 60},
      {wxEVT_RECEIVE_INVITE_CHATROOM_ANSWER, CE_ANSWER_ACCEPTED, false, "Notification", "Ann (ann)",
       "accepts to join room.example", NOTIFY_ACTION_FOCUS_CHATROOM, 60},
      {wxEVT_RECEIVE_INVITE_CHATROOM_ANSWER, CE_ANSWER_REFUSED, false, "Notification", "Ann (ann)",
       "refuses to join room.example", NOTIFY_ACTION_FOCUS_CHATROOM, 60},
  };
  // Records the controller keeps in its table travel by pointer and outlive the event.
  std::vector<std::unique_ptr<ContactEvent>> kept;
  // The blink's ticks wait while the rows are looked at: a loaded machine may let one come
  // between an event and the look at the count it asked for.
  const HeldTicks held(m_toolBar);
  int index = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(index++);
    m_manager->Show(row.managerShown);
    // A blink already running with another count shows which count, if any, the event asked for.
    m_toolBar->BlinkContactsManager(kNoBlink);
    const size_t before = Popups();
    kept.emplace_back(new ContactEvent(index, row.kind, "priv://room.example", "ann", "Ann", "hello"));
    PostKept(row.type, 0, kept.back().get());
    // Listed in the contacts manager, at the top.
    ASSERT_FALSE(m_manager->GetRequestRows().empty());
    EXPECT_EQ(index, m_manager->GetRequestRows().back()->GetEventId());
    EXPECT_EQ(row.kind, m_manager->GetRequestRows().back()->GetEventType());
    EXPECT_EQ(row.blink, m_toolBar->GetBlinkCount());
    EXPECT_TRUE(m_toolBar->IsBlinking());
    ASSERT_EQ(row.title ? before + 1 : before, Popups());
    if (!row.title) continue;
    EXPECT_EQ(row.title, LastPopup()->title);
    EXPECT_EQ(row.first, LastPopup()->text);
    EXPECT_EQ(row.second, LastPopup()->text2);
    EXPECT_EQ(*wxBLUE, LastPopup()->colour);
    EXPECT_EQ(row.action, LastPopup()->action.GetType());
  }
  // A removal by the other user, made for the event, is freed with it.
  m_manager->Show(false);
  m_toolBar->BlinkContactsManager(kNoBlink);
  Post(wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT, GUI_UPDATE_CONTACT,
       new URLContactInfo("none", 0, Contact("ann", STATUS_OFFLINE, STATUS_ONLINE), false, false, false));
  ASSERT_TRUE(m_contacts->FindContactRow("ann"));
  Post(wxEVT_RECEIVE_DEL_CONTACT, 0, new ContactEvent(-1, CE_REMOVED_BY_OTHER, "none", "ann", "Ann", ""));
  EXPECT_FALSE(m_contacts->FindContactRow("ann"));
  EXPECT_EQ(60, m_toolBar->GetBlinkCount());
}

TEST_F(Handlers, MessagesAreShownAndNotifiedAsTheSenderSiteAndDefaultAllow) {
  struct Row {
    t_notification_status contact, site, defaults;
    bool history;
    bool notified;
  };
  const auto N = NOTIFICATION_NOT_SET, OFF = NOTIFICATION_OFF, ON = NOTIFICATION_ON;
  const Row rows[] = {
      {OFF, ON, ON, false, false}, {N, ON, OFF, false, true}, {N, N, N, false, false},
      {N, N, ON, false, true},     {ON, ON, ON, true, false},
  };
  const std::string room = "http://closed.example/";
  URLInfo* site = GetManager()->GetURLInfo(room);
  ContactInfo* sender = GetManager()->GetContactInfo("carl");
  ContactInfo* defaults = GetManager()->GetDefaultContactInfo();
  SitePanel* shown = m_sites->AddSitePanel(*site, "closed.example/");
  int index = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(index++);
    for (const char* kind : {"visual", "bell"}) {
      sender->SetNotification(std::string("message-") + kind, row.contact);
      site->SetNotification(std::string("message-") + kind + "-contact", row.site);
      defaults->SetNotification(std::string("message-") + kind, row.defaults);
    }
    m_sites->SwitchSubscribeChatRoom(room, false);  // ends a blink
    m_sounds.clear();
    const size_t before = Popups();
    Post(wxEVT_RECEIVE_NEW_MESSAGE, 0, new Message(room, "carl", "Carl", "hi there", 0, row.history));
    // A message opens no page of its own.
    EXPECT_FALSE(m_rooms->IsChatRoomOpened(room));
    EXPECT_EQ(!row.history, shown->IsBlinking());
    EXPECT_EQ(row.notified ? before + 1 : before, Popups());
    EXPECT_EQ(row.notified ? Calls{"sounds/message.wav"} : Calls{}, m_sounds);
    if (row.notified) {
      EXPECT_EQ(NOTIFY_ACTION_FOCUS_CHATROOM, LastPopup()->action.GetType());
      EXPECT_EQ("writes a message on\nclosed.example/", LastPopup()->text2);
    }
  }
}

TEST_F(Handlers, RoomsSubscribedLeftAndSitesSwitched) {
  ContactInfo* member = GetManager()->GetContactInfo("dora");
  (void)member;
  const std::string room = "http://room.example/";
  URLInfo* site = GetManager()->GetURLInfo(room);
  site->SetNotification("subscribe-visual", NOTIFICATION_ON);
  site->SetNotification("subscribe-bell", NOTIFICATION_OFF);
  wxArrayString texts;
  texts.Add(room);
  wxWindow* roomsButton = guitest::FindChild<wxWindow>(
      m_toolBar, [](wxWindow* w) { return w->GetToolTipText() == "Show chatrooms"; });
  ASSERT_TRUE(roomsButton);
  m_toolBar->ShowChatRoomsButton(true);
  PostTexts(wxEVT_RECEIVE_SUBSCRIBE_CHATROOM_ACK, GUI_SUBSCRIBE_CHATROOM_OK, texts);
  ASSERT_TRUE(m_rooms->IsChatRoomOpened(room));
  EXPECT_NE(wxNOT_FOUND, Shown(room).Find("Welcome ! There is no Parlavoxer yet."));
  EXPECT_TRUE(roomsButton->IsShown());  // one room open: the button stays
  EXPECT_EQ("Subscribe to", LastPopup()->text);
  EXPECT_TRUE(m_sounds.empty());

  // Leaving the room's page hides the frame; leaving again (nothing open) never counts below zero.
  m_frame->UnsubscribeChatRoom(room);
  m_rooms->CloseChatRoom(room);
  m_frame->UnsubscribeChatRoom(room);
  EXPECT_FALSE(roomsButton->IsShown());
  EXPECT_FALSE(m_rooms->IsShown());

  // Switching a site's status: default and open block it, blocked opens it.
  const t_site_status expected[][2] = {{SITE_DEFAULT, SITE_BLOCKED}, {SITE_BLOCKED, SITE_OPEN}, {SITE_OPEN, SITE_BLOCKED}};
  for (const auto& step : expected) {
    site->SetStatus(step[0]);
    m_frame->SwitchWebSiteStatus(room);
    EXPECT_EQ(step[1], site->GetStatus());
  }

  // A refused site and a private room the contact blocked.
  PostTexts(wxEVT_RECEIVE_OPEN_CHATROOM_ACK, 0, wxArrayString());
  Post(wxEVT_RECEIVE_OPEN_CHATROOM_ACK, GUI_OPEN_CHATROOM_FAILED, nullptr, "http://no.example/");
  EXPECT_EQ("http://no.example/", LastPopup()->text2);
  EXPECT_EQ(*wxRED, LastPopup()->colour2);
  wxArrayString blocked;
  blocked.Add("priv://x");
  blocked.Add("nobody");
  blocked.Add("Nobody");
  m_rooms->CreateChatRoom("priv://x", "x", "opened");
  PostTexts(wxEVT_RECEIVE_SUBSCRIBE_CHATROOM_ACK, GUI_SUBSCRIBE_CHATROOM_BLOCKED, blocked);
  EXPECT_EQ("Nobody (nobody)", LastPopup()->text2);
  EXPECT_NE(wxNOT_FOUND, Shown("priv://x").Find("Administrator (ADMIN) says:\nYou have been blocked by Nobody (nobody)"));
}

// A burst as a busy network produces it, posted from another thread: 2,000 presence changes
// and 1,000 progress reports of two transfers within five seconds.
TEST_F(Handlers, BurstKeepsTheWindowResponsiveAndProgressPaced) {
  GetManager()->GetDefaultContactInfo()->SetNotification("login-visual", NOTIFICATION_ON);
  GetManager()->GetDefaultContactInfo()->SetNotification("login-bell", NOTIFICATION_ON);
  using Clock = std::chrono::steady_clock;
  Clock::duration worst{};
  Clock::time_point last = Clock::now();
  wxTimer ticker;
  ticker.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    const Clock::time_point now = Clock::now();
    worst = std::max(worst, now - last);
    last = now;
  });
  // The same ticker with nothing to handle, on the same machine now: the anchor.
  ticker.Start(10);
  guitest::Pump(1000);
  const Clock::duration idle = worst;
  worst = {};
  std::atomic<bool> done{false};
  const Clock::time_point start = Clock::now();
  std::thread network([&] {
    for (int i = 0; i < 3000; ++i) {
      ManagerEvent event(i % 3 == 2 ? wxEVT_RECEIVE_MESSAGE_FILE : wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT,
                         Manager::GetEventId());
      if (i % 3 == 2) {
        const int part = i / 3;
        const t_fm_status status = part < 2 ? FM_STARTED : part >= 998 ? FM_COMPLETE : FM_IN_PROGRESS;
        event.SetOwnedObject(new FileMessage("http://f.example/", "eve", "Eve", "f.bin", "k", "t" + std::to_string(part % 2),
                                             "127.0.0.1", 1, 0, true, status, part * 1000L, 1000000L, 1.0));
      } else {
        const std::string login = "u" + std::to_string(i % 50);
        event.SetOwnedObject(new URLContactInfo("none", 0, Contact(login, STATUS_OFFLINE, i % 2 ? STATUS_ONLINE : STATUS_AWAY),
                                                true, false, false));
      }
      GetManager()->AddPendingEvent(event);
      if (i % 30 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    done = true;
  });
  guitest::PumpUntil([&] { return done.load(); }, 10000);
  network.join();
  guitest::Pump(300);
  ticker.Stop();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  using Ms = std::chrono::duration<double, std::milli>;
  std::printf("burst: %.2f s, worst pause of the GUI thread %.1f ms (limit 100 ms, ratio %.2f); idle anchor %.1f ms\n",
              seconds, Ms(worst).count(), Ms(worst).count() / 100.0, Ms(idle).count());
  EXPECT_LT(seconds, 8.0);
  for (const char* transfer : {"t0", "t1"}) {
    const auto& rows = m_files->GetDownloadPanels();
    auto row = std::find_if(rows.begin(), rows.end(), [&](FileInfoPanel* r) { return r->GetTransferKey() == transfer; });
    ASSERT_NE(rows.end(), row) << transfer;
    // Made by the start, then rewritten for each progress shown and for the end: ten a second
    // at most, and the last state always shown.
    const int progress = (*row)->GetViewUpdates() - 2;
    EXPECT_LE(progress, int(10 * seconds) + 1) << transfer;
    EXPECT_GT(progress, 0) << transfer;
    EXPECT_EQ(FM_COMPLETE, (*row)->GetStatus()) << transfer;
  }
}

// A progress report that came too soon after the last one shown waits its turn; when the GUI
// thread is held up past that turn and a newer report comes first, the newer one is shown and
// the one that waited is never shown after it: the row's count does not go back.
TEST_F(Handlers, ProgressHeldBackIsNeverShownAfterANewerOne) {
  auto report = [](t_fm_status status, long done) {
    ManagerEvent event(wxEVT_RECEIVE_MESSAGE_FILE, Manager::GetEventId());
    event.SetOwnedObject(new FileMessage("http://f.example/", "eve", "Eve", "f.bin", "k", "bob@@@k", "", 0, 0, false,
                                         status, done, 1000L, 1.0));
    // Handled at once, as the event loop would hand it over, without letting timers run.
    static_cast<wxEvtHandler*>(GetManager())->ProcessEvent(event);
  };
  report(FM_STARTED, 0);
  ASSERT_EQ(1u, m_files->GetUploadPanels().size());
  FileInfoPanel* row = m_files->GetUploadPanels()[0];
  report(FM_IN_PROGRESS, 300);  // too soon: held
  EXPECT_EQ("0 / 1000 bytes", row->GetSizeText());
  // The GUI thread is busy past the held report's turn; the next report comes before the timer.
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  report(FM_IN_PROGRESS, 600);
  EXPECT_EQ("600 / 1000 bytes", row->GetSizeText());
  std::vector<std::string> seen;
  guitest::PumpUntil([&] {
    const std::string shown = row->GetSizeText().ToStdString() + ", " + row->GetPercentText().ToStdString();
    if (seen.empty() || seen.back() != shown) seen.push_back(shown);
    return false;
  }, 400);
  EXPECT_EQ(std::vector<std::string>{"600 / 1000 bytes, 60 %"}, seen);
}

}  // namespace
