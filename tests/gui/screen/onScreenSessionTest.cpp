// The whole program on the stand-in server, its main window at its default place on a 1280x1024
// screen: what the user must be able to see is on the screen, each text whole inside its window
// and the panel that holds it, each avatar drawn whole. The windows that the tool bar opens, the
// log-in panel after a refused log-in and after a lost connection, every kind of pop-up, the
// site's panel with a long address, the site's tip (which leaves the site's people free to be
// clicked) and a person's tip. With PARLAVOX_SCREENSHOTS naming a directory, each is also saved
// there as a picture of the screen.
#include <gtest/gtest.h>
#include <wx/display.h>
#include <wx/filename.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <cstdlib>

#include "core/guiEvents.h"
#include "gui/aboutFrame.h"
#include "gui/contacts/contactsShortFrame.h"
#include "gui/loginDialog.h"
#include "gui/notifyFrame.h"
#include "gui/preferencesFrame.h"
#include "gui/profiles/contactInfoToolTip.h"
#include "gui/rooms/filesFrame.h"
#include "gui/sites/contactButtonBitmap.h"
#include "gui/sites/siteInfoToolTip.h"
#include "model/config.h"
#include "tests/gui/screen/screenCheck.h"
#include "tests/gui/sites/sitesSessionFixture.h"
#include "tests/support/screenCapture.h"

namespace {

using guitest::FindChild;

class OnScreen : public sitestest::SitesSession {
 protected:
  // Everything of `window` the user should see is on the screen; saved for review when asked.
  void Look(wxWindow* window, const std::string& name) {
    ASSERT_TRUE(window);
    ASSERT_TRUE(Until([&] { return window->IsShownOnScreen(); })) << name;
    Until([&] { return screencheck::HiddenText(window).empty(); });
    Settle();
    EXPECT_EQ("", screencheck::HiddenText(window)) << name;
    if (const char* dir = getenv("PARLAVOX_SCREENSHOTS")) {
      window->Refresh();
      Settle();
      wxFileName::Mkdir(wxString::FromUTF8(dir), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
      screencapture::Capture(wxDisplay(0u).GetGeometry()).SaveFile(wxString::FromUTF8(std::string(dir) + "/" + name + ".png"), wxBITMAP_TYPE_PNG);
    }
  }
  // The pop-up as it stands once it has slid in.
  void LookAtPopUp(const std::string& name) {
    NotifyFrame* popUp = NotifyFrame::GetInstance();
    popUp->Popup();
    ASSERT_TRUE(Until([&] { return popUp->GetSlide() == 1000; })) << name;
    Look(popUp, name);
  }
};

class Tick : public wxTimer {
 public:
  explicit Tick(std::function<void()> step) : m_step(std::move(step)) { Start(50); }
  void Notify() override { m_step(); }

 private:
  std::function<void()> m_step;
};

TEST_F(OnScreen, TheMainWindowAndEveryWindowOfItsToolBarLieOnTheScreenAndShowTheirTextsWhole) {
  const wxRect screen = wxDisplay(0u).GetGeometry();
  // The default place: centred.
  EXPECT_NEAR(screen.width / 2, Frame()->GetScreenRect().GetLeft() + Frame()->GetSize().x / 2, 2);
  Look(Frame(), "main-window");
  const struct {
    const char* tip;
    std::function<wxWindow*()> window;
    const char* name;
  } rows[] = {
      {"Parlavoxers manager", [&] { return Satellite<ContactsShortFrame>(); }, "docked-contacts-manager"},
      {"Show preferences", [&] { return Satellite<PreferencesFrame>(); }, "docked-preferences"},
      {"Sites manager", [&] { return Satellite<WebSitesShortFrame>(); }, "docked-sites-manager"},
      {"About Parlavox", [&] { return Satellite<AboutFrame>(); }, "docked-about"},
      {"Download/Upload files", [&] { return Satellite<FilesFrame>(); }, "transfers-window"},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.tip);
    wxWindow* button = ToolBarButton(r.tip);
    ASSERT_TRUE(button);
    wxWindow* window = r.window();
    ASSERT_TRUE(window);
    Frame()->Raise();
    EXPECT_TRUE(guitest::ClickOn(button, [&] { return window->IsShownOnScreen(); }));
    Look(window, r.name);
    // A docked window opens beside the main window, over none of it where the screen has room.
    if (dynamic_cast<MyMiniFrame*>(window) && window->GetSize().x <= Frame()->GetScreenRect().GetLeft()) {
      EXPECT_FALSE(window->GetScreenRect().Intersects(Frame()->GetScreenRect())) << r.name;
    }
  }
}

TEST_F(OnScreen, TheLogInPanelShowsWhyALogInFailedAndWhenTheNextComes) {
  guitest::Boxes boxes;
  Frame()->OnSwitchConnection(false);
  ASSERT_TRUE(Until([] { return GetManager()->IsDisconnected(); }));
  LoginDialog* panel = Frame()->GetLoginPanel();
  ASSERT_TRUE(Until([&] { return panel->IsShownOnScreen(); }));
  std::vector<wxTextCtrl*> fields = guitest::FindChildren<wxTextCtrl>(panel);
  ASSERT_EQ(2u, fields.size());
  fields[0]->SetValue("alice");
  fields[1]->SetValue("not her password");
  panel->SetHostname("127.0.0.1:" + std::to_string(Server().Port()));
  panel->SetSSLEnabled(true);
  wxButton* connect = guitest::ButtonLabelled(panel, "Connect !");
  ASSERT_TRUE(connect);
  auto line = [&](int i) {
    std::vector<wxStaticText*> texts = guitest::FindChildren<wxStaticText>(panel);
    return texts[texts.size() - 2 + i];
  };
  // Refused by the server.
  EXPECT_TRUE(guitest::ClickOn(connect, [&] { return line(0)->GetLabelText() == "Invalid login !"; }));
  EXPECT_EQ(std::vector<wxString>{"Unable to connect...: Invalid login/password"}, boxes.seen);
  Look(Frame(), "login-refused");
  // The connection lost, a new try to come.
  Config::GetInstance()->SetRetryOnFailure(true);
  ManagerEvent lost(wxEVT_CONNECTION_ACK, Manager::GetEventId());
  lost.SetInt(GUI_SOCKET_ERROR);
  GetManager()->AddPendingEvent(lost);
  ASSERT_TRUE(Until([&] { return line(1)->GetLabelText().StartsWith("Will try again at "); }));
  Look(Frame(), "login-retry");
  Frame()->AbortConnection();
}

TEST_F(OnScreen, EveryKindOfPopUpShowsItsLinesWhole) {
  const wxBitmap avatar = GetManager()->GetAvatar("bob", false, false, BORDER_SIMPLE, false);
  // A site's room opened with people on it; the first pop-up of the run.
  NotifyFrame::AddNotification(NotifyAction(3, "http://www.parlavox.example/"), "Open site", "www.parlavox.example",
                               *wxBLUE, "3 Parlavoxers", *wxBLUE);
  LookAtPopUp("popup-open-site");
  // A message in a room: the nickname, and where it was written on a line of its own.
  NotifyFrame::AddNotification(NotifyAction(2, "http://www.parlavox.example/"), "Notification", "Bob", avatar,
                               "writes a message on\nwww.parlavox.example");
  LookAtPopUp("popup-message");
  NotifyFrame::AddNotification(NotifyAction(1, "bob"), "Notification", "Bob", avatar, STATUS_AWAY);
  LookAtPopUp("popup-presence");
  NotifyFrame::AddNotification(NotifyAction(0), "Notification", "Connection ended by the server", *wxBLUE,
                               wxEmptyString, *wxBLUE);
  LookAtPopUp("popup-one-line");
}

TEST_F(OnScreen, ASitesNameGradeTipAndPeopleShowWholeAndTheTipLeavesThePeopleFree) {
  ASSERT_TRUE(Until([&] { return LocalServer::Instance() && Sites() && Sites()->IsShownOnScreen(); }));
  const std::string site = "http://www.example.org/?a=1&b=2";
  Answer(Browse(site));
  ASSERT_TRUE(Until([&] { return Sites()->FindSitePanel(site) != nullptr; }));
  SitePanel* panel = Sites()->FindSitePanel(site);
  for (const char* login : {"bob", "carol", "dave", "erin", "frank"}) {
    standintest::TestUser& other = LogIn(login);
    other.Link().SendOpenChatRoom(other.Key(), site);
  }
  ASSERT_TRUE(Until([&] { return panel->FindContact("frank") && panel->FindContact("bob"); }));
  const URLInfo* record = GetManager()->GetURLInfo(panel->GetURL());
  ASSERT_TRUE(record);
  URLInfo graded(*record);
  graded.SetGrade(6.5f);
  graded.SetNbrComments(2);
  Sites()->UpdateComments(graded);
  Settle();
  Frame()->Raise();
  Look(Frame(), "site-panel");
  // A name too long for its room ends in "...", and what the label holds is drawn to its end.
  wxStaticText* shown = panel->GetSiteLabel()->GetInnerText();
  const wxString name = shown->GetLabelText();
  EXPECT_TRUE(name == "www.example.org/?a=1&b=2" || name.EndsWith("...")) << name;
  Until([&] { return screencheck::DrawnWidth(shown) >= screencheck::TextWidth(shown) - 6; });
  EXPECT_GE(screencheck::DrawnWidth(shown), screencheck::TextWidth(shown) - 6) << name;

  // The site's tip, beside the window: none of the people under it.
  wxWindow* label = panel->GetSiteLabel()->GetInnerText();
  ASSERT_TRUE(guitest::MovePointer(label, guitest::Middle(label)));
  SiteInfoToolTip* tip = panel->GetSiteToolTip();
  ASSERT_TRUE(Until([&] { return tip->IsShownOnScreen(); }));
  Look(tip, "site-tip");
  for (ContactButtonBitmap* avatar : guitest::FindChildren<ContactButtonBitmap>(panel))
    if (avatar->IsShownOnScreen()) {
      EXPECT_FALSE(tip->GetScreenRect().Intersects(avatar->GetScreenRect())) << avatar->GetContact().GetLogin();
    }

  // On bob's avatar: the site's tip goes, bob's comes, and a right click gives bob's menu.
  ContactButtonBitmap* bob = panel->FindContact("bob");
  ASSERT_TRUE(guitest::MovePointer(bob, guitest::Middle(bob)));
  EXPECT_TRUE(Until([&] { return !tip->IsShown(); }));
  ASSERT_TRUE(Until([&] { return panel->GetContactToolTip() && panel->GetContactToolTip()->IsShownOnScreen(); }));
  ContactInfoToolTip* person = panel->GetContactToolTip();
  Until([&] { return person->GetLogin() == "bob"; });
  Look(person, "person-tip");
  bool menu = false;
  Tick closer([&] {
    if (!panel->IsMenuShown()) return;
    menu = true;
    wxUIActionSimulator().Char(WXK_ESCAPE);
  });
  EXPECT_TRUE(guitest::ClickOn(bob, [&] { return menu; }, wxMOUSE_BTN_RIGHT));
  closer.Stop();
  EXPECT_TRUE(Until([&] { return !panel->IsMenuShown(); }));
}

}  // namespace
