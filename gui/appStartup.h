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

// The last of every end, however it comes (the user's, the system's): the sounds are cut short
// and their thread joined, then the program's other threads are stopped and joined (see
// processEnd.h). True when none is left running.
bool StopSoundsAndThreads();

// The system's end while the start-up's error or one of its questions waits for an answer:
// nobody is there to give it, and nothing is set up that needs saving, so the process ends here,
// with the status of a start-up that cannot go on.
[[noreturn]] void EndBySystem();

}  // namespace startup

#endif
