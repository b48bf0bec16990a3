// The stand-in server program run as a child process, for the tests and the benchmark.
#ifndef PARLAVOX_TESTS_STANDIN_STANDINPROCESS_H
#define PARLAVOX_TESTS_STANDIN_STANDINPROCESS_H

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace standintest {

// The program parlavox-standin, started with the arguments, --data dataDir and --port 0;
// stopped (and waited for) by its destructor at the latest. Its log (standard error) goes to a
// file of its own in dataDir, copied to this process's standard error when it ends badly.
class StandinProcess {
 public:
  StandinProcess(const std::string& program, const std::string& dataDir, const std::vector<std::string>& arguments);
  ~StandinProcess();
  StandinProcess(const StandinProcess&) = delete;
  StandinProcess& operator=(const StandinProcess&) = delete;

  // 0 when the program did not start listening.
  unsigned short Port() const { return m_port; }
  const std::string& DataDir() const { return m_dataDir; }
  // What it logged so far.
  std::string Log() const;
  // Resident memory of the program, or the most it had so far, in kilobytes (0 once it ended).
  long ResidentKb(bool peak = false) const;
  // Processor time it used so far (user and system), in seconds.
  double CpuSeconds() const;
  bool Running();
  // Asks it to stop and waits: its exit status, or -1 when it did not end in time or died
  // of a signal.
  int Stop(std::chrono::milliseconds timeout = std::chrono::milliseconds(20000));

 private:
  std::string m_dataDir;
  std::string m_logPath;
  pid_t m_pid = -1;
  int m_output = -1;
  unsigned short m_port = 0;
  int m_status = -1;
};

}  // namespace standintest

#endif
