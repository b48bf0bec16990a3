// Helpers shared by the test programs.
#ifndef PARLAVOX_TESTS_SUPPORT_TESTSUPPORT_H
#define PARLAVOX_TESTS_SUPPORT_TESTSUPPORT_H

#include <sys/types.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// A fresh directory under $TMPDIR (or /tmp), removed with its contents on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // The directory's path, with a trailing '/'.
  const std::string& path() const { return m_path; }
  std::string file(const std::string& name) const { return m_path + name; }

 private:
  std::string m_path;
};

std::string ReadFile(const std::string& path);
// The file's whole lines; a last line still being written (no end of line yet) is left out.
std::vector<std::string> ReadLines(const std::string& path);
bool WriteFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
// The names in a directory, "." and ".." left out, sorted; empty when it cannot be read.
std::vector<std::string> ListDir(const std::string& path);
// What stands at the path, as lstat sees it: its type and mode, then the bytes of a regular file
// or where a link leads; "none" when nothing is there.
std::string DescribeFile(const std::string& path);

// A process as the kernel lists it in /proc/<pid>/stat.
struct ProcessStat {
  pid_t pid = 0;
  std::string pidAndName;  // "pid (name)"
  char state = 0;
  long parent = 0;
  long group = 0;
};
// Every process the kernel lists now.
std::vector<ProcessStat> Processes();
// The processes of the process group still running (those ended, never collected, left out), a
// line "pid (name)" each; empty when none is.
std::string RunningInGroup(pid_t group);

// Reads a trace log written from this process's start and returns its clear text.
std::string DecodeLogFile(const std::string& path, unsigned key_start, unsigned step);
// What the project's trace-log reader prints for the log at path; `*status` gets its exit status.
std::string ReadLogWithTool(const std::string& path, int* status);

// Points the trace log at a fresh file (restarting the scramble) and returns its path.
std::string RestartLogAt(const TempDir& dir, const std::string& name = "test.log");

// Polls cond every few milliseconds until it holds or the time runs out; returns cond().
bool WaitFor(const std::function<bool()>& cond, std::chrono::milliseconds timeout);

// Runs `work` on a thread of its own and waits up to `bound` for it to end: true when it did.
// Work held in opening the named pipe that `pipe` leads to, for reading or for writing, is let go
// by opening the pipe's other end (and closing it again), then joined: false then.
bool EndsWithoutWaitingOn(const std::string& pipe, const std::function<void()>& work,
                          std::chrono::milliseconds bound = std::chrono::seconds(20));

// Bytes the program has allocated and not freed (the address sanitizer's count in its build).
size_t HeapInUse();

// The bytes as lower-case hexadecimal, two digits each.
std::string Hex(const void* bytes, size_t size);
inline std::string Hex(const std::string& bytes) { return Hex(bytes.data(), bytes.size()); }

// Links the program's own data files (pictures, sounds) from the source tree into dataDir, its
// trust store left out: a stand-in server writes its own there, which the program reads with
// PARLAVOX_DATA=dataDir. False when a link could not be made.
bool LinkProgramData(const std::string& dataDir);

// Makes the desktop hand web pages to a do-nothing handler for this process and the programs it
// starts, so that a link a test clicks never opens the machine's real browser.
void KeepWebPagesOffTheDesktop();

// Source and build tree roots (from the test environment).
std::string SourceDir();
std::string BuildDir();

}  // namespace testsupport

#endif
