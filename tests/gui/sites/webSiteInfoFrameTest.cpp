// The site's window: its profile, its eighteen switches driven by real clicks, saving into the
// record and the settings file (a file that cannot be written included), cancelling, closing.
#include <sys/stat.h>
#include <unistd.h>
#include <wx/button.h>
#include <wx/stattext.h>
#include <wx/weakref.h>

#include <cmath>
#include <limits>

#include "gui/sites/myButtonBitmapNotifier.h"
#include "gui/sites/webSiteInfoFrame.h"
#include "model/contactInfo.h"
#include "tests/gui/sites/sitesManagerFixture.h"

namespace {

using sitestest::Click;
using sitestest::ShowsPicture;

const std::string kSite = "http://news.example/";

class SiteWindow : public sitestest::SiteWindowsTest {
 protected:
  WebSiteInfoFrame* Open(const std::string& url = kSite) {
    auto* frame = new WebSiteInfoFrame(m_parent, manager(), url, true);
    frame->Show();
    EXPECT_TRUE(guitest::PumpUntil([&] { return frame->IsShownOnScreen(); }));
    return frame;
  }
  static wxButton* ButtonOf(WebSiteInfoFrame* frame, const wxString& label) {
    return guitest::FindChild<wxButton>(frame, [&](wxButton* b) { return b->GetLabel() == label; });
  }
  static wxStaticText* Label(WebSiteInfoFrame* frame, int index) {
    auto labels = guitest::FindChildren<wxStaticText>(frame);
    return index < int(labels.size()) ? labels[index] : nullptr;
  }
};

std::string PictureOf(const std::string& key, int state) {
  const bool visual = key.find("bell") == std::string::npos;
  static const char* const names[2][3] = {{"belldef.png", "bell.png", "emptybell.png"},
                                          {"popupdef.png", "popup.png", "emptypopup.png"}};
  return names[visual ? 1 : 0][state];
}

TEST_F(SiteWindow, ProfileFollowsTheRecordAndSurvivesHostileNumbers) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  URLInfo* site = Site("http://q.example/?a=1&b=2");
  WebSiteInfoFrame* frame = Open(site->GetURL());
  EXPECT_EQ("Configuration of q.example/?a=1&b=2", frame->GetTitle());
  wxStaticText* name = Label(frame, 0);
  ASSERT_TRUE(name);
  EXPECT_EQ("q.example/?a=1&b=2", name->GetLabelText());
  EXPECT_TRUE(name->GetFont().GetWeight() == wxFONTWEIGHT_BOLD);
  // A record never counted: nobody else there, not "-1".
  EXPECT_EQ("0 Parlavoxers on the site, 0 in the chatroom", Label(frame, 1)->GetLabelText());
  EXPECT_EQ("No grade", Label(frame, 2)->GetLabelText());
  EXPECT_FALSE(ButtonOf(frame, "&Save")->IsEnabled());
  EXPECT_FALSE(ButtonOf(frame, "&Cancel")->IsEnabled());

  const struct {
    int status, byDefault;
    wxColour colour;
    const char* tip;
  } statuses[] = {
      {SITE_OPEN, SITE_OPEN, *wxBLUE, ""},
      {SITE_BLOCKED, SITE_OPEN, *wxLIGHT_GREY, "You blocked this site. Open sites manager if you want to unblock it"},
      {SITE_DEFAULT, SITE_OPEN, *wxBLUE, "Default status"},
      {SITE_DEFAULT, SITE_BLOCKED, *wxLIGHT_GREY, "Default status"},
  };
  for (const auto& row : statuses) {
    SCOPED_TRACE(row.status * 10 + row.byDefault);
    Config::GetInstance()->SetDefaultSiteStatus(t_site_status(row.byDefault));
    site->SetStatus(t_site_status(row.status));
    frame->UpdateURLInfo(*site);
    EXPECT_EQ(row.colour, name->GetForegroundColour());
    EXPECT_EQ(row.tip, name->GetToolTipText());
  }

  const struct {
    int users, inRoom;
    int own;
    float mean;
    const char* users_line;
    const char* grade_line;
  } rows[] = {
      {5, 2, 99, 99, "4 Parlavoxers on the site, 2 in the chatroom", "No grade"},
      {1, 0, 99, 6.5f, "0 Parlavoxers on the site, 0 in the chatroom", "No grade (Average : 6.5/10)"},
      {0, -3, 8, 6.5f, "0 Parlavoxers on the site, 0 in the chatroom", "Your grade : 8.0/10 (Average : 6.5/10)"},
      {2, 1, 10, 6.5f, "1 Parlavoxers on the site, 1 in the chatroom", "Your grade : 10.0/10 (Average : 6.5/10)"},
      {2, 1, 8, 11, "1 Parlavoxers on the site, 1 in the chatroom", "No grade"},
      {2, 1, 8, nan, "1 Parlavoxers on the site, 1 in the chatroom", "No grade"},
      {2, 1, 8, -4, "1 Parlavoxers on the site, 1 in the chatroom", "No grade"},
      {2, 1, -7, 3, "1 Parlavoxers on the site, 1 in the chatroom", "No grade (Average : 3.0/10)"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.grade_line);
    site->SetNbrUsers(row.users);
    site->SetNbrChatRoomUsers(row.inRoom);
    site->SetUserGrade(row.own);
    site->SetGrade(row.mean);
    frame->UpdateURLInfo(*site);
    EXPECT_EQ(row.users_line, Label(frame, 1)->GetLabelText());
    EXPECT_EQ(row.grade_line, Label(frame, 2)->GetLabelText());
  }
  // The editor's accessors read and write the name, there being no field to edit.
  frame->SetWebSite("other.example/");
  EXPECT_EQ("other.example/", frame->GetWebSite());
}

// The users line counts the other Parlavoxers in the site's room as the controller follows them.
TEST_F(SiteWindow, TheUsersLineCountsTheRoomsMembers) {
  URLInfo* site = Site(kSite);
  site->SetNbrUsers(5);
  for (const char* login : {"alice", "bob", "carl", "dora"})
    manager()->SubscribeContactToChatRoom(kSite, manager()->GetContactInfo(login));
  WebSiteInfoFrame* frame = Open();
  EXPECT_EQ("4 Parlavoxers on the site, 3 in the chatroom", Label(frame, 1)->GetLabelText());
  manager()->UnsubscribeContactFromChatRoom(kSite, "dora");
  frame->UpdateURLInfo(*site);
  EXPECT_EQ("4 Parlavoxers on the site, 2 in the chatroom", Label(frame, 1)->GetLabelText());
  // The line lies whole inside the window.
  wxStaticText* line = Label(frame, 1);
  EXPECT_TRUE(wxRect(wxPoint(), frame->GetClientSize()).Contains(wxRect(line->GetPosition(), line->GetBestSize())));
}

TEST_F(SiteWindow, SwitchesStepThroughTheirStatesAndTellTheDefault) {
  // The user's own default for "open-bell" is off; the contacts' default for "subscribe-visual"
  // off; "open-visual" is missing from the user's own record.
  ContactInfo* own = manager()->GetOwnContactInfo();
  std::map<std::string, bool> ownMap = own->GetNotifications();
  ownMap.erase("open-visual");
  ownMap["open-bell"] = false;
  ownMap["close-bell"] = true;
  own->SetNotifications(ownMap);
  manager()->GetDefaultContactInfo()->SetNotification("subscribe-visual", NOTIFICATION_OFF);
  manager()->GetDefaultContactInfo()->SetNotification("message-bell", NOTIFICATION_ON);

  WebSiteInfoFrame* frame = Open();
  const wxString ownHint =
      " (edit your profile to modify this default behaviour\nor click to define a specific behaviour for this site)";
  const wxString othersHint =
      " (open Parlavoxers manager to modify this default behaviour\nor click to define a specific behaviour for this "
      "site)";
  EXPECT_EQ("Default behaviour: no audio notification" + ownHint, frame->GetSwitch("open-bell")->GetToolTipText());
  EXPECT_EQ("Use default behaviour: no visual notification" + ownHint,
            frame->GetSwitch("open-visual")->GetToolTipText());
  EXPECT_EQ("Use default behaviour: audio notification" + ownHint, frame->GetSwitch("close-bell")->GetToolTipText());
  EXPECT_EQ("Use default behaviour: no visual notification" + othersHint,
            frame->GetSwitch("subscribe-visual-contact")->GetToolTipText());
  EXPECT_EQ("Use default behaviour: audio notification" + othersHint,
            frame->GetSwitch("message-bell-contact")->GetToolTipText());

  const char* const onTips[2] = {"Audio notification for this site", "Visual notification for this site"};
  const char* const offTips[2] = {"No audio notification for this site", "No visual notification for this site"};
  for (const char* key : WebSiteInfoFrame::kKeys) {
    SCOPED_TRACE(key);
    MyButtonBitmapNotifier* notifier = frame->GetSwitch(key);
    ASSERT_TRUE(notifier);
    const bool visual = std::string(key).find("bell") == std::string::npos;
    const wxString unsetTip = notifier->GetToolTipText();
    EXPECT_TRUE(ShowsPicture(notifier->GetBitmapControl()->GetBitmap(), PictureOf(key, 0)));
    for (int state : {1, 2, 0}) {
      ASSERT_TRUE(Click(notifier->GetBitmapControl(), [&] {
        auto found = frame->GetWorkingNotifications().find(key);
        const int now = found == frame->GetWorkingNotifications().end() ? 0 : found->second ? 1 : 2;
        return now == state;
      }));
      EXPECT_TRUE(ShowsPicture(notifier->GetBitmapControl()->GetBitmap(), PictureOf(key, state))) << state;
      EXPECT_EQ(state == 0 ? unsetTip : wxString(state == 1 ? onTips[visual] : offTips[visual]),
                notifier->GetToolTipText());
    }
    EXPECT_TRUE(ButtonOf(frame, "&Save")->IsEnabled());
    EXPECT_TRUE(ButtonOf(frame, "&Cancel")->IsEnabled());
  }
  EXPECT_TRUE(frame->GetWorkingNotifications().empty());
  EXPECT_TRUE(Site(kSite)->GetNotifications().empty()) << "clicks change the record only on Save";
}

TEST_F(SiteWindow, TheFocusKeepsUnsavedChangesAndTheMenuRefreshShowsTheRecord) {
  URLInfo* site = Site(kSite);
  site->SetNotification("message-bell-contact", NOTIFICATION_OFF);
  WebSiteInfoFrame* frame = Open();
  MyButtonBitmapNotifier* notifier = frame->GetSwitch("open-visual");
  ASSERT_TRUE(Click(notifier->GetBitmapControl(), [&] { return frame->GetWorkingNotifications().count("open-visual"); }));

  wxFocusEvent focus(wxEVT_SET_FOCUS, frame->GetId());
  focus.SetEventObject(frame);
  frame->GetEventHandler()->ProcessEvent(focus);
  EXPECT_EQ(1u, frame->GetWorkingNotifications().count("open-visual")) << "an unsaved click is kept";
  EXPECT_TRUE(ButtonOf(frame, "&Save")->IsEnabled());

  // Cancel, then the focus: the record's settings are back.
  ASSERT_TRUE(Click(ButtonOf(frame, "&Cancel"), [&] { return !frame->IsShown(); }));
  frame->GetEventHandler()->ProcessEvent(focus);
  EXPECT_EQ((std::map<std::string, bool>{{"message-bell-contact", false}}), frame->GetWorkingNotifications());
  EXPECT_TRUE(ShowsPicture(notifier->GetBitmapControl()->GetBitmap(), "popupdef.png"));
  EXPECT_TRUE(ShowsPicture(frame->GetSwitch("message-bell-contact")->GetBitmapControl()->GetBitmap(), "emptybell.png"));
  // The site's menu refreshes whatever was clicked.
  frame->Show();
  ASSERT_TRUE(Click(notifier->GetBitmapControl(), [&] { return frame->GetWorkingNotifications().size() == 2; }));
  frame->UpdateURLInfo(*site);
  EXPECT_EQ(1u, frame->GetWorkingNotifications().size());
  EXPECT_EQ(Site(kSite)->GetNotifications(), frame->GetWorkingNotifications());
}

// Makes the settings' folder read-only for as long as it lives; as root, whom a read-only folder
// does not stop, the process also acts as an ordinary user meanwhile.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(const std::string& path) : m_path(path) {
    chmod(m_path.c_str(), 0555);
    if (geteuid() == 0) m_dropped = seteuid(65534) == 0;
  }
  ~ReadOnlyFolder() {
    if (m_dropped) { EXPECT_EQ(0, seteuid(0)); }
    chmod(m_path.c_str(), 0700);
  }

 private:
  std::string m_path;
  bool m_dropped = false;
};

TEST_F(SiteWindow, SavesClosesAndReportsAFileThatCannotBeWritten) {
  // A site known from the settings, another met only in this session.
  Config::GetInstance()->AddURLInfo(new URLInfo("http://stored.example/", SITE_OPEN, 0, 0, 0, kNoGrade, "", 99, "",
                                                nullptr));
  Site("http://stored.example/")->SetNotification("message-visual", NOTIFICATION_ON);  // not one of the window's
  WebSiteInfoFrame* stored = Open("http://stored.example/");
  WebSiteInfoFrame* fresh = Open("http://fresh.example/");

  // On, then off, then on for three switches of the fresh site; Save.
  auto clickTo = [&](WebSiteInfoFrame* frame, const std::string& key, int clicks) {
    for (int i = 0; i < clicks; ++i) {
      const size_t before = frame->GetWorkingNotifications().count(key);
      const bool was = before && frame->GetWorkingNotifications().at(key);
      ASSERT_TRUE(Click(frame->GetSwitch(key)->GetBitmapControl(), [&] {
        auto& now = frame->GetWorkingNotifications();
        return now.count(key) != before || (before && now.at(key) != was);
      }));
    }
  };
  clickTo(fresh, "open-bell", 1);
  clickTo(fresh, "message-visual-contact", 2);
  clickTo(fresh, "close-visual", 3);
  ASSERT_TRUE(Click(ButtonOf(fresh, "&Save"), [&] { return !fresh->IsShown(); }));
  EXPECT_FALSE(ButtonOf(fresh, "&Save")->IsEnabled());
  EXPECT_FALSE(ButtonOf(fresh, "&Cancel")->IsEnabled());
  EXPECT_TRUE(dialogs.boxes.empty());
  WithSavedSettings([](Config& saved) {
    URLInfo* site = saved.GetURLInfo("http://fresh.example/");
    ASSERT_TRUE(site) << "a site met only this session is in the file right after Save";
    EXPECT_EQ((std::map<std::string, bool>{{"open-bell", true}, {"message-visual-contact", false}}),
              site->GetNotifications());
  });

  // Cancel leaves the record as it was.
  clickTo(stored, "open-visual", 1);
  ASSERT_TRUE(Click(ButtonOf(stored, "&Cancel"), [&] { return !stored->IsShown(); }));
  EXPECT_EQ((std::map<std::string, bool>{{"message-visual", true}}), Site("http://stored.example/")->GetNotifications());

  // The folder read-only: the box tells where, the window stays as it was, the old file intact.
  const std::string before = testsupport::ReadFile(m_home.file("parlavox.xml"));
  stored->UpdateURLInfo(*Site("http://stored.example/"));
  stored->Show();
  clickTo(stored, "unsubscribe-bell-contact", 1);
  {
    ReadOnlyFolder readOnly(m_home.path());
    ASSERT_TRUE(Click(ButtonOf(stored, "&Save"), [&] { return !dialogs.boxes.empty(); }));
  }
  EXPECT_EQ(std::vector<wxString>{"Save error: Impossible to save your current configuration in " + m_home.path() +
                                  "parlavox.xml."},
            dialogs.boxes);
  EXPECT_TRUE(stored->IsShown());
  EXPECT_TRUE(ButtonOf(stored, "&Save")->IsEnabled());
  EXPECT_TRUE(ButtonOf(stored, "&Cancel")->IsEnabled());
  EXPECT_EQ((std::map<std::string, bool>{{"message-visual", true}}), Site("http://stored.example/")->GetNotifications());
  EXPECT_EQ(before, testsupport::ReadFile(m_home.file("parlavox.xml")));
  EXPECT_EQ(1u, stored->GetWorkingNotifications().count("unsubscribe-bell-contact"));
  // Writable again: a second Save goes through; keys the window does not show are kept.
  ASSERT_TRUE(Click(ButtonOf(stored, "&Save"), [&] { return !stored->IsShown(); }));
  WithSavedSettings([](Config& saved) {
    URLInfo* site = saved.GetURLInfo("http://stored.example/");
    ASSERT_TRUE(site);
    EXPECT_EQ((std::map<std::string, bool>{{"message-visual", true}, {"unsubscribe-bell-contact", true}}),
              site->GetNotifications());
  });

  // The title bar's close hides; a close that cannot be refused destroys; help opens the guide.
  stored->Show();
  wxCloseEvent close(wxEVT_CLOSE_WINDOW, stored->GetId());
  close.SetEventObject(stored);
  close.SetCanVeto(true);
  stored->GetEventHandler()->ProcessEvent(close);
  EXPECT_TRUE(close.GetVeto());
  EXPECT_FALSE(stored->IsShown());
  stored->Show();
  ASSERT_TRUE(Click(guitest::FindChild<wxStaticText>(stored, [](wxStaticText* t) { return t->GetLabel() == "Help?"; }),
                    [&] { return !opened.empty(); }));
  EXPECT_EQ(std::vector<std::string>{"https://www.parlavox.example/common/help/0.9.8b/userguide.php#site"}, opened);
  wxWeakRef<WebSiteInfoFrame> gone(stored);
  stored->Close(true);
  EXPECT_TRUE(guitest::PumpUntil([&] { return !gone; }));
}

TEST_F(SiteWindow, GoesWithItsBlockWhileItsSaveErrorIsOpen) {
  auto* block = new wxPanel(m_parent);
  auto* frame = new WebSiteInfoFrame(block, manager(), kSite, true);
  frame->Show();
  ASSERT_TRUE(guitest::PumpUntil([&] { return frame->IsShownOnScreen(); }));
  ASSERT_TRUE(Click(frame->GetSwitch("open-bell")->GetBitmapControl(),
                    [&] { return !frame->GetWorkingNotifications().empty(); }));
  failSaves = true;
  wxWeakRef<WebSiteInfoFrame> window(frame);
  // The site closes (its block goes, and the window with it) while the box is open.
  dialogs.onBox = [&](wxDialog*) { block->Destroy(); };
  ASSERT_TRUE(Click(ButtonOf(frame, "&Save"), [&] { return !dialogs.boxes.empty(); }));
  EXPECT_TRUE(guitest::PumpUntil([&] { return !window; }));
  EXPECT_FALSE(Site(kSite)->IsModified()) << "nothing of the failed save is kept for the save at exit";
}

// A save that fails takes no effect: the records are as before, so the settings written at exit
// hold none of it, while the window keeps the choice for a later Save, which writes it.
TEST_F(SiteWindow, AFailedSaveTakesNoEffectAndALaterSaveWritesTheChoice) {
  Config::GetInstance()->AddURLInfo(new URLInfo("http://stored.example/", SITE_OPEN, 0, 0, 0, kNoGrade, "", 99, "",
                                                nullptr));
  Site("http://stored.example/")->SetNotification("message-visual", NOTIFICATION_ON);
  ASSERT_TRUE(Config::GetInstance()->Save());
  URLInfo* fresh = Site("http://fresh.example/");
  WebSiteInfoFrame* windows[] = {Open("http://stored.example/"), Open("http://fresh.example/")};
  for (WebSiteInfoFrame* frame : windows)
    ASSERT_TRUE(Click(frame->GetSwitch("open-bell")->GetBitmapControl(),
                      [&] { return frame->GetWorkingNotifications().count("open-bell") == 1; }));
  failSaves = true;
  for (WebSiteInfoFrame* frame : windows) {
    dialogs.boxes.clear();
    ASSERT_TRUE(Click(ButtonOf(frame, "&Save"), [&] { return !dialogs.boxes.empty(); }));
    EXPECT_TRUE(frame->IsShown());
    EXPECT_EQ(1u, frame->GetWorkingNotifications().count("open-bell")) << "the choice stays on screen";
  }
  failSaves = false;
  EXPECT_EQ((std::map<std::string, bool>{{"message-visual", true}}), Site("http://stored.example/")->GetNotifications());
  EXPECT_TRUE(Site("http://fresh.example/")->GetNotifications().empty());
  EXPECT_FALSE(Site("http://fresh.example/")->IsModified());
  EXPECT_EQ(fresh, Site("http://fresh.example/")) << "a site met this session keeps its record";
  // The focus coming back after the box does not reload the switches over the choice.
  for (WebSiteInfoFrame* frame : windows) {
    wxFocusEvent focus(wxEVT_SET_FOCUS, frame->GetId());
    frame->GetEventHandler()->ProcessEvent(focus);
    EXPECT_EQ(1u, frame->GetWorkingNotifications().count("open-bell"));
  }

  // The program ends as it does at exit: the file holds none of the failed save.
  EXPECT_TRUE(manager()->Close());
  WithSavedSettings([](Config& saved) {
    URLInfo* stored = saved.GetURLInfo("http://stored.example/");
    ASSERT_TRUE(stored);
    EXPECT_EQ((std::map<std::string, bool>{{"message-visual", true}}), stored->GetNotifications());
    EXPECT_FALSE(saved.GetURLInfo("http://fresh.example/")) << "a site nothing was saved for stays out of the file";
  });

  // Save again, the file writable: the choice shown is what is written.
  for (WebSiteInfoFrame* frame : windows)
    ASSERT_TRUE(Click(ButtonOf(frame, "&Save"), [&] { return !frame->IsShown(); }));
  WithSavedSettings([](Config& saved) {
    for (const char* url : {"http://stored.example/", "http://fresh.example/"}) {
      URLInfo* site = saved.GetURLInfo(url);
      ASSERT_TRUE(site) << url;
      EXPECT_EQ(NOTIFICATION_ON, site->GetNotification("open-bell")) << url;
    }
  });
}

}  // namespace
