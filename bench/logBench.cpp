// Trace-log throughput against the most its contract allows: every line flushed by a write()
// of its own. The limit is measured in the same run, by a raw writer that makes one write() per
// line of the very bytes the log wrote. Then the same lines from four threads sharing them.
//
//   logBench [DIRECTORY]     (the files go to a fresh directory under /tmp by default)
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "model/log.h"

namespace {

// Many short rounds, each measuring the kinds side by side; the median of the rounds' ratios
// is what a busy machine disturbs least.
const int kLines = 50000;
const int kRounds = 21;

// Puts the file's bytes on the disk, outside any timed part: no writing back of one run's
// pages falls on the next run.
void Settle(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  fdatasync(fd);
  ::close(fd);
}

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Lines per second of the trace log writing kLines lines to `path` from `threads` threads.
double LogRate(const std::string& path, int threads) {
  log_reset_for_testing(LOG_KEY_START, log_step());
  start_log(path.c_str());
  auto lines = [=] {
    for (int i = 0; i < kLines / threads; ++i) TRACE(1, "START (%s, %d)", "someone@example", i);
  };
  auto start = std::chrono::steady_clock::now();
  if (threads == 1) {
    lines();  // on this thread, as the raw writer runs
  } else {
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) pool.emplace_back(lines);
    for (auto& th : pool) th.join();
  }
  double rate = kLines / Seconds(start);
  Settle(path);
  return rate;
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Where each line of a log file lies: found by unscrambling a copy.
std::vector<std::pair<size_t, size_t>> LinesOf(const std::string& scrambled) {
  std::string clear = scrambled;
  log_unscramble(reinterpret_cast<unsigned char*>(&clear[0]), clear.size(), LOG_KEY_START, log_step());
  std::vector<std::pair<size_t, size_t>> lines;
  size_t begin = 0;
  for (size_t i = 0; i < clear.size(); ++i) {
    if (clear[i] != '\n') continue;
    lines.emplace_back(begin, i + 1 - begin);
    begin = i + 1;
  }
  return lines;
}

// Lines per second of one write() per line of `bytes`, cut as `lines` says, to `path`.
double RawRate(const std::string& path, const std::string& bytes,
               const std::vector<std::pair<size_t, size_t>>& lines) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return 0;
  auto start = std::chrono::steady_clock::now();
  for (const auto& line : lines) {
    if (::write(fd, bytes.data() + line.first, line.second) != static_cast<ssize_t>(line.second)) break;
  }
  double rate = lines.size() / Seconds(start);
  fdatasync(fd);
  ::close(fd);
  return rate;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir;
  if (argc > 1) {
    dir = argv[1];
  } else {
    char tmpl[] = "/tmp/parlavox-logbench-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    dir = tmpl;
  }
  const std::string one = dir + "/one.log", four = dir + "/four.log", raw = dir + "/raw.log";

  std::vector<double> rawRates, oneRates, fourRates, oneToRaw, fourToOne;
  // The raw writer runs just before and just after each one-thread run, on the bytes of that
  // run (the first time, of a run made for it), and counts as the mean of the two.
  LogRate(one, 1);
  for (int round = 0; round < kRounds; ++round) {
    std::string bytes = ReadAll(one);
    double rawBefore = RawRate(raw, bytes, LinesOf(bytes));
    double oneRate = LogRate(one, 1);
    bytes = ReadAll(one);
    double rawRate = (rawBefore + RawRate(raw, bytes, LinesOf(bytes))) / 2;
    double fourRate = LogRate(four, 4);
    rawRates.push_back(rawRate);
    oneRates.push_back(oneRate);
    fourRates.push_back(fourRate);
    oneToRaw.push_back(oneRate / rawRate);
    fourToOne.push_back(fourRate / oneRate);
  }
  log_reset_for_testing(LOG_KEY_START, log_step());
  unlink(one.c_str());
  unlink(four.c_str());
  unlink(raw.c_str());
  if (argc <= 1) rmdir(dir.c_str());

  printf("trace log, %d rounds of %d lines, medians\n", kRounds, kLines);
  printf("  raw, one write() per line : %9.0f lines/s\n", Median(rawRates));
  printf("  trace log, 1 thread       : %9.0f lines/s  %.2f of raw        (at least 0.80)\n", Median(oneRates),
         Median(oneToRaw));
  printf("  trace log, 4 threads      : %9.0f lines/s  %.2f of 1 thread   (at least 1.00)\n", Median(fourRates),
         Median(fourToOne));
  return 0;
}
