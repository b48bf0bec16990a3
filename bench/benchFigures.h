// What the benches of the whole window share about their figures: each printed beside its limit
// as a ratio and counted when over it, the median of several runs, and a yardstick that tells how
// fast the machine runs at the moment.
#ifndef PARLAVOX_BENCH_BENCHFIGURES_H
#define PARLAVOX_BENCH_BENCHFIGURES_H

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include "bench/benchApp.h"

namespace benchFigures {

// Counts `more` figures over their limit; the count so far.
inline int Over(int more = 1) {
  static int over = 0;
  over += more;
  return over;
}

// Says whether every figure kept within its limit; the program's exit status.
inline int Verdict() {
  const int over = Over(0);
  printf(over ? "FAILED: %d figure(s) over their limit\n" : "passed: %d figure(s) over their limit\n", over);
  return over ? 1 : 0;
}

inline void Print(const char* what, double value, const char* unit, double limit) {
  const double ratio = value / limit;
  if (ratio > 1) Over();
  printf("    %-44s %9.2f %-3s limit %8.2f %-3s ratio %.2f%s\n", what, value, unit, limit, unit, ratio,
         ratio > 1 ? "  OVER" : "");
}

inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::nth_element(values.begin(), values.begin() + long(values.size() / 2), values.end());
  return values[values.size() / 2];
}

// The processor time the event loop uses by itself, per millisecond, with nothing to do (its
// pauses measured as RunLoopPauses measures them when `own`).
inline double IdleCpuRate(bool own) {
  using Clock = std::chrono::steady_clock;
  const double cpu = ThreadWorkMs();
  const Clock::time_point start = Clock::now();
  RunLoopPauses(0.3, nullptr, own);
  return (ThreadWorkMs() - cpu) / std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A fixed piece of work of the lists' kind (names hashed, looked up and sorted): its processor
// time, the best of three, tells how fast the machine runs then. On a shared machine that pace
// drifts, by half or more, over the minute a bench's sizes take one after the other.
inline double YardstickMs() {
  static long sink = 0;
  double best = 1e9;
  for (int k = 0; k < 3; ++k) {
    const double cpu = ThreadWorkMs();
    std::vector<std::string> names;
    for (int i = 0; i < 20000; ++i) names.push_back("Nick " + std::to_string((i * 7919) % 100000));
    std::unordered_map<std::string, int> index;
    for (int i = 0; i < 20000; ++i) index[names[size_t(i)]] = i;
    for (const std::string& name : names) sink += index.at(name);
    std::sort(names.begin(), names.end());
    sink += long(names.front().size());
    best = std::min(best, ThreadWorkMs() - cpu);
  }
  return best;
}

}  // namespace benchFigures

#endif
