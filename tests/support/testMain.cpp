// Test main for programs without windows. Traces go to /dev/null unless PARLAVOX_TEST_LOG names
// a file; tests that read the log restart it in a directory of their own.
#include <gtest/gtest.h>

#include <cstdlib>

#include "model/log.h"
#include "tests/support/sanitizerOptions.h"
#include "tests/support/testSupport.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  const char* log = getenv("PARLAVOX_TEST_LOG");
  start_log(log && *log ? log : "/dev/null");
  testsupport::KeepWebPagesOffTheDesktop();
  return RUN_ALL_TESTS();
}
