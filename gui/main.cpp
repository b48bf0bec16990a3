#include <cstdlib>

#include "gui/myApp.h"

wxIMPLEMENT_APP_NO_MAIN(MyApp);

int main(int argc, char** argv) {
  // GTK must start on X11: the windows' positions and the pointer position depend on it.
  setenv("GDK_BACKEND", "x11", 0);
  return wxEntry(argc, argv);
}
