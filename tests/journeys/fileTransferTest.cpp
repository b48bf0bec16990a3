// A file offered in a room and downloaded by another person in it: alice offers 50 MB of random
// bytes with her input's send-file tool, bob clicks "Download" under her offer and saves it where
// he likes; what lands there is her file byte for byte, nothing half-written is left beside it,
// and both transfers windows end with the transfer done.
#include <sys/stat.h>

#include <string>

#include "tests/journeys/journey.h"

namespace journeys {
namespace {

class FileTransfer : public Journey {
 protected:
  // What each side's transfers window traces as it takes a report of the transfer in a state.
  static size_t Reported(const Person& person, const std::string& transferKey, int state) {
    const std::string arguments = "(" + transferKey + ", " + std::to_string(state) + ")";
    return Traced(person, "FilesFrame::UpdateFileTransfertStatus", arguments);
  }
  // The key of the person's latest offer, as the server's journal has it.
  std::string OfferedKey(const std::string& login) {
    std::string key;
    const std::string start = login + " sendfile ", field = "filekey=\"";
    for (const std::string& line : Journal()) {
      const size_t at = line.find(field);
      if (line.compare(0, start.size(), start) == 0 && at != std::string::npos)
        key = line.substr(at + field.size(), line.find('"', at + field.size()) - at - field.size());
    }
    return key;
  }
};

TEST_F(FileTransfer, FiftyMegabytesOfferedInTheRoomAndDownloadedWhole) {
  Person& alice = Add("alice");
  Person& bob = Add("bob");
  if (!alice.Network() || !bob.Network()) { GTEST_SKIP() << "two extension listeners need a network each"; }
  ASSERT_GE(StartAndLogInByTyping(alice), 0);
  ASSERT_GE(StartAndLogInByTyping(bob), 0);
  // Two programs on one machine: alice serves her files on a port of her choice, and her offers
  // carry it; bob's network passes it on to hers.
  ASSERT_TRUE(SetFilePort(alice, kFilePort));
  ReachFilesOf(alice, bob, kFilePort);
  const std::string page = "http://www.example.org/holidays/";
  const auto rooms = MeetInTheRoom(alice, bob, page);
  ASSERT_TRUE(rooms.first && rooms.second);

  const std::string original = alice.Home() + "/holidays.bin";
  const size_t size = 50u << 20;
  ASSERT_TRUE(WriteRandomFile(original, size));
  ASSERT_TRUE(OfferFile(alice, rooms.first, original));
  const std::string key = OfferedKey("alice");
  ASSERT_FALSE(key.empty());
  EXPECT_EQ(1u, CountJournal("alice sendfile site=\"" + page + "\" filename=\"holidays.bin\" filekey=\"" + key +
                             "\" filesize=" + std::to_string(size) + " port=" + std::to_string(kFilePort)))
      << testsupport::ReadFile(DataDir() + "/journal");

  // Bob saves it in a folder of his own under a name of his own.
  const std::string folder = bob.Home() + "/Downloads";
  ASSERT_EQ(0, mkdir(folder.c_str(), 0700));
  const std::string saved = folder + "/from alice.bin";
  ASSERT_TRUE(Until([&] { return Traced(bob, "ChatRoomPanel::AddFileMessage", "(" + key + " 2)") == 1; },
                    "alice's offer in bob's room"));
  ASSERT_TRUE(DownloadOffer(bob, rooms.second, saved));
  ASSERT_TRUE(Until([&] { return Reported(bob, key, 7) == 1; }, "bob's download done"));
  EXPECT_EQ(Digest(original), Digest(saved));
  EXPECT_EQ(Lines{"from alice.bin"}, testsupport::ListDir(folder));
  // Alice's side: her upload to bob went from its start to its end.
  const std::string upload = "bob@@@" + key;
  EXPECT_TRUE(Until([&] { return Reported(alice, upload, 7) == 1; }, "alice's upload done"));
  EXPECT_EQ(1u, Reported(alice, upload, 3));
  EXPECT_EQ(1u, Reported(bob, key, 3));
  EXPECT_EQ(0u, Reported(bob, key, 6) + Reported(alice, upload, 6));

  // Both transfers windows came up, and show the transfer done: its row green.
  for (const Person* person : {&alice, &bob}) {
    const programtest::Screen::WindowId files = AwaitWindow(*person, "Download/Upload files");
    int x = 0, y = 0;
    EXPECT_TRUE(Until([&] { return Screen().FindRun(files, 0x00dd00UL, 100, &x, &y); },
                      person->Login() + "'s transfers window showing the transfer done"));
  }

  ASSERT_TRUE(QuitCleanly(alice));
  ASSERT_TRUE(QuitCleanly(bob));
}

}  // namespace
}  // namespace journeys
