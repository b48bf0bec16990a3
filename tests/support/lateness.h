// How much of a span this machine's load took: beside a time kept against a limit of the
// program's own (it ends within a second), the part of it in which something waited for a
// processor.
#ifndef PARLAVOX_TESTS_SUPPORT_LATENESS_H
#define PARLAVOX_TESTS_SUPPORT_LATENESS_H

#include <chrono>

namespace testsupport {

// From its making to Stop(): the time in which at least one task of the machine was ready to run
// and waited for a processor, as the kernel counts it (/proc/pressure/cpu). None on an idle
// machine; the whole span when every processor was wanted throughout, where no wall-clock limit
// can tell a program's own slowness from the machine's. Zero where the kernel does not count it.
class Lateness {
 public:
  Lateness();
  std::chrono::steady_clock::duration Stop() const;

 private:
  long long m_start;
};

}  // namespace testsupport

#endif
