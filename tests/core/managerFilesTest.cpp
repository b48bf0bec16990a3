// File transfers through the controller, end to end: the offer reaches the protocol test
// server, another user's client fetches it from the real file server on loopback, and the
// windows see each change of state once and the progress at most ten times a second.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "network/fileTransferLink.h"
#include "tests/core/roomsTestSupport.h"

using namespace roomstest;

namespace {

// Another user's client fetching an offer from the controller's file port: it reads until the
// end, or until `keep` bytes when given and then drops the link (a cancel on that side);
// `resume` (when given) must come true before it reads past its first part.
struct Fetch {
  std::string bytes;
  bool refused = false, interrupted = false;
  Fetch(unsigned short port, const std::string& login, const std::string& key, size_t keep = SIZE_MAX,
        const std::atomic<bool>* resume = nullptr) {
    FileTransferLink link;
    C2C_Request_t ask{};
    ask.present = C2C_Request_PR_askforfile;
    ask.choice.askforfile.login = {reinterpret_cast<uint8_t*>(const_cast<char*>(login.data())),
                                   static_cast<int>(login.size()), {}};
    ask.choice.askforfile.fileKey = {reinterpret_cast<uint8_t*>(const_cast<char*>(key.data())),
                                     static_cast<int>(key.size()), {}};
    C2C_Request_t* answer = link.ConnectTo("127.0.0.1", port, 5000) && link.Send(ask) ? link.Receive(5000) : nullptr;
    refused = !answer || answer->present != C2C_Request_PR_askforfile_ack || !answer->choice.askforfile_ack.status;
    FileTransferLink::FreeRequest(answer);
    while (!refused && bytes.size() < keep) {
      if (resume && !bytes.empty()) testsupport::WaitFor([&] { return resume->load(); }, milliseconds(10000));
      C2C_Request_t* part = link.Receive(10000);
      bool data = part && part->present == C2C_Request_PR_file;
      interrupted = part && part->present == C2C_Request_PR_interrupt;
      if (data) bytes.append(reinterpret_cast<char*>(part->choice.file.fileData.buf), part->choice.file.fileData.size);
      FileTransferLink::FreeRequest(part);
      if (!data) break;
    }
  }
};

std::string MakeFile(const std::string& path, size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7919) >> 8);
  testsupport::WriteFile(path, bytes);
  return bytes;
}

// The reports of one transfer key (its transfer key ends the line's fourth field).
std::vector<std::string> Of(const std::vector<std::string>& lines, const std::string& transferKey) {
  std::vector<std::string> out;
  for (const std::string& line : lines)
    if (line.find(" " + transferKey + " ") != std::string::npos) out.push_back(line);
  return out;
}

int Count(const std::vector<std::string>& lines, const std::string& part) {
  return static_cast<int>(std::count_if(lines.begin(), lines.end(),
                                        [&](const std::string& l) { return l.find(part) != std::string::npos; }));
}

}  // namespace

TEST(ManagerFiles, AnOfferFetchedWholeWhileMessagesFlow) {
  Session s;
  ASSERT_TRUE(s.link);
  const std::string room = "http://news.example/";
  std::string content = MakeFile(s.dir.file("video.bin"), 6 << 20);
  std::string key = s.manager->SendFile(room, s.dir.file("video.bin"), "video.bin");
  C2SPtr offer = s.Got(C2S_Request_PR_sendfile);
  ASSERT_TRUE(offer);
  EXPECT_EQ(key, Text(offer->choice.sendfile.filekey));
  EXPECT_EQ("video.bin", Text(offer->choice.sendfile.filename));
  EXPECT_EQ(6 << 20, offer->choice.sendfile.filesize);
  // The key is the time, then seven digits no one could guess from the last key.
  EXPECT_EQ(s.manager->GetTimeKey().size() + 7, key.size());
  EXPECT_EQ(std::string::npos, key.find_first_not_of("0123456789"));

  // Bob fetches it while he and Alice talk.
  auto start = std::chrono::steady_clock::now();
  Fetch* fetched = nullptr;
  std::thread bob([&] { fetched = new Fetch(static_cast<unsigned short>(offer->choice.sendfile.port), "bob", key); });
  for (int i = 0; i < 200; ++i) {
    auto said = NewS2C(S2C_Request_PR_message);
    Fill(&said->choice.message.site, room);
    Fill(&said->choice.message.login, "bob");
    Fill(&said->choice.message.message, "line " + std::to_string(i));
    s.Send(said);
    if (i % 20 == 0) { EXPECT_TRUE(s.manager->SendMessage(room, "answer " + std::to_string(i))); }
  }
  ASSERT_TRUE(s.WaitFor([&] { return Count(s.events.files, " 7 u ") == 1; }, milliseconds(60000)));
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  bob.join();
  EXPECT_TRUE(fetched->bytes == content);
  delete fetched;
  std::vector<std::string> reports = Of(s.events.files, "bob@@@" + key);
  ASSERT_GE(reports.size(), 2u);
  EXPECT_EQ("0 file 3 u bob@@@" + key + " 0", reports.front());
  EXPECT_EQ("0 file 7 u bob@@@" + key + " " + std::to_string(6 << 20), reports.back());
  EXPECT_LE(Count(reports, " 4 u "), 1 + static_cast<int>(seconds * 10)) << seconds;
  EXPECT_EQ(200 + 10, Count(s.Lines(), " message "));

  // Progress reported faster than ten times a second is thinned out; the end always shows.
  s.events.files.clear();
  start = std::chrono::steady_clock::now();
  for (int i = 1; i <= 1000; ++i)
    s.manager->MessageFile(FM_IN_PROGRESS, "bob", room, "f", "99", "99", "", 0, 0, true, i, 1000, 0);
  s.manager->MessageFile(FM_COMPLETE, "bob", room, "f", "99", "99", "", 0, 0, true, 1000, 1000, 0);
  double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  Pump();
  EXPECT_EQ("0 file 4 d 99 1", s.events.files.front());
  EXPECT_EQ("0 file 7 d 99 1000", s.events.files.back());
  EXPECT_LE(s.events.files.size(), 2 + static_cast<size_t>(elapsed * 10));

  // An offer of Bob's, withdrawn by him: the window hears that it is cancelled.
  auto offered = NewS2C(S2C_Request_PR_file);
  Fill(&offered->choice.file.site, room);
  Fill(&offered->choice.file.login, "bob");
  Fill(&offered->choice.file.filename, "bob.txt");
  Fill(&offered->choice.file.filekey, "123");
  Fill(&offered->choice.file.ip, "127.0.0.1");
  offered->choice.file.filesize = 10;
  s.Send(offered);
  auto withdrawn = NewS2C(S2C_Request_PR_cancelfile);
  Fill(&withdrawn->choice.cancelfile.site, room);
  Fill(&withdrawn->choice.cancelfile.filekey, "123");
  s.Send(withdrawn);
  s.events.files.clear();
  s.Lines();
  EXPECT_EQ((std::vector<std::string>{"0 file 2 d  0", "0 file 8 d bob@@@123 0"}), s.events.files);
}

// Alice stops an upload, Bob drops another, then Alice withdraws the offer altogether.
TEST(ManagerFiles, CancelledFromEachSide) {
  Session s;
  ASSERT_TRUE(s.link);
  const size_t size = 32 << 20;  // far more than the sockets hold, so that both ends are mid-way
  MakeFile(s.dir.file("big.bin"), size);
  std::string key = s.manager->SendFile("http://news.example/", s.dir.file("big.bin"), "big.bin");
  C2SPtr offer = s.Got(C2S_Request_PR_sendfile);
  ASSERT_TRUE(offer);
  unsigned short port = static_cast<unsigned short>(offer->choice.sendfile.port);

  std::atomic<bool> resume{false};
  Fetch* bob = nullptr;
  std::thread bobSide([&] { bob = new Fetch(port, "bob", key, SIZE_MAX, &resume); });
  ASSERT_TRUE(s.WaitFor([&] { return Count(s.events.files, " 4 u bob@@@") > 0; }));
  s.manager->CancelUpload("bob@@@" + key);
  resume = true;
  ASSERT_TRUE(s.WaitFor([&] { return Count(s.events.files, " 5 u bob@@@") > 0; }, milliseconds(30000)));
  bobSide.join();
  EXPECT_TRUE(bob->interrupted);
  EXPECT_LT(bob->bytes.size(), size);
  delete bob;

  Fetch carol(port, "carol", key, 3 * 8192);
  EXPECT_EQ(3u * 8192, carol.bytes.size());
  ASSERT_TRUE(s.WaitFor([&] { return Count(s.events.files, " 6 u carol@@@") > 0; }, milliseconds(30000)));

  s.manager->CancelUploadFile(key);
  C2SPtr withdrawn = s.Got(C2S_Request_PR_cancelfile);
  ASSERT_TRUE(withdrawn);
  EXPECT_EQ(key, Text(withdrawn->choice.cancelfile.filekey));
  EXPECT_TRUE(Fetch(port, "dave", key).refused);
  s.Lines();
  // Each ending is posted once, and nothing follows it.
  for (auto ending : {std::make_pair("bob@@@", " 5 u "), std::make_pair("carol@@@", " 6 u ")}) {
    std::vector<std::string> reports = Of(s.events.files, ending.first + key);
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(1, Count(reports, ending.second));
    EXPECT_NE(std::string::npos, reports.back().find(ending.second));
  }
}
