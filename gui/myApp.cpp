#include "gui/myApp.h"

#include "gui/appStartup.h"
#include "gui/mainFrame.h"
#include "gui/startupPrompter.h"
#include "model/log.h"
#include "network/sslManager.h"

bool MyApp::OnInit() {
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
  return wxApp::OnExit();
}

void MyApp::OnEndSession(wxCloseEvent& event) {
  TRACE_STARTEND();
  clean_openssl();
  event.Skip();
}
