#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tests/core/clientTestSupport.h"

using namespace clienttest;
using testserver::Fill;
using testserver::NewS2C;

// Three threads send while the connection thread receives, all on one TLS link: every message
// arrives whole, once, and in each sender's order.
TEST(ClientConcurrency, SendersOnThreeThreadsWhileTheLinkReceives) {
  const int kEach = 10000;
  const int kSenders = 3;
  ClientSetUp setUp;
  RecordingMachine machine;
  RunningClient running(machine, setUp.server->Port());
  auto link = LogIn(*setUp.server, machine);
  ASSERT_TRUE(link);

  std::thread server([&] {
    for (int i = 0; i < kEach; ++i) {
      auto m = NewS2C(S2C_Request_PR_message);
      Fill(&m->choice.message.authkey, "K1");
      m->choice.message.time = 1700000000 + i;
      Fill(&m->choice.message.site, "http://a.example/");
      Fill(&m->choice.message.login, "bob");
      Fill(&m->choice.message.message, "s" + std::to_string(i));
      link->Send(*m);
    }
  });
  std::vector<std::thread> senders;
  for (int t = 0; t < kSenders; ++t) {
    senders.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) {
        std::string text = "t" + std::to_string(t) + "-" + std::to_string(i);
        // A full queue refuses at once; the writer soon makes room, and the message is sent again.
        auto giveUp = std::chrono::steady_clock::now() + milliseconds(30000);
        while (!running.client->SendMessage("K1", "http://a.example/", text)) {
          if (std::chrono::steady_clock::now() > giveUp) return;
          std::this_thread::yield();
        }
      }
    });
  }

  std::map<int, int> next;
  for (int n = 0; n < kSenders * kEach; ++n) {
    auto got = link->Next(milliseconds(30000));
    ASSERT_TRUE(got) << "after " << n << " messages";
    ASSERT_EQ(C2S_Request_PR_sendmessage, got->request->present);
    int t = -1, i = -1;
    std::string text = asn1::ToString(got->request->choice.sendmessage.message);
    ASSERT_EQ(2, sscanf(text.c_str(), "t%d-%d", &t, &i)) << text;
    ASSERT_EQ(next[t], i) << "sender " << t;
    next[t] = i + 1;
  }
  for (auto& s : senders) s.join();
  server.join();
  EXPECT_EQ("", link->UndecodedBytes());

  ASSERT_TRUE(machine.WaitRequests(1 + kEach, milliseconds(60000)));
  ASSERT_EQ(static_cast<size_t>(kEach), machine.texts.size());
  for (int i = 0; i < kEach; ++i) ASSERT_EQ("s" + std::to_string(i), machine.texts[i]);

  link->Close();
  EXPECT_TRUE(running.WaitEnd());
}
