// A real main window over a fresh home for the user "alice", driven by real clicks and keys.
// Every message box is answered by a hook that keeps what it said.
#ifndef PARLAVOX_TESTS_GUI_MAINWINDOWFIXTURE_H
#define PARLAVOX_TESTS_GUI_MAINWINDOWFIXTURE_H

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "asn1/octetString.h"
#include "core/application.h"
#include "gui/mainFrame.h"
#include "model/config.h"
#include "model/configFile.h"
#include "model/version.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/support/testSupport.h"
#include "tests/testServer/trustedServer.h"

namespace guitest {

// A real click in the middle of `w`, then events until `done` holds.
inline void ClickUntil(wxWindow* w, const std::function<bool()>& done) {
  wxUIActionSimulator sim;
  sim.MouseMove(w->GetScreenRect().GetPosition() + w->GetSize() / 2);
  sim.MouseClick();
  EXPECT_TRUE(PumpUntil(done)) << "a click had no effect";
}

// Replaces a field's text as a user does; its window comes forward first, since a docked
// window hands the keyboard back to the main window when shown.
inline void Type(wxTextCtrl* field, const std::string& text) {
  wxGetTopLevelParent(field)->Raise();
  ClickUntil(field, [&] { return field->HasFocus(); });
  wxUIActionSimulator sim;
  sim.Char('a', wxMOD_CONTROL);
  if (text.empty()) sim.Char(WXK_DELETE);
  else sim.Text(text.c_str());
  EXPECT_TRUE(PumpUntil([&] { return field->GetValue() == wxString::FromUTF8(text); })) << text;
}

// Once a menu is on screen (`opened` holds), picks its `downs`-th selectable entry with the
// keyboard, as a user does: Down that many times, then Return. The menu's own loop runs the
// timer; Escape closes a menu that was still there long after.
class MenuPicker : public wxTimer {
 public:
  MenuPicker(std::function<bool()> opened, int downs) : m_opened(std::move(opened)), m_downs(downs) { Start(40); }
  bool picked() const { return m_sent > m_downs; }

 private:
  void Notify() override {
    // Sending a key runs the event loop, which may tick again before the key is out.
    if (m_busy) return;
    m_busy = true;
    if (!m_opened()) {
      if (++m_waited == 250) wxUIActionSimulator().Char(WXK_ESCAPE);
    } else if (++m_ticks >= 5) {
      if (m_sent < m_downs) wxUIActionSimulator().Char(WXK_DOWN);
      else if (m_sent == m_downs) wxUIActionSimulator().Char(WXK_RETURN);
      else Stop();
      ++m_sent;
    }
    m_busy = false;
  }
  std::function<bool()> m_opened;
  int m_downs;
  int m_sent = 0, m_ticks = 0, m_waited = 0;
  bool m_busy = false;
};

inline wxButton* ButtonLabelled(wxWindow* parent, const wxString& label) {
  return FindChild<wxButton>(parent, [&](wxButton* b) { return b->GetLabel() == label; });
}

// Answers every message box (OK; `answer` to a yes/no question) and keeps "title: message".
class Boxes : public wxModalDialogHook {
 public:
  Boxes() { Register(); }
  std::vector<wxString> seen;
  // wxID_NONE: a yes/no question is shown on the display, for the test to answer there.
  int answer = wxID_YES;

 protected:
  int Enter(wxDialog* dialog) override {
    auto* box = dynamic_cast<wxMessageDialog*>(dialog);
    if (!box) return wxID_NONE;
    seen.push_back(box->GetTitle() + ": " + box->GetMessage());
    return (box->GetMessageDialogStyle() & wxYES_NO) ? answer : wxID_OK;
  }
  void Exit(wxDialog*) override {}
};

// The real main window, with the panels' requests and the iconising recorded.
class SpyMainFrame : public MainFrame {
 public:
  explicit SpyMainFrame(const wxString& title) : MainFrame(GetManager(), title, wxPoint(700, 100), wxSize(370, 600)) {}
  void Iconize(bool iconize = true) override {
    iconized = iconize;
    MainFrame::Iconize(iconize);
  }
  void CreateVirtualChatRoom(const std::string& login) override { requests.push_back("private " + login); }
  void SubscribeChatRoom(const std::string& room) override { requests.push_back("subscribe " + room); }
  bool iconized = false;
  std::vector<std::string> requests;
};

class MainWindowTest : public ::testing::Test {
 public:
  void SetUp() override {
    m_savedHome = getenv("HOME");
    setenv("HOME", m_home.path().c_str(), 1);
    Config::SetPath(testsupport::SourceDir() + "/data/");
    Config::SetUserPath(m_home.path());
    Config* c = Config::GetInstance();
    c->SetLogin("alice");
    c->SetRememberClose(false);
    c->SetAlwaysTopStatus(false);
    SetConfigSaveFailureHook([this](const std::string& step) {
      if (step == "rename") ++saves;
      return failSaves && step == "write";
    });
  }
  void TearDown() override {
    if (MainFrame* frame = MainFrame::GetInstance()) frame->Close(true);
    PumpUntil(Gone);
    SetConfigSaveFailureHook(nullptr);
    setenv("HOME", m_savedHome.c_str(), 1);
  }
  // A main window on screen, titled so that the X server can find it.
  SpyMainFrame* Open() {
    auto* frame = new SpyMainFrame(wxString::Format("Parlavox %d", ++m_windows));
    frame->Show();
    EXPECT_TRUE(PumpUntil([&] { return frame->IsShownOnScreen(); }));
    return frame;
  }
  static bool Gone() { return MainFrame::GetInstance() == nullptr; }

  // A TLS test server that the program trusts, set as the server to log in to: the data
  // directory becomes one holding its trust store beside the program's own data files.
  testserver::TestServer& UseTestServer() {
    m_trusted.reset(new testserver::TrustedServer);
    const std::string data = testsupport::SourceDir() + "/data/";
    if (DIR* dir = opendir(data.c_str())) {
      while (dirent* entry = readdir(dir))
        if (entry->d_name[0] != '.') {
          EXPECT_EQ(0, symlink((data + entry->d_name).c_str(), m_trusted->dir.file(entry->d_name).c_str())); }
      closedir(dir);
    }
    Config::SetPath(m_trusted->dir.path());
    Config* c = Config::GetInstance();
    c->SetHostname(PARLAVOX_SERVER_HOST);
    c->SetPort(m_trusted->server->Port());
    c->SetSSLEnabled(true);
    c->SetPassword("secret");
    c->SetFilePort(0);
    return *m_trusted->server;
  }
  // Pumps events until the server's link has a request of `kind` (skipping others); null after
  // the time-out.
  static testserver::C2SPtr AwaitRequest(testserver::TestConnection& link, C2S_Request_PR kind) {
    testserver::C2SPtr found;
    PumpUntil([&] {
      while (auto got = link.Next(std::chrono::milliseconds(1)))
        if (got->request->present == kind) {
          found = std::move(got->request);
          return true;
        }
      return false;
    }, 8000);
    return found;
  }
  // The server's side of a log-in: the link with the connect request, whose login it returns;
  // null after the time-out.
  static std::shared_ptr<testserver::TestConnection> Accepted(testserver::TestServer& server,
                                                              std::string* login = nullptr) {
    std::shared_ptr<testserver::TestConnection> link;
    EXPECT_TRUE(PumpUntil([&] { return bool(link = server.Accept(testserver::Millis(5))); }, 10000));
    if (!link) return nullptr;
    testserver::C2SPtr request;
    EXPECT_TRUE(PumpUntil([&] { return bool(request = link->Expect(C2S_Request_PR_connect, testserver::Millis(5))); },
                          10000));
    if (!request) return nullptr;
    if (login) *login = asn1::ToString(request->choice.connect.login);
    return link;
  }
  static void Acknowledge(testserver::TestConnection& link) {
    auto ack = testserver::NewS2C(S2C_Request_PR_connect_ack);
    testserver::Fill(&ack->choice.connect_ack.authkey, "K1");
    testserver::Fill(&ack->choice.connect_ack.version, kProgramVersion);  // no newer version to offer
    link.Send(*ack);
  }
  // The window's log-in accepted by the server: the link once the controller says connected.
  static std::shared_ptr<testserver::TestConnection> AcceptLogIn(testserver::TestServer& server) {
    auto link = Accepted(server);
    if (!link) return nullptr;
    Acknowledge(*link);
    return PumpUntil([] { return GetManager()->IsConnected(); }, 10000) ? link : nullptr;
  }

  testsupport::TempDir m_home;
  std::string m_savedHome;
  std::unique_ptr<testserver::TrustedServer> m_trusted;
  Boxes boxes;
  int saves = 0;
  bool failSaves = false;
  int m_windows = 0;
};

}  // namespace guitest

#endif
