#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "tests/support/testSupport.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kLeakChecker = true;
#else
constexpr bool kLeakChecker = false;
#endif

// Runs the child in `mode`; its exit status (-1 when it did not exit) and what it wrote.
int RunChild(const std::string& mode, std::string* output) {
  testsupport::TempDir dir;
  std::string command = std::string(EXIT_WHILE_BUSY_CHILD) + " " + dir.path() + " " + mode + " 2>&1";
  FILE* child = popen(command.c_str(), "r");
  if (!child) return -1;
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, child)) > 0) output->append(buffer, got);
  int status = pclose(child);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

// The process ends after saving and flushing without waiting on its detached threads, while
// transfers, the extension listener and a reader of the folders are busy: returning from main (static destructors run,
// and nothing the threads still reach is gone) and ending as the program does, by EndProcess
// (no static destructor runs at all).
TEST(ExitWhileBusyTest, EndsCleanlyWhileTransfersAndListenerRun) {
  for (const char* mode : {"return", "end"}) {
    for (int run = 0; run < 5; ++run) {
      SCOPED_TRACE(mode);
      std::string output;
      EXPECT_EQ(0, RunChild(mode, &output)) << output;
      EXPECT_NE(std::string::npos, output.find("busy:")) << output;
      EXPECT_EQ(std::string::npos, output.find("Sanitizer")) << output;
      EXPECT_EQ(std::string::npos, output.find("runtime error")) << output;
    }
  }
}

// Ending by EndProcess skips the leak check made at exit; the leak checker still runs before
// the end, with the threads busy, and a leak fails the process.
TEST(ExitWhileBusyTest, LeaksAreStillFoundWhenEndingByEndProcess) {
  if (!kLeakChecker) { GTEST_SKIP() << "built without the leak checker"; }
  std::string output;
  EXPECT_NE(0, RunChild("leak", &output)) << output;
  EXPECT_NE(std::string::npos, output.find("busy:")) << output;
  EXPECT_NE(std::string::npos, output.find("LeakSanitizer")) << output;
}
