// The application object: runs the start-up, and the end of the program once the main window
// has gone.
#ifndef PARLAVOX_GUI_MYAPP_H
#define PARLAVOX_GUI_MYAPP_H

#include <wx/app.h>
#include <wx/intl.h>

class MyApp : public wxApp {
 public:
  bool OnInit() override;
  int OnExit() override;

 private:
  void OnEndSession(wxCloseEvent& event);
  // A request to end from the system (log-out, kill): closes the program as the user would,
  // except that nobody is asked anything; during the start-up, ends it at once.
  static void OnTerminate(int signal);
  // The signal ends the program by OnTerminate.
  void EndOnSignal(int signal);

  wxLocale m_locale;
  bool m_started = false;
};

#endif
