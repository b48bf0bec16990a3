// Trace-log throughput: 1,000,000 lines from one thread, then from four threads sharing them.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "model/log.h"

namespace {

double Run(int threads, int total) {
  auto start = std::chrono::steady_clock::now();
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t) {
    pool.emplace_back([=] {
      for (int i = 0; i < total / threads; ++i) TRACE(1, "START (%s, %d)", "someone@example", i);
    });
  }
  for (auto& th : pool) th.join();
  std::chrono::duration<double> s = std::chrono::steady_clock::now() - start;
  return total / s.count();
}

}  // namespace

int main(int argc, char** argv) {
  std::string path = argc > 1 ? argv[1] : "/tmp/parlavox-bench.log";
  start_log(path.c_str());
  const int kLines = 1000000;
  double one = Run(1, kLines);
  double four = Run(4, kLines);
  printf("trace log, %d lines to %s\n", kLines, path.c_str());
  printf("  1 thread : %.0f lines/s\n", one);
  printf("  4 threads: %.0f lines/s\n", four);
  if (argc <= 1) unlink(path.c_str());
  return 0;
}
