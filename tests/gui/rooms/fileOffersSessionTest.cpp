// Links and file offers in a room, in the whole program on the stand-in server with bob as a
// client process of his own, by real clicks in the room's display: bob's offer (its name with
// path parts) saved through the save dialog into the folder chosen there, byte for byte, with
// the notices in order on both sides; an offer withdrawn by bob and one cancelled by alice (sent
// with the input's send-file tool); an offer that cannot be fetched, of the largest size and a
// long hostile name, shown safely without its link; a web link opened through the browser and
// bob's name recoloured.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <wx/colordlg.h>
#include <wx/modalhook.h>
#include <wx/uiaction.h>

#include <chrono>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "core/application.h"
#include "core/clientSideRequest.h"
#include "gui/mainFrame.h"
#include "gui/webBrowser.h"
#include "network/fileServer.h"
#include "tests/gui/fileChoice.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/gui/rooms/peerProcess.h"
#include "tests/gui/rooms/roomsTestSupport.h"
#include "tests/support/programSession.h"

namespace {

using roomstest::Exists;
using roomstest::Shown;
using roomstest::StyleOf;

const char kRoom[] = "http://offers.example/";
const long kReportSize = 300000;  // 292 kbytes as the room writes it
const char kReportKey[] = "1765000000100001";
const char kWithdrawnKey[] = "1765000000100002";
const std::string kHostileName = "a\x01/../\x1b[2J" + std::string(4000, 'x');

// ---- Bob: this program again, with this test alone.

class FileOffersPeer : public roomstest::PeerTest {
 protected:
  FileOffersPeer() : PeerTest("bob", kRoom) {}
};

TEST_F(FileOffersPeer, DISABLED_Bob) {
  const std::string dir = Dir();
  standintest::TestUser& bob = User();
  FileServer& server = Files();
  ASSERT_TRUE(roomstest::WritePattern(dir + "report.bin", kReportSize, 3));
  ASSERT_TRUE(testsupport::WriteFile(dir + "withdrawn.txt", "soon gone"));
  // The report goes under a name with path parts: the receiver decides where it lands.
  ASSERT_EQ(kReportSize, server.AddFile(kRoom, "bob", dir + "report.bin", "../report.bin", kReportKey));
  ASSERT_TRUE(bob.Link().SendFile(bob.Key(), kRoom, "../report.bin", kReportKey, kReportSize, server.GetBoundPort()));
  ASSERT_EQ(9, server.AddFile(kRoom, "bob", dir + "withdrawn.txt", "withdrawn.txt", kWithdrawnKey));
  ASSERT_TRUE(bob.Link().SendFile(bob.Key(), kRoom, "withdrawn.txt", kWithdrawnKey, 9, server.GetBoundPort()));
  // An offer no one can fetch (port 0), of the largest size, under a long name with control
  // characters and path parts.
  ASSERT_TRUE(bob.Link().SendFile(bob.Key(), kRoom, kHostileName, "1765000000100003", INT64_MAX, 0));
  ASSERT_TRUE(bob.Link().SendMessage(bob.Key(), kRoom, "Look at http://www.example.org/page?id=7 please"));
  SayReady("");
  // Then as alice asks through flag files; what bob hears of alice's offers goes to "heard".
  std::set<std::string> done;
  std::string heard;
  auto flag = [&](const std::string& name) { return !done.count(name) && Exists(dir + name) && done.insert(name).second; };
  using namespace std::chrono;
  for (auto end = steady_clock::now() + seconds(120); !Exists(dir + "stop") && steady_clock::now() < end;) {
    if (flag("withdraw")) {
      server.CancelFile(kWithdrawnKey);
      ASSERT_TRUE(bob.Link().CancelFile(bob.Key(), kRoom, kWithdrawnKey));
    }
    if (flag("speak")) {
      ASSERT_TRUE(bob.Link().SendMessage(bob.Key(), kRoom, "Coloured now"));
    }
    auto fromAlice = [&](const std::string& line) {
      return [&, line](const S2C_Request_t& r) {
        const std::string key = r.present == S2C_Request_PR_file ? standintest::Str(r.choice.file.filekey)
                                                                   : standintest::Str(r.choice.cancelfile.filekey);
        return !done.count(line + key) && key != kReportKey && key != kWithdrawnKey;
      };
    };
    if (const S2C_Request_t* offer = bob.Wait(S2C_Request_PR_file, fromAlice("file "), milliseconds(50))) {
      done.insert("file " + standintest::Str(offer->choice.file.filekey));
      heard += "file " + standintest::Str(offer->choice.file.filename) + " " + standintest::Str(offer->choice.file.filekey) + "\n";
      ASSERT_TRUE(testsupport::WriteFile(dir + "heard", heard));
    }
    if (const S2C_Request_t* cancel = bob.Wait(S2C_Request_PR_cancelfile, fromAlice("cancel "), milliseconds(50))) {
      done.insert("cancel " + standintest::Str(cancel->choice.cancelfile.filekey));
      heard += "cancel " + standintest::Str(cancel->choice.cancelfile.filekey) + "\n";
      ASSERT_TRUE(testsupport::WriteFile(dir + "heard", heard));
    }
  }
}

// ---- Alice: the whole program.

// Answers the colour dialog as a user who picks `colour`: once the chooser is up, the colour
// is set in it through the toolkit's own call, and Return accepts it.
class ColourChoice : public wxModalDialogHook, public wxTimer {
 public:
  explicit ColourChoice(const wxColour& colour) : m_colour(colour) { Register(); }
  int asked = 0;

 protected:
  int Enter(wxDialog* dialog) override {
    if (!dynamic_cast<wxColourDialog*>(dialog)) return wxID_NONE;
    ++asked;
    struct Rgba {
      double red, green, blue, alpha;
    } rgba{m_colour.Red() / 255.0, m_colour.Green() / 255.0, m_colour.Blue() / 255.0, 1.0};
    using SetRgba = void (*)(void*, const Rgba*);
    using Part = void* (*)(void*);
    // The toolkit's colour-selection dialog, and the selection inside it.
    auto selection = reinterpret_cast<Part>(dlsym(RTLD_DEFAULT, "gtk_color_selection_dialog_get_color_selection"));
    auto set = reinterpret_cast<SetRgba>(dlsym(RTLD_DEFAULT, "gtk_color_selection_set_current_rgba"));
    if (selection && set) set(selection(dialog->GetHandle()), &rgba);
    StartOnce(500);
    return wxID_NONE;
  }
  void Exit(wxDialog*) override {}
  void Notify() override { wxUIActionSimulator().Char(WXK_RETURN); }

 private:
  wxColour m_colour;
};

class FileOffersSession : public roomstest::PeerSession {
 protected:
  void SetUp() override {
    PeerSession::SetUp();
    ASSERT_FALSE(HasFatalFailure());
    Frame()->SubscribeChatRoom(kRoom);
    ASSERT_TRUE(Until([&] { return Rooms()->IsChatRoomOpened(kRoom); }));
    m_page = Rooms()->GetChatRoom(kRoom);
    browser::SetRecorder([this](const std::string& url) { m_opened.push_back(url); });
  }
  void TearDown() override {
    browser::SetRecorder(nullptr);
    PeerSession::TearDown();
  }
  bool Showing(const wxString& text) {
    return Until([&] { return Shown(m_page).Find(text) != wxNOT_FOUND; });
  }
  // A real click inside the last `text` shown, `offset` characters in.
  void Click(const wxString& text, int offset = 2) {
    Rooms()->Raise();
    const wxString shown = Shown(m_page);
    const size_t at = shown.rfind(text);
    ASSERT_NE(wxString::npos, at) << text;
    wxRichTextCtrl* display = m_page->GetDisplay();
    display->ShowPosition(long(at));
    // The display has scrolled to the text, and the window come forward, before the pointer
    // goes there; the caller waits for what the click does.
    ASSERT_TRUE(Until([&] { return display->IsPositionVisible(long(at) + offset); }));
    guitest::Pump(100);
    wxRect caret;
    ASSERT_TRUE(display->GetCaretPositionForIndex(long(at) + offset, caret));
    const wxPoint inside = display->GetPhysicalPoint(caret.GetPosition()) + wxPoint(2, caret.GetHeight() / 2);
    wxUIActionSimulator sim;
    sim.MouseMove(display->ClientToScreen(inside));
    sim.MouseClick();
  }
  // The paragraphs shown, and those from the index `from` on (each ending in "\n").
  size_t Count() { return wxSplit(Shown(m_page), '\n', '\0').size(); }
  wxString Since(size_t from) {
    wxString lines;
    const wxArrayString all = wxSplit(Shown(m_page), '\n', '\0');
    for (size_t i = from; i + 1 < all.size(); ++i) lines += all[i] + "\n";
    return lines;
  }

  ChatRoomPanel* m_page = nullptr;
  testsupport::TempDir m_base;
  std::vector<std::string> m_opened;
};

TEST_F(FileOffersSession, OffersSavedWithdrawnCancelledAndLinksFollowed) {
  ASSERT_TRUE(m_page);
  const size_t start = Count() - 1;
  StartPeer("FileOffersPeer.DISABLED_Bob");
  ASSERT_TRUE(Showing("Look at http://www.example.org/page?id=7 please")) << Shown(m_page);
  const wxString offers = Since(start);
  EXPECT_NE(wxNOT_FOUND, offers.Find(" sends you a file : ../report.bin (292 kbytes) Download\n")) << offers;
  EXPECT_NE(wxNOT_FOUND, offers.Find(" sends you a file : withdrawn.txt (9 bytes) Download\n")) << offers;
  const wxString fffd(wxUniChar(0xFFFD));
  EXPECT_NE(wxNOT_FOUND, offers.Find(" sends you a file : a" + fffd + "/../" + fffd + "[2J" + wxString(4000, 'x') +
                                     " (9007199254740991 kbytes) \n"));

  // "Download" by a real click: the save dialog proposes the name without its path, the user
  // keeps it in a folder of her choice, and the file lands there and nowhere else.
  const std::string folder = m_base.file("in");
  ASSERT_EQ(0, mkdir(folder.c_str(), 0700));
  size_t mark = Count() - 1;
  {
    guitest::FileChoice choice(folder + "/");
    Click("(292 kbytes) Download", int(strlen("(292 kbytes) ")) + 2);
    ASSERT_TRUE(Until([&] { return choice.asked; }));
    EXPECT_EQ("report.bin", choice.proposed);
    EXPECT_EQ("Receive file...", choice.title);
    EXPECT_TRUE(choice.style & wxFD_OVERWRITE_PROMPT);
    ASSERT_TRUE(Until([&] { return Exists(folder + "/report.bin") && Since(mark).Contains("downloaded succesfully"); }))
        << Since(mark);
  }
  EXPECT_TRUE(roomstest::SameFiles(Bob("report.bin"), folder + "/report.bin"));
  EXPECT_EQ(std::vector<std::string>{"in"}, testsupport::ListDir(m_base.path()));
  EXPECT_EQ(std::vector<std::string>{"report.bin"}, testsupport::ListDir(folder));
  EXPECT_EQ(
      "File ../report.bin is downloaded from Bob\n"
      "File ../report.bin has been downloaded succesfully\n",
      Since(mark));
  EXPECT_NE(wxNOT_FOUND, Shown(m_page).Find(" sends you a file : ../report.bin (292 kbytes) (selected)\n"));
  EXPECT_EQ(*wxBLACK, StyleOf(m_page, "(selected)").GetTextColour());
  EXPECT_FALSE(StyleOf(m_page, "(selected)").HasURL());
  // Bob's side: his upload started, then ended whole.
  const std::vector<int> up = roomstest::StepsFile::States(Bob("steps"), 'u', std::string("alice@@@") + kReportKey);
  ASSERT_FALSE(up.empty()) << testsupport::ReadFile(Bob("steps"));
  EXPECT_EQ(FM_STARTED, up.front());
  EXPECT_EQ(FM_COMPLETE, up.back());

  // Bob withdraws his other offer.
  mark = Count() - 1;
  ASSERT_TRUE(testsupport::WriteFile(Bob("withdraw"), ""));
  ASSERT_TRUE(Showing("File transfer of withdrawn.txt has been canceled\n"));
  EXPECT_EQ("File transfer of withdrawn.txt has been canceled\n", Since(mark));

  // The web link goes to the browser; bob's name asks for his colour, which his next line takes.
  Click("http://www.example.org/page?id=7", 4);
  ASSERT_TRUE(Until([&] { return !m_opened.empty(); }));
  EXPECT_EQ(std::vector<std::string>{"http://www.example.org/page?id=7"}, m_opened);
  const wxColour before = StyleOf(m_page, "Look at").GetTextColour();
  {
    ColourChoice colour(wxColour(10, 20, 30));
    Click("Bob (bob) says:", 1);
    ASSERT_TRUE(Until([&] { return colour.asked == 1; }));
  }
  ASSERT_TRUE(testsupport::WriteFile(Bob("speak"), ""));
  ASSERT_TRUE(Showing("Coloured now"));
  EXPECT_EQ(wxColour(10, 20, 30), StyleOf(m_page, "Coloured now").GetTextColour())
      << StyleOf(m_page, "Coloured now").GetTextColour().GetAsString();
  EXPECT_EQ(before, StyleOf(m_page, "Look at").GetTextColour());

  // Alice offers a file with the input's tool, then cancels it by its link.
  const std::string mine = m_base.file("notes.txt");
  ASSERT_TRUE(testsupport::WriteFile(mine, "alice's notes"));
  size_t journal = JournalSize();
  {
    guitest::FileChoice choice(mine);
    wxCommandEvent tool(wxEVT_TOOL, WriteMessagePanel::ID_SENDFILE);
    m_page->GetWriteMessagePanel()->GetEventHandler()->AddPendingEvent(tool);
    ASSERT_TRUE(Showing("Parlavoxers can now download notes.txt: Cancel\n"));
    EXPECT_EQ("Send file...", choice.title);
  }
  ASSERT_TRUE(AwaitJournal([&](const std::string& line) {
    return line.find("alice sendfile") == 0 && line.find("filename=\"notes.txt\"") != std::string::npos;
  }, journal));
  ASSERT_TRUE(Until([&] { return testsupport::ReadFile(Bob("heard")).find("file notes.txt ") == 0; }));
  std::string key;
  std::istringstream(testsupport::ReadFile(Bob("heard")).substr(strlen("file notes.txt "))) >> key;
  journal = JournalSize();
  Click("Cancel");
  ASSERT_TRUE(Showing("Parlavoxers can now download notes.txt: Canceled\n"));
  EXPECT_TRUE(AwaitJournal([&](const std::string& line) {
    return line.find("alice cancelfile") == 0 && line.find(key) != std::string::npos;
  }, journal));
  EXPECT_TRUE(Until([&] { return testsupport::ReadFile(Bob("heard")).find("cancel " + key) != std::string::npos; }));
  EXPECT_EQ(*wxBLACK, StyleOf(m_page, "Canceled").GetTextColour());
  EXPECT_EQ(wxFONTWEIGHT_BOLD, StyleOf(m_page, "Canceled").GetFontWeight());
  EXPECT_FALSE(FileServer::GetFileInfo(key));
}

}  // namespace
