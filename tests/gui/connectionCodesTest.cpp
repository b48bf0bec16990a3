// What the main window does with each connection code the controller posts, the delays of the
// retries and their limits, and the about box.
#include <gtest/gtest.h>

#include <ctime>

#include "core/guiEvents.h"
#include "gui/aboutFrame.h"
#include "gui/webBrowser.h"
#include "tests/gui/logInFixture.h"

namespace {

using namespace logintest;

class ConnectionCodes : public guitest::LogInTest {
 public:
  void Post(int code) {
    ManagerEvent event(wxEVT_CONNECTION_ACK, Manager::GetEventId());
    event.SetInt(code);
    GetManager()->AddPendingEvent(event);
    Pump(30);
  }
};

TEST_F(ConnectionCodes, EachCodeShownAsTheUserShouldSeeIt) {
  frame = Open();
  const struct {
    int code;
    const char* line;  // first status line afterwards
    bool retry;
    const char* label;
    bool sites;        // the sites panel in the bottom pane
    const char* box;
    const char* popUp;
  } rows[] = {
      {GUI_CONNECTION__INVALID_LOGIN, "Invalid login !", false, "Connect !", false,
       "Unable to connect...: Invalid login/password", nullptr},
      {GUI_CONNECTION__SERVER_FAILED, "Unable to contact the main server", true, "Connect !", false, nullptr,
       "Error|Unable to contact|the main server"},
      // Only the first failure in a row is announced; too many users is announced every time.
      {GUI_SOCKET_ERROR, "Connection ended: network failure", true, "Connect !", false, nullptr, nullptr},
      {GUI_CONNECTION__SERVER_FAILED, "Unable to contact the main server", true, "Connect !", false, nullptr, nullptr},
      {GUI_CONNECTION__TOO_MANY_USERS, "Too many Parlavoxers connected", true, "Connect !", false, nullptr,
       "Error|Too many Parlavoxers connected|"},
      {GUI_CONNECTION__TOO_MANY_USERS, "Too many Parlavoxers connected", true, "Connect !", false, nullptr,
       "Error|Too many Parlavoxers connected|"},
      // A session resets the count: the next failure is announced again.
      {GUI_CONNECTION__OK, "Too many Parlavoxers connected", false, "Connect !", true, nullptr, "Notification|Connection successful|"},
      {GUI_SOCKET_ERROR, "Connection ended: network failure", true, "Connect !", false, nullptr,
       "Error|Connection ended: network failure|"},
      {GUI_CONNECTION__OK, "Connection ended: network failure", false, "Connect !", true, nullptr, "Notification|Connection successful|"},
      {GUI_NOTASKED_DISCONNECT, "Connection ended by the server", false, "Connect !", false, nullptr,
       "Notification|Connection ended by the server|"},
      {GUI_CONNECTION__OK, "Connection ended by the server", false, "Connect !", true, nullptr, "Notification|Connection successful|"},
      {GUI_DISCONNECT, "", false, "Connect !", false, nullptr, nullptr},
      {GUI_CONNECTION__OK, "", false, "Connect !", true, nullptr, "Notification|Connection successful|"},
      // A version the server no longer takes: no retry, nothing to fetch for an unknown version.
      {GUI_CONNECTION__INVALID_VERSION, "Your version is too old, please upgrade!", false, "Connect !", false,
       "Download error: Unable to download the last version. Get the installer directly on:\n" PARLAVOX_WEBSITE
       "download",
       nullptr},
      {4242, "Your version is too old, please upgrade!", false, "Connect !", false, nullptr, nullptr},
  };
  Config::GetInstance()->SetLastVersion("unknown");
  for (const auto& r : rows) {
    SCOPED_TRACE(r.code);
    boxes.seen.clear();
    const size_t popUps = PopUps();
    frame->SetConnected(false);
    Post(r.code);
    EXPECT_EQ(r.line, Line(0));
    // The log-in panel is hidden during a session and left as it was.
    if (!r.sites) { EXPECT_EQ(r.retry, Line(1).StartsWith("Will try again at ")) << Line(1); }
    EXPECT_EQ(r.retry, frame->GetConnectTimer().IsRunning());
    EXPECT_EQ(r.label, Button()->GetLabel());
    EXPECT_EQ(r.sites, ShowsSites());
    EXPECT_EQ(!r.sites, ShowsLogIn());
    EXPECT_EQ(r.code == GUI_CONNECTION__OK, frame->GetIdleTimer().IsRunning());
    EXPECT_EQ(r.box ? std::vector<wxString>{r.box} : std::vector<wxString>{}, boxes.seen);
    EXPECT_EQ(popUps + (r.popUp ? 1 : 0), PopUps());
    if (r.popUp) { EXPECT_EQ(r.popUp, LastPopUp()); }
  }

  // Progress of an attempt: the panel turns to its abort mode, unless the attempt is gone.
  TestServer::Options quiet;
  quiet.mode = TestServer::Mode::kSilent;
  TestServer silent(quiet);
  GetManager()->Connect("alice", "pw", false, "127.0.0.1", silent.Port(), true, false);
  Post(GUI_CONNECTED_TO_SERVER);
  EXPECT_EQ("Connected to Parlavox server... Sending login/password...", Line(0));
  EXPECT_EQ("Abort", Button()->GetLabel());
  ClickUntil(Button(), [&] { return Button()->GetLabel() == "Connect !"; });
  Post(GUI_CONNECTED_TO_SERVER);
  EXPECT_EQ("Connection aborted", Line(0));
  EXPECT_EQ("Connect !", Button()->GetLabel());
}

TEST_F(ConnectionCodes, RetryDelaysGrowAndStopWhereTheSettingsSay) {
  frame = Open();
  // The retry count as each failure leaves it, and the delay planned, at both ends of the
  // random part.
  const struct {
    int count;
    int base;
  } steps[] = {{1, 5000}, {4, 5000}, {5, 30000}, {13, 30000}, {14, 180000}, {20, 180000}};
  for (long jitter : {0L, 4999L, 12345L}) {
    SCOPED_TRACE(jitter);
    MainFrame::s_retryJitter = [jitter] { return jitter; };
    Post(GUI_CONNECTION__OK);
    int count = 0;
    for (const auto& step : steps) {
      while (count < step.count) {
        Post(GUI_CONNECTION__SERVER_FAILED);
        ++count;
      }
      EXPECT_EQ(step.count, frame->GetRetryCount());
      EXPECT_EQ(step.base + jitter % 5000, frame->GetConnectTimer().GetInterval()) << step.count;
      EXPECT_TRUE(frame->GetConnectTimer().IsOneShot());
    }
  }
  // The time of the next attempt is the delay's whole seconds from now.
  LoginDialog::s_now = [] { return time_t(1700000000); };
  MainFrame::s_retryJitter = [] { return 999L; };
  Post(GUI_CONNECTION__OK);
  Post(GUI_SOCKET_ERROR);
  const time_t at = 1700000005;
  char expected[20];
  strftime(expected, sizeof expected, "%H:%M:%S", localtime(&at));
  EXPECT_EQ(wxString("Will try again at ") + expected, Line(1));

  // Retrying off: the reason alone, no timer, the count left as it is.
  Config::GetInstance()->SetRetryOnFailure(false);
  const int count = frame->GetRetryCount();
  for (int code : {GUI_CONNECTION__SERVER_FAILED, GUI_SOCKET_ERROR, GUI_CONNECTION__TOO_MANY_USERS}) {
    Post(code);
    EXPECT_EQ("", Line(1));
    EXPECT_FALSE(frame->GetConnectTimer().IsRunning());
  }
  EXPECT_EQ(count, frame->GetRetryCount());
  // The connect timer without a known login and password starts nothing.
  wxTimerEvent tick(const_cast<wxTimer&>(frame->GetConnectTimer()));
  frame->GetEventHandler()->ProcessEvent(tick);
  EXPECT_TRUE(GetManager()->IsDisconnected());
  EXPECT_EQ("Connect !", Button()->GetLabel());
}

// The panel's values as the constructor takes them and the getters give them back.
TEST_F(ConnectionCodes, PanelValuesAndStatusLines) {
  frame = Open();
  wxPanel* parent = new wxPanel(frame);
  auto* hidden = new LoginDialog(parent, frame, "Alice", "stored", false, "server.example", 443, true);
  auto* shown = new LoginDialog(parent, frame, "\xc3\x89LAN Bob", "stored", true, "::1", 5222, false);
  auto field = [](LoginDialog* panel, int i) { return guitest::FindChildren<wxTextCtrl>(panel)[i]->GetValue(); };
  EXPECT_EQ("", field(hidden, 1));
  EXPECT_EQ("stored", field(shown, 1));
  EXPECT_EQ("stored", hidden->GetPassword());
  EXPECT_EQ("server.example", hidden->GetHostname());
  EXPECT_EQ(443, hidden->GetPort());
  EXPECT_TRUE(hidden->GetSSLEnabled());
  EXPECT_FALSE(hidden->GetSavePassword());
  // Only ASCII letters are lowered; the field keeps the case typed.
  EXPECT_EQ("alice", hidden->GetLogin());
  EXPECT_EQ("\xc3\x89lan bob", shown->GetLogin());
  EXPECT_EQ(wxString::FromUTF8("\xc3\x89LAN Bob"), field(shown, 0));
  // A host name holding ':' leaves no port to read.
  EXPECT_EQ("", shown->GetHostname());
  EXPECT_EQ(0, shown->GetPort());
  EXPECT_TRUE(shown->GetSavePassword());

  LoginDialog::s_now = [] { return time_t(1700000000); };
  const time_t at = 1700000005;
  char expected[20];
  strftime(expected, sizeof expected, "%H:%M:%S", localtime(&at));
  auto line = [&](int i) {
    std::vector<wxStaticText*> texts = guitest::FindChildren<wxStaticText>(hidden);
    return texts[texts.size() - 2 + i]->GetLabelText();
  };
  hidden->SetStatus("A & B", 5999);
  EXPECT_EQ("A & B", line(0));
  EXPECT_EQ(wxString("Will try again at ") + expected, line(1));
  hidden->SetStatus("again", 0);
  EXPECT_EQ("", line(1));
  parent->Destroy();
}

TEST_F(ConnectionCodes, AboutBoxAndItsLink) {
  std::vector<std::string> opened;
  browser::SetRecorder([&](const std::string& url) { opened.push_back(url); });
  frame = Open();
  wxCommandEvent none;
  frame->OnAbout(none);
  AboutFrame* about = nullptr;
  for (wxWindow* child : frame->GetChildren())
    if ((about = dynamic_cast<AboutFrame*>(child))) break;
  ASSERT_TRUE(about);
  ASSERT_TRUE(PumpUntil([&] { return about->IsShownOnScreen(); }));
  auto text = [&](const wxString& label) {
    return guitest::FindChild<wxStaticText>(about, [&](wxStaticText* t) { return t->GetLabel() == label; });
  };
  EXPECT_TRUE(text("About Parlavox"));
  EXPECT_TRUE(text("Parlavox Instant Messenger v. 0.9.8b"));
  EXPECT_TRUE(text("a service provided by Tavelor"));
  wxStaticText* prompt = text("Please visit our web site:");
  wxStaticText* link = text(PARLAVOX_WEBSITE);
  ASSERT_TRUE(prompt && link);
  about->Raise();
  EXPECT_TRUE(guitest::ClickOn(prompt));
  Pump(200);
  EXPECT_TRUE(opened.empty());
  ClickUntil(link, [&] { return !opened.empty(); });
  EXPECT_EQ(std::vector<std::string>{PARLAVOX_WEBSITE}, opened);
  browser::SetRecorder(nullptr);
}

}  // namespace
