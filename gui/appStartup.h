// The program's start-up, step by step, and its end. The application object runs them; the
// tests run them too, with their own answers to the start-up questions.
#ifndef PARLAVOX_GUI_APPSTARTUP_H
#define PARLAVOX_GUI_APPSTARTUP_H

#include "gui/startup.h"

class MainFrame;
class wxLocale;

namespace startup {

// Settles the directories, opens the trace log, loads the settings (asking `prompter` about a
// file that cannot be read), sets up TLS and the controller, and makes the main window, shown
// unless the user chose to start hidden (and the desktop has a tray to bring it back from).
// Null when the program must end: the reason was given to `prompter`.
MainFrame* StartApplication(wxLocale& locale, StartupPrompter& prompter);

// The end of the program: the links and listeners closed, the settings saved, the log flushed.
void EndApplication();

}  // namespace startup

#endif
