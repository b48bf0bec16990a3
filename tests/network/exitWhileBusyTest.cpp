#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "tests/support/testSupport.h"

// The program ends after saving and flushing without waiting on its detached threads: static
// destructors run while transfers and the extension listener are busy, and nothing they still
// reach is gone.
TEST(ExitWhileBusyTest, EndsCleanlyWhileTransfersAndListenerRun) {
  for (int run = 0; run < 5; ++run) {
    testsupport::TempDir dir;
    std::string command = std::string(EXIT_WHILE_BUSY_CHILD) + " " + dir.path() + " 2>&1";
    FILE* child = popen(command.c_str(), "r");
    ASSERT_TRUE(child);
    std::string output;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, child)) > 0) output.append(buffer, got);
    int status = pclose(child);
    ASSERT_TRUE(WIFEXITED(status)) << output;
    EXPECT_EQ(0, WEXITSTATUS(status)) << output;
    EXPECT_NE(std::string::npos, output.find("busy:")) << output;
    EXPECT_EQ(std::string::npos, output.find("Sanitizer")) << output;
    EXPECT_EQ(std::string::npos, output.find("runtime error")) << output;
  }
}
