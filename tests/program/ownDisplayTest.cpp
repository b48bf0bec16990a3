// The script that gives a window test an X server of its own ends, and hands back the test's
// status, whatever the server does with the SIGTERM that ends it. A server still running would
// hold the test's output open, and the test would be taken for hung. A stand-in for the server
// (first on the PATH) notes each SIGTERM and ends at the one its case says.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/program/childProgram.h"
#include "tests/support/testSupport.h"

namespace {

using namespace programtest;
using testsupport::ReadLines;
using testsupport::TempDir;
using testsupport::WriteFile;

// Gives display 99 on the descriptor that -displayfd names, then waits; it ends at its
// $TERMS_TO_END-th SIGTERM, never when that is 0, and notes each in $TERMS.
const char kServer[] = R"(#!/usr/bin/env bash
fd=""
while [ $# -gt 0 ]; do [ "$1" = -displayfd ] && fd=$2; shift; done
terms=0
on_term() {
  terms=$((terms + 1)); echo TERM >> "$TERMS"
  if [ "$TERMS_TO_END" -ne 0 ] && [ "$terms" -ge "$TERMS_TO_END" ]; then exit 0; fi
}
trap on_term TERM
echo 99 >&"$fd"
while :; do sleep 0.05; done
)";

// Runs `command` through the script with `server` in place of Xvfb and `environment` beside,
// until nothing holds its output open any more: its status, and in `said` all it wrote.
int RunWithServer(const std::string& server, const std::vector<std::string>& environment,
                  const std::string& command, const TempDir& work, std::string* said) {
  TempDir bin;
  if (!WriteFile(bin.file("Xvfb"), server) || chmod(bin.file("Xvfb").c_str(), 0700) != 0) return -1;
  std::vector<std::string> argv = {"env", "PATH=" + bin.path() + ":" + getenv("PATH")};
  argv.insert(argv.end(), environment.begin(), environment.end());
  argv.insert(argv.end(), {"bash", testsupport::SourceDir() + "/tests/support/ownDisplay.sh", "sh", "-c", command});
  return RunToEnd(argv, work.path(), said);
}

TEST(OwnDisplay, TheCommandsStatusComesBackWhateverTheServerDoesWithItsSignal) {
  struct Case {
    const char* name;
    int termsToEnd;  // 0: never ends on SIGTERM
    size_t termsSeen;
    bool killed;
  } cases[] = {
      {"ends at the first", 1, 1, false},
      // Took the first between its look and its sleep: only the next wakes it.
      {"misses the first", 2, 2, false},
      {"never ends on it", 0, 5, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir work;
    const std::string terms = work.file("terms");
    std::string said;
    const int status = RunWithServer(kServer, {"TERMS=" + terms, "TERMS_TO_END=" + std::to_string(c.termsToEnd)},
                                     "echo \"on $DISPLAY\"; exit 3", work, &said);
    EXPECT_EQ(3, status) << said;
    EXPECT_NE(std::string::npos, said.find("on :99")) << said;
    EXPECT_EQ(c.termsSeen, ReadLines(terms).size()) << said;
    EXPECT_EQ(c.killed, said.find("did not end on SIGTERM; killed") != std::string::npos) << said;
  }
}

TEST(OwnDisplay, WithoutAServerTheCommandDoesNotRun) {
  TempDir work;
  std::string said;
  EXPECT_EQ(1, RunWithServer("#!/bin/sh\nexit 1\n", {}, "echo ran", work, &said));
  EXPECT_EQ("ownDisplay: Xvfb did not start\n", said);
}

}  // namespace
