// The program installed under a prefix of the user's choosing finds its data there, with no
// setting, and shows its window; its menu entry is valid.
#include <gtest/gtest.h>
#include <signal.h>

#include "tests/program/childProgram.h"
#include "tests/program/screen.h"
#include "tests/support/testSupport.h"

namespace {

using namespace programtest;
using namespace std::chrono_literals;
using testsupport::FileExists;
using testsupport::TempDir;
using testsupport::WaitFor;

const std::string kLsan =
    "suppressions=" + testsupport::SourceDir() + "/tests/support/lsan.supp:print_suppressions=0";

// The toolkit's complaints reach the program's output ("Errors: ...") while it is not connected.
bool ImagesMissing(const ChildProgram& program) {
  const std::string said = program.Output() + program.Errors();
  return said.find("Failed to load image") != std::string::npos || said.find("can't open file") != std::string::npos;
}

TEST(Install, UnderAnyPrefixTheProgramFindsItsDataAndShowsItsWindow) {
  TempDir top, home, work, elsewhere;
  const std::string prefix = RealPath(top.path()) + "/any prefix";
  std::string said;
  ASSERT_EQ(0, RunToEnd({PARLAVOX_CMAKE_COMMAND, "--install", testsupport::BuildDir(), "--prefix", prefix}, work.path(), &said))
      << said;
  const std::string program = prefix + "/bin/parlavox";
  for (const std::string& file : {program, prefix + "/share/parlavox/img/voxie.png",
                                  prefix + "/share/icons/hicolor/48x48/apps/parlavox.png"}) {
    EXPECT_TRUE(FileExists(file)) << file;
  }
  EXPECT_EQ(0, RunToEnd({"desktop-file-validate", prefix + "/share/applications/parlavox.desktop"}, work.path(), &said));
  EXPECT_EQ("", said);

  // As a user starts it: a fresh home, nothing set.
  ChildProgram run({program}, {{"HOME", home.path()}, {"PARLAVOX_DATA", ""}, {"LSAN_OPTIONS", kLsan}}, work.path());
  Screen screen;
  ASSERT_TRUE(WaitFor([&] { return screen.ShowsWindow(run.Pid(), "Parlavox"); }, 60s)) << run.Errors();
  EXPECT_NE(std::string::npos, run.Output().find("Use " + prefix + "/share/parlavox/ as data directory.\n"))
      << run.Output();
  // Once it ended, all it had to say about missing images is said (its output is buffered).
  kill(run.Pid(), SIGTERM);
  EXPECT_EQ(0, run.WaitExit(60s)) << run.Errors();
  EXPECT_FALSE(ImagesMissing(run)) << run.Output() << run.Errors();
  EXPECT_TRUE(FileExists(home.file(".parlavox/parlavox.xml")));

  // PARLAVOX_DATA still has the last word: here a directory without the images.
  ChildProgram pointed({program}, {{"HOME", home.path()}, {"PARLAVOX_DATA", elsewhere.path()}, {"LSAN_OPTIONS", kLsan}},
                       work.path());
  ASSERT_TRUE(WaitFor([&] { return screen.ShowsWindow(pointed.Pid(), "Parlavox"); }, 60s)) << pointed.Errors();
  EXPECT_NE(std::string::npos, pointed.Output().find("Use " + elsewhere.path() + "/ as data directory.\n"));
  kill(pointed.Pid(), SIGTERM);
  EXPECT_EQ(0, pointed.WaitExit(60s)) << pointed.Errors();
  EXPECT_TRUE(ImagesMissing(pointed)) << pointed.Output() << pointed.Errors();
}

}  // namespace
