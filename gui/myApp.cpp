#include "gui/myApp.h"

#include <csignal>

#include "gui/appStartup.h"
#include "gui/mainFrame.h"
#include "gui/rooms/commentsPageLoader.h"
#include "gui/startupPrompter.h"
#include "model/log.h"
#include "model/processEnd.h"
#include "network/sslLibrary.h"

namespace {

// What the toolkit set for each signal it handles for the program.
struct sigaction g_toolkitActions[NSIG];

// Notes at once that the end was asked, then lets the toolkit wake its loop, which calls
// OnTerminate: what waits for the GUI thread meanwhile gives way.
void OnSignal(int signal, siginfo_t* info, void* context) {
  AskEnd();
  const struct sigaction& toolkit = g_toolkitActions[signal];
  if (toolkit.sa_flags & SA_SIGINFO) toolkit.sa_sigaction(signal, info, context);
  else if (toolkit.sa_handler != SIG_DFL && toolkit.sa_handler != SIG_IGN) toolkit.sa_handler(signal);
}

}  // namespace

void MyApp::EndOnSignal(int signal) {
  SetSignalHandler(signal, &MyApp::OnTerminate);
  struct sigaction action;
  sigaction(signal, nullptr, &g_toolkitActions[signal]);
  action = g_toolkitActions[signal];
  action.sa_flags |= SA_SIGINFO;
  action.sa_sigaction = &OnSignal;
  sigaction(signal, &action, nullptr);
}

bool MyApp::OnInit() {
  // Noted when it comes, carried out once the event loop runs. A hang-up is how the end of the
  // user's session reaches the program, beside the termination that comes with it.
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) EndOnSignal(signal);
  DialogStartupPrompter prompter;
  MainFrame* frame = startup::StartApplication(m_locale, prompter);
  if (!frame) return false;
  SetTopWindow(frame);
  Bind(wxEVT_QUERY_END_SESSION, &MyApp::OnEndSession, this);

  m_started = true;
  return true;
}

int MyApp::OnExit() {
  if (m_started) startup::EndApplication();
  // The program's threads end while the toolkit still stands: what they hand to the GUI thread
  // at the last moment is dropped with the application's pending events.
  startup::StopSoundsAndThreads();
  comments::DropUndelivered();
  return wxApp::OnExit();
}

void MyApp::OnTerminate(int) {
  MainFrame* frame = MainFrame::GetInstance();
  // Still starting: the signal came through the loop of a start-up message, which the main
  // loop's end would never reach.
  if (!frame && !(wxTheApp && wxTheApp->IsMainLoopRunning())) startup::EndBySystem();
  TRACE_STARTEND();
  if (frame) frame->EndBySystem();
  else wxTheApp->ExitMainLoop();
}

void MyApp::OnEndSession(wxCloseEvent& event) {
  TRACE_STARTEND();
  clean_openssl();
  event.Skip();
}
