// The controller under load from every side at once: the server floods the link, the browser
// extension calls the listener through libcurl, file transfers report, and the GUI thread calls
// the Manager and logs in and out again and again. Built a second time with ThreadSanitizer.
//
// The test runs to a deadline, not a count: on a slow or loaded machine (or under the sanitizer)
// it does less work in the same time. The senders are paced by the GUI thread, a few rounds for
// each of its turns, so that they never outrun it however slow it is: the point is every side
// at once, not a queue that grows without end.
#include <curl/curl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "network/fileServer.h"
#include "network/localServer.h"
#include "tests/core/managerTestSupport.h"

using namespace managertest;

namespace {

size_t Discard(char*, size_t size, size_t count, void*) {
  return size * count;
}

void Get(CURL* curl, const std::string& url) {
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Discard);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 300L);
  curl_easy_setopt(curl, CURLOPT_HTTP09_ALLOWED, 1L);
  curl_easy_setopt(curl, CURLOPT_PATH_AS_IS, 1L);
  curl_easy_perform(curl);
}

// Lets a sender do a few rounds for each turn of the GUI thread.
class Pace {
 public:
  explicit Pace(const std::atomic<bool>& stop) : m_stop(stop) {}
  // The GUI thread took a turn.
  void Turn() { ++m_turns; }
  // Waits until the sender may do its next round; false once the test stops.
  bool Next(long& round, long perTurn) {
    while (!m_stop && round >= m_turns * perTurn) std::this_thread::sleep_for(milliseconds(1));
    ++round;
    return !m_stop;
  }

 private:
  const std::atomic<bool>& m_stop;
  std::atomic<long> m_turns{1};
};

}  // namespace

TEST(ManagerStress, EverySideAtOnceWithSessionsComingAndGoing) {
  const char* seconds = getenv("PARLAVOX_STRESS_SECONDS");
  const auto started = std::chrono::steady_clock::now();
  const auto deadline = started + std::chrono::seconds(seconds ? atoi(seconds) : 10);
  // A wait of the GUI thread: thirty seconds, whatever is left before the deadline. The end of a
  // session is heard of only after what the other threads handed over before it, up to the
  // inbox's bound, which a slow (sanitizer) build on a loaded machine takes seconds to handle;
  // the wait only bounds a hang, it measures nothing.
  auto WaitLimit = [&] { return milliseconds(30000); };
  ManagerSetUp s;
  // The server side of the current session, shared with the thread that floods it.
  std::mutex mutex;
  std::shared_ptr<TestConnection> current = s.LogIn(*s.server);
  ASSERT_TRUE(current);
  auto Current = [&] {
    std::lock_guard<std::mutex> lock(mutex);
    return current;
  };
  std::atomic<bool> stop{false};
  Pace pace(stop);

  std::thread server([&] {
    long round = 0;
    for (int i = 0; pace.Next(round, 4); ++i) {
      auto link = Current();
      auto message = NewS2C(S2C_Request_PR_message);
      auto update = NewS2C(S2C_Request_PR_updcontact);
      Fill(&message->choice.message.authkey, "K1");
      Fill(&message->choice.message.login, "bob");
      Fill(&update->choice.updcontact.authkey, "K1");
      Fill(&update->choice.updcontact.login, "bob");
      Fill(&message->choice.message.site, "http://a.example/");
      Fill(&message->choice.message.message, "hello " + std::to_string(i));
      update->choice.updcontact.status = asn1::NewValue<long>(i % 5);
      link->Send(*message);
      link->Send(*update);
      s.Beat(*link, "K1");
    }
  });
  std::thread extension([&] {
    CURL* curl = curl_easy_init();
    std::string base = "http://127.0.0.1:" + std::to_string(LocalServer::Instance()->GetPort()) + "/";
    long round = 0;
    for (int i = 0; pace.Next(round, 1); ++i) {
      std::string site = "http://site" + std::to_string(i % 7) + ".example/";
      Get(curl, base + site);
      Get(curl, base + "CHECK:ext" + std::to_string(i % 3));
      Get(curl, base + "CLOSE:" + site);
    }
    curl_easy_cleanup(curl);
  });
  FileServer files("0");
  std::thread(FileServer(files)).detach();
  ASSERT_TRUE(testsupport::WaitFor([&] { return files.GetBoundPort() != 0; }, milliseconds(5000)));
  ASSERT_TRUE(testsupport::WriteFile(s.dir.file("offer.bin"), std::string(20000, 'f')));
  files.AddFile("http://a.example/", "alice", s.dir.file("offer.bin"), "offer.bin", "1234567");
  std::thread transfers([&] {
    long round = 0;
    for (int i = 0; pace.Next(round, 1); ++i) {
      files.DownloadFile("alice", "bob", "http://a.example/", "1234567", 20000, "127.0.0.1", files.GetBoundPort(),
                         "offer.bin", s.dir.file("got" + std::to_string(i % 4) + ".bin"));
    }
  });

  // The GUI thread: calls, then a log-out by either side and a new log-in.
  int sessions = 1;
  size_t events = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    auto sessionEnd = std::min(deadline, std::chrono::steady_clock::now() + milliseconds(300));
    for (int i = 0; std::chrono::steady_clock::now() < sessionEnd; ++i) {
      pace.Turn();
      Pump();
      s.manager->GetContactInfo("bob");
      s.manager->GetURLInfo("http://site1.example/");
      s.manager->SendErrorMessages("note " + std::to_string(i));
      if (i % 50 == 0) s.manager->RestartFileServer();
      events += s.recorder.events.size();
      s.recorder.events.clear();
    }
    if (sessions % 2)
      s.manager->Disconnect(false, true);
    else
      Current()->Close(false);
    ASSERT_TRUE(s.WaitFor([&] { return s.manager->IsDisconnected(); }, WaitLimit()));
    if (std::chrono::steady_clock::now() >= deadline) break;
    auto link = s.LogIn(*s.server);
    ASSERT_TRUE(link);
    std::lock_guard<std::mutex> lock(mutex);
    current = link;
    ++sessions;
  }
  stop = true;
  server.join();
  extension.join();
  transfers.join();
  files.Close(true);
  s.manager->Disconnect(false, true);
  Pump();
  printf("%d sessions, %zu events handled in %.1f s\n", sessions, events,
         std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
  EXPECT_GT(events, 0u);
}
