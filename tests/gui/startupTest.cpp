// Start-up decisions: directories, setting aside a settings file that cannot be read (through
// the real message boxes), and where the main window opens.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wx/msgdlg.h>
#include <wx/testing.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "gui/startupPrompter.h"
#include "gui/startup.h"
#include "model/config.h"
#include "tests/support/testSupport.h"

namespace {

using testsupport::FileExists;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

int ModeOf(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

TEST(Startup, DataDirectoryAlwaysGetsASlash) {
  const std::string installed = "/usr/local/share/parlavox/";
  EXPECT_EQ("/opt/data/", startup::DataDirectory("/opt/data", installed));
  EXPECT_EQ("/opt/data//", startup::DataDirectory("/opt/data/", installed));
  EXPECT_EQ(installed, startup::DataDirectory("", installed));
  EXPECT_EQ(installed, startup::DataDirectory(nullptr, installed));
}

// An installed program finds its data beside it, under whatever prefix it was installed to.
TEST(Startup, InstalledDataDirectoryFollowsTheProgram) {
  TempDir top;
  char real[PATH_MAX];
  ASSERT_TRUE(realpath(top.path().c_str(), real));
  const std::string prefix = std::string(real) + "/my prefix \xc3\xa9/";
  for (const char* dir : {"", "bin", "share", "share/parlavox", "lonely", "lonely/bin", "odd", "odd/bin", "odd/share"}) {
    ASSERT_EQ(0, mkdir((prefix + dir).c_str(), 0700)) << dir;
  }
  ASSERT_TRUE(WriteFile(prefix + "odd/share/parlavox", "a file, not the data"));
  ASSERT_EQ(0, symlink((prefix + "bin").c_str(), top.file("linked").c_str()));
  const std::string configured = startup::ConfiguredDataDirectory();
  struct Row {
    const char* name;
    std::string program;
    std::string data;
  } rows[] = {
      {"installed", prefix + "bin/parlavox", prefix + "share/parlavox/"},
      {"through a link", top.file("linked/parlavox"), prefix + "share/parlavox/"},
      {"no data beside it", prefix + "lonely/bin/parlavox", configured},
      {"a file where the data goes", prefix + "odd/bin/parlavox", configured},
      {"unknown program path", "", configured},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EXPECT_EQ(r.data, startup::InstalledDataDirectory(r.program));
  }
  EXPECT_EQ('/', configured.front());
  EXPECT_EQ("/parlavox/", configured.substr(configured.size() - 10));
  // The test program itself lives in the build tree, where nothing is installed.
  EXPECT_EQ(configured, startup::InstalledDataDirectory(startup::ProgramPath()));
}

TEST(Startup, UserDirectoryIsPrivateOrRefusedWithAReason) {
  TempDir home;
  // Fresh: made owner-only.
  startup::UserDirectory fresh = startup::MakeUserDirectory(home.path().c_str());
  EXPECT_EQ("", fresh.error);
  EXPECT_EQ(home.path() + "/.parlavox/", fresh.path);
  EXPECT_EQ(0700, ModeOf(home.file(".parlavox")));
  // Existing with wider access: narrowed.
  chmod(home.file(".parlavox").c_str(), 0755);
  EXPECT_EQ("", startup::MakeUserDirectory(home.path().c_str()).error);
  EXPECT_EQ(0700, ModeOf(home.file(".parlavox")));

  TempDir other;
  ASSERT_TRUE(WriteFile(other.file("plainfile"), "x"));
  ASSERT_TRUE(WriteFile(other.file("h/.parlavox"), "") || (mkdir(other.file("h").c_str(), 0700) == 0 &&
                                                           WriteFile(other.file("h/.parlavox"), "")));
  struct Row {
    const char* name;
    std::string home;
    const char* says;
  } refused[] = {
      {"unset", "", "HOME"},
      {"a file", other.file("plainfile"), "Not a directory"},
      {"settings path taken by a file", other.file("h"), "Not a directory"},
      {"not writable", "/proc/self", "/proc/self/.parlavox"},
  };
  for (const Row& r : refused) {
    SCOPED_TRACE(r.name);
    startup::UserDirectory dir = startup::MakeUserDirectory(r.home.empty() ? nullptr : r.home.c_str());
    EXPECT_NE(std::string::npos, dir.error.find(r.says)) << dir.error;
  }
  EXPECT_EQ("x", ReadFile(other.file("plainfile")));
}

TEST(Startup, MainWindowPlacement) {
  auto everywhere = [](int, int) { return true; };
  auto nowhere = [](int, int) { return false; };
  struct Row {
    int x, y, w, h, sw, sh;
    bool onScreen;
    int ex, ey;
  } rows[] = {
      {-1, 77, 370, 600, 1280, 1024, true, 455, 212},   // never saved: centred, y ignored
      {40, -1, 370, 600, 1280, 1024, true, 40, -1},     // only x is tested
      {-1, 0, 370, 600, 367, 1024, true, -1, 212},      // screen narrower than the window
      {5000, 3000, 370, 600, 1280, 1024, false, 455, 212},  // off every display: centred
  };
  for (const Row& r : rows) {
    startup::Placement p =
        startup::PlaceMainWindow(r.x, r.y, r.w, r.h, r.sw, r.sh, r.onScreen ? everywhere : nowhere);
    EXPECT_EQ(r.ex, p.x);
    EXPECT_EQ(r.ey, p.y);
  }
}

class SettingsRecovery : public ::testing::Test {
 protected:
  void SetUp() override {
    m_savedUser = Config::GetUserPath();
    Config::SetUserPath(m_dir.path());
  }
  void TearDown() override { Config::SetUserPath(m_savedUser); }
  std::string Settings() const { return m_dir.file("parlavox.xml"); }
  std::string Backup() const { return m_dir.file("parlavox.backup.xml"); }

  TempDir m_dir;
  std::string m_savedUser;
};

// The answers as the message box gives them: Yes, No, and Cancel for the box closed from its
// title bar (tests/gui/programTest.cpp closes the real one).
TEST_F(SettingsRecovery, UnreadableFileIsSetAsideOnlyWhenTheUserAgrees) {
  const std::string tooOld = ReadFile(testsupport::SourceDir() + "/tests/model/fixtures/config-959.xml");
  ASSERT_FALSE(tooOld.empty());
  const std::string notSettings = "this is not a settings file\n";
  DialogStartupPrompter prompter;
  for (const std::string& content : {tooOld, notSettings}) {
    // No, or the question closed unanswered: the program ends, the file stays, no backup.
    for (int answer : {wxID_NO, wxID_CANCEL}) {
      SCOPED_TRACE(answer);
      ASSERT_TRUE(WriteFile(Settings(), content));
      wxTEST_DIALOG(EXPECT_FALSE(startup::LoadSettings(prompter)), wxExpectModal<wxMessageDialog>(answer));
      EXPECT_EQ(content, ReadFile(Settings()));
      EXPECT_FALSE(FileExists(Backup()));
    }
    // Yes: the file is set aside byte for byte, and the defaults apply.
    wxTEST_DIALOG(EXPECT_TRUE(startup::LoadSettings(prompter)), wxExpectModal<wxMessageDialog>(wxID_YES));
    EXPECT_EQ(content, ReadFile(Backup()));
    EXPECT_FALSE(FileExists(Settings()));
    remove(Backup().c_str());
  }
}

// Each file set aside is kept: the earlier backups keep their names and bytes, and the next
// takes the first free name.
TEST_F(SettingsRecovery, EarlierBackupsAreKept) {
  ASSERT_TRUE(WriteFile(Backup(), "an earlier backup"));
  ASSERT_TRUE(WriteFile(m_dir.file("parlavox.backup.2.xml"), "a later one"));
  DialogStartupPrompter prompter;
  for (const char* damaged : {"first damaged file", "second damaged file"}) {
    ASSERT_TRUE(WriteFile(Settings(), damaged));
    wxTEST_DIALOG(EXPECT_TRUE(startup::LoadSettings(prompter)), wxExpectModal<wxMessageDialog>(wxID_YES));
    EXPECT_FALSE(FileExists(Settings()));
  }
  EXPECT_EQ("an earlier backup", ReadFile(Backup()));
  EXPECT_EQ("first damaged file", ReadFile(m_dir.file("parlavox.backup.1.xml")));
  EXPECT_EQ("a later one", ReadFile(m_dir.file("parlavox.backup.2.xml")));
  EXPECT_EQ("second damaged file", ReadFile(m_dir.file("parlavox.backup.3.xml")));
}

// A settings folder so deep that the settings file's path is within the system's limit and
// its backup's is not: every backup fails, whoever runs the test.
std::string DeepFolder(const TempDir& top) {
  const size_t length = PATH_MAX - 16;  // "parlavox.xml" fits, "parlavox.backup.xml" does not
  std::string path = top.path();
  while (path.size() < length) {
    const size_t room = length - path.size();
    path += std::string(room > 256 ? 200 : room - 1, 'd') + "/";
    if (mkdir(path.c_str(), 0700) != 0) return "";
  }
  return path;
}

// A question that should not come: the test fails, and the answer No lets it go on.
class NotAskedAgain : public wxExpectModal<wxMessageDialog> {
 public:
  NotAskedAgain() : wxExpectModal<wxMessageDialog>(wxID_NO) { m_isOptional = true; }

 protected:
  int OnInvoked(wxMessageDialog* box) const override {
    ADD_FAILURE() << "asked again: " << box->GetMessage();
    return wxID_NO;
  }
};

TEST_F(SettingsRecovery, FailedBackupAsksAgainAndCanGiveUp) {
  const std::string deep = DeepFolder(m_dir);
  ASSERT_EQ(size_t(PATH_MAX - 16), deep.size());
  Config::SetUserPath(deep);
  ASSERT_TRUE(WriteFile(deep + "parlavox.xml", "garbage"));
  DialogStartupPrompter prompter;
  // No, or the question closed unanswered, gives up; Yes tries again.
  for (int giveUp : {wxID_NO, wxID_CANCEL}) {
    SCOPED_TRACE(giveUp);
    wxTEST_DIALOG(EXPECT_FALSE(startup::LoadSettings(prompter)), wxExpectModal<wxMessageDialog>(wxID_YES),
                  wxExpectModal<wxMessageDialog>(wxID_YES).Describe("retry"),
                  wxExpectModal<wxMessageDialog>(giveUp).Describe("give up"), NotAskedAgain());
    EXPECT_EQ("garbage", ReadFile(deep + "parlavox.xml"));
    EXPECT_EQ(std::vector<std::string>{"parlavox.xml"}, testsupport::ListDir(deep));
  }
}

}  // namespace
