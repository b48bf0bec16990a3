#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <regex>
#include <string>

#include "model/systemInfo.h"
#include "model/systemInfoPlatform.h"
#include "tests/support/testSupport.h"

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WaitFor;
using testsupport::WriteFile;

namespace {

// Stand-in machine: text values by name, numbers by name; a name in neither is unreadable.
std::map<std::string, std::string> g_texts;
std::map<std::string, uint64_t> g_numbers;

int FakeReader(const char* name, void* buffer, size_t* size) {
  auto text = g_texts.find(name);
  if (text != g_texts.end()) {
    if (text->second.size() + 1 > *size) {
      errno = ENOMEM;
      return -1;
    }
    memcpy(buffer, text->second.c_str(), text->second.size() + 1);
    *size = text->second.size() + 1;
    return 0;
  }
  auto number = g_numbers.find(name);
  if (number == g_numbers.end() || *size < 4) {
    errno = ENOENT;
    return -1;
  }
  if (*size >= 8) {
    memcpy(buffer, &number->second, 8);
    *size = 8;
  } else {
    int32_t small = static_cast<int32_t>(number->second);
    memcpy(buffer, &small, 4);
    *size = 4;
  }
  return 0;
}

class FakeMachine : public ::testing::Test {
 protected:
  void SetUp() override {
    g_texts = {{"kern.ostype", "Linux"}, {"kern.osrelease", "6.1.0-18-amd64"}, {"hw.model", "Test CPU"}};
    g_numbers = {{"hw.clockrate", 2893}, {"hw.physmem", 17179869184ull}};
    SetSystemValueReader(FakeReader);
  }
  void TearDown() override { SetSystemValueReader(nullptr); }
};

// The cases put fake commands on PATH, or take every command off it: each gets the PATH it
// started with back, so that the cases after it find the real commands again.
class SystemReport : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* path = getenv("PATH");
    m_hadPath = path != nullptr;
    m_path = path ? path : "";
  }
  void TearDown() override {
    if (m_hadPath) setenv("PATH", m_path.c_str(), 1);
    else unsetenv("PATH");
  }

 private:
  bool m_hadPath = false;
  std::string m_path;
};

// Makes `dir` hold an executable "xrandr" with the given shell body and puts it first on PATH.
void InstallFakeXrandr(const TempDir& dir, const std::string& body) {
  std::string path = dir.file("xrandr");
  ASSERT_TRUE(WriteFile(path, "#!/bin/sh\n" + body));
  ASSERT_EQ(0, chmod(path.c_str(), 0755));
  std::string old = getenv("PATH") ? getenv("PATH") : "/usr/bin:/bin";
  setenv("PATH", (dir.path() + ":" + old).c_str(), 1);
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The process is gone, or has ended and waits only to be reaped by its new parent.
bool Ended(pid_t pid) {
  if (kill(pid, 0) != 0) return true;
  std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
  size_t paren = stat.rfind(')');
  return paren != std::string::npos && paren + 2 < stat.size() && stat[paren + 2] == 'Z';
}

}  // namespace

TEST_F(SystemReport, ThisMachine) {
  EXPECT_EQ("linux", GetArchi());

  struct utsname uts;
  ASSERT_EQ(0, uname(&uts));
  EXPECT_EQ(std::string(uts.sysname) + "|" + uts.release, GetOSVersion());

  std::smatch m;
  std::string hard = GetHardInfo();
  std::regex form(R"((.+)\|(\d+)\|(\d+))");
  ASSERT_TRUE(std::regex_match(hard, m, form)) << hard;
  struct sysinfo info;
  ASSERT_EQ(0, sysinfo(&info));
  EXPECT_EQ(std::to_string(static_cast<uint64_t>(info.totalram) * info.mem_unit), m[3].str());
  std::string cpuinfo = ReadFile("/proc/cpuinfo");
  if (cpuinfo.find("model name") != std::string::npos) {
    EXPECT_NE("??", m[1].str());
    EXPECT_NE(std::string::npos, cpuinfo.find(m[1].str()));
  }

  // With a display and the real "xrandr", the size of the screen; otherwise the unknown form.
  std::string screen = GetScreenInfo();
  if (getenv("DISPLAY") && *getenv("DISPLAY") && system("command -v xrandr >/dev/null 2>&1") == 0) {
    EXPECT_TRUE(std::regex_match(screen, std::regex(R"([1-9]\d*\|[1-9]\d*\|\?\?)"))) << screen;
  } else {
    EXPECT_EQ("??|??|??", screen);
  }
}

TEST_F(SystemReport, PlatformValuesThatDoNotFitAreRefused) {
  char text[3];
  size_t size = sizeof text;
  EXPECT_EQ(-1, ReadSystemValue("kern.ostype", text, &size));  // "Linux" needs 6 bytes
  EXPECT_EQ(ENOMEM, errno);
  char big[100];
  size = sizeof big;
  ASSERT_EQ(0, ReadSystemValue("kern.ostype", big, &size));
  EXPECT_EQ(strlen(big) + 1, size);
  int16_t tooSmall;
  size = sizeof tooSmall;
  EXPECT_EQ(-1, ReadSystemValue("hw.physmem", &tooSmall, &size));
  size = sizeof big;
  EXPECT_EQ(-1, ReadSystemValue("kern.nosuchvalue", big, &size));
  EXPECT_EQ(ENOENT, errno);
}

TEST_F(FakeMachine, ValuesAndUnreadableValues) {
  EXPECT_EQ("Linux|6.1.0-18-amd64", GetOSVersion());
  EXPECT_EQ("Test CPU|2893|17179869184", GetHardInfo());

  g_texts.erase("kern.osrelease");
  EXPECT_EQ("Linux|??", GetOSVersion());
  // Without a type there is no OS text at all, even with a readable release.
  g_texts["kern.osrelease"] = "6.1";
  g_texts.erase("kern.ostype");
  EXPECT_EQ("", GetOSVersion());

  // A value that does not fit its buffer (100 bytes with the NUL for the OS texts, 1000 for the
  // model) counts as unreadable; one byte less fits.
  g_texts["kern.ostype"] = std::string(99, 'L');
  EXPECT_EQ(std::string(99, 'L') + "|6.1", GetOSVersion());
  g_texts["kern.ostype"] = std::string(100, 'L');
  EXPECT_EQ("", GetOSVersion());
  g_texts["kern.ostype"] = "Linux";
  g_texts["kern.osrelease"] = std::string(100, 'r');
  EXPECT_EQ("Linux|??", GetOSVersion());

  g_texts["hw.model"] = std::string(999, 'm');
  EXPECT_EQ(std::string(999, 'm') + "|2893|17179869184", GetHardInfo());
  g_texts["hw.model"] = std::string(1000, 'm');
  EXPECT_EQ("??|2893|17179869184", GetHardInfo());
  g_numbers.clear();
  g_texts.erase("hw.model");
  EXPECT_EQ("??|0|0", GetHardInfo());
}

TEST_F(SystemReport, ScreenFromXrandrOutput) {
  TempDir dir;
  InstallFakeXrandr(dir,
                    "echo 'Screen 0: minimum 320 x 200, current 1280 x 1024, maximum 4096 x 4096'\n"
                    "echo 'VGA-1 connected 1280x1024+0+0'\n");
  EXPECT_EQ("1280|1024|??", GetScreenInfo());

  // Only the first line counts, and it must match the whole form.
  WriteFile(dir.file("xrandr"), "#!/bin/sh\necho 'Screen 0: minimum 320 x 200, current 1280 x'\n"
                                "echo 'Screen 0: minimum 320 x 200, current 800 x 600, maximum 4096 x 4096'\n");
  EXPECT_EQ("??|??|??", GetScreenInfo());
  WriteFile(dir.file("xrandr"), "#!/bin/sh\necho \"Can't open display\" >&2\nexit 1\n");
  EXPECT_EQ("??|??|??", GetScreenInfo());
  WriteFile(dir.file("xrandr"), "#!/bin/sh\nexit 0\n");
  EXPECT_EQ("??|??|??", GetScreenInfo());
}

TEST_F(SystemReport, ScreenWithoutXrandr) {
  TempDir empty;
  setenv("PATH", empty.path().c_str(), 1);
  EXPECT_EQ("??|??|??", GetScreenInfo());
  std::string out = "stale";
  EXPECT_FALSE(RunCommand({"xrandr"}, std::chrono::milliseconds(2000), &out));
  EXPECT_EQ("", out);
}

TEST_F(SystemReport, HangingXrandrIsKilledAfterTheTimeOut) {
  TempDir dir;
  // The fake prints nothing, ignores polite signals and leaves a child that holds its output.
  InstallFakeXrandr(dir, "trap '' TERM INT HUP\nsleep 60 &\necho $! > " + dir.file("child") + "\nwait\n");
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ("??|??|??", GetScreenInfo());
  double seconds = SecondsSince(start);
  EXPECT_GE(seconds, 1.5);
  EXPECT_LT(seconds, 10.0);

  // The command's own child went with it.
  pid_t child = static_cast<pid_t>(atoi(ReadFile(dir.file("child")).c_str()));
  ASSERT_GT(child, 0);
  EXPECT_TRUE(WaitFor([&] { return Ended(child); }, std::chrono::seconds(5)));

  // Output that was printed before the hang does not count either.
  WriteFile(dir.file("xrandr"),
            "#!/bin/sh\necho 'Screen 0: minimum 320 x 200, current 1280 x 1024, maximum 4096 x 4096'\n"
            "exec sleep 60\n");
  start = std::chrono::steady_clock::now();
  EXPECT_EQ("??|??|??", GetScreenInfo());
  EXPECT_LT(SecondsSince(start), 10.0);
}

TEST_F(SystemReport, RunCommandCollectsOutputAndBoundsIt) {
  std::string out;
  EXPECT_TRUE(RunCommand({"/bin/sh", "-c", "printf 'a\\nb'; echo err >&2"}, std::chrono::seconds(5), &out));
  EXPECT_EQ("a\nb", out);
  // A command that writes without end is cut at 64 KiB and killed at the time-out.
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(RunCommand({"/bin/sh", "-c", "yes"}, std::chrono::milliseconds(300), &out));
  EXPECT_EQ(64u * 1024u, out.size());
  EXPECT_LT(SecondsSince(start), 10.0);
}
