#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <csignal>
#include <functional>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "model/log.h"
#include "tests/support/testSupport.h"

using testsupport::DecodeLogFile;
using testsupport::HeapInUse;
using testsupport::TempDir;
using testsupport::WaitFor;
using namespace std::chrono_literals;

namespace {

// The file as it stands once the lines this (main) thread handed over are written.
std::string ReadFile(const std::string& path) {
  log_flush();
  return testsupport::ReadFile(path);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) out.push_back(line);
  return out;
}

const std::regex kLine(R"(([0-9a-f]+):(\d):(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d):(.*) \(<(.*)> ligne (\d+)\) : (.*))");

// Opens the named pipe for reading, without waiting for a writer: the read end (-1 when it cannot
// be opened), whose reads wait for the writer's bytes. The pipe then has its reader, which the log
// requires of a pipe when it opens one: a read before the log opened it would end at once.
int ReaderOf(const std::string& pipe) {
  const int fd = open(pipe.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

class CwdGuard {
 public:
  explicit CwdGuard(const std::string& dir) {
    char buf[4096];
    m_old = getcwd(buf, sizeof buf) ? buf : "/";
    EXPECT_EQ(0, chdir(dir.c_str()));
  }
  ~CwdGuard() { (void)chdir(m_old.c_str()); }

 private:
  std::string m_old;
};

}  // namespace

TEST(TraceLog, LineLayoutAndExactScrambledBytes) {
  TempDir dir;
  log_reset_for_testing(LOG_KEY_START, 3);
  std::string path = dir.file("parlavox.log");
  start_log(path.c_str());
  write_log(3, "config.cpp", "static bool Config::Load()", 42, "config %s %d", "error", 7);
  write_log(1, "x.cpp", "void f()", 1, "%s", "");

  std::string raw = ReadFile(path);
  std::string clear = DecodeLogFile(path, LOG_KEY_START, 3);
  ASSERT_EQ(raw.size(), clear.size());
  // Every byte is (clear + key) mod 256 with the key growing by the step from its start value.
  for (size_t i = 0; i < raw.size(); ++i) {
    ASSERT_EQ(static_cast<unsigned char>(raw[i]),
              static_cast<unsigned char>(clear[i] + LOG_KEY_START + 3 * i))
        << "byte " << i;
  }
  // Nothing of a line is in clear, the newline included.
  EXPECT_EQ(std::string::npos, raw.find("Log start"));

  auto lines = Lines(clear);
  ASSERT_EQ(3u, lines.size());
  // Thread, level, date, function, file, line and message; an empty message still writes the
  // prefix and the newline.
  std::smatch m;
  const std::string fields[][6] = {{"1", "void start_log(const char*)", "log.c", "119", "Log start"},
                                   {"3", "static bool Config::Load()", "config.cpp", "42", "config error 7"},
                                   {"1", "void f()", "x.cpp", "1", ""}};
  char tid[32];
  snprintf(tid, sizeof tid, "%lx", static_cast<unsigned long>(pthread_self()));
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(std::regex_match(lines[i], m, kLine)) << lines[i];
    EXPECT_EQ(tid, m[1]);
    EXPECT_EQ((std::vector<std::string>{fields[i], fields[i] + 5}),
              (std::vector<std::string>{m[2], m[4], m[5], m[6], m[7]}));
  }
  EXPECT_EQ('\n', clear.back());

  struct stat st;
  ASSERT_EQ(0, stat(path.c_str(), &st));
  EXPECT_EQ(0600u, st.st_mode & 0777);
}

TEST(TraceLog, ScrambleWrapsAndRunsOnAcrossCallsAndFiles) {
  TempDir dir;
  log_reset_for_testing(1, 1);
  FILE* a = fopen(dir.file("a").c_str(), "wb");
  FILE* b = fopen(dir.file("b").c_str(), "wb");
  ASSERT_TRUE(a && b);
  put_log_string(a, "\xff");  // key 1: 255 + 1 wraps to 0
  put_log_string(a, "AB");    // keys 2, 3
  put_log_string(b, "C");     // key 4: the other file goes on where the first stopped
  put_log_string(b, "");      // writes nothing, moves nothing
  put_log_string(b, "D");     // key 5
  fclose(a);
  fclose(b);
  EXPECT_EQ(std::string("\x00\x43\x45", 3), ReadFile(dir.file("a")));
  EXPECT_EQ(std::string("\x47\x49"), ReadFile(dir.file("b")));

  // The key is unsigned and wraps past 2^32 without changing the bytes' rule.
  log_reset_for_testing(0xfffffffeu, 10);
  FILE* c = fopen(dir.file("c").c_str(), "wb");
  put_log_string(c, "aaa");
  fclose(c);
  std::string cb = ReadFile(dir.file("c"));
  ASSERT_EQ(3u, cb.size());
  EXPECT_EQ(static_cast<unsigned char>('a' + 0xfe), static_cast<unsigned char>(cb[0]));
  EXPECT_EQ(static_cast<unsigned char>('a' + 0x08), static_cast<unsigned char>(cb[1]));
  EXPECT_EQ(static_cast<unsigned char>('a' + 0x12), static_cast<unsigned char>(cb[2]));
}

TEST(TraceLog, LinesFromManyThreadsNeverInterleave) {
  TempDir dir;
  std::string path = testsupport::RestartLogAt(dir);
  constexpr int kThreads = 4, kLines = 2000;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kLines; ++i) TRACE(1, "thread %d line %d %s", t, i, std::string(t * 13 + i % 50, 'x').c_str());
    });
  }
  for (auto& th : threads) th.join();

  auto lines = Lines(DecodeLogFile(path, LOG_KEY_START, log_step()));
  ASSERT_EQ(1u + kThreads * kLines, lines.size());
  std::map<int, int> next;
  std::map<int, std::string> tid_of;
  const std::regex body(R"(thread (\d) line (\d+) (x*))");
  for (size_t i = 1; i < lines.size(); ++i) {
    std::smatch m, b;
    ASSERT_TRUE(std::regex_match(lines[i], m, kLine)) << lines[i];
    std::string msg = m[7];
    ASSERT_TRUE(std::regex_match(msg, b, body)) << msg;
    int t = std::stoi(b[1]), n = std::stoi(b[2]);
    EXPECT_EQ(next[t], n);
    next[t] = n + 1;
    EXPECT_EQ(static_cast<size_t>(t * 13 + n % 50), b[3].length());
    EXPECT_EQ("logTest.cpp", m[5]);
    if (tid_of.count(t)) {
      EXPECT_EQ(tid_of[t], m[1]);
    }
    tid_of[t] = m[1];
  }
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(kLines, next[t]);
}

TEST(TraceLog, FallbackFileAndSecondStart) {
  TempDir dir;
  CwdGuard cwd(dir.path());
  log_reset_for_testing(LOG_KEY_START, 4);

  // A line before start_log opens "dranvel.log" in the working directory, "Log start" first.
  TRACE_ERROR("early %d", 1);
  log_flush();
  ASSERT_TRUE(testsupport::FileExists(dir.file("dranvel.log")));
  auto lines = Lines(DecodeLogFile(dir.file("dranvel.log"), LOG_KEY_START, 4));
  ASSERT_EQ(2u, lines.size());
  EXPECT_NE(std::string::npos, lines[0].find(": Log start"));
  EXPECT_NE(std::string::npos, lines[1].find(":3:"));
  EXPECT_NE(std::string::npos, lines[1].find(": early 1"));

  // start_log while a log is open: only the counter line on standard output.
  std::string before = ReadFile(dir.file("dranvel.log"));
  testing::internal::CaptureStdout();
  start_log(dir.file("parlavox.log").c_str());
  EXPECT_EQ("Counter : 4\n", testing::internal::GetCapturedStdout());
  EXPECT_FALSE(testsupport::FileExists(dir.file("parlavox.log")));
  EXPECT_EQ(before, ReadFile(dir.file("dranvel.log")));

  // A log that cannot be opened falls back to "dranvel.log" too.
  log_reset_for_testing(LOG_KEY_START, 4);
  ::remove(dir.file("dranvel.log").c_str());
  start_log(dir.file("no/such/dir/parlavox.log").c_str());
  TRACE_INFO("after");
  lines = Lines(DecodeLogFile(dir.file("dranvel.log"), LOG_KEY_START, 4));
  ASSERT_EQ(2u, lines.size());
  EXPECT_NE(std::string::npos, lines[1].find(": after"));
}

TEST(TraceLog, OverlongMessagesAreCutNotOverrun) {
  TempDir dir;
  std::string path = testsupport::RestartLogAt(dir);
  std::string huge(300000, 'y');
  TRACE_INFO("%s", huge.c_str());
  std::string longname(150000, 'f');
  write_log(1, "a.cpp", longname.c_str(), 1, "short");
  TRACE_INFO("next");
  auto lines = Lines(DecodeLogFile(path, LOG_KEY_START, log_step()));
  ASSERT_EQ(4u, lines.size());
  EXPECT_LT(lines[1].size(), 200000u);
  EXPECT_EQ("[...]", lines[1].substr(lines[1].size() - 5));
  EXPECT_NE(std::string::npos, lines[1].find("yyyy"));
  EXPECT_LT(lines[2].size(), 200000u);
  EXPECT_NE(std::string::npos, lines[3].find(": next"));
}

TEST(TraceLog, ReaderToolPrintsTheClearText) {
  TempDir dir;
  std::string path = testsupport::RestartLogAt(dir);
  TRACE_INFO("hello %s", "reader");
  TRACE_ERROR("config error");
  std::string expected = DecodeLogFile(path, LOG_KEY_START, log_step());

  std::string tool = testsupport::BuildDir() + "/scripts/parlavox-logcat";
  for (std::string args : {std::string(""), " --step " + std::to_string(log_step())}) {
    FILE* p = popen((tool + args + " " + path).c_str(), "r");
    ASSERT_NE(nullptr, p);
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    EXPECT_EQ(0, pclose(p));
    EXPECT_EQ(expected, out);
  }
  EXPECT_NE(std::string::npos, expected.find(": hello reader\n"));
  // A file that is not a log: the tool says so instead of printing garbage.
  testsupport::WriteFile(dir.file("junk"), "not a log at all");
  EXPECT_NE(0, system((tool + " " + dir.file("junk") + " >/dev/null 2>&1").c_str()));
}

// Nicknames, messages and URLs from the network are traced: whatever they hold, a traced text
// stays inside its own line, and the reader tool still reads the file.
TEST(TraceLog, TracedTextNeverEndsOrForgesALine) {
  TempDir dir;
  std::string path = testsupport::RestartLogAt(dir);
  const std::string forged = "1f:1:2026-01-01 00:00:00:void f() (<x.cpp> ligne 1) : forged";
  const struct {
    std::string text;
    std::string traced;
  } kCases[] = {
      {"bob\n" + forged, "bob\\n" + forged},
      {"a\r\nb", "a\\r\\nb"},
      {"tab\there", "tab\\there"},
      {"esc\x1b[2J\x7f", "esc\\x1b[2J\\x7f"},
      {"back\\nslash", "back\\\\nslash"},
      {"caf\xc3\xa9 \x01", "caf\xc3\xa9 \\x01"},
  };
  const int kTraceLine = __LINE__ + 1;
  for (const auto& c : kCases) TRACE_INFO("nick %s", c.text.c_str());
  TRACE_INFO("%5s|%c", "a\nb", '\n');  // a format that printf itself forms

  std::string clear = DecodeLogFile(path, LOG_KEY_START, log_step());
  auto lines = Lines(clear);
  ASSERT_EQ(1u + std::size(kCases) + 1, lines.size()) << clear;
  std::smatch m;
  for (size_t i = 0; i < std::size(kCases); ++i) {
    ASSERT_TRUE(std::regex_match(lines[1 + i], m, kLine)) << lines[1 + i];
    std::string tail = "(<logTest.cpp> ligne " + std::to_string(kTraceLine) + ") : nick " + kCases[i].traced;
    EXPECT_EQ(tail, lines[1 + i].substr(lines[1 + i].find("(<logTest.cpp>")));
  }
  ASSERT_TRUE(std::regex_match(lines.back(), m, kLine)) << lines.back();
  EXPECT_EQ("  a\\nb|\\n", m[7]);

  int status = -1;
  EXPECT_EQ(clear, testsupport::ReadLogWithTool(path, &status));
  EXPECT_EQ(0, status);
}

// Lines are formed without printf where the format allows: byte for byte what printf forms.
TEST(TraceLog, MessagesReadAsPrintfWritesThem) {
  TempDir dir;
  std::string path = testsupport::RestartLogAt(dir);
  char expected[8][128];
  int i = 0;
#define BOTH(...)                                               \
  do {                                                          \
    snprintf(expected[i++], sizeof expected[0], __VA_ARGS__); \
    TRACE_INFO(__VA_ARGS__);                                    \
  } while (0)
  BOTH("%d %d %i %d", INT_MIN, INT_MAX, -1, 0);
  BOTH("%ld %ld %lld %lld", LONG_MIN, LONG_MAX, LLONG_MIN, 42LL);
  BOTH("%u %lu %llu %zu", UINT_MAX, ULONG_MAX, ULLONG_MAX, static_cast<size_t>(7));
  BOTH("%x %lx %llx %zx", 0xdeadbeefu, 0UL, ~0ULL, static_cast<size_t>(255));
  BOTH("%s|%c|%%|%zd", "", 'q', static_cast<ssize_t>(-3));
  BOTH("%05d %-3s| %.2f %p", 42, "x", 2.5, static_cast<void*>(expected));
  BOTH("%s", "START (a, b)");
  BOTH("END : %s %%s %d", "found", 3);
#undef BOTH
  auto lines = Lines(DecodeLogFile(path, LOG_KEY_START, log_step()));
  ASSERT_EQ(9u, lines.size());
  std::smatch m;
  for (int k = 0; k < 8; ++k) {
    ASSERT_TRUE(std::regex_match(lines[1 + k], m, kLine)) << lines[1 + k];
    EXPECT_EQ(expected[k], m[7]);
  }
}

// The log is owner-only whenever it is opened, also when a file of that name was already there
// with another mode.
TEST(TraceLog, AnExistingLogFileBecomesOwnerOnly) {
  TempDir dir;
  CwdGuard cwd(dir.path());
  for (const char* name : {"parlavox.log", "dranvel.log"}) {
    ASSERT_TRUE(testsupport::WriteFile(dir.file(name), "an older run's log"));
    ASSERT_EQ(0, chmod(dir.file(name).c_str(), 0644));
  }
  log_reset_for_testing(LOG_KEY_START, 4);
  start_log(dir.file("parlavox.log").c_str());
  log_reset_for_testing(LOG_KEY_START, 4);
  TRACE_INFO("before any start_log");  // opens dranvel.log in the working directory
  log_flush();
  for (const char* name : {"parlavox.log", "dranvel.log"}) {
    struct stat st;
    ASSERT_EQ(0, stat(dir.file(name).c_str(), &st));
    EXPECT_EQ(0600u, st.st_mode & 0777) << name;
    EXPECT_EQ(std::string::npos, ReadFile(dir.file(name)).find("older")) << name;
  }
  log_reset_for_testing(LOG_KEY_START, log_step());
}

// More threads than cores: every line whole, each thread's lines in its order.
TEST(TraceLog, ManyThreadsAtOnce) {
  TempDir dir;
  std::string path = testsupport::RestartLogAt(dir);
  constexpr int kThreads = 24, kLines = 300;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kLines; ++i) {
        TRACE_INFO("t%d n%d %s", t, i, std::string(i % 7 == 0 ? 3000 : 20, 'z').c_str());
      }
    });
  }
  for (auto& th : threads) th.join();
  auto lines = Lines(DecodeLogFile(path, LOG_KEY_START, log_step()));
  ASSERT_EQ(1u + kThreads * kLines, lines.size());
  std::vector<int> next(kThreads, 0);
  for (size_t i = 1; i < lines.size(); ++i) {
    // The prefix by the pattern, the long message by hand (the pattern is slow on long lines).
    size_t body = lines[i].find(") : t");
    ASSERT_NE(std::string::npos, body) << lines[i].substr(0, 200);
    ASSERT_TRUE(std::regex_match(lines[i].substr(0, body + 4) + "x", kLine)) << lines[i].substr(0, 200);
    int t = -1, n = -1, used = 0;
    ASSERT_EQ(2, sscanf(lines[i].c_str() + body + 4, "t%d n%d %n", &t, &n, &used)) << lines[i].substr(0, 200);
    ASSERT_TRUE(t >= 0 && t < kThreads);
    ASSERT_EQ(next[t], n);
    next[t] = n + 1;
    EXPECT_EQ(std::string(n % 7 == 0 ? 3000 : 20, 'z'), lines[i].substr(body + 4 + used));
  }
}

// Lines from a few bytes to nearly a hundred kilobytes, from several threads and the main thread
// at once, so that what waits for the writer at one moment is more than it writes in one go, or
// one line is: in one file, every line is there once, whole, in its thread's order, and the
// scramble runs on from line to line to the file's end; with a bound some twenty lines long,
// each file reads on its own and every thread's lines follow on across the cut.
TEST(TraceLog, LinesOfEveryLengthFromManyThreadsAtOnce) {
  const size_t kLengths[] = {12, 3000, 21000, 40000, 64000, 66000, 99000, 5};
  constexpr int kThreads = 5, kLines = 60;
  for (size_t bound : {size_t(0), size_t(1) << 20}) {
    SCOPED_TRACE(bound);
    TempDir dir;
    const std::string path = testsupport::RestartLogAt(dir);
    if (bound) log_set_size_limit_for_testing(bound);
    auto trace = [&](int t) {
      for (int i = 0; i < kLines; ++i) {
        TRACE_INFO("t%d n%d %s", t, i, std::string(kLengths[size_t(i + t) % std::size(kLengths)], 'k').c_str());
      }
    };
    std::vector<std::thread> threads;
    for (int t = 1; t <= kThreads; ++t) threads.emplace_back(trace, t);
    trace(0);
    for (auto& th : threads) th.join();
    log_flush();
    std::vector<int> next(kThreads + 1, -1);
    std::vector<std::string> files = {DecodeLogFile(path, LOG_KEY_START, log_step())};
    if (bound) files.insert(files.begin(), DecodeLogFile(path + ".1", LOG_KEY_START, log_step()));
    for (const std::string& text : files) {
      auto lines = Lines(text);
      ASSERT_FALSE(lines.empty());
      EXPECT_NE(std::string::npos, lines[0].find(": Log start"));
      for (size_t i = 1; i < lines.size(); ++i) {
        const size_t body = lines[i].find(") : t");
        ASSERT_NE(std::string::npos, body) << lines[i].substr(0, 200);
        ASSERT_TRUE(std::regex_match(lines[i].substr(0, body + 4) + "x", kLine)) << lines[i].substr(0, 200);
        int t = -1, n = -1, used = 0;
        ASSERT_EQ(2, sscanf(lines[i].c_str() + body + 4, "t%d n%d %n", &t, &n, &used)) << lines[i].substr(0, 200);
        ASSERT_TRUE(t >= 0 && t <= kThreads);
        if (!bound || next[size_t(t)] >= 0) {
          ASSERT_EQ(std::max(next[size_t(t)], 0), n);
        }
        next[size_t(t)] = n + 1;
        ASSERT_EQ(std::string(kLengths[size_t(n + t) % std::size(kLengths)], 'k'), lines[i].substr(body + 4 + used));
      }
    }
    // With a bound, the files hold the last lines only: a thread seen there is seen to its last.
    for (int t = 0; t <= kThreads; ++t) {
      if (!bound || next[size_t(t)] >= 0) {
        EXPECT_EQ(kLines, next[size_t(t)]) << t;
      }
    }
    EXPECT_NE(next.end(), std::find(next.begin(), next.end(), kLines));
    log_reset_for_testing(LOG_KEY_START, log_step());
  }
}

// A log traced to several times its bound from several threads at once: it starts over as it
// goes, keeping the previous file as "<name>.1", so that at most twice the bound is on the disk.
// Both files are the owner's only, each reads on its own from the start key (the reader tool
// prints them in order), every line is whole and each thread's lines follow on across the cut.
TEST(TraceLog, StartsOverPastItsBoundKeepingThePreviousFile) {
  TempDir dir;
  std::string path = testsupport::RestartLogAt(dir);
  ASSERT_TRUE(testsupport::WriteFile(path + ".1", "an older run's kept log"));
  ASSERT_EQ(0, chmod((path + ".1").c_str(), 0644));
  testsupport::RestartLogAt(dir);
  struct stat older;
  ASSERT_EQ(0, stat((path + ".1").c_str(), &older));
  EXPECT_EQ(0600u, older.st_mode & 0777);
  constexpr size_t kBound = 64 * 1024;
  log_set_size_limit_for_testing(kBound);
  constexpr int kThreads = 6, kLines = 2000;  // some 1.3 MB: twenty times the bound
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kLines; ++i) TRACE_INFO("t%d n%d %s", t, i, std::string(i % 13 == 0 ? 1500 : 10, 'w').c_str());
    });
  }
  for (auto& th : threads) th.join();
  // A line longer than the bound is written whole, in a file of its own.
  TRACE_INFO("%s", std::string(kBound + 100, 'L').c_str());
  TRACE_INFO("last");
  log_flush();

  for (const std::string& name : {path, path + ".1"}) {
    struct stat st;
    ASSERT_EQ(0, stat(name.c_str(), &st)) << name;
    EXPECT_EQ(0600u, st.st_mode & 0777) << name;
  }
  const std::string current = DecodeLogFile(path, LOG_KEY_START, log_step());
  const std::string kept = DecodeLogFile(path + ".1", LOG_KEY_START, log_step());
  EXPECT_LE(kept.size(), kBound + 400);  // the long line with its prefix
  EXPECT_LE(current.size(), kBound);
  auto keptLines = Lines(kept), currentLines = Lines(current);
  ASSERT_EQ(2u, keptLines.size());
  EXPECT_NE(std::string::npos, keptLines[0].find(": Log start"));
  EXPECT_NE(std::string::npos, keptLines[1].find(std::string(kBound + 100, 'L')));
  ASSERT_EQ(2u, currentLines.size());
  EXPECT_NE(std::string::npos, currentLines[0].find(": Log start"));
  EXPECT_NE(std::string::npos, currentLines[1].find(": last"));

  int status = -1;
  EXPECT_EQ(kept + current, testsupport::ReadLogWithTool(path, &status));
  EXPECT_EQ(0, status);
  log_reset_for_testing(LOG_KEY_START, log_step());
}

// While the threads trace, the files on the disk never hold more than twice the bound, and the
// lines of the kept and the current file follow on: each thread's numbers rise by one.
TEST(TraceLog, ManyThreadsAcrossTheStartingOver) {
  TempDir dir;
  std::string path = testsupport::RestartLogAt(dir);
  constexpr size_t kBound = 256 * 1024;
  log_set_size_limit_for_testing(kBound);
  constexpr int kThreads = 8, kLines = 3000;
  std::atomic<int> running{kThreads};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &running] {
      for (int i = 0; i < kLines; ++i) TRACE_INFO("t%d n%d %s", t, i, std::string(i % 7 == 0 ? 900 : 40, 'v').c_str());
      --running;
    });
  }
  size_t most = 0;
  auto onDisk = [&] {
    struct stat a, b;
    size_t total = (stat(path.c_str(), &a) == 0 ? a.st_size : 0) + (stat((path + ".1").c_str(), &b) == 0 ? b.st_size : 0);
    most = std::max(most, total);
  };
  while (running > 0) onDisk();
  for (auto& th : threads) th.join();
  onDisk();
  printf("%d lines; at most %zu bytes on the disk for a bound of %zu\n", kThreads * kLines, most, kBound);
  EXPECT_LE(most, 2 * kBound);

  // The files hold the log's last lines: those of each thread there, in order, the kept file's
  // before the current's, up to its last one.
  std::vector<int> last(kThreads, -1);
  for (const std::string& text : {DecodeLogFile(path + ".1", LOG_KEY_START, log_step()),
                                  DecodeLogFile(path, LOG_KEY_START, log_step())}) {
    auto lines = Lines(text);
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(std::string::npos, lines[0].find(": Log start"));
    for (size_t i = 1; i < lines.size(); ++i) {
      size_t body = lines[i].find(") : t");
      ASSERT_NE(std::string::npos, body) << lines[i].substr(0, 200);
      ASSERT_TRUE(std::regex_match(lines[i].substr(0, body + 4) + "x", kLine)) << lines[i].substr(0, 200);
      int t = -1, n = -1;
      ASSERT_EQ(2, sscanf(lines[i].c_str() + body + 4, "t%d n%d", &t, &n));
      ASSERT_TRUE(t >= 0 && t < kThreads);
      if (last[t] >= 0) {
        EXPECT_EQ(last[t] + 1, n);
      }
      last[t] = n;
    }
  }
  int seen = 0;
  for (int t = 0; t < kThreads; ++t) {
    if (last[t] < 0) continue;
    ++seen;
    EXPECT_EQ(kLines - 1, last[t]);
  }
  EXPECT_GT(seen, 0);
  log_reset_for_testing(LOG_KEY_START, log_step());
}

// A log that is no regular file (a device such as /dev/null, a pipe) is written as it is: never
// moved aside nor started over, whatever it took, and its mode is left alone.
TEST(TraceLog, ALogThatIsNoRegularFileIsLeftAsItIs) {
  TempDir dir;
  const std::string pipe = dir.file("pipe");
  ASSERT_EQ(0, mkfifo(pipe.c_str(), 0644));
  // The pipe has its reader when the log opens it.
  const int readEnd = ReaderOf(pipe);
  ASSERT_GE(readEnd, 0);
  log_reset_for_testing(LOG_KEY_START, log_step());
  start_log(pipe.c_str());
  std::atomic<size_t> read{0};
  std::thread reader([&] {
    char buf[65536];
    for (ssize_t n; (n = ::read(readEnd, buf, sizeof buf)) > 0;) read += size_t(n);
    close(readEnd);
  });
  log_set_size_limit_for_testing(4096);
  for (int i = 0; i < 200; ++i) TRACE_INFO("line %d %s", i, std::string(100, 'p').c_str());
  log_reset_for_testing(LOG_KEY_START, log_step());  // closes the pipe: the reader ends
  reader.join();
  struct stat st;
  ASSERT_EQ(0, lstat(pipe.c_str(), &st));
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  EXPECT_EQ(0644u, st.st_mode & 0777);
  EXPECT_FALSE(testsupport::FileExists(pipe + ".1"));
  EXPECT_GT(read.load(), 200u * 100);
}

namespace {

// Runs start_log(path) on a thread of its own and waits for it a while. A start that waits on a
// named pipe at path, which nobody reads, is let go by opening the pipe for reading: the read end
// goes to *released, to be closed once the log no longer writes to it. True when the start
// returned by itself.
bool StartsWithoutWaiting(const std::string& path, int* released) {
  std::atomic<bool> started{false};
  std::thread starter([&] {
    start_log(path.c_str());
    started = true;
  });
  const bool alone = WaitFor([&] { return started.load(); }, 20s);
  if (!alone) *released = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  starter.join();
  return alone;
}

}  // namespace

// What stands in the log's place in the settings folder and is no file of its own is never
// waited for nor written through: a named pipe that nobody reads and a link to a file outside
// the folder (also one put there before the log starts over) are refused, and the log goes to
// "dranvel.log" in the working directory; what lies outside the folder keeps its bytes and its
// mode. A link to a device is written to as the device itself.
TEST(TraceLog, WhatStandsInTheLogsPlaceIsNeverWaitedForNorFollowedOutOfTheFolder) {
  TempDir settings, work, outside;
  CwdGuard cwd(work.path());
  const std::string log = settings.file("parlavox.log"), fallback = work.file("dranvel.log");
  const std::string precious = outside.file("precious"), missing = outside.file("missing");
  ASSERT_TRUE(testsupport::WriteFile(precious, "someone else's file\n"));
  ASSERT_EQ(0, chmod(precious.c_str(), 0640));
  const struct {
    const char* what;
    std::function<int()> make;
    bool taken;
  } cases[] = {
      {"a named pipe nobody reads", [&] { return mkfifo(log.c_str(), 0644); }, false},
      {"a link to a file outside", [&] { return symlink(precious.c_str(), log.c_str()); }, false},
      {"a link to nothing", [&] { return symlink(missing.c_str(), log.c_str()); }, false},
      {"a link to a device", [&] { return symlink("/dev/null", log.c_str()); }, true},
  };
  const std::string outsideBefore = testsupport::DescribeFile(precious);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ::unlink(log.c_str());
    ::unlink(fallback.c_str());
    ASSERT_EQ(0, c.make());
    const std::string placeBefore = testsupport::DescribeFile(log);
    log_reset_for_testing(LOG_KEY_START, log_step());
    int released = -1;
    EXPECT_TRUE(StartsWithoutWaiting(log, &released)) << "the start waited for a reader";
    TRACE_INFO("after the start");
    log_flush();
    log_reset_for_testing(LOG_KEY_START, log_step());
    if (released >= 0) close(released);
    EXPECT_EQ(outsideBefore, testsupport::DescribeFile(precious));
    EXPECT_EQ("none", testsupport::DescribeFile(missing));
    EXPECT_EQ(placeBefore, testsupport::DescribeFile(log));
    EXPECT_EQ(!c.taken, testsupport::FileExists(fallback));
    if (!c.taken) {
      EXPECT_NE(std::string::npos, DecodeLogFile(fallback, LOG_KEY_START, log_step()).find("after the start"));
    }
  }

  // A link put in the log's place while it ran: the log starts over without following it.
  ::unlink(log.c_str());
  ::unlink(fallback.c_str());
  start_log(log.c_str());
  log_set_size_limit_for_testing(4096);
  ASSERT_EQ(0, rename(log.c_str(), settings.file("moved").c_str()));
  ASSERT_EQ(0, symlink(precious.c_str(), log.c_str()));
  for (int i = 0; i < 100; ++i) TRACE_INFO("line %d %s", i, std::string(100, 'p').c_str());
  log_flush();
  TRACE_INFO("after the link");
  log_flush();
  log_reset_for_testing(LOG_KEY_START, log_step());
  EXPECT_EQ(outsideBefore, testsupport::DescribeFile(precious));
  EXPECT_TRUE(testsupport::FileExists(fallback));
}

namespace {

// Starts the log over in a named pipe made in dir, and returns the pipe's read end (-1 when it
// could not be made or opened), which nobody reads yet.
int LogIntoAPipe(const TempDir& dir) {
  const std::string pipe = dir.file("pipe");
  if (mkfifo(pipe.c_str(), 0600) != 0) return -1;
  const int readEnd = ReaderOf(pipe);
  log_reset_for_testing(LOG_KEY_START, log_step());
  start_log(pipe.c_str());
  return readEnd;
}

// What a reader got from the log in a pipe: the messages of its lines, in their order, each
// line checked to be whole and to read from the start key (a line cut short, or a byte whose key
// is not the one of its place, would not).
std::vector<std::string> MessagesOf(std::string bytes) {
  log_unscramble(reinterpret_cast<unsigned char*>(bytes.data()), bytes.size(), LOG_KEY_START, log_step());
  EXPECT_TRUE(bytes.empty() || bytes.back() == '\n') << "the last line is cut short";
  std::vector<std::string> messages;
  for (const std::string& line : Lines(bytes)) {
    std::smatch m;
    EXPECT_TRUE(std::regex_match(line, m, kLine)) << line.substr(0, 200);
    messages.push_back(m[7]);
  }
  return messages;
}

// The count of the line that says how many lines the log dropped, or -1 for any other line.
long DroppedCount(const std::string& message) {
  static const std::regex kDropped(R"((\d+) lines dropped: the log could not take them)");
  std::smatch m;
  return std::regex_match(message, m, kDropped) ? std::stol(m[1]) : -1;
}

// Of the messages "<who> <number>...": how many there are and whether each who's numbers rise
// (with gaps where lines were dropped); and the counts of the dropped lines, summed.
struct Tally {
  long lines = 0;
  long dropped = 0;
  bool inOrder = true;
};
Tally TallyOf(const std::vector<std::string>& messages) {
  Tally tally;
  std::map<std::string, int> last;
  for (const std::string& message : messages) {
    const long count = DroppedCount(message);
    char who[32];
    int n = 0;
    if (count >= 0) {
      tally.dropped += count;
    } else if (sscanf(message.c_str(), "%31s %d", who, &n) == 2) {
      ++tally.lines;
      if (last.count(who) && last[who] >= n) tally.inOrder = false;
      last[who] = n;
    }
  }
  return tally;
}

}  // namespace

// The main thread (the GUI's) never waits on the log: not while another thread fills a pipe that
// nobody reads (a stalled disk is the same to it), nor for its own lines. Once the pipe is read
// again, every line in it is whole, each thread's in its order, and the lines the pipe could not
// take are counted: the count goes first, before the next line, and makes up for every one missing.
TEST(TraceLog, TheMainThreadGoesOnWhileAnotherThreadsWriteIsStuck) {
  TempDir dir;
  const int readEnd = LogIntoAPipe(dir);
  ASSERT_GE(readEnd, 0);

  // Another thread fills the pipe.
  constexpr int kOthers = 2000, kMains = 100;
  std::thread other([&] {
    for (int i = 0; i < kOthers; ++i) TRACE_INFO("other %d %s", i, std::string(200, 'o').c_str());
  });
  int queued = 0;
  for (int tries = 0; tries < 1000 && queued < 60000; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(0, ioctl(readEnd, FIONREAD, &queued));
  }
  ASSERT_GE(queued, 60000) << "the pipe did not fill";

  // Should the main thread wait, the pipe is read after a while all the same, and it shows.
  std::atomic<bool> readingStarted{false};
  std::string bytes;
  std::thread reader([&] {
    std::this_thread::sleep_for(std::chrono::seconds(5));
    readingStarted = true;
    char buf[65536];
    for (ssize_t n; (n = read(readEnd, buf, sizeof buf)) > 0;) bytes.append(buf, size_t(n));
  });
  for (int i = 0; i < kMains; ++i) TRACE_INFO("main %d", i);
  EXPECT_FALSE(readingStarted.load()) << "the main thread waited for the stuck write";

  other.join();
  // The pipe read to its end, the next line goes through.
  int left = -1;
  ASSERT_TRUE(WaitFor([&] { return readingStarted && ioctl(readEnd, FIONREAD, &left) == 0 && left == 0; }, 30s));
  TRACE_INFO("main %d", kMains);
  log_flush();
  log_reset_for_testing(LOG_KEY_START, log_step());  // closes the pipe: the reader ends
  reader.join();
  close(readEnd);
  const std::vector<std::string> messages = MessagesOf(bytes);
  const Tally tally = TallyOf(messages);
  EXPECT_TRUE(tally.inOrder);
  EXPECT_GT(tally.lines, 100) << "the pipe's worth of lines";
  EXPECT_GT(tally.dropped, 0);
  EXPECT_EQ(kOthers + kMains + 1, tally.lines + tally.dropped);
  ASSERT_GE(messages.size(), 3u);
  EXPECT_EQ("main " + std::to_string(kMains), messages.back());
  EXPECT_GE(DroppedCount(messages[messages.size() - 2]), 0) << messages[messages.size() - 2];
}

// A pipe that nobody reads, full, holds neither the threads that trace nor the program's end:
// the main thread and four others trace on to their last lines, a flush returns, and the process
// ends at once, its end writing what the log holds without waiting for the pipe.
TEST(TraceLog, TheProgramEndsWhileItsLogIsAPipeThatNobodyReads) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        // Ended by the alarm, should the tracing or the end wait for the pipe.
        alarm(20);
        TempDir dir;
        if (LogIntoAPipe(dir) < 0) std::exit(3);
        std::vector<std::thread> others;
        for (int t = 0; t < 4; ++t) {
          others.emplace_back([t] {
            for (int i = 0; i < 3000; ++i) TRACE_INFO("t%d %d %s", t, i, std::string(100, 'e').c_str());
          });
        }
        for (int i = 0; i < 3000; ++i) TRACE_INFO("main %d %s", i, std::string(100, 'e').c_str());
        for (auto& other : others) other.join();
        log_flush();
        alarm(5);
        std::exit(0);
      },
      testing::ExitedWithCode(0), "");
}

// The copies of the main thread's lines are used again once written: a line of any length, one
// longer than the copies hold among them, arrives whole and in its order, bursts after bursts,
// while another thread writes too and takes the writer role in turn.
TEST(TraceLog, TheMainThreadsLinesArriveWholeWhateverTheirLengthBurstAfterBurst) {
  TempDir dir;
  log_reset_for_testing(LOG_KEY_START, log_step());
  const std::string path = dir.file("burst.log");
  start_log(path.c_str());
  constexpr int kMains = 12000, kOthers = 3000;
  const size_t kLengths[] = {0, 1, 120, 200, 254, 255, 256, 257, 300, 700, 4000};
  auto payload = [&](int i) { return std::string(kLengths[size_t(i) % std::size(kLengths)], char('a' + i % 26)); };
  std::thread other([] {
    for (int i = 0; i < kOthers; ++i) TRACE_INFO("other %d", i);
  });
  for (int i = 0; i < kMains; ++i) {
    TRACE_INFO("main %d [%s]", i, payload(i).c_str());
    // Now and then the writer catches up, and the next burst runs on copies it gave back.
    if (i % 1500 == 1499) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  other.join();
  log_flush();
  int nextMain = 0, nextOther = 0;
  for (const std::string& line : Lines(DecodeLogFile(path, LOG_KEY_START, unsigned(log_step())))) {
    const size_t at = line.find(") : ");
    ASSERT_NE(std::string::npos, at) << line.substr(0, 200);
    const std::string message = line.substr(at + 4);
    int n = 0;
    if (sscanf(message.c_str(), "main %d", &n) == 1) {
      ASSERT_EQ(nextMain, n);
      ASSERT_EQ("main " + std::to_string(n) + " [" + payload(n) + "]", message);
      ++nextMain;
    } else if (sscanf(message.c_str(), "other %d", &n) == 1) {
      ASSERT_EQ(nextOther++, n);
    }
  }
  EXPECT_EQ(kMains, nextMain);
  EXPECT_EQ(kOthers, nextOther);
  log_reset_for_testing(LOG_KEY_START, log_step());
}

// The copies the main thread's lines are handed over in are freed once written, but for those
// the log keeps for the next lines: a burst that the writer could not follow, its write stuck on
// a full pipe, leaves no copy of each of its lines allocated once the log is flushed.
TEST(TraceLog, TheCopiesOfABurstTheWriterFellBehindAreFreedOnceWritten) {
  TempDir dir;
  const int readEnd = LogIntoAPipe(dir);
  ASSERT_GE(readEnd, 0);
  // The writer thread runs (the pipe has room for its first lines).
  TRACE_INFO("main start");
  log_flush();

  const size_t before = HeapInUse();
  constexpr int kLines = 20000;
  for (int i = 0; i < kLines; ++i) TRACE_INFO("main %d", i);
  int queued = 0;
  EXPECT_TRUE(WaitFor([&] { return ioctl(readEnd, FIONREAD, &queued) == 0 && queued >= 32768; }, 10s))
      << "the pipe did not fill: " << queued;
  std::thread reader([&] {
    char buf[65536];
    while (read(readEnd, buf, sizeof buf) > 0) {
    }
  });
  log_flush();
  const long kept = static_cast<long>(HeapInUse()) - static_cast<long>(before);
  log_reset_for_testing(LOG_KEY_START, log_step());  // closes the pipe: the reader ends
  reader.join();
  close(readEnd);
  // A copy kept for each line would be a few hundred bytes a line.
  EXPECT_LT(kept, kLines * 50L) << kept / kLines << " bytes a line";
}

namespace {

// The numbers of the lines "main N" of a log's clear text, in their order.
std::vector<int> MainNumbers(const std::string& clear) {
  std::vector<int> numbers;
  for (const std::string& line : Lines(clear)) {
    const size_t at = line.find(") : main ");
    if (at != std::string::npos) numbers.push_back(std::stoi(line.substr(at + 9)));
  }
  return numbers;
}

// The same of the log at `path`, once the lines this thread handed over are written (the log
// is flushed first).
std::vector<int> MainLines(const std::string& path) {
  return MainNumbers(DecodeLogFile(path, LOG_KEY_START, unsigned(log_step())));
}

// The same of the whole lines of the log at `path` as it stands, read with plain reads, the log
// not flushed: what its writer thread wrote by itself. A line being written is not counted yet.
std::vector<int> MainLinesAsTheyStand(const std::string& path) {
  std::string bytes = testsupport::ReadFile(path);
  log_unscramble(reinterpret_cast<unsigned char*>(bytes.data()), bytes.size(), LOG_KEY_START, log_step());
  const size_t end = bytes.rfind('\n');
  bytes.resize(end == std::string::npos ? 0 : end + 1);
  return MainNumbers(bytes);
}

std::vector<int> Upto(int count) {
  std::vector<int> numbers(size_t(count), 0);
  for (int i = 0; i < count; ++i) numbers[size_t(i)] = i;
  return numbers;
}

// A test that runs again from its start in a process of its own: the file's name that the first
// run chose, passed on to the second in `variable`.
std::string NameForTheRunAgain(const char* variable, const std::string& chosen) {
  if (!getenv(variable)) setenv(variable, chosen.c_str(), 1);
  return getenv(variable);
}

}  // namespace

// The main thread's lines reach the file without anyone flushing the log: a lone line after a
// quiet spell, lines a little apart, and bursts with quiet spells between them, every one in order.
TEST(TraceLog, TheMainThreadsLinesReachTheFileByThemselvesInOrder) {
  TempDir dir;
  log_reset_for_testing(LOG_KEY_START, log_step());
  const std::string path = dir.file("unflushed.log");
  start_log(path.c_str());
  int next = 0;
  auto arrived = [&] {
    for (int tries = 0; tries < 1000; ++tries) {
      if (MainLinesAsTheyStand(path).size() == size_t(next)) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  };
  TRACE_INFO("main %d", next++);
  ASSERT_TRUE(arrived());
  for (int i = 0; i < 30; ++i) {
    TRACE_INFO("main %d", next++);
    std::this_thread::sleep_for(std::chrono::microseconds(300));
  }
  ASSERT_TRUE(arrived());
  for (int burst = 0; burst < 5; ++burst) {
    for (int i = 0; i < 3000; ++i) TRACE_INFO("main %d", next++);
    ASSERT_TRUE(arrived());
    std::this_thread::sleep_for(std::chrono::milliseconds(burst * 20));
  }
  EXPECT_EQ(Upto(next), MainLines(path));
  log_reset_for_testing(LOG_KEY_START, log_step());
}

// A program that ends right after a burst of lines, without flushing its log, leaves every line
// in the file, in order.
TEST(TraceLog, EveryLineOfABurstIsInTheFileAtTheProgramsEnd) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // The program is this test run again from its start: it takes the file's name from here.
  const char* const kPathVariable = "PARLAVOX_TEST_EXIT_LOG";
  TempDir dir;
  const std::string path = NameForTheRunAgain(kPathVariable, dir.file("exit.log"));
  EXPECT_EXIT(
      {
        log_reset_for_testing(LOG_KEY_START, log_step());
        start_log(path.c_str());
        for (int i = 0; i < 20000; ++i) TRACE_INFO("main %d", i);
        std::exit(0);
      },
      testing::ExitedWithCode(0), "");
  unsetenv(kPathVariable);
  EXPECT_EQ(Upto(20000), MainLines(path));
}

namespace {

// "<word> <who> <number on four digits>".
std::string Numbered(const char* word, const std::string& who, int number) {
  char digits[16];
  snprintf(digits, sizeof digits, " %04d", number);
  return word + (" " + who) + digits;
}

// Traces, from the calling thread, lines of one length: "probe" (which measures that length),
// then with the file allowed to grow by three lines and a half, a few "limit" lines, and, with
// the bound lifted, `count` "after" lines. The bound on a file's size makes the kernel write
// part of the fourth line and refuse the rest, as a full disk does.
void TraceThroughAFullDisk(const std::string& path, const char* who, int count) {
  const std::string payload(200, 'p');
  auto trace = [&](const char* word, int i) { TRACE_INFO("%s %s", Numbered(word, who, i).c_str(), payload.c_str()); };
  auto size = [&] {
    log_flush();
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? static_cast<rlim_t>(st.st_size) : 0;
  };
  const rlim_t before = size();
  trace("probe", 0);
  const rlim_t line = size() - before;
  struct rlimit limit;
  ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &limit));
  const rlim_t unbounded = limit.rlim_cur;
  limit.rlim_cur = size() + 3 * line + line / 2;
  ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &limit));
  for (int i = 0; i < 10; ++i) trace("limit", i);
  log_flush();
  limit.rlim_cur = unbounded;
  ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &limit));
  for (int i = 0; i < count; ++i) trace("after", i);
  log_flush();
}

}  // namespace

// A write that the disk cuts short loses the line it cuts and those it refuses, and no more:
// the lines written once there is room again read back whole, with the project's reader too.
// Both ways a line reaches the file are tried: the main thread's lines, which the log's writer
// thread writes in batches, and another thread's, each written by that thread.
TEST(TraceLog, LinesAfterAWriteCutShortByAFullDiskReadBackWhole) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  // The bound on the file's size is the process's: the tracing runs in a process of its own,
  // this test run again from its start, which takes the file's name from here.
  const char* const kPathVariable = "PARLAVOX_TEST_FULL_DISK_LOG";
  TempDir dir;
  const std::string path = NameForTheRunAgain(kPathVariable, dir.file("full.log"));
  constexpr int kAfter = 300;
  EXPECT_EXIT(
      {
        signal(SIGXFSZ, SIG_IGN);
        log_reset_for_testing(LOG_KEY_START, log_step());
        start_log(path.c_str());
        TraceThroughAFullDisk(path, "main", kAfter);
        std::thread other([&] { TraceThroughAFullDisk(path, "other", kAfter); });
        other.join();
        std::exit(0);
      },
      testing::ExitedWithCode(0), "");
  unsetenv(kPathVariable);

  const std::string clear = DecodeLogFile(path, LOG_KEY_START, log_step());
  std::vector<std::string> messages;
  int readable = 0;
  for (const std::string& line : Lines(clear)) {
    // A line that runs on after part of another holds two prefixes. (Text read with the wrong
    // key seldom holds a newline: such a line is not given to the regular expression, whose
    // recursion it would take past the stack's end.)
    std::smatch m;
    if (line.find(" ligne ") != line.rfind(" ligne ") || line.size() > 1000 || !std::regex_match(line, m, kLine))
      continue;
    messages.push_back(m[7].str().substr(0, m[7].str().find(" pp")));
    if (messages.back().compare(0, 6, "after ") == 0) ++readable;
  }
  EXPECT_EQ(2 * kAfter, readable) << "lines written after the disk had room again that read back";
  // Three "limit" lines fit whole; of the fourth nothing stays, not even the part written.
  std::vector<std::string> expected = {"Log start"};
  for (const std::string who : {"main", "other"}) {
    expected.push_back(Numbered("probe", who, 0));
    for (int i = 0; i < 3; ++i) expected.push_back(Numbered("limit", who, i));
    for (int i = 0; i < kAfter; ++i) expected.push_back(Numbered("after", who, i));
  }
  EXPECT_EQ(expected, messages);
  EXPECT_EQ(Lines(clear).size(), messages.size()) << "every line is whole";
  int status = -1;
  EXPECT_EQ(clear, testsupport::ReadLogWithTool(path, &status));
  EXPECT_EQ(0, status);
}

namespace {

// The times the log's writer thread has gone to wait so far (each one ends a wake-up), as the
// kernel counts them; -1 while it does not run.
long long WriterWaits() {
  for (const std::string& tid : testsupport::ListDir("/proc/self/task")) {
    const std::string task = "/proc/self/task/" + tid;
    if (testsupport::ReadFile(task + "/comm") != "trace log\n") continue;
    const std::string status = testsupport::ReadFile(task + "/status");
    const size_t at = status.find("\nvoluntary_ctxt_switches:");
    if (at != std::string::npos) return std::stoll(status.substr(at + 25));
  }
  return -1;
}

// Waits for a second in which the writer did not wake (at most ten seconds): after lines it naps
// a while, and on a loaded machine its naps run late.
bool WriterRests() {
  for (int second = 0; second < 10; ++second) {
    const long long before = WriterWaits();
    std::this_thread::sleep_for(1s);
    if (before >= 0 && WriterWaits() == before) return true;
  }
  return false;
}

}  // namespace

// With nothing traced the log's writer thread sleeps, however long, instead of looking now and
// then: a program at rest would wake for it for as long as it runs. Each line the main thread
// traces after a quiet spell wakes it: the line is in the file within half a second, read there
// as it stands, without anyone flushing the log (a flush would write it itself). A writer left
// asleep would keep the program's last lines in memory, for a crash to lose.
TEST(TraceLog, TheWriterSleepsUntilTheNextLineWakesIt) {
  TempDir dir;
  log_reset_for_testing(LOG_KEY_START, log_step());
  const std::string path = dir.file("quiet.log");
  start_log(path.c_str());
  for (int line = 0; line < 3; ++line) {
    TRACE_INFO("main %d", line);
    ASSERT_TRUE(WaitFor([&] { return MainLinesAsTheyStand(path).size() == size_t(line + 1); }, 500ms))
        << "line " << line << " not in the file within 500 ms";
    EXPECT_TRUE(WriterRests()) << "after line " << line;
  }
  EXPECT_EQ(Upto(3), MainLines(path));
  log_reset_for_testing(LOG_KEY_START, log_step());
}

// The program ends while the log's writer sleeps: the end wakes it, and the process ends.
TEST(TraceLog, TheProgramEndsWhileTheWriterSleeps) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const char* const kPathVariable = "PARLAVOX_TEST_ASLEEP_LOG";
  TempDir dir;
  const std::string path = NameForTheRunAgain(kPathVariable, dir.file("asleep.log"));
  EXPECT_EXIT(
      {
        log_reset_for_testing(LOG_KEY_START, log_step());
        start_log(path.c_str());
        TRACE_INFO("main %d", 0);
        log_flush();
        if (!WriterRests()) std::exit(2);
        std::exit(0);
      },
      testing::ExitedWithCode(0), "");
  unsetenv(kPathVariable);
  EXPECT_EQ(Upto(1), MainLines(path));
}
