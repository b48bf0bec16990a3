// Trace-log throughput against the most its contract allows: every line flushed by a write()
// of its own. The limits are measured in the same run, by a raw writer that makes one write() per
// line of the very bytes the log wrote: from one thread, against the log's lines from one
// thread; and from four threads sharing one file, against the log's lines from four threads.
// Then the same lines from this (main) thread, which hands them to the log's writer thread: its
// time runs until they are all in the file. Then what a line costs in processor time: the main
// thread's own in a burst, and the writer's for lines that come one at a time, a quarter of a
// millisecond apart, each against one write() of a line. Exits non-zero when a figure misses its
// limit.
//
//   logBench [--line-cost MICROSECONDS] [DIRECTORY]
//
// The files go to a fresh directory under /tmp by default. --line-cost makes every line of the
// log cost that much more processor time in the thread that writes it (the raw writers are left
// as they are): it shows that the bench fails when the log is slower. With 2 (some five times
// the processor time of a raw write()), every rate of the log misses its limit (the four
// threads share that cost among them, and miss theirs by less).
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

// The processor time, in microseconds, that --line-cost adds to every line of the log.
double g_lineCost = 0;

// Keeps the calling thread busy for g_lineCost microseconds.
void SpendLineCost() {
  if (g_lineCost <= 0) return;
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double, std::micro>(g_lineCost);
  while (std::chrono::steady_clock::now() < end) {
  }
}

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
    for (int i = 0; i < kLines / std::max(1, threads); ++i) {
      SpendLineCost();
      TRACE(1, "START (%s, %d)", "someone@example", i);
    }
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

// Lines per second of one write() per line of `bytes`, cut as `lines` says, to `path`, from
// `threads` threads of their own that share the file and its lines, as the log's lines are; and
// for one thread, the processor time of one write() to `micros`.
double RawRate(const std::string& path, const std::string& bytes, const std::vector<std::pair<size_t, size_t>>& lines,
               int threads, double* micros = nullptr) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return 0;
  double cpu = 0;
  std::atomic<int> nextShare{0};
  const double seconds = SecondsOnThreads(threads, [&] {
    const int share = nextShare.fetch_add(1);
    const size_t first = lines.size() * size_t(share) / size_t(threads);
    const size_t end = lines.size() * size_t(share + 1) / size_t(threads);
    const double start = CpuMicros(CLOCK_THREAD_CPUTIME_ID);
    for (size_t i = first; i < end; ++i) {
      if (::write(fd, bytes.data() + lines[i].first, lines[i].second) != static_cast<ssize_t>(lines[i].second)) break;
    }
    if (threads == 1) cpu = CpuMicros(CLOCK_THREAD_CPUTIME_ID) - start;
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

// The log's rate writing to `path` from `threads` threads (0: this main thread), and the raw
// writer's on as many threads (one for the main thread) run just before and just after it, on
// the bytes the log wrote there the time before and this time: the mean of the two, so that a
// change of the machine's load falls on both alike. For one thread, the processor time of one
// write() too.
struct Measure {
  Rate log;
  double raw = 0;
  double writeMicros = 0;
};

Measure AgainstRaw(const std::string& path, const std::string& rawPath, int threads) {
  Measure measure;
  std::string bytes = ReadAll(path);
  const double before = RawRate(rawPath, bytes, LinesOf(bytes), std::max(1, threads), &measure.writeMicros);
  measure.log = LogRate(path, threads);
  bytes = ReadAll(path);
  measure.raw = (before + RawRate(rawPath, bytes, LinesOf(bytes), std::max(1, threads))) / 2;
  return measure;
}

// Each round's figures.
struct Figures {
  std::vector<double> raw1, raw4, one, four, main, oneToRaw, fourToRaw, mainToRaw, writeMicros, mainMicros,
      writerMicros;
};

void MeasureRounds(const std::string& dir, Figures& figures) {
  const std::string one = dir + "/one.log", four = dir + "/four.log", main = dir + "/main.log", raw = dir + "/raw.log";
  // The raw writers' first runs take the bytes of runs made for them.
  LogRate(one, 1);
  LogRate(four, 4);
  for (int round = 0; round < kRounds; ++round) {
    const Measure byOne = AgainstRaw(one, raw, 1);
    const Measure byFour = AgainstRaw(four, raw, 4);
    const Rate byMain = LogRate(main, 0);
    figures.raw1.push_back(byOne.raw);
    figures.one.push_back(byOne.log.linesPerSecond);
    figures.oneToRaw.push_back(byOne.log.linesPerSecond / byOne.raw);
    figures.raw4.push_back(byFour.raw);
    figures.four.push_back(byFour.log.linesPerSecond);
    figures.fourToRaw.push_back(byFour.log.linesPerSecond / byFour.raw);
    figures.main.push_back(byMain.linesPerSecond);
    figures.mainToRaw.push_back(byMain.linesPerSecond / byOne.raw);
    figures.writeMicros.push_back(byOne.writeMicros);
    figures.mainMicros.push_back(byMain.threadMicrosPerLine / byOne.writeMicros);
    if (round % 4 == 0) figures.writerMicros.push_back(WriterMicrosPerLine(one) / byOne.writeMicros);
  }
  log_reset_for_testing(LOG_KEY_START, log_step());
  for (const std::string& path : {one, four, main, raw}) unlink(path.c_str());
}

// Prints the figures beside their limits; whether all keep within them.
bool Report(const Figures& f) {
  printf("trace log, %d rounds of %d lines, medians\n", kRounds, kLines);
  if (g_lineCost > 0) printf("  every line of the log made to cost %.2f us more\n", g_lineCost);
  printf("  raw, one write() per line : %9.0f lines/s\n", Median(f.raw1));
  printf("  trace log, 1 thread       : %9.0f lines/s  %.2f of raw        (at least 0.80)\n", Median(f.one),
         Median(f.oneToRaw));
  printf("  raw, 4 threads, one file  : %9.0f lines/s\n", Median(f.raw4));
  printf("  trace log, 4 threads      : %9.0f lines/s  %.2f of raw, 4     (at least 0.90)\n", Median(f.four),
         Median(f.fourToRaw));
  printf("  main thread, to the writer: %9.0f lines/s  %.2f of raw        (at least 0.80)\n", Median(f.main),
         Median(f.mainToRaw));
  printf("  one write() of a line     : %9.2f us of processor time\n", Median(f.writeMicros));
  printf("  main thread, a line in a burst          : %.2f of a write()   (at most 0.50)\n", Median(f.mainMicros));
  printf("  writer, a line a quarter of a ms apart  : %.2f of a write()   (at most 25.00)\n", Median(f.writerMicros));
  const bool within = Median(f.oneToRaw) >= 0.80 && Median(f.fourToRaw) >= 0.90 && Median(f.mainToRaw) >= 0.80 &&
                      Median(f.mainMicros) <= 0.50 && Median(f.writerMicros) <= 25.00;
  if (!within) printf("FAILED: a figure misses its limit\n");
  return within;
}

}  // namespace

int main(int argc, char** argv) {
  int arg = 1;
  if (arg + 1 < argc && std::string(argv[arg]) == "--line-cost") {
    g_lineCost = atof(argv[arg + 1]);
    arg += 2;
  }
  std::string dir;
  const bool ownDir = arg >= argc;
  if (!ownDir) {
    dir = argv[arg];
  } else {
    char tmpl[] = "/tmp/parlavox-logbench-XXXXXX";
    if (!mkdtemp(tmpl)) return 1;
    dir = tmpl;
  }
  Figures figures;
  MeasureRounds(dir, figures);
  if (ownDir) rmdir(dir.c_str());
  return Report(figures) ? 0 : 1;
}
