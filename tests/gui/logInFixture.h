// The real main window beside a TLS test server that the data directory's trust store accepts:
// the user logs in by typing in the log-in panel and clicking its button.
#ifndef PARLAVOX_TESTS_GUI_LOGINFIXTURE_H
#define PARLAVOX_TESTS_GUI_LOGINFIXTURE_H

#include <wx/splitter.h>
#include <wx/stattext.h>

#include <unistd.h>

#include "gui/loginDialog.h"
#include "gui/notifyFrame.h"
#include "gui/sites/sitesPanel.h"
#include "model/stringConversion.h"
#include "network/sslManager.h"
#include "tests/gui/mainWindowFixture.h"
#include "tests/testServer/trustedServer.h"

namespace guitest {

using testserver::Fill;
using testserver::NewS2C;
using testserver::TestConnection;
using testserver::TestServer;

class LogInTest : public MainWindowTest {
 public:
  void SetUp() override {
    MainWindowTest::SetUp();
    // The trust store beside the program's own pictures and sounds.
    for (const char* sub : {"img", "sounds", "icons"})
      symlink((testsupport::SourceDir() + "/data/" + sub).c_str(), trusted.dir.file(sub).c_str());
    Config::SetPath(trusted.dir.path());
    Config* c = Config::GetInstance();
    c->SetLogin("");
    c->SetPassword("");
    c->SetHostname("127.0.0.1");
    c->SetPort(trusted.server->Port());
    c->SetSSLEnabled(true);
    c->SetRetryOnFailure(true);
    c->SetFilePort(0);
    c->SetNoActivityTimer(60);
    c->SetDefaultStatus(STATUS_ONLINE);
    LoginDialog::s_now = [] { return time(nullptr); };
    MainFrame::s_retryJitter = [] { return 0L; };
    m_timeout = SSLManager::GetConnectTimeout();
  }
  void TearDown() override {
    MainWindowTest::TearDown();
    SSLManager::SetConnectTimeout(m_timeout);
    MainFrame::s_pointerPosition = [] { return wxGetMousePosition(); };
    // The controller outlives the windows: no attempt of this test goes on into the next one.
    GetManager()->AbortConnection();
    Pump(50);
  }

  LoginDialog* Panel() { return frame->GetLoginPanel(); }
  wxTextCtrl* Field(int index) { return FindChildren<wxTextCtrl>(Panel())[index]; }
  wxButton* Button() { return FindChildren<wxButton>(Panel())[0]; }
  // The status lines: 0 the reason, 1 the time of the next attempt.
  wxString Line(int index) {
    std::vector<wxStaticText*> texts = FindChildren<wxStaticText>(Panel());
    return texts[texts.size() - 2 + index]->GetLabelText();
  }
  bool ShowsSites() {
    auto* splitter = FindChild<wxSplitterWindow>(frame, [](wxSplitterWindow*) { return true; });
    return splitter->GetWindow2() != Panel() && !Panel()->IsShown();
  }
  bool ShowsLogIn() {
    auto* splitter = FindChild<wxSplitterWindow>(frame, [](wxSplitterWindow*) { return true; });
    return splitter->GetWindow2() == Panel() && Panel()->IsShown();
  }
  // The newest notification of the pop-up, as "title|line 1|line 2", or "" when there is none.
  static std::string LastPopUp() {
    NotifyFrame* popup = NotifyFrame::GetInstance();
    if (!popup || popup->GetCount() == 0) return "";
    const NotifyItem* item = popup->GetItem(popup->GetCount() - 1);
    return wx2std(item->title + "|" + item->text + "|" + item->text2);
  }
  static size_t PopUps() { return NotifyFrame::GetInstance() ? NotifyFrame::GetInstance()->GetCount() : 0; }

  // Types the login and the password and clicks "Connect !", as a user does.
  void TypeAndConnect(const std::string& login, const std::string& password) {
    Type(Field(0), login);
    Type(Field(1), password);
    // The attempt may fail before the click's handler returns: it is seen by its first status.
    Panel()->SetStatus("-", 0);
    ClickUntil(Button(), [&] { return Line(0) != "-"; });
  }
  // A whole log-in through the panel; the link once the window shows the session.
  std::shared_ptr<TestConnection> LogIn() {
    TypeAndConnect("Alice", "secret");
    auto link = AcceptLogIn(*trusted.server);
    if (!link) return nullptr;
    return PumpUntil([&] { return ShowsSites(); }, 10000) ? link : nullptr;
  }

  testserver::TrustedServer trusted;
  SpyMainFrame* frame = nullptr;
  int m_timeout = 0;
};

}  // namespace guitest

// The names the log-in tests use unqualified (`using namespace logintest;`).
namespace logintest {
using guitest::ClickUntil;
using guitest::Pump;
using guitest::PumpUntil;
using guitest::Type;
using testserver::Fill;
using testserver::Millis;
using testserver::NewS2C;
using testserver::TestConnection;
using testserver::TestServer;
}  // namespace logintest

#endif
