// Test main for window tests: starts a wx GUI application on the X display (Xvfb under
// `make test`) and turns every wx assertion into a test failure.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/image.h>
#include <wx/log.h>

#include <cstdlib>

#include "model/log.h"
#include "tests/support/casesApart.h"
#include "tests/support/displayProbe.h"
#include "tests/support/sanitizerOptions.h"
#include "tests/support/testSupport.h"

namespace {

class TestApp : public wxApp {
 public:
  bool OnInit() override { return true; }
};

void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg) {
  ADD_FAILURE() << "wx assertion at " << file.utf8_str() << ":" << line << " in " << func.utf8_str()
                << ": " << cond.utf8_str() << " " << msg.utf8_str();
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
#ifdef PARLAVOX_CASES_APART
  int apart = 0;
  if (!testsupport::OneCaseHere(argc, argv, &apart)) return apart;
#endif

  const char* log = getenv("PARLAVOX_TEST_LOG");
  start_log(log && *log ? log : "/dev/null");
  setenv("GDK_BACKEND", "x11", 0);
  setenv("NO_AT_BRIDGE", "1", 0);
  testsupport::KeepWebPagesOffTheDesktop();

  wxSetAssertHandler(FailOnAssert);
  // Set before the start, so that what the tool kit says when it cannot start reaches stderr.
  wxLog::SetActiveTarget(new wxLogStderr);
  wxApp::SetInstance(new TestApp);
  if (!wxEntryStart(argc, argv)) {
    fprintf(stderr, "cannot start the wx application (is there an X display?): %s\n",
            testsupport::DescribeDisplay().c_str());
    return 1;
  }
  if (!wxTheApp->CallOnInit()) return 1;
  // The start drops the target set before it; the next message would make the tool kit's own,
  // which keeps errors for a modal box shown when the target next changes (a test that starts
  // the program), and the box would wait for a click that never comes.
  wxLog::SetActiveTarget(new wxLogStderr);
  wxInitAllImageHandlers();

  int rc = RUN_ALL_TESTS();

  wxTheApp->OnExit();
  wxEntryCleanup();
  return rc;
}
