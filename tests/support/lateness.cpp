#include "tests/support/lateness.h"

#include <fstream>
#include <string>

namespace testsupport {

namespace {

// The kernel's count of microseconds in which some task waited for a processor; -1 without one.
long long Stalled() {
  std::ifstream pressure("/proc/pressure/cpu");
  std::string word;
  // "some avg10=... avg60=... avg300=... total=N"
  while (pressure >> word)
    if (word.rfind("total=", 0) == 0) return std::stoll(word.substr(6));
  return -1;
}

}  // namespace

Lateness::Lateness() : m_start(Stalled()) {}

std::chrono::steady_clock::duration Lateness::Stop() const {
  const long long now = Stalled();
  if (m_start < 0 || now < m_start) return std::chrono::steady_clock::duration::zero();
  return std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::microseconds(now - m_start));
}

}  // namespace testsupport
