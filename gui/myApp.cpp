#include "gui/myApp.h"

#include <csignal>

#include "gui/appStartup.h"
#include "gui/mainFrame.h"
#include "gui/rooms/commentsPageLoader.h"
#include "gui/soundPlayer.h"
#include "gui/startupPrompter.h"
#include "model/log.h"
#include "model/processEnd.h"
#include "network/sslLibrary.h"

bool MyApp::OnInit() {
  // Handled once the event loop runs, whenever the signal came.
  SetSignalHandler(SIGTERM, &MyApp::OnTerminate);
  SetSignalHandler(SIGINT, &MyApp::OnTerminate);
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
  sound::Shutdown();
  // The program's threads end while the toolkit still stands: what they hand to the GUI thread
  // at the last moment is dropped with the application's pending events.
  EndThreads();
  comments::DropUndelivered();
  return wxApp::OnExit();
}

void MyApp::OnTerminate(int) {
  TRACE_STARTEND();
  if (MainFrame* frame = MainFrame::GetInstance()) frame->Close(true);
  else if (wxTheApp) wxTheApp->ExitMainLoop();
}

void MyApp::OnEndSession(wxCloseEvent& event) {
  TRACE_STARTEND();
  clean_openssl();
  event.Skip();
}
