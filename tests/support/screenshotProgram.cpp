#include "tests/support/screenshotProgram.h"

#include <wx/app.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/log.h>

#include <cstdio>
#include <cstdlib>

#include "model/config.h"
#include "model/log.h"
#include "tests/support/displayProbe.h"

namespace screenshots {

namespace {

class ScreenshotApp : public wxApp {
 public:
  bool OnInit() override { return true; }
};

int g_failures = 0;

}  // namespace

bool Start(int argc, char** argv, std::string& dir) {
  if (argc > 1) dir = argv[1];
  start_log("/dev/null");
  setenv("GDK_BACKEND", "x11", 0);
  setenv("NO_AT_BRIDGE", "1", 0);
  // Set before the start, so that what the tool kit says when it cannot start reaches stderr.
  wxLog::SetActiveTarget(new wxLogStderr);
  wxApp::SetInstance(new ScreenshotApp);
  if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
    std::fprintf(stderr,
                 "screenshots: cannot start the wx application (is there an X display?): %s\n",
                 testsupport::DescribeDisplay().c_str());
    return false;
  }
  // The start drops the target set before it: errors would otherwise wait for a modal box.
  wxLog::SetActiveTarget(new wxLogStderr);
  wxInitAllImageHandlers();
  wxFileName::Mkdir(wxString::FromUTF8(dir), 0755, wxPATH_MKDIR_FULL);
  return true;
}

void UseFreshHome(const std::string& sourceDir) {
  const std::string home = wxFileName::CreateTempFileName("parlavox-shots").ToStdString();
  std::remove(home.c_str());
  wxFileName::Mkdir(wxString::FromUTF8(home), 0700, wxPATH_MKDIR_FULL);
  Config::SetPath(sourceDir + "/data/");
  Config::SetUserPath(home + "/");
}

void Fail(const std::string& what) {
  std::fprintf(stderr, "screenshots: %s\n", what.c_str());
  ++g_failures;
}

int Stop() {
  wxTheApp->OnExit();
  wxEntryCleanup();
  return g_failures == 0 ? 0 : 1;
}

}  // namespace screenshots
