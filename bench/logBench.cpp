// Trace-log throughput against the most its contract allows: every line flushed by a write()
// of its own. The limit is measured in the same run, by a raw writer that makes one write() per
// line of the very bytes the log wrote. Then the same lines from four threads sharing them. Then
// the same lines from this (main) thread, which hands them to the log's writer thread: its time
// runs until they are all in the file. Then what a line costs in processor time: the main thread's own in a
// burst, and the writer's for lines that come one at a time, a quarter of a millisecond apart,
// each against one write() of a line. Exits non-zero when a figure misses its limit.
//
//   logBench [DIRECTORY]     (the files go to a fresh directory under /tmp by default)
#include <fcntl.h>
#include <sched.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
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

// Processor time in microseconds: the calling thread's (CLOCK_THREAD_CPUTIME_ID), or the whole
// process's (CLOCK_PROCESS_CPUTIME_ID).
double CpuMicros(clockid_t which) {
  struct timespec now;
  clock_gettime(which, &now);
  return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

struct Rate {
  double linesPerSecond = 0;
  double threadMicrosPerLine = 0;  // the processor time of the thread that wrote the lines
};

// Runs `work` on `threads` threads of their own, started together once all of them run, and
// returns the seconds from the first one's start to the last one's end, each thread taking the
// clock itself. The raw writer and the log's threads are timed alike, so that the log is held
// against the raw writer for its own work only: creating and joining threads is none of it, and
// on a busy machine a thread waits for a processor to start and the main thread to be woken from
// the join (a thread that waited for the others may also have to wait for a processor again).
template <typename Work>
double SecondsOnThreads(int threads, Work work) {
  using Clock = std::chrono::steady_clock;
  std::atomic<int> ready{0};
  std::atomic<bool> go{false};
  std::atomic<Clock::rep> first{std::numeric_limits<Clock::rep>::max()}, last{std::numeric_limits<Clock::rep>::min()};
  auto timed = [&] {
    ready.fetch_add(1);
    while (!go.load(std::memory_order_acquire)) sched_yield();
    const Clock::rep began = Clock::now().time_since_epoch().count();
    work();
    const Clock::rep done = Clock::now().time_since_epoch().count();
    Clock::rep seen = first.load();
    while (began < seen && !first.compare_exchange_weak(seen, began)) {
    }
    seen = last.load();
    while (done > seen && !last.compare_exchange_weak(seen, done)) {
    }
  };
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t) pool.emplace_back(timed);
  while (ready.load() < threads) sched_yield();
  go.store(true, std::memory_order_release);
  for (auto& th : pool) th.join();
  return std::chrono::duration<double>(Clock::duration(last.load() - first.load())).count();
}

// The trace log writing kLines lines to `path` from `threads` threads, or from this (main)
// thread when `threads` is 0: lines per second until all are in the file.
Rate LogRate(const std::string& path, int threads) {
  log_reset_for_testing(LOG_KEY_START, log_step());
  start_log(path.c_str());
  auto lines = [=] {
    for (int i = 0; i < kLines / std::max(1, threads); ++i) TRACE(1, "START (%s, %d)", "someone@example", i);
  };
  Rate rate;
  if (threads == 0) {
    auto start = std::chrono::steady_clock::now();
    const double cpu = CpuMicros(CLOCK_THREAD_CPUTIME_ID);
    lines();
    rate.threadMicrosPerLine = (CpuMicros(CLOCK_THREAD_CPUTIME_ID) - cpu) / kLines;
    log_flush();
    rate.linesPerSecond = kLines / Seconds(start);
  } else {
    rate.linesPerSecond = kLines / SecondsOnThreads(threads, lines);
  }
  Settle(path);
  return rate;
}

// The processor time of the threads other than this one (the log's writer) per line, for lines
// of this thread that come one at a time, a quarter of a millisecond apart.
double WriterMicrosPerLine(const std::string& path) {
  const int lines = 400;
  log_reset_for_testing(LOG_KEY_START, log_step());
  start_log(path.c_str());
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const double others = CpuMicros(CLOCK_PROCESS_CPUTIME_ID) - CpuMicros(CLOCK_THREAD_CPUTIME_ID);
  for (int i = 0; i < lines; ++i) {
    TRACE(1, "START (%s, %d)", "someone@example", i);
    std::this_thread::sleep_for(std::chrono::microseconds(250));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  return (CpuMicros(CLOCK_PROCESS_CPUTIME_ID) - CpuMicros(CLOCK_THREAD_CPUTIME_ID) - others) / lines;
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

// Lines per second of one write() per line of `bytes`, cut as `lines` says, to `path`, from a
// thread of its own as the log's lines are; and the processor time of one write() to `micros`.
double RawRate(const std::string& path, const std::string& bytes, const std::vector<std::pair<size_t, size_t>>& lines,
               double* micros = nullptr) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return 0;
  double cpu = 0;
  const double seconds = SecondsOnThreads(1, [&] {
    cpu = CpuMicros(CLOCK_THREAD_CPUTIME_ID);
    for (const auto& line : lines) {
      if (::write(fd, bytes.data() + line.first, line.second) != static_cast<ssize_t>(line.second)) break;
    }
    cpu = CpuMicros(CLOCK_THREAD_CPUTIME_ID) - cpu;
  });
  if (micros) *micros = cpu / std::max<size_t>(1, lines.size());
  fdatasync(fd);
  ::close(fd);
  return lines.size() / seconds;
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

  std::vector<double> rawRates, oneRates, fourRates, mainRates, oneToRaw, fourToOne, mainToRaw, rawMicros, mainMicros,
      writerMicros;
  // Each kind is measured between two measures of the kind it is held against, so that a change
  // of the machine's load falls on both alike: the raw writer runs just before and just after
  // each one-thread run, on the bytes of that run (the first time, of a run made for it), and
  // counts as the mean of the two; the four threads run between two one-thread runs (this
  // round's and the next one's), held against their mean.
  LogRate(one, 1);
  double oneRate = 0;
  for (int round = 0; round <= kRounds; ++round) {
    std::string bytes = ReadAll(one);
    double writeMicros = 0;
    double rawBefore = RawRate(raw, bytes, LinesOf(bytes), &writeMicros);
    const double oneBefore = oneRate;
    oneRate = LogRate(one, 1).linesPerSecond;
    if (round > 0) fourToOne.push_back(fourRates.back() / ((oneBefore + oneRate) / 2));
    if (round == kRounds) break;
    bytes = ReadAll(one);
    double rawRate = (rawBefore + RawRate(raw, bytes, LinesOf(bytes))) / 2;
    fourRates.push_back(LogRate(four, 4).linesPerSecond);
    const Rate mainRate = LogRate(four, 0);
    rawRates.push_back(rawRate);
    oneRates.push_back(oneRate);
    mainRates.push_back(mainRate.linesPerSecond);
    oneToRaw.push_back(oneRate / rawRate);
    mainToRaw.push_back(mainRate.linesPerSecond / rawRate);
    rawMicros.push_back(writeMicros);
    mainMicros.push_back(mainRate.threadMicrosPerLine / writeMicros);
    if (round % 4 == 0) writerMicros.push_back(WriterMicrosPerLine(one) / writeMicros);
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
  printf("  main thread, to the writer: %9.0f lines/s  %.2f of raw        (at least 0.80)\n", Median(mainRates),
         Median(mainToRaw));
  printf("  one write() of a line     : %9.2f us of processor time\n", Median(rawMicros));
  printf("  main thread, a line in a burst          : %.2f of a write()   (at most 0.50)\n", Median(mainMicros));
  printf("  writer, a line a quarter of a ms apart  : %.2f of a write()   (at most 25.00)\n", Median(writerMicros));
  const bool within = Median(oneToRaw) >= 0.80 && Median(fourToOne) >= 1.00 && Median(mainToRaw) >= 0.80 &&
                      Median(mainMicros) <= 0.50 &&
                      Median(writerMicros) <= 25.00;
  if (!within) printf("FAILED: a figure misses its limit\n");
  return within ? 0 : 1;
}
