// Pictures of logging in for review, saved as PNG files: the main window with its log-in panel,
// the panel after a failure with the time of the next attempt and the pop-up that announced it,
// and the window once a session with the test server is open, with the pop-up that says so.
// `make screenshots` runs it under Xvfb. It checks nothing about the pictures; it fails only when
// one cannot be taken or saved, or the log-in does not happen. Usage: login_screenshots [directory]
#include <wx/app.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/splitter.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/application.h"
#include "gui/loginDialog.h"
#include "gui/mainFrame.h"
#include "gui/notifyFrame.h"
#include "model/config.h"
#include "model/log.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/support/sanitizerOptions.h"
#include "tests/support/screenCapture.h"
#include "tests/support/screenshotProgram.h"
#include "tests/testServer/trustedServer.h"

using guitest::Pump;
using guitest::PumpUntil;

namespace {

std::string g_dir = "screenshots";
using screenshots::Fail;

void Shoot(wxWindow* window, const std::string& name) {
  PumpUntil([&] { return window->IsShownOnScreen(); }, 3000);
  window->Refresh();
  window->Update();
  Pump(700);
  const wxImage img = screencapture::Capture(window->GetScreenRect());
  if (!img.IsOk() || !img.SaveFile(wxString::FromUTF8(g_dir + "/" + name), wxBITMAP_TYPE_PNG))
    Fail("cannot save " + name);
  else
    std::printf("%s/%s\n", g_dir.c_str(), name.c_str());
}

void Run(testserver::TrustedServer& trusted) {
  Config* config = Config::GetInstance();
  config->SetLogin("alice");
  config->SetPasswordSaved(true);
  config->SetPassword("secret");
  config->SetHostname("127.0.0.1");
  config->SetPort(1);  // nothing listens there: the first attempt fails
  config->SetRetryOnFailure(true);
  config->SetFilePort(0);
  auto* frame = new MainFrame(GetManager(), "Parlavox", wxPoint(40, 40), wxSize(370, 600));
  frame->Show();
  LoginDialog* panel = frame->GetLoginPanel();
  Shoot(frame, "login-panel.png");

  frame->Connect(false);
  if (!PumpUntil([&] { return frame->GetConnectTimer().IsRunning(); }, 15000)) Fail("the failure was not shown");
  Shoot(frame, "login-failure.png");
  if (NotifyFrame* popup = NotifyFrame::GetInstance()) Shoot(popup, "login-failure-popup.png");

  panel->SetHostname("127.0.0.1:" + std::to_string(trusted.server->Port()));
  frame->Connect(false);
  std::shared_ptr<testserver::TestConnection> link = trusted.server->Accept(testserver::Millis(1));
  PumpUntil([&] { return bool(link = link ? link : trusted.server->Accept(testserver::Millis(5))); }, 15000);
  testserver::C2SPtr request;
  if (link) PumpUntil([&] { return bool(request = link->Expect(C2S_Request_PR_connect, testserver::Millis(5))); }, 15000);
  if (!request) {
    Fail("the server got no log-in");
  } else {
    auto ack = testserver::NewS2C(S2C_Request_PR_connect_ack);
    testserver::Fill(&ack->choice.connect_ack.authkey, "K1");
    testserver::Fill(&ack->choice.connect_ack.version, kProgramVersion);
    link->Send(*ack);
    if (!PumpUntil([&] { return GetManager()->IsConnected() && !panel->IsShown(); }, 15000))
      Fail("the session was not shown");
    Shoot(frame, "connected.png");
    if (NotifyFrame* popup = NotifyFrame::GetInstance()) Shoot(popup, "connected-popup.png");
  }
  frame->Close(true);
  PumpUntil([] { return MainFrame::GetInstance() == nullptr; }, 5000);
}

}  // namespace

int main(int argc, char** argv) {
  if (!screenshots::Start(argc, argv, g_dir)) return 1;
  {
    testserver::TrustedServer trusted;
    testsupport::TempDir home;
    setenv("HOME", home.path().c_str(), 1);
    for (const char* sub : {"img", "sounds", "icons"})
      symlink((std::string(PARLAVOX_SOURCE_DIR) + "/data/" + sub).c_str(), trusted.dir.file(sub).c_str());
    Config::SetPath(trusted.dir.path());
    Config::SetUserPath(home.path());
    Run(trusted);
  }
  return screenshots::Stop();
}
