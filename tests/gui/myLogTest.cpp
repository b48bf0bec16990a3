// The toolkit's log lines: their stamp, and that none is lost or reordered while the controller
// does not exist yet.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "gui/myLog.h"

namespace {

TEST(MyLog, LinesAreStampedAndWaitForTheController) {
  setenv("TZ", "UTC", 1);
  tzset();
  struct tm when = {};
  when.tm_year = 2026 - 1900;
  when.tm_mon = 2;
  when.tm_mday = 5;
  when.tm_hour = 14;
  when.tm_min = 3;
  when.tm_sec = 9;
  const time_t stamp = timegm(&when);
  EXPECT_EQ("2026-03-05 14:03:09 : abc", MyLog::FormatLine(stamp, "abc"));
  EXPECT_EQ("2026-03-05 14:03:09 : ", MyLog::FormatLine(stamp, wxString()));
  EXPECT_EQ("2026-03-05 14:03:09 : caf\xC3\xA9", MyLog::FormatLine(stamp, wxString::FromUTF8("caf\xC3\xA9")));

  auto* log = new MyLog;
  wxLog* previous = wxLog::SetActiveTarget(log);
  for (size_t i = 0; i < MyLog::kMaxWaiting + 5; ++i) wxLogMessage("early %d", int(i));
  wxLog::FlushActive();
  std::vector<std::string> seen;
  log->SetSink([&](const std::string& line) { seen.push_back(line); });
  wxLogMessage("late");
  wxLog::FlushActive();
  wxLog::SetActiveTarget(previous);
  delete log;

  // The oldest early lines were dropped; the rest arrive in order, then the later one.
  ASSERT_EQ(MyLog::kMaxWaiting + 1, seen.size());
  EXPECT_NE(std::string::npos, seen.front().find(" : early 5"));
  EXPECT_NE(std::string::npos, seen[MyLog::kMaxWaiting - 1].find(" : early 104"));
  EXPECT_NE(std::string::npos, seen.back().find(" : late"));
}

}  // namespace
