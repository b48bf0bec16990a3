// Programs run as users run them, each a child process in a group of its own.
#ifndef PARLAVOX_TESTS_PROGRAM_CHILDPROGRAM_H
#define PARLAVOX_TESTS_PROGRAM_CHILDPROGRAM_H

#include <sys/types.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace programtest {

// Names and values put into the child's environment; an empty value removes the name.
using Environment = std::vector<std::pair<std::string, std::string>>;

// argv[0] started in `workDir` with the environment changed as given; its standard output and
// error go to files in `workDir`. Whatever of its group still runs at destruction is killed.
class ChildProgram {
 public:
  ChildProgram(const std::vector<std::string>& argv, const Environment& environment, const std::string& workDir);
  ~ChildProgram();
  ChildProgram(const ChildProgram&) = delete;
  ChildProgram& operator=(const ChildProgram&) = delete;

  pid_t Pid() const { return m_pid; }
  std::string Output() const;
  std::string Errors() const;
  // Its exit status (128 + the signal when a signal ended it), or -1 when it did not end in
  // time; it is then left running.
  int WaitExit(std::chrono::milliseconds timeout);

 private:
  pid_t m_pid = -1;
  std::string m_outputPath;
  std::string m_errorPath;
};

// Runs the command to its end, that is until nothing of it holds its output open (at most two
// minutes, then its group is killed): its exit status and all it wrote.
int RunToEnd(const std::vector<std::string>& argv, const std::string& workDir, std::string* output);

// The child of `parent` that runs `program` (compared with links resolved); 0 when none does.
pid_t ChildRunning(pid_t parent, const std::string& program);

// The path with every link resolved; the path itself when it does not exist.
std::string RealPath(const std::string& path);

}  // namespace programtest

#endif
