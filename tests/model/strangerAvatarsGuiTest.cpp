// The avatars of people who are no contact stay within their bound on disk, oldest first out,
// across restarts; the user's own, the contacts', the default avatar and every other file of the
// user directory stay; a reader never gets a broken picture while files go.
#include <gtest/gtest.h>
#include <wx/image.h>
#include <wx/mstream.h>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wx/app.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "model/config.h"
#include "model/imImage.h"
#include "model/log.h"
#include "model/strangerAvatars.h"
#include "model/strangerList.h"
#include "tests/support/testSupport.h"

using testsupport::FileExists;
using testsupport::TempDir;

namespace {

std::string Png(int side, unsigned char green) {
  wxImage image(side, side);
  image.SetRGB(wxRect(0, 0, side, side), 0, green, 0);
  wxMemoryOutputStream out;
  image.SaveFile(out, wxBITMAP_TYPE_PNG);
  std::string bytes(out.GetLength(), '\0');
  out.CopyTo(&bytes[0], bytes.size());
  return bytes;
}

const unsigned char* Bytes(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); }

class StrangersAvatars : public ::testing::Test {
 protected:
  void SetUp() override {
    m_user = m_root.file("user/");
    ASSERT_EQ(0, mkdir(m_user.c_str(), 0700));
    Config::SetUserPath(m_user);
    Config* config = Config::GetInstance();
    for (ContactInfo* contact : config->GetContacts()) delete contact;
    config->ClearContacts();
    config->SetLogin("alice");
    StrangerAvatars::Instance().SetBound(kBound);
  }
  void TearDown() override {
    StrangerAvatars::Instance().SetBound(StrangerAvatars::kDefaultBound);
    Config* config = Config::GetInstance();
    for (ContactInfo* contact : config->GetContacts()) delete contact;
    config->ClearContacts();
    config->SetLogin("");
  }
  void Both(const std::string& login) {
    StrangerAvatars& strangers = StrangerAvatars::Instance();
    ASSERT_FALSE(strangers.StoreAvatar(login, false, IMAGE_PNG, Bytes(m_large), m_large.size()).empty()) << login;
    ASSERT_FALSE(strangers.StoreAvatar(login, true, IMAGE_PNG, Bytes(m_small), m_small.size()).empty()) << login;
  }
  // Both files of an avatar at the path, without the list knowing.
  void Files(const std::string& base) {
    ASSERT_TRUE(testsupport::WriteFile(base + ".png", m_large));
    ASSERT_TRUE(testsupport::WriteFile(base + "_s.png", m_small));
  }
  static void Befriend(const std::string& login) {
    Config::GetInstance()->UpdateContact(
        new ContactInfo(login, login, "", "", STATUS_ONLINE, "", "", 0, 0, 0, "", "parlavox", false));
  }
  bool HasBoth(const std::string& login) const {
    return FileExists(m_user + login + ".png") && FileExists(m_user + login + "_s.png");
  }
  // The avatar files in the user directory, each login once.
  std::set<std::string> Avatars() const {
    std::set<std::string> logins;
    for (const std::string& name : testsupport::ListDir(m_user)) {
      if (name.size() < 4 || name.compare(name.size() - 4, 4, ".png") != 0) continue;
      std::string base = name.substr(0, name.size() - 4);
      if (base.size() > 2 && base.compare(base.size() - 2, 2, "_s") == 0) base.resize(base.size() - 2);
      logins.insert(base);
    }
    return logins;
  }

  static constexpr size_t kBound = 12;
  TempDir m_root;
  std::string m_user;
  const std::string m_large = Png(64, 200);
  const std::string m_small = Png(24, 100);
};

std::string Stranger(int i) { return "passer" + std::to_string(i); }

}  // namespace

TEST_F(StrangersAvatars, OnlyTheNewestStrangersKeepTheirFilesAndEveryoneElseStays) {
  ASSERT_FALSE(IMImage::StoreImage(IMImage::DEFAULT_AVATAR, IMAGE_PNG, Bytes(m_large), m_large.size()).empty());
  ASSERT_TRUE(testsupport::WriteFile(m_user + "smiley_1.png", m_small));  // the user's own smiley
  Befriend("carol");
  Both("alice");
  Both("carol");
  Both("dave");  // a stranger then, a contact before many others came
  Befriend("dave");
  for (int i = 0; i < 200; ++i) {
    Both(Stranger(i));
    // Met, then met again before the bound's number of others came: one of the newest.
    if (i == 187 || i == 197) Both("erin");
  }
  // The strangers kept are the newest by their last avatar; everyone else's pictures stay.
  std::set<std::string> expected = {"alice", "carol", "dave", "defaultavatar", "smiley_1", "erin"};
  for (int i = 201 - static_cast<int>(kBound); i < 200; ++i) expected.insert(Stranger(i));
  EXPECT_EQ(expected, Avatars());
  for (const char* kept : {"alice", "carol", "dave", "erin"}) EXPECT_TRUE(HasBoth(kept)) << kept;

  // A contact removed is a stranger again, counted from their next avatar.
  delete Config::GetInstance()->RemoveContact("carol");
  Both("carol");
  for (int i = 0; i < static_cast<int>(kBound); ++i) Both(Stranger(1000 + i));
  EXPECT_FALSE(FileExists(m_user + "carol.png"));
  EXPECT_FALSE(FileExists(m_user + "carol_s.png"));
  EXPECT_TRUE(HasBoth("alice"));
  EXPECT_TRUE(FileExists(m_user + "defaultavatar.png"));
  EXPECT_TRUE(FileExists(m_user + "smiley_1.png"));
}

// Which files are strangers' is known again after a restart, also when the list grew long or
// the session ended halfway through a line; files the list never named are not touched.
TEST_F(StrangersAvatars, TheListOutlivesTheProgram) {
  const int met = 10 * static_cast<int>(kBound);
  for (int i = 0; i < met; ++i) Both(Stranger(i));
  const std::string list = m_user + StrangerList::kName;
  const std::string text = testsupport::ReadFile(list);
  EXPECT_LT(std::count(text.begin(), text.end(), '\n'), met) << "the list is written afresh once it grows long";
  ASSERT_TRUE(testsupport::WriteFile(m_user + "old.png", m_large));  // left by an earlier version

  // Another user directory is taken up, then this one again: the list is read back.
  TempDir other;
  Config::SetUserPath(other.path());
  Both("frank");
  Config::SetUserPath(m_user);
  ASSERT_TRUE(testsupport::WriteFile(list, testsupport::ReadFile(list) + "bad%G1\npasser"));
  Both("grace");
  std::set<std::string> expected = {"grace", "old"};
  for (int i = met - static_cast<int>(kBound) + 1; i < met; ++i) expected.insert(Stranger(i));
  EXPECT_EQ(expected, Avatars());
  const std::vector<std::string> lines = testsupport::ReadLines(list);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ("grace", lines.back());
  EXPECT_EQ(lines.end(), std::find(lines.begin(), lines.end(), "passer"));
}

// While strangers' files go, a reader on another thread gets the digest of the whole file or,
// once it went, zeros; the pictures shown are whole.
TEST_F(StrangersAvatars, ReadersNeverGetABrokenPicture) {
  auto digest = [](const std::string& login) {
    unsigned int length = 0;
    std::unique_ptr<unsigned char, void (*)(void*)> hash(IMImage::GenerateHash(login, true, &length), free);
    return testsupport::Hex(hash.get(), length);
  };
  Both(Stranger(0));
  const std::string whole = digest(Stranger(0)), none(40, '0');
  std::atomic<bool> done{false};
  std::atomic<int> broken{0};
  std::thread reader([&] {
    while (!done)
      for (int i = 0; i < 40; ++i) {
        const std::string got = digest(Stranger(i));
        if (got != whole && got != none) ++broken;
      }
  });
  for (int round = 0; round < 3; ++round)
    for (int i = 0; i < 40; ++i) {
      Both(Stranger(i));
      const wxBitmap picture = IMImage::GetImage(Stranger(i), true);
      if (!picture.IsOk() || picture.GetWidth() != 24) ++broken;
    }
  done = true;
  reader.join();
  EXPECT_EQ(0, broken.load());
  EXPECT_EQ(kBound, Avatars().size());
}

namespace {

long HeapInUse() { return static_cast<long>(testsupport::HeapInUse()); }

// Lets the GUI thread be idle until nobody asks for more.
void Idle() {
  for (int turns = 0; turns < 1000000 && wxTheApp->ProcessIdle(); ++turns) {
  }
}

}  // namespace

// A list of 200,000 lines that a damaged or foreign writer left: taking it up holds no more of it
// than the bound needs, a store removes a turn's worth of files only, and the list keeps naming
// the rest until they are gone. Once the GUI thread has been idle, every file it names is gone
// but those still kept, and the list holds these alone. Names that lead out of the folder never
// reach a file there. The trace tells of the whole clean-up in a few lines.
TEST_F(StrangersAvatars, ALongDamagedListIsTakenUpWithinTheBound) {
  const int old = 200000;
  std::string text;
  for (int i = 0; i < old; ++i) {
    text += "old" + std::to_string(i) + "\n";
    if (i == 1000) text += std::string(5000, 'x') + "\nbad%G1\n\n";
    if (i == 2000) text += "../outside\n" + m_root.file("abs") + "\n/\ncarol\nalice\n";
  }
  for (int i = 0; i < static_cast<int>(kBound); ++i) text += Stranger(i) + "\n";
  const std::string list = m_user + StrangerList::kName;
  ASSERT_TRUE(testsupport::WriteFile(list, text));
  for (int i = 0; i < old; i += 10000) Files(m_user + "old" + std::to_string(i));
  for (int i = 0; i < static_cast<int>(kBound); ++i) Files(m_user + Stranger(i));
  for (const char* kept : {"alice", "carol", "smiley_1"}) Files(m_user + kept);
  Befriend("carol");
  Files(m_root.file("outside"));
  Files(m_root.file("abs"));

  const std::string log = testsupport::RestartLogAt(m_root);
  const long heap = HeapInUse();
  Both("newcomer");
  EXPECT_LT(HeapInUse() - heap, 4l << 20) << "the list is not held whole";
  EXPECT_FALSE(FileExists(m_user + Stranger(0) + ".png")) << "the oldest stranger gave way at once";
  EXPECT_TRUE(HasBoth("old190000")) << "a store removes a turn's worth of files, not the list's";
  EXPECT_GT(testsupport::ReadFile(list).size(), text.size()) << "the list names the files still there";

  Idle();
  std::set<std::string> expected = {"alice", "carol", "smiley_1", "newcomer"};
  for (int i = 1; i < static_cast<int>(kBound); ++i) expected.insert(Stranger(i));
  EXPECT_EQ(expected, Avatars());
  for (const char* outside : {"outside", "abs"}) {
    EXPECT_TRUE(FileExists(m_root.file(outside) + ".png")) << outside;
    EXPECT_TRUE(FileExists(m_root.file(outside) + "_s.png")) << outside;
  }
  std::vector<std::string> lines;
  for (int i = 1; i < static_cast<int>(kBound); ++i) lines.push_back(Stranger(i));
  lines.push_back("newcomer");
  EXPECT_EQ(lines, testsupport::ReadLines(list));
  // Both files, should the log have started over (each reads from the start key on).
  const std::string trace = testsupport::DecodeLogFile(log + ".1", LOG_KEY_START, log_step()) +
                            testsupport::DecodeLogFile(log, LOG_KEY_START, log_step());
  EXPECT_LT(std::count(trace.begin(), trace.end(), '\n'), 40) << trace.substr(0, 2000);
  log_reset_for_testing(LOG_KEY_START, log_step());
  start_log("/dev/null");
}

namespace {

// Bytes the calling thread has read so far, with read and pread alike.
long long BytesReadByThisThread() {
  const std::string io = testsupport::ReadFile("/proc/thread-self/io");
  const size_t at = io.find("rchar: ");
  return at == std::string::npos ? -1 : std::stoll(io.substr(at + 7));
}

// Lets the GUI thread be idle until nobody asks for more; the most bytes it read in one turn.
long long IdleReadingAtMost() {
  long long most = 0;
  for (int turns = 0; turns < 1000000; ++turns) {
    const long long before = BytesReadByThisThread();
    const bool more = wxTheApp->ProcessIdle();
    most = std::max(most, BytesReadByThisThread() - before);
    if (!more) break;
  }
  return most;
}

}  // namespace

// A damaged list with lines far too long for logins: one of hundreds of megabytes at its start
// (a hole in the file, read as zeros) and one of 3 MB at its end, ended or cut short. The newest
// strangers it names keep their avatars all the same, and the GUI thread reads no more than a
// small share of the file at a time, at a store or in a turn of its idle time.
TEST_F(StrangersAvatars, TheNewestStrangersKeepTheirAvatarsHoweverLongTheListsLines) {
  const size_t bound = StrangerAvatars::kDefaultBound;
  StrangerAvatars::Instance().SetBound(bound);
  const off_t kFirstLine = off_t(256) << 20;
  const long long kMostReadAtOnce = 4 << 20;
  for (const bool ended : {true, false}) {
    SCOPED_TRACE(ended ? "the long last line ended" : "the long last line cut short");
    m_user = m_root.file(ended ? "ended/" : "cut/");
    ASSERT_EQ(0, mkdir(m_user.c_str(), 0700));
    Config::SetUserPath(m_user);
    std::string text = "\n";
    for (int i = 0; i < 3000; ++i) text += "old" + std::to_string(i) + "\n";
    for (int i = 0; i < static_cast<int>(bound); ++i) text += Stranger(i) + "\n";
    text += std::string(3 << 20, 'x') + (ended ? "\n" : "");
    const std::string list = m_user + StrangerList::kName;
    const int fd = open(list.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(static_cast<ssize_t>(text.size()), pwrite(fd, text.data(), text.size(), kFirstLine));
    close(fd);
    for (int i = 0; i < 3000; i += 100) Files(m_user + "old" + std::to_string(i));
    for (int i = 0; i < static_cast<int>(bound); ++i) Files(m_user + Stranger(i));

    const long long before = BytesReadByThisThread();
    Both("newcomer");
    EXPECT_LT(BytesReadByThisThread() - before, kMostReadAtOnce) << "read at the store";
    EXPECT_LT(IdleReadingAtMost(), kMostReadAtOnce) << "read in one idle turn";

    std::set<std::string> expected = {"newcomer"};
    std::vector<std::string> lines;
    for (int i = 1; i < static_cast<int>(bound); ++i) {
      expected.insert(Stranger(i));
      lines.push_back(Stranger(i));
    }
    lines.push_back("newcomer");
    EXPECT_EQ(expected, Avatars());
    EXPECT_EQ(lines, testsupport::ReadLines(list));
  }
}

// What stands in the list's place and is no file of its own holds nothing and changes nothing
// outside the folder: a named pipe nobody reads is not waited for, a link is not followed. The
// strangers' avatars are stored, and kept within the bound, all the same.
TEST_F(StrangersAvatars, WhatStandsInTheListsPlaceIsNeverWaitedForNorFollowedOutOfTheFolder) {
  const std::string precious = m_root.file("precious"), missing = m_root.file("missing");
  ASSERT_TRUE(testsupport::WriteFile(precious, "outsider\nhalf a li"));
  ASSERT_EQ(0, chmod(precious.c_str(), 0640));
  const std::string outsideBefore = testsupport::DescribeFile(precious);
  const struct {
    const char* what;
    std::function<int(const std::string&)> make;
  } cases[] = {
      {"a named pipe nobody reads", [](const std::string& list) { return mkfifo(list.c_str(), 0644); }},
      {"a link to a file outside", [&](const std::string& list) { return symlink(precious.c_str(), list.c_str()); }},
      {"a link to nothing", [&](const std::string& list) { return symlink(missing.c_str(), list.c_str()); }},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    m_user = m_root.file("user" + std::to_string(n++) + "/");
    ASSERT_EQ(0, mkdir(m_user.c_str(), 0700));
    Config::SetUserPath(m_user);
    const std::string list = m_user + StrangerList::kName;
    ASSERT_EQ(0, c.make(list));
    const std::string placeBefore = testsupport::DescribeFile(list);

    // On a thread of its own: a store that waits for a reader of the pipe is let go by one.
    std::atomic<bool> stored{false};
    std::thread storing([&] {
      Both("newcomer");
      for (int i = 0; i < 2 * static_cast<int>(kBound); ++i) Both(Stranger(i));
      stored = true;
    });
    const bool alone = testsupport::WaitFor([&] { return stored.load(); }, std::chrono::seconds(20));
    const int released = alone ? -1 : open(list.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    storing.join();
    EXPECT_TRUE(alone) << "a store waited for a reader";
    Idle();
    if (released >= 0) close(released);

    EXPECT_EQ(outsideBefore, testsupport::DescribeFile(precious));
    EXPECT_EQ("none", testsupport::DescribeFile(missing));
    EXPECT_EQ(placeBefore, testsupport::DescribeFile(list));
    std::set<std::string> expected;
    for (int i = static_cast<int>(kBound); i < 2 * static_cast<int>(kBound); ++i) expected.insert(Stranger(i));
    EXPECT_EQ(expected, Avatars());
  }
}

// The list names a stranger's files as long as they are there, so that a run that ends at any
// point leaves the next one every file to remove: a login is listed before its avatar is stored,
// and the list is written afresh without a login only once that login's files are gone. Seen in
// the events of the folder itself, in the order they happened.
TEST_F(StrangersAvatars, TheListNamesEveryFileAsLongAsItIsThere) {
  const int old = 3 * static_cast<int>(StrangerAvatars::kTurn);
  std::string text;
  std::vector<std::string> dropped = {Stranger(0)};
  for (int i = 0; i < old; ++i) {
    dropped.push_back("old" + std::to_string(i));
    text += dropped.back() + "\n";
    Files(m_user + dropped.back());
  }
  for (int i = 0; i < static_cast<int>(kBound); ++i) {
    text += Stranger(i) + "\n";
    Files(m_user + Stranger(i));
  }
  ASSERT_TRUE(testsupport::WriteFile(m_user + StrangerList::kName, text));
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(inotify_add_watch(watch, m_user.c_str(), IN_DELETE | IN_MODIFY | IN_MOVED_TO), 0);

  Both("newcomer");
  Idle();
  std::vector<std::pair<uint32_t, std::string>> events;
  alignas(inotify_event) char buffer[64 * 1024];
  for (ssize_t n; (n = read(watch, buffer, sizeof buffer)) > 0;) {
    for (char* at = buffer; at < buffer + n;) {
      const inotify_event* event = reinterpret_cast<const inotify_event*>(at);
      events.emplace_back(event->mask, event->len ? event->name : "");
      at += sizeof(inotify_event) + event->len;
    }
  }
  close(watch);
  for (const auto& event : events) ASSERT_EQ(0u, event.first & IN_Q_OVERFLOW);
  auto first = [&](uint32_t mask, const std::string& name) {
    for (size_t i = 0; i < events.size(); ++i)
      if ((events[i].first & mask) && events[i].second == name) return i;
    return events.size();
  };

  const size_t listed = first(IN_MODIFY, StrangerList::kName), rewritten = first(IN_MOVED_TO, StrangerList::kName);
  EXPECT_LT(listed, first(IN_MOVED_TO, "newcomer.png")) << "the avatar was stored before its login was listed";
  ASSERT_LT(rewritten, events.size()) << "the list was never written afresh";
  for (const std::string& login : dropped) {
    for (const std::string& name : {login + ".png", login + "_s.png"}) {
      const size_t removed = first(IN_DELETE, name);
      ASSERT_LT(removed, events.size()) << name << " was not removed";
      EXPECT_LT(removed, rewritten) << name << " was removed after the list had dropped it";
    }
  }
  std::set<std::string> expected = {"newcomer"};
  for (int i = 1; i < static_cast<int>(kBound); ++i) expected.insert(Stranger(i));
  EXPECT_EQ(expected, Avatars());
}

// A run may end at any point: after listing a login but before its file, halfway through the
// files of a long list, after removing files but before writing the list afresh, in the middle
// of a line. The next run finds every file the list named still named, and removes them.
TEST_F(StrangersAvatars, ARunEndedHalfwayLeavesTheNextOneEveryFileToRemove) {
  const int old = 1000;
  std::string text;
  for (int i = 0; i < old; ++i) text += "old" + std::to_string(i) + "\n";
  for (int i = 0; i < static_cast<int>(kBound); ++i) text += Stranger(i) + "\n";
  const std::string list = m_user + StrangerList::kName;
  ASSERT_TRUE(testsupport::WriteFile(list, text + std::string(3000, 'y')));
  for (int i = 0; i < old; ++i)
    ASSERT_TRUE(testsupport::WriteFile(m_user + "old" + std::to_string(i) + "_s.png", m_small));
  for (int i = 0; i < static_cast<int>(kBound); ++i) Files(m_user + Stranger(i));

  Both("first");
  EXPECT_FALSE(FileExists(m_user + "old0_s.png"));
  EXPECT_TRUE(FileExists(m_user + "old999_s.png"));
  // The run ends here: the next one knows only what the list says.
  TempDir other;
  Config::SetUserPath(other.path());
  Both("frank");
  Config::SetUserPath(m_user);
  const std::vector<std::string> left = testsupport::ReadLines(list);
  EXPECT_NE(left.end(), std::find(left.begin(), left.end(), "old999"));
  EXPECT_NE(left.end(), std::find(left.begin(), left.end(), Stranger(0))) << "listed, its files gone";
  ASSERT_TRUE(testsupport::WriteFile(list, testsupport::ReadFile(list) + "ghost\n"));  // listed, never stored

  Both("second");
  Idle();
  std::set<std::string> expected = {"first", "second"};
  for (int i = 3; i < static_cast<int>(kBound); ++i) expected.insert(Stranger(i));
  EXPECT_EQ(expected, Avatars());
  std::vector<std::string> lines;
  for (int i = 3; i < static_cast<int>(kBound); ++i) lines.push_back(Stranger(i));
  for (const char* login : {"first", "ghost", "second"}) lines.push_back(login);
  EXPECT_EQ(lines, testsupport::ReadLines(list));
}

// Another writer may change the list under the program (a second program on the same folder, a
// user's editor): the reading stops at once instead of going over the same bytes for good, takes
// no login from what changed, and leaves the file as the other writer left it.
TEST(StrangersList, AListChangedByAnotherWriterWhileReadStopsTheReadingAndStaysUntouched) {
  TempDir dir;
  std::string text;
  for (int i = 0; i < 100; ++i) text += "old" + std::to_string(i) + "\n";
  text += "new1\nnew2\n";
  const std::string path = dir.file(StrangerList::kName);
  for (const std::string& changed : {std::string(text.size(), 'z'), std::string(text.size() - 11, '\n') + "zzzzzzzzzzz"}) {
    ASSERT_TRUE(testsupport::WriteFile(path, text));
    StrangerList list;
    list.Open(dir.path(), 2, [](const std::string&) { return true; });
    ASSERT_TRUE(list.HasOlder());
    ASSERT_TRUE(testsupport::WriteFile(path, changed));
    std::vector<std::string> logins;
    for (int reads = 0; reads < 1000 && list.HasOlder(); ++reads) list.ReadOlder(10, &logins);
    EXPECT_FALSE(list.HasOlder()) << "read again and again";
    EXPECT_TRUE(logins.empty());
    EXPECT_FALSE(list.Rewrite({"someone"}));
    EXPECT_EQ(changed, testsupport::ReadFile(path));
  }
}
