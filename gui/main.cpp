#include <cstdlib>

#include "gui/myApp.h"
#include "model/log.h"
#include "model/processEnd.h"

wxIMPLEMENT_APP_NO_MAIN(MyApp);

int main(int argc, char** argv) {
  // GTK must start on X11: the windows' positions and the pointer position depend on it.
  setenv("GDK_BACKEND", "x11", 0);
  // wxEntry returns after the exit sequence (settings saved, links and listeners closed) and the
  // toolkit's own clean-up. The program's threads are then stopped and joined; one that does not
  // return in time ends the process where it stands.
  const int status = wxEntry(argc, argv);
  if (!EndThreads()) EndProcess(status);
  log_end();
  return status;
}
