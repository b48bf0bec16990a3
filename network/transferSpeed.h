// The average speed of one transfer since its data started to flow, in bytes per second.
#ifndef PARLAVOX_NETWORK_TRANSFERSPEED_H
#define PARLAVOX_NETWORK_TRANSFERSPEED_H

#include <chrono>
#include <cstdint>

class TransferSpeed {
 public:
  TransferSpeed() : m_start(std::chrono::steady_clock::now()) {}
  void Restart() { m_start = std::chrono::steady_clock::now(); }
  // While the transfer runs: 0 during its first second, too short a time to tell.
  double Running(int64_t bytes) const {
    const double seconds = Seconds();
    return seconds >= 1 ? static_cast<double>(bytes) / seconds : 0;
  }
  // At its end: over the time it took, however short (a millisecond at least).
  double Final(int64_t bytes) const {
    const double seconds = Seconds();
    return static_cast<double>(bytes) / (seconds > 0.001 ? seconds : 0.001);
  }

 private:
  double Seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
  }
  std::chrono::steady_clock::time_point m_start;
};

#endif
