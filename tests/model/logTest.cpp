#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "model/log.h"
#include "tests/support/testSupport.h"

using testsupport::DecodeLogFile;
using testsupport::ReadFile;
using testsupport::TempDir;

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) out.push_back(line);
  return out;
}

const std::regex kLine(R"(([0-9a-f]+):(\d):(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d):(.*) \(<(.*)> ligne (\d+)\) : (.*))");

class CwdGuard {
 public:
  explicit CwdGuard(const std::string& dir) {
    char buf[4096];
    old_ = getcwd(buf, sizeof buf) ? buf : "/";
    EXPECT_EQ(0, chdir(dir.c_str()));
  }
  ~CwdGuard() { (void)chdir(old_.c_str()); }

 private:
  std::string old_;
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
