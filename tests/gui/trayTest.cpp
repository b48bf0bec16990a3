// The tray icon: its picture, tooltip and menu for each connection state and presence, and every
// menu entry chosen by keyboard as a user does, against a test server. Without a tray on the
// desktop (Xvfb has none), starting hidden leaves the main window iconised, never unreachable.
#include <gtest/gtest.h>
#include <wx/intl.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/taskbar.h>

#include "gui/appStartup.h"
#include "gui/loginDialog.h"
#include "gui/myTaskBar.h"
#include "gui/nicknamePanel.h"
#include "gui/preferencesFrame.h"
#include "gui/startup.h"
#include "tests/gui/mainWindowFixture.h"

// Last: Xlib's macros would clash with the toolkit's names.
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>

namespace {

using guitest::FindChild;
using guitest::PumpUntil;

struct MenuState {
  std::vector<bool> enabled;  // Open, Connect, Disconnect, the five presences, Preferences, Quit
  int checked;                // the checked presence, -1 for none
};

MenuState Read(wxMenu& menu) {
  MenuState state{{}, -1};
  int presence = 0;
  for (wxMenuItem* item : menu.GetMenuItems()) {
    if (item->IsSeparator()) continue;
    state.enabled.push_back(item->IsEnabled());
    if (item->IsRadio()) {
      if (item->IsChecked()) state.checked = presence;
      ++presence;
    }
  }
  return state;
}

// The number of Down presses that reach `id` in `menu`: the keyboard passes over separators and
// disabled entries.
int DownsTo(wxMenu& menu, int id) {
  int downs = 0;
  for (wxMenuItem* item : menu.GetMenuItems()) {
    if (item->IsSeparator() || !item->IsEnabled()) continue;
    ++downs;
    if (item->GetId() == id) return downs;
  }
  return -1;
}

class Tray : public guitest::MainWindowTest {
 protected:
  // Pops the tray's menu up as a right click on the icon does, and picks `id` by keyboard.
  void Choose(MyTaskBar* tray, int id) {
    std::unique_ptr<wxMenu> menu(tray->CreatePopupMenu());
    bool opened = false;
    menu->Bind(wxEVT_MENU_OPEN, [&](wxMenuEvent& e) { opened = true, e.Skip(); });
    const int downs = DownsTo(*menu, id);
    ASSERT_GT(downs, 0) << id;
    guitest::MenuPicker picker([&] { return opened; }, downs);
    tray->PopupMenu(menu.get());
    EXPECT_TRUE(PumpUntil([&] { return picker.picked(); }));
  }
};

TEST_F(Tray, IconAndMenuFollowConnectionAndPresence) {
  guitest::SpyMainFrame* frame = Open();
  MyTaskBar* tray = frame->GetTaskBar();
  ASSERT_TRUE(tray);
  EXPECT_EQ("tb_disconnected.ico", tray->GetIconFile());
  EXPECT_EQ("Parlavox !", tray->GetToolTip());
  const bool T = true, F = false;
  const struct {
    bool connected;
    int status;
    const char* icon;
    const char* tip;
    MenuState menu;
  } rows[] = {
      {F, -1, "tb_disconnected.ico", "Parlavox !", {{T, T, F, F, F, F, F, F, T, T}, 0}},  // a radio group keeps one
      {T, -1, "tb_disconnected.ico", "Parlavox !", {{T, F, T, T, T, T, T, T, T, T}, 0}},
      {T, 3, "tb_away.ico", "Away", {{T, F, T, T, T, T, T, T, T, T}, 3}},
      {T, 4, "tb_busy.ico", "Busy", {{T, F, T, T, T, T, T, T, T, T}, 4}},
      {T, 7, "tb_busy.ico", "Busy", {{T, F, T, T, T, T, T, T, T, T}, 0}},  // unknown: the icon stays
      {T, 0, "tb_offline.ico", "Offline", {{T, F, T, T, T, T, T, T, T, T}, 0}},
      {T, 1, "tb_online.ico", "Online", {{T, F, T, T, T, T, T, T, T, T}, 1}},
      {T, 2, "tb_noactivity.ico", "No activity", {{T, F, T, T, T, T, T, T, T, T}, 2}},
      {F, -1, "tb_disconnected.ico", "Parlavox !", {{T, T, F, F, F, F, F, F, T, T}, 0}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.status);
    tray->SetConnectionStatus(row.connected);
    tray->SetStatus(t_status(row.status));
    EXPECT_EQ(row.icon, tray->GetIconFile());
    EXPECT_EQ(row.tip, tray->GetToolTip());
    std::unique_ptr<wxMenu> menu(tray->CreatePopupMenu());
    const MenuState state = Read(*menu);
    EXPECT_EQ(row.menu.enabled, state.enabled);
    EXPECT_EQ(row.menu.checked, state.checked);
  }
}

TEST_F(Tray, EveryMenuEntryChosenByKeyboard) {
  testserver::TestServer& server = UseTestServer();
  guitest::SpyMainFrame* frame = Open();
  MyTaskBar* tray = frame->GetTaskBar();
  auto* panel = FindChild<NicknamePanel>(frame, [](NicknamePanel*) { return true; });
  auto* preferences = FindChild<PreferencesFrame>(frame, [](PreferencesFrame*) { return true; });

  // "Open" brings an iconised window back.
  frame->Iconize(true);
  Choose(tray, MyTaskBar::ID_OPEN);
  EXPECT_FALSE(frame->iconized);
  EXPECT_TRUE(frame->IsShown());

  // "Connect" starts a log-in.
  Choose(tray, MyTaskBar::ID_CONNECT);
  auto link = AcceptLogIn(server);
  ASSERT_TRUE(link);

  // Each presence goes to the server once and shows on the icon and in the nickname panel.
  const struct {
    int id;
    t_status status;
    const char* icon;
    const char* label;
  } presences[] = {
      {MyTaskBar::ID_BUSY, STATUS_BUSY, "tb_busy.ico", "(Busy)"},
      {MyTaskBar::ID_AWAY, STATUS_AWAY, "tb_away.ico", "(Away)"},
      {MyTaskBar::ID_NOACTIVITY, STATUS_NO_ACTIVITY, "tb_noactivity.ico", "(No activity)"},
      {MyTaskBar::ID_OFFLINE, STATUS_OFFLINE, "tb_offline.ico", "(Offline)"},
      {MyTaskBar::ID_ONLINE, STATUS_ONLINE, "tb_online.ico", "(Online)"},
  };
  AwaitRequest(*link, C2S_Request_PR_changestatus);  // what the log-in itself sends, if anything
  while (link->Next(std::chrono::milliseconds(200))) {
  }
  for (const auto& p : presences) {
    SCOPED_TRACE(p.label);
    Choose(tray, p.id);
    auto sent = AwaitRequest(*link, C2S_Request_PR_changestatus);
    ASSERT_TRUE(sent);
    EXPECT_EQ(long(p.status), long(sent->choice.changestatus.status));
    EXPECT_TRUE(link->NothingWithin(std::chrono::milliseconds(300)));
    EXPECT_EQ(p.icon, tray->GetIconFile());
    EXPECT_EQ(p.label, panel->GetStatusButton()->GetLabel());
  }

  Choose(tray, MyTaskBar::ID_PREFERENCES);
  EXPECT_TRUE(PumpUntil([&] { return preferences->IsShown(); }));

  Choose(tray, MyTaskBar::ID_DISCONNECT);
  EXPECT_TRUE(PumpUntil([] { return !GetManager()->IsConnected(); }));
  EXPECT_TRUE(link->WaitClosed());

  Choose(tray, MyTaskBar::ID_QUIT);
  EXPECT_TRUE(PumpUntil(Gone));
  EXPECT_TRUE(boxes.seen.empty());
}

// "Connect" with nothing stored to log in with sends no log-in: it brings the log-in panel up,
// its first field ready for typing. Once a login and password are there, it logs in with them.
TEST_F(Tray, ConnectWithoutAStoredLoginShowsTheLogInPanel) {
  testserver::TestServer& server = UseTestServer();
  const struct {
    const char* login;
    const char* password;
  } rows[] = {{"", "secret"}, {"alice", ""}, {"", ""}};
  Config::GetInstance()->SetLogin("");
  guitest::SpyMainFrame* frame = Open();
  LoginDialog* panel = frame->GetLoginPanel();
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.login) + "/" + row.password);
    panel->SetLogin(row.login);
    panel->SetPassword(row.password);
    frame->Iconize(true);
    Choose(frame->GetTaskBar(), MyTaskBar::ID_CONNECT);
    EXPECT_TRUE(PumpUntil([&] { return !frame->iconized && frame->IsShown(); }));
    EXPECT_TRUE(panel->IsShownOnScreen());
    EXPECT_TRUE(PumpUntil([&] {
      for (wxWindow* w = wxWindow::FindFocus(); w; w = w->GetParent())
        if (w == panel) return true;
      return false;
    }));
    EXPECT_FALSE(server.Accept(testserver::Millis(500))) << "a log-in went out";
    EXPECT_TRUE(GetManager()->IsDisconnected());
  }

  // Typed in, they are what the next "Connect" sends.
  panel->SetLogin("bob");
  panel->SetPassword("secret");
  Choose(frame->GetTaskBar(), MyTaskBar::ID_CONNECT);
  std::string login;
  EXPECT_TRUE(Accepted(server, &login));
  EXPECT_EQ("bob", login);
}

// What the window titled `title` asks of a window manager once it is mapped: 1 to start iconic,
// 0 to start normal, -1 while no such window is mapped.
int StartsIconic(const wxString& title) {
  Display* d = XOpenDisplay(nullptr);
  Window root = DefaultRootWindow(d), parent = 0, *children = nullptr;
  unsigned count = 0;
  int iconic = -1;
  XQueryTree(d, root, &root, &parent, &children, &count);
  for (unsigned i = 0; i < count && iconic == -1; ++i) {
    char* name = nullptr;
    if (!XFetchName(d, children[i], &name) || !name) continue;
    XWindowAttributes attributes;
    if (title == wxString::FromUTF8(name) && XGetWindowAttributes(d, children[i], &attributes) &&
        attributes.map_state != IsUnmapped)
      if (XWMHints* hints = XGetWMHints(d, children[i])) {
        iconic = ((hints->flags & StateHint) && hints->initial_state == IconicState) ? 1 : 0;
        XFree(hints);
      }
    XFree(name);
  }
  if (children) XFree(children);
  XCloseDisplay(d);
  return iconic;
}

class QuietPrompter : public startup::StartupPrompter {
 public:
  void ShowError(const std::string&) override {}
  bool AskSetAside(const std::string&) override { return true; }
  bool AskRetryBackup(const std::string&) override { return false; }
};

TEST_F(Tray, WithoutATrayStartingHiddenStartsIconised) {
  ASSERT_FALSE(wxTaskBarIcon::IsAvailable());
  setenv("PARLAVOX_DATA", (testsupport::SourceDir() + "/data").c_str(), 1);
  const struct {
    bool visible;
    bool iconic;
  } rows[] = {{false, true}, {true, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.visible);
    const startup::UserDirectory user = startup::MakeUserDirectory(m_home.path().c_str());
    ASSERT_TRUE(user.error.empty());
    Config::SetUserPath(user.path);
    Config* c = Config::GetInstance();
    c->SetVisibleOnStart(row.visible);
    c->SetAutoConnectStatus(false);
    ASSERT_TRUE(c->Save());
    wxLog* savedLog = wxLog::GetActiveTarget();
    wxLocale locale;
    QuietPrompter prompter;
    MainFrame* frame = startup::StartApplication(locale, prompter);
    ASSERT_TRUE(frame);
    // Mapped either way: a window asking to start iconic is still there for the user.
    EXPECT_TRUE(PumpUntil([&] { return StartsIconic(frame->GetTitle()) != -1; }, 8000));
    EXPECT_EQ(row.iconic ? 1 : 0, StartsIconic(frame->GetTitle()));
    frame->Close(true);
    EXPECT_TRUE(PumpUntil(Gone));
    startup::EndApplication();
    wxLog* installed = wxLog::SetActiveTarget(savedLog);
    if (installed != savedLog) delete installed;
  }
}

}  // namespace
