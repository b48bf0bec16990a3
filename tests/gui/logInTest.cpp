// Logging in from the real main window, typed and clicked as a user does, against a TLS test
// server: the session shown, every way an attempt fails with its message and its retry or none,
// an abort at each step of an attempt, and the window usable after each.
#include <gtest/gtest.h>

#include "core/guiEvents.h"
#include "tests/gui/logInFixture.h"
#include "tests/gui/textFit.h"
#include "tests/program/screen.h"
#include "tests/testServer/cuttableRelay.h"

namespace {

using namespace logintest;

class LogInFromThePanel : public guitest::LogInTest {};
// Beside the panel's own suite, which runs apart with the longest ones.
class LinkGoneSilent : public guitest::LogInTest {};

void PressEnter(wxTextCtrl* field) {
  wxGetTopLevelParent(field)->Raise();
  ClickUntil(field, [&] { return field->HasFocus(); });
  wxUIActionSimulator sim;
  sim.Char(WXK_RETURN);
  Pump(100);
}

TEST_F(LogInFromThePanel, TypedLogInReachesTheServerAndTheWindowShowsTheSession) {
  frame = Open();
  EXPECT_TRUE(ShowsLogIn());
  EXPECT_EQ("Connect !", Button()->GetLabel());
  TypeAndConnect("Alice", "secret");
  EXPECT_FALSE(Field(0)->IsEnabled());
  std::string login;
  auto link = Accepted(*trusted.server, &login);
  ASSERT_TRUE(link);
  // The login goes to the server in lower case; the field keeps what was typed.
  EXPECT_EQ("alice", login);
  EXPECT_EQ("Alice", Field(0)->GetValue());
  ASSERT_TRUE(PumpUntil([&] { return Line(0).StartsWith("Connected to Parlavox server"); }, 10000)) << Line(0);
  Acknowledge(*link);
  ASSERT_TRUE(PumpUntil([&] { return ShowsSites(); }, 10000));
  EXPECT_TRUE(GetManager()->IsConnected());
  // One slow timer looks at the pointer while the session lasts; no retry waits.
  EXPECT_TRUE(frame->GetIdleTimer().IsRunning());
  EXPECT_EQ(5000, frame->GetIdleTimer().GetInterval());
  EXPECT_FALSE(frame->GetIdleTimer().IsOneShot());
  EXPECT_FALSE(frame->GetConnectTimer().IsRunning());

  // The user disconnects: the server is told, the log-in panel comes back, the timer stops.
  frame->OnSwitchConnection(false);
  EXPECT_TRUE(ShowsLogIn());
  EXPECT_EQ("Connect !", Button()->GetLabel());
  EXPECT_TRUE(Field(0)->IsEnabled());
  EXPECT_EQ("", Line(0));
  EXPECT_FALSE(frame->GetIdleTimer().IsRunning());
  bool told = false;
  PumpUntil([&] {
    auto got = link->Next(Millis(5));
    told = told || (got && got->request->present == C2S_Request_PR_disconnect);
    return told;
  }, 10000);
  EXPECT_TRUE(told);
}

// A session whose way to the server goes silent (every packet lost, as when a laptop wakes on
// another network) is seen lost within the watch's time, shown as a network failure, and logged
// in again by the planned retry once the way is open.
TEST_F(LinkGoneSilent, IsSeenLostShownAndLoggedInAgain) {
  testserver::ShortLinkWatch watch;
  testserver::CuttableRelay relay(trusted.server->Port());
  frame = Open();
  Panel()->SetHostname("127.0.0.1:" + std::to_string(relay.Port()));
  auto session = LogIn();
  ASSERT_TRUE(session);
  const size_t popUps = PopUps();
  std::string why;
  if (!relay.Cut(&why)) {
    GTEST_SKIP() << why;
  }
  // Far longer than the watch takes: without it, the session would stay for good.
  EXPECT_TRUE(PumpUntil([&] { return Line(0) == "Connection ended: network failure"; }, 30000)) << Line(0);
  EXPECT_TRUE(ShowsLogIn());
  EXPECT_FALSE(GetManager()->IsConnected());
  EXPECT_EQ(popUps + 1, PopUps());
  EXPECT_EQ("Error|Connection ended: network failure|", LastPopUp());
  EXPECT_TRUE(frame->GetConnectTimer().IsRunning());
  relay.Open();
  ASSERT_TRUE(AcceptLogIn(*trusted.server));
  EXPECT_TRUE(PumpUntil([&] { return ShowsSites(); }, 10000));
  EXPECT_EQ(2, relay.Relayed());
}

// Each failure, one after the other in the same window: the message, the retry or none, and
// a window that still logs in afterwards.
TEST_F(LogInFromThePanel, EveryFailureShowsItsMessageAndRetriesOnlyWhereItShould) {
  TestServer::Options wrongName;
  wrongName.identity = trusted.ca.Issue("wrong.example");
  TestServer impostor(wrongName);
  TestServer::Options quiet;
  quiet.mode = TestServer::Mode::kSilent;
  TestServer silent(quiet);
  const std::string home = "127.0.0.1:" + std::to_string(trusted.server->Port());
  // Only the failures announce themselves here.
  Config::GetInstance()->GetContactInfo()->SetNotification("login-visual", NOTIFICATION_OFF);
  frame = Open();

  auto goAway = [this](long status) {
    TypeAndConnect("alice", "secret");
    auto link = Accepted(*trusted.server);
    ASSERT_TRUE(link);
    auto bye = NewS2C(S2C_Request_PR_goaway);
    bye->choice.goaway.status = status;
    link->Send(*bye);
  };
  auto elsewhere = [this](const TestServer& server) {
    Panel()->SetHostname("127.0.0.1:" + std::to_string(server.Port()));
    TypeAndConnect("alice", "secret");
  };
  std::shared_ptr<TestConnection> session;
  const struct Row {
    const char* name;
    std::function<void()> provoke;
    const char* line;      // the panel's first status line
    bool retry;            // a next attempt is planned and its time shown
    const char* box;       // the message box, if any
    const char* popUp;     // the new notification, if any
  } rows[] = {
      {"wrong password", [&] { goAway(0); }, "Invalid login !", false,
       "Unable to connect...: Invalid login/password", nullptr},
      {"refused certificate", [&] { elsewhere(impostor); }, "Unable to contact the main server", true, nullptr,
       "Error|Unable to contact|the main server"},
      // The second failure in a row is retried in silence.
      {"server that never answers",
       [&] {
         SSLManager::SetConnectTimeout(1500);
         elsewhere(silent);
       },
       "Unable to contact the main server", true, nullptr, nullptr},
      {"too many users", [&] { Panel()->SetHostname(home); goAway(2); }, "Too many Parlavoxers connected", true,
       nullptr, "Error|Too many Parlavoxers connected|"},
      {"server goes away during the session",
       [&] {
         session = LogIn();
         ASSERT_TRUE(session);
         EXPECT_EQ(0, frame->GetRetryCount());
         session->Close(false);
       },
       "Connection ended: network failure", true, nullptr, "Error|Connection ended: network failure|"},
      {"server ends the session",
       [&] {
         session = LogIn();
         ASSERT_TRUE(session);
         auto bye = NewS2C(S2C_Request_PR_disconnect);
         Fill(&bye->choice.disconnect.authkey, "K1");
         session->Send(*bye);
       },
       "Connection ended by the server", false, nullptr, "Notification|Connection ended by the server|"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    boxes.seen.clear();
    const size_t popUps = PopUps();
    r.provoke();
    ASSERT_TRUE(PumpUntil([&] { return Line(0) == r.line; }, 15000)) << Line(0);
    // The rest of the window follows the status line within the same turns of the event loop.
    PumpUntil([&] {
      return ShowsLogIn() && Button()->GetLabel() == "Connect !" && Field(0)->IsEnabled() && Field(1)->IsEnabled() &&
             GetManager()->IsDisconnected() && r.retry == frame->GetConnectTimer().IsRunning() &&
             boxes.seen.size() == (r.box ? 1u : 0u) && PopUps() == popUps + (r.popUp ? 1 : 0);
    });
    Pump(100);
    EXPECT_TRUE(ShowsLogIn());
    EXPECT_EQ("Connect !", Button()->GetLabel());
    EXPECT_TRUE(Field(0)->IsEnabled() && Field(1)->IsEnabled());
    EXPECT_TRUE(GetManager()->IsDisconnected());
    EXPECT_FALSE(frame->GetIdleTimer().IsRunning());
    EXPECT_EQ(r.retry, frame->GetConnectTimer().IsRunning());
    EXPECT_EQ(r.retry, Line(1).StartsWith("Will try again at ")) << Line(1);
    if (r.retry) { EXPECT_EQ(5000, frame->GetConnectTimer().GetInterval()); }
    EXPECT_EQ(r.box ? std::vector<wxString>{r.box} : std::vector<wxString>{}, boxes.seen);
    EXPECT_EQ(popUps + (r.popUp ? 1 : 0), PopUps());
    if (r.popUp) { EXPECT_EQ(r.popUp, LastPopUp()); }
    SSLManager::SetConnectTimeout(m_timeout);
    Panel()->SetHostname(home);
  }
  // Still usable: the next log-in opens a session, and the retry planned is dropped.
  ASSERT_TRUE(LogIn());
  EXPECT_FALSE(frame->GetConnectTimer().IsRunning());
  EXPECT_EQ(0, frame->GetRetryCount());
}

// An abort while the server is being reached, one while the log-in is on its way, one made by
// pressing Enter in the password field: nothing is left running and a later log-in works.
TEST_F(LogInFromThePanel, AbortAtEachStepThenALaterLogInWorks) {
  TestServer::Options quiet;
  quiet.mode = TestServer::Mode::kSilent;
  TestServer silent(quiet);
  const std::string home = "127.0.0.1:" + std::to_string(trusted.server->Port());
  frame = Open();

  // While the server is being reached (it accepts and says nothing).
  Panel()->SetHostname("127.0.0.1:" + std::to_string(silent.Port()));
  TypeAndConnect("alice", "secret");
  ASSERT_TRUE(PumpUntil([&] { return silent.AcceptedCount() == 1; }, 10000));
  ClickUntil(Button(), [&] { return Button()->GetLabel() == "Connect !"; });
  EXPECT_EQ("Connection aborted", Line(0));
  EXPECT_EQ("", Line(1));
  EXPECT_TRUE(GetManager()->IsDisconnected());
  EXPECT_TRUE(Field(1)->IsEnabled());

  // Once the server has the log-in request, started with Enter in the password field.
  Panel()->SetHostname(home);
  Type(Field(1), "secret");
  PressEnter(Field(1));
  EXPECT_EQ("Abort", Button()->GetLabel());
  auto link = Accepted(*trusted.server);
  ASSERT_TRUE(link);
  ASSERT_TRUE(PumpUntil([&] { return Line(0).StartsWith("Connected to Parlavox server"); }, 10000)) << Line(0);
  ClickUntil(Button(), [&] { return Button()->GetLabel() == "Connect !"; });
  EXPECT_EQ("Connection aborted", Line(0));
  EXPECT_TRUE(link->WaitClosed(Millis(10000)));
  // The server's answer to the abandoned attempt changes nothing.
  Acknowledge(*link);
  Pump(300);
  EXPECT_TRUE(ShowsLogIn());
  EXPECT_FALSE(GetManager()->IsConnected());

  // A failure plans a retry; a log-in by hand drops it, and its abort leaves none.
  Panel()->SetHostname("127.0.0.1:1");
  TypeAndConnect("alice", "secret");
  ASSERT_TRUE(PumpUntil([&] { return frame->GetConnectTimer().IsRunning(); }, 15000));
  Panel()->SetHostname(home);
  TypeAndConnect("alice", "secret");
  EXPECT_FALSE(frame->GetConnectTimer().IsRunning());
  ClickUntil(Button(), [&] { return Button()->GetLabel() == "Connect !"; });
  EXPECT_FALSE(frame->GetConnectTimer().IsRunning());
  // The server may have taken that attempt's link before the abort: it is closed and left.
  if (auto stale = trusted.server->Accept(Millis(2000))) { EXPECT_TRUE(stale->WaitClosed(Millis(10000))); }

  EXPECT_TRUE(LogIn());
  EXPECT_TRUE(boxes.seen.empty());
}

// The log-in panel's own rules, on the real window's panel and typed by hand.
TEST_F(LogInFromThePanel, PanelFieldsButtonAndEnter) {
  Config::GetInstance()->SetPort(1);  // nothing listens there: an attempt fails at once
  frame = Open();
  // An empty login disables the button, though the password is filled; one character typed in
  // the password enables it again, though the login is empty.
  Type(Field(1), "pw");
  Type(Field(0), "a");
  Type(Field(0), "");
  EXPECT_FALSE(Button()->IsEnabled());
  Type(Field(1), "x");
  EXPECT_TRUE(Button()->IsEnabled());
  // The button still refuses an empty field.
  EXPECT_TRUE(guitest::ClickOn(Button()));
  Pump(200);
  EXPECT_EQ("Connect !", Button()->GetLabel());
  EXPECT_EQ("", Line(0));
  // With both filled, Enter in the login field does nothing; in the password field it acts like
  // the button.
  Type(Field(0), "Bob");
  PressEnter(Field(0));
  Pump(200);
  EXPECT_EQ("", Line(0));
  EXPECT_TRUE(GetManager()->IsDisconnected());
  PressEnter(Field(1));
  EXPECT_TRUE(PumpUntil([&] { return Line(0) == "Unable to contact the main server"; }, 15000)) << Line(0);
  EXPECT_EQ("bob", Panel()->GetLogin());
  EXPECT_EQ("x", Panel()->GetPassword());
  // In abort mode the button aborts, even with both fields empty.
  Type(Field(0), "");
  Type(Field(1), "");
  Panel()->EnableConnect(false);
  EXPECT_TRUE(Button()->IsEnabled());
  ClickUntil(Button(), [&] { return Line(0) == "Connection aborted"; });
  EXPECT_FALSE(frame->GetConnectTimer().IsRunning());
}

// The links and the status lines at the main window's usual width and at 200 pixels, with short
// and long statuses: each inside the panel on a line of its own, as high as its font's line, and
// whole or cut with an ellipsis. Run again with every font twice as large.
TEST_F(LogInFromThePanel, LinksAndStatusLinesShowWholeOrCut) {
  frame = Open();
  const bool large = textfit::LargeFont(Panel());
  std::vector<wxStaticText*> texts = guitest::FindChildren<wxStaticText>(Panel());
  ASSERT_EQ(6u, texts.size());
  texts.erase(texts.begin(), texts.begin() + 2);  // "Login:" and "Password:" beside their fields
  const std::vector<wxWindow*> shown(texts.begin(), texts.end());
  const struct {
    int width;
    const char* status;
    int retryMs;
  } rows[] = {{370, "", 0}, {370, "Parlavox Instant Messenger is connecting... Contacting server...", 0},
              {370, "Connection ended: network failure", 5000}, {200, "Invalid login !", 0},
              {200, "Unable to contact the main server", 5000}};
  auto* splitter = guitest::FindChild<wxSplitterWindow>(frame, [](wxSplitterWindow*) { return true; });
  // What the splitter's borders take of its width.
  const int borders = splitter->GetSize().x - Panel()->GetSize().x;
  for (const auto& r : rows) {
    SCOPED_TRACE(std::to_string(r.width) + " " + r.status);
    frame->SetSize(wxSize(r.width, 600));
    ASSERT_TRUE(PumpUntil([&] {
      return frame->GetSize().x == r.width && splitter->GetSize().x == frame->GetClientSize().x &&
             Panel()->GetSize().x == splitter->GetSize().x - borders;
    })) << "the panel is " << Panel()->GetSize().x << " wide";
    Panel()->SetStatus(r.status, r.retryMs);
    EXPECT_EQ(r.status, Line(0));
    PumpUntil([&] { return textfit::Faults(Panel(), shown).empty(); });
    EXPECT_EQ("", textfit::Faults(Panel(), shown));
    for (wxWindow* link : {shown[0], shown[1]}) {
      if (r.width == 200) {
        EXPECT_TRUE(PumpUntil([&] { return textfit::Cut(link); })) << "a link is cut without an ellipsis";
      } else if (!large) {
        EXPECT_FALSE(textfit::Cut(link));
      }
    }
  }
}

// Quitting when the settings cannot be written asks whether to quit all the same; the user who
// answers No on the question itself keeps a window that says the session is over, as after
// logging out: the log-in panel with the button to connect, and nothing left of the session's
// status lines.
TEST_F(LogInFromThePanel, AQuitDeclinedLeavesThePanelAsALogOutDoes) {
  frame = Open();
  const struct {
    const char* name;
    bool quit;
  } rows[] = {{"log-out", false}, {"quit declined", true}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    ASSERT_TRUE(LogIn());
    // The hidden panel still holds the last step of the log-in.
    EXPECT_TRUE(Line(0).StartsWith("Connected to Parlavox server")) << Line(0);
    if (r.quit) {
      failSaves = true;
      boxes.answer = wxID_NONE;
      boxes.seen.clear();
      // No, pressed on the question once it is on the display and has the keyboard.
      programtest::Screen screen;
      bool answered = false;
      wxTimer no;
      no.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        const unsigned long question = guitest::ShownWindowTitled("Save error");
        if (!answered && question && screen.Focus(question)) answered = screen.Press("n", "Alt_L");
      });
      no.Start(50);
      wxCommandEvent quit;
      frame->OnQuit(quit);
      no.Stop();
      failSaves = false;
      EXPECT_TRUE(answered);
      EXPECT_EQ(1u, boxes.seen.size());
      ASSERT_FALSE(Gone());
    } else {
      frame->OnSwitchConnection(false);
    }
    EXPECT_TRUE(GetManager()->IsDisconnected());
    EXPECT_TRUE(ShowsLogIn());
    EXPECT_EQ("Connect !", Button()->GetLabel());
    EXPECT_TRUE(Field(0)->IsEnabled() && Field(1)->IsEnabled());
    EXPECT_EQ("", Line(0));
    EXPECT_EQ("", Line(1));
    EXPECT_FALSE(frame->GetConnectTimer().IsRunning());
  }
}

}  // namespace
