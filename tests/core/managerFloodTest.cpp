// The controller under floods: a server that sends faster than the GUI thread handles, and a
// local process that sends extension names without end. The inbox stays within its bound (the
// reader waits), nothing is lost or reordered, no close, abort or exit waits on a waiting
// reader, and the client report goes out once per interval whatever the extension sends.
#include <dirent.h>
#include <sys/stat.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "asn1/octetString.h"
#include "model/message.h"
#include "model/processEnd.h"
#include "network/localServer.h"
#include "tests/core/managerTestSupport.h"

using namespace managertest;
using testserver::C2SPtr;

namespace {

// Stands in for the main window: keeps the text of every message it is handed.
class MessageLog : public wxEvtHandler {
 public:
  MessageLog() { Bind(wxEVT_RECEIVE_NEW_MESSAGE, &MessageLog::OnMessage, this, Manager::GetEventId()); }
  void OnMessage(wxCommandEvent& event) {
    if (auto* message = dynamic_cast<Message*>(event.GetEventObject())) texts.push_back(message->GetText());
  }
  std::vector<std::string> texts;
};

// Messages numbered from 0, each followed by `beats` heart-beats.
std::string Flood(int messages, int beats) {
  std::string bytes;
  auto beat = NewS2C(S2C_Request_PR_heartbeat);
  Fill(&beat->choice.heartbeat.authkey, "K1");
  const std::string beatBytes = testserver::EncodeS2C(*beat);
  for (int i = 0; i < messages; ++i) {
    auto m = NewS2C(S2C_Request_PR_message);
    Fill(&m->choice.message.authkey, "K1");
    Fill(&m->choice.message.site, "http://busy.example/");
    Fill(&m->choice.message.login, "bob");
    Fill(&m->choice.message.message, "m" + std::to_string(i));
    m->choice.message.time = 1700000000 + i;
    bytes += testserver::EncodeS2C(*m);
    for (int b = 0; b < beats; ++b) bytes += beatBytes;
  }
  return bytes;
}

int ThreadCount() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/task")) {
    while (dirent* entry = readdir(dir))
      if (entry->d_name[0] != '.') ++count;
    closedir(dir);
  }
  return count;
}

// Requests of a kind the server got until the answer to a heart-beat sent now.
int CountUntilBeatAnswered(ManagerSetUp& s, TestConnection& link, C2S_Request_PR kind) {
  s.Beat(link, "K1");
  int count = 0;
  for (auto got = s.Next(link); got; got = s.Next(link)) {
    if (got->request->present == C2S_Request_PR_heartbeatack) return count;
    if (got->request->present == kind) ++count;
  }
  ADD_FAILURE() << "the heart-beat was not answered";
  return count;
}

// Hands extension names to the controller from another thread, as the listener does: through
// the process's relay.
void Register(int from, int count, const std::string& prefix) {
  std::thread([&] {
    for (int i = from; i < from + count; ++i) {
      E2C_Request_t* request =
          LocalServer::CreateExtensionStatusRequest(prefix + std::to_string(i), ExtensionStatus_enable);
      ProcessRelay::Get().ProcessRequest(*request);
      LocalServer::FreeExtensionStatusRequest(&request);
    }
  }).join();
}

// Ends the process of a case run apart when a condition fails.
void Require(bool ok, const char* what) {
  if (ok) return;
  fprintf(stderr, "failed: %s\n", what);
  std::_Exit(1);
}

// The system asks the program to end while the inbox is full and what was handled last still
// waits for the window: nothing more is handled, nothing more reaches the window, and the close
// that follows goes at once all the same, logged out and saved.
void NothingMoreOnceTheEndIsAsked() {
  MessageLog window;  // outlives the Manager, which unlinks itself from it
  ManagerSetUp s;
  s.manager->SetNextHandler(&window);
  auto link = s.LogIn(*s.server);
  Require(link != nullptr, "logged in");
  link->SendBytes(Flood(3000, 0));
  Require(testsupport::WaitFor([&] { return s.manager->GetInboxSize() >= ManagerMailbox::kReaderEntries; },
                               milliseconds(20000)),
          "the inbox full");
  // A slice handled, and handed to the window in the same pass; then the next slice, in the
  // idle time, whose messages wait for the window.
  wxTheApp->ProcessPendingEvents();
  const size_t seen = window.texts.size();
  Require(seen > 0 && seen < 3000, "a slice handled");
  wxTheApp->ProcessIdle();
  Require(wxTheApp->HasPendingEvents(), "messages waiting for the window");

  AskEnd();
  const size_t left = s.manager->GetInboxSize();
  for (int i = 0; i < 8; ++i) Pump();
  Require(window.texts.size() == seen, "nothing more reached the window");
  Require(s.manager->GetInboxSize() >= left, "nothing more handled");
  Require(s.manager->Close(), "the settings saved");
  Require(link->WaitClosed(), "the link closed");
  bool loggedOut = false;
  while (auto got = link->Next(milliseconds(0))) loggedOut |= got->request->present == C2S_Request_PR_disconnect;
  Require(loggedOut, "logged out");
  std::_Exit(0);
}

}  // namespace

// Apart: the system's request to end holds for the whole process.
TEST(ManagerFlood, OnceTheEndIsAskedNothingMoreIsHandled) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(NothingMoreOnceTheEndIsAsked(), testing::ExitedWithCode(0), "");
}

// The GUI thread does not handle anything for a while: the reader fills the inbox to its bound
// and waits, instead of decoding the whole flood into memory. Then every message reaches the
// window in the order sent, and every heart-beat is answered.
TEST(ManagerFlood, AFasterServerWaitsAndNothingIsLostOrReordered) {
  MessageLog window;  // outlives the Manager, which unlinks itself from it
  ManagerSetUp s;
  s.manager->SetNextHandler(&window);
  auto link = s.LogIn(*s.server);
  ASSERT_TRUE(link);
  const int kMessages = 6000, kBeats = 2;
  link->SendBytes(Flood(kMessages, kBeats));

  ASSERT_TRUE(testsupport::WaitFor([&] { return s.manager->GetInboxSize() >= ManagerMailbox::kReaderEntries; },
                                   milliseconds(20000)));
  std::this_thread::sleep_for(milliseconds(300));
  EXPECT_EQ(ManagerMailbox::kReaderEntries, s.manager->GetInboxSize());
  EXPECT_LE(s.manager->GetInboxBytes(), ManagerMailbox::kReaderBytes);
  EXPECT_TRUE(window.texts.empty());

  // The heart-beats in a row share an entry: far fewer entries than requests are handled.
  ASSERT_TRUE(s.WaitFor([&] { return window.texts.size() == static_cast<size_t>(kMessages); }, milliseconds(60000)));
  for (int i = 0; i < kMessages; ++i) ASSERT_EQ("m" + std::to_string(i), window.texts[i]);
  int answers = 0;
  while (auto got = link->Next(milliseconds(2000)))
    if (got->request->present == C2S_Request_PR_heartbeatack) ++answers;
  EXPECT_EQ(kMessages * kBeats, answers);
  EXPECT_EQ(0u, s.manager->GetInboxSize());
}

// A link ends while its reader waits for room: an abort, a log-out, a new log-in, the end of
// the Manager. The reader is let go at once (its thread and its writer's end), what it left in
// the inbox is dropped, and the next session's requests are not held behind it.
TEST(ManagerFlood, AReaderWaitingForRoomNeverHoldsACloseOrTheNextSession) {
  ManagerSetUp s;
  for (int ending = 0; ending < 4; ++ending) {
    auto link = s.LogIn(*s.server);
    ASSERT_TRUE(link) << ending;
    link->SendBytes(Flood(3000, 0));
    ASSERT_TRUE(testsupport::WaitFor([&] { return s.manager->GetInboxSize() >= ManagerMailbox::kReaderEntries; },
                                     milliseconds(20000)))
        << ending;
    // The link's reader and writer, and the server's side of it, among them.
    const int during = ThreadCount();
    switch (ending) {
      case 0: s.manager->AbortConnection(); break;
      case 1: s.manager->Disconnect(false, true); break;
      case 2: s.manager->Connect("alice", "secret", false, "127.0.0.1", s.server->Port(), true, false); break;
      case 3: EXPECT_TRUE(s.manager->Close()); break;
    }
    // Nothing pumped: only the release of the waiting reader can end its thread.
    EXPECT_EQ(0u, s.manager->GetInboxSize()) << ending;
    EXPECT_TRUE(link->WaitClosed()) << ending;
    if (ending == 2) {
      auto next = s.server->Accept();
      ASSERT_TRUE(next);
      ASSERT_TRUE(s.Await(*next, C2S_Request_PR_connect));
      s.Acknowledge(*next, "K1");
      ASSERT_TRUE(s.WaitFor([&] { return s.manager->IsConnected(); }));
      s.Beat(*next, "K1");
      EXPECT_TRUE(s.Await(*next, C2S_Request_PR_heartbeatack, true));
      s.manager->AbortConnection();
      EXPECT_TRUE(next->WaitClosed());
    }
    // The reader, the writer and the server's side have ended.
    EXPECT_TRUE(testsupport::WaitFor([&] { return ThreadCount() <= during - 3; }, milliseconds(10000)))
        << ending << ": " << ThreadCount() << " threads, " << during << " before";
    Pump();
  }

  // The Manager goes while a reader waits: the reader drops what it brought and ends.
  auto link = s.LogIn(*s.server);
  ASSERT_TRUE(link);
  link->SendBytes(Flood(3000, 0));
  ASSERT_TRUE(testsupport::WaitFor([&] { return s.manager->GetInboxSize() >= ManagerMailbox::kReaderEntries; },
                                   milliseconds(20000)));
  const int during = ThreadCount();
  s.manager.reset();
  EXPECT_TRUE(link->WaitClosed());
  EXPECT_TRUE(testsupport::WaitFor([&] { return ThreadCount() <= during - 3; }, milliseconds(10000)))
      << ThreadCount() << " threads, " << during << " before";
}

// Thousands of new extension names: the table keeps the newest few hundred, and the server gets
// one client report per interval, the first of the session at once, carrying the names kept.
TEST(ManagerFlood, ExtensionNamesAreBoundedAndReportedOncePerInterval) {
  Manager::SetClientInfoInterval(std::chrono::hours(1));
  ManagerSetUp s;
  auto link = s.LogIn(*s.server);
  ASSERT_TRUE(link);
  ASSERT_TRUE(s.Await(*link, C2S_Request_PR_clientinfo, true));

  Register(0, 3000, "extension-");
  ASSERT_TRUE(s.WaitFor([&] { return s.manager->GetExtensionStatus("extension-2999") == EXTENSION_ENABLE; }));
  EXPECT_EQ(0, CountUntilBeatAnswered(s, *link, C2S_Request_PR_clientinfo));
  const std::string names = s.manager->GetExtensionNames();
  EXPECT_EQ(Manager::kMaxExtensions, static_cast<size_t>(std::count(names.begin(), names.end(), '|')));
  EXPECT_NE(std::string::npos, names.find("extension-2999|"));
  EXPECT_NE(std::string::npos, names.find("extension-2744|"));
  EXPECT_EQ(std::string::npos, names.find("extension-2743|"));
  EXPECT_EQ(EXTENSION_NONE, s.manager->GetExtensionStatus("extension-0"));

  // Once the interval has passed, the next name sends one report with the names kept.
  Manager::SetClientInfoInterval(milliseconds(0));
  Register(3000, 1, "extension-");
  C2SPtr info = s.Await(*link, C2S_Request_PR_clientinfo, true);
  ASSERT_TRUE(info);
  const std::string reported = asn1::ToString(info->choice.clientinfo.extensions_info);
  EXPECT_NE(std::string::npos, reported.find("extension-3000|"));
  EXPECT_EQ(std::string::npos, reported.find("extension-2744|"));

  // Names heard within the interval wait for its end (a timer): at most one report per
  // interval, the last one carrying the last name.
  const auto kInterval = milliseconds(500);
  Manager::SetClientInfoInterval(kInterval);
  const auto start = std::chrono::steady_clock::now();
  Register(0, 50, "late-");
  int reports = 0;
  bool carried = false;
  EXPECT_TRUE(testsupport::WaitFor(
      [&] {
        wxTheApp->Yield(true);
        while (auto got = link->Next(milliseconds(1))) {
          if (got->request->present != C2S_Request_PR_clientinfo) continue;
          ++reports;
          carried = asn1::ToString(got->request->choice.clientinfo.extensions_info).find("late-49|") != std::string::npos;
        }
        return carried;
      },
      milliseconds(10000)));
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(reports, 1);
  EXPECT_LE(reports, 1 + static_cast<int>(elapsed / kInterval));
  Manager::SetClientInfoInterval(std::chrono::hours(1));
}

// The screen's description comes from running a program: once for the session's reports, not
// once per report.
TEST(ManagerFlood, TheScreenIsReadOncePerChangeNotPerReport) {
  testsupport::TempDir bin;
  const std::string runs = bin.file("runs");
  testsupport::WriteFile(bin.file("xrandr"), "#!/bin/sh\necho run >> '" + runs +
                                                 "'\necho 'Screen 0: minimum 8 x 8, current 800 x 600, maximum 9 x 9'\n");
  chmod(bin.file("xrandr").c_str(), 0755);
  const std::string path = getenv("PATH");
  setenv("PATH", (bin.path() + ":" + path).c_str(), 1);
  Manager::SetClientInfoInterval(milliseconds(0));
  {
    ManagerSetUp s;
    auto link = s.LogIn(*s.server);
    ASSERT_TRUE(link);
    for (int i = 0; i < 4; ++i) {
      if (i > 0) Register(i, 1, "screen-");
      C2SPtr info = s.Await(*link, C2S_Request_PR_clientinfo, true);
      ASSERT_TRUE(info) << i;
      EXPECT_EQ("800|600|??", asn1::ToString(info->choice.clientinfo.screen_info));
    }
  }
  setenv("PATH", path.c_str(), 1);
  Manager::SetClientInfoInterval(std::chrono::hours(1));
  EXPECT_EQ("run\n", testsupport::ReadFile(runs));
}

// What a link's reader decoded is freed on a reader's thread once the GUI thread has handled it,
// so that the GUI thread never waits for the reader's allocator in a burst; what no reader comes
// back for is freed within the bounds, at once or at the close.
TEST(ManagerFlood, HandledRequestsAreFreedByAReaderWithinBounds) {
  Config::GetInstance()->SetLogin("alice");
  Manager owner;
  ManagerMailbox box(&owner);
  box.SetCurrentLink(7);
  std::mutex mutex;
  std::vector<std::thread::id> freedOn;
  // An entry handled by the GUI thread whose end is recorded.
  auto handled = [&](uint64_t generation, size_t bytes) {
    InboxEntry entry;
    entry.generation = generation;
    entry.bytes = bytes;
    std::shared_ptr<int> end(new int(0), [&](int* p) {
      std::lock_guard<std::mutex> lock(mutex);
      freedOn.push_back(std::this_thread::get_id());
      delete p;
    });
    entry.call = [end](Manager&) {};
    return entry;
  };
  auto freedCount = [&] {
    std::lock_guard<std::mutex> lock(mutex);
    return freedOn.size();
  };
  const std::thread::id gui = std::this_thread::get_id();

  for (int i = 0; i < 10; ++i) box.Spent(handled(7, 100));
  EXPECT_EQ(0u, freedCount());
  EXPECT_EQ(10u, box.SpentWaiting());
  // The next request a reader hands over takes them along.
  std::thread::id reader;
  std::thread([&] {
    reader = std::this_thread::get_id();
    S2C_Request_t beat;
    memset(&beat, 0, sizeof beat);
    beat.present = S2C_Request_PR_heartbeat;
    box.ServerRequest(7, beat);
  }).join();
  ASSERT_EQ(10u, freedCount());
  for (const std::thread::id& id : freedOn) EXPECT_EQ(reader, id);
  EXPECT_EQ(0u, box.SpentWaiting());

  // Past the bounds, and for what no link brought, the GUI thread frees at once.
  freedOn.clear();
  for (size_t i = 0; i < ManagerMailbox::kMostSpent + 3; ++i) box.Spent(handled(7, 10));
  EXPECT_EQ(ManagerMailbox::kMostSpent, box.SpentWaiting());
  box.Spent(handled(0, 10));
  ASSERT_EQ(4u, freedCount());
  for (const std::thread::id& id : freedOn) EXPECT_EQ(gui, id);
  // The close frees what waits.
  box.Close();
  EXPECT_EQ(0u, box.SpentWaiting());
  EXPECT_EQ(ManagerMailbox::kMostSpent + 4, freedCount());
  // A closed mailbox keeps nothing.
  box.Spent(handled(7, 10));
  EXPECT_EQ(ManagerMailbox::kMostSpent + 5, freedCount());
}

// The bytes bound: one large request is not kept for a reader.
TEST(ManagerFlood, ALargeHandledRequestIsFreedAtOnce) {
  Config::GetInstance()->SetLogin("alice");
  Manager owner;
  ManagerMailbox box(&owner);
  box.SetCurrentLink(3);
  bool freed = false;
  InboxEntry entry;
  entry.generation = 3;
  entry.bytes = ManagerMailbox::kMostSpentBytes + 1;
  std::shared_ptr<int> end(new int(0), [&](int* p) {
    freed = true;
    delete p;
  });
  entry.call = [end](Manager&) {};
  end.reset();
  box.Spent(std::move(entry));
  EXPECT_TRUE(freed);
  EXPECT_EQ(0u, box.SpentWaiting());
}
