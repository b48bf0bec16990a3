#include "tests/support/casesApart.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/testSupport.h"

namespace testsupport {

namespace {

const char kOneCase[] = "PARLAVOX_ONE_CASE";

// Runs argv to its end with its output passed through; its exit status, 1 when it could not run.
int Run(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    setenv(kOneCase, "1", 1);
    execv(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return 1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

// The cases the filter selects, "Suite.Case" each, as the program itself lists them.
std::vector<std::string> Selected(const std::string& self) {
  const std::string command =
      "'" + self + "' --gtest_list_tests '--gtest_filter=" + ::testing::GTEST_FLAG(filter) + "'";
  std::vector<std::string> cases;
  FILE* list = popen(command.c_str(), "r");
  if (!list) return cases;
  std::string suite;
  char line[1024];
  while (fgets(line, sizeof line, list)) {
    std::string text(line);
    text = text.substr(0, text.find_first_of(" #\n", text[0] == ' ' ? 2 : 0));
    if (line[0] != ' ') suite = text;
    else if (!text.empty()) cases.push_back(suite + text.substr(2));
  }
  pclose(list);
  return cases;
}

}  // namespace

bool OneCaseHere(int argc, char** argv, int* status) {
  if (getenv(kOneCase)) return true;
  const std::string self = argv[0];
  const std::vector<std::string> cases = Selected(self);
  std::vector<std::string> failed;
  const int repeat = std::max(1, static_cast<int>(::testing::GTEST_FLAG(repeat)));
  for (int round = 0; round < repeat; ++round)
    for (const std::string& name : cases) {
      std::vector<std::string> command = {SourceDir() + "/tests/support/ownDisplay.sh", self,
                                          "--gtest_filter=" + name};
      for (int i = 1; i < argc; ++i) command.push_back(argv[i]);
      printf("[ apart    ] %s, in a process and on a display of its own\n", name.c_str());
      if (Run(command) != 0) failed.push_back(name);
    }
  printf("[ apart    ] %zu of %zu runs passed\n", cases.size() * repeat - failed.size(), cases.size() * repeat);
  for (const std::string& name : failed) printf("[  FAILED  ] %s\n", name.c_str());
  *status = cases.empty() || !failed.empty() ? 1 : 0;
  return false;
}

}  // namespace testsupport
