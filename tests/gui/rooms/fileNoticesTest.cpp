// File transfers in a room's page, fed what the controller would hand it: the notice of every
// state in order, sizes as the room writes them (worked out by hand, to 2^63-1), the offer's
// link and what a click on a link means, and hostile offers shown safely.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gui/rooms/fileOffer.h"
#include "model/fileMessage.h"
#include "tests/gui/fileChoice.h"
#include "tests/gui/rooms/roomsTestSupport.h"

namespace {

using fileoffer::Link;
using roomstest::Shown;
using roomstest::StyleOf;

const int64_t kMax = INT64_MAX;

TEST(FileOfferTexts, SizesNoticesLinksAndProposedNames) {
  const struct {
    int64_t size;
    const char* text;
  } sizes[] = {{0, "0 bytes"},
               {1, "1 bytes"},
               {1023, "1023 bytes"},
               {1024, "1 kbytes"},
               {2047, "1 kbytes"},
               {2048, "2 kbytes"},
               {5242880, "5120 kbytes"},
               {2147483647, "2097151 kbytes"},      // 2^31-1: 2^21 kbytes less a part
               {4294967296, "4194304 kbytes"},      // 4 GiB = 2^22 kbytes
               {4294968319, "4194304 kbytes"},      // 4 GiB and 1023 bytes
               {4294968320, "4194305 kbytes"},      // 4 GiB and 1024 bytes
               {kMax, "9007199254740991 kbytes"},  // (2^63-1)/1024 = 2^53-1
               {-1, "? bytes"},
               {INT64_MIN, "? bytes"}};
  for (const auto& row : sizes) EXPECT_EQ(row.text, fileoffer::SizeText(row.size)) << row.size;

  const struct {
    t_fm_status status;
    bool download;
    const char* text;
  } notices[] = {
      {FM_HOST_UNREACHABLE, true, "File r.pdf is located on an unreachable host"},
      {FM_NOT_AVAILABLE, false, "File r.pdf is no more available"},
      {FM_OFFERED, true, "Bob sends you a file : r.pdf (4194304 kbytes) "},
      {FM_OFFERED, false, "Bob sends you a file : r.pdf (4194304 kbytes) "},
      {FM_STARTED, true, "File r.pdf is downloaded from Bob"},
      {FM_STARTED, false, "File r.pdf is uploaded by Bob"},
      {FM_IN_PROGRESS, true, ""},
      {FM_INTERRUPTED, false, "File transfer of r.pdf has been interrupted"},
      {FM_FAILED, true, "File transfer of r.pdf has failed"},
      {FM_COMPLETE, true, "File r.pdf has been downloaded succesfully"},
      {FM_COMPLETE, false, "File r.pdf has been uploaded succesfully"},
      {FM_CANCELLED, true, "File transfer of r.pdf has been canceled"},
      {t_fm_status(9), true, ""},
      {t_fm_status(-1), true, ""},
  };
  for (const auto& row : notices)
    EXPECT_EQ(row.text, fileoffer::NoticeText(row.status, row.download, "r.pdf", "Bob", 4294967296))
        << row.status;

  // Links are told apart by their shape, not by what a peer's file name holds.
  const struct {
    std::string target;
    Link::Kind kind;
    std::string detail;  // the login, the key, or the key and the name after a space
  } links[] = {
      {"http://www.example.org/a|b", Link::kWeb, ""},
      {"https://example.org/contact://x", Link::kWeb, ""},
      {"http://bad example", Link::kNone, ""},
      {"contact://bob", Link::kContact, "bob"},
      {"contact://x/y/bob", Link::kContact, "bob"},
      {"contact://", Link::kNone, ""},
      {"1700000000123", Link::kCancel, "1700000000123"},
      {"17|bob|10.0.0.1|4000|report.pdf", Link::kDownload, "17 report.pdf"},
      {"17|bob|10.0.0.1|4000|a|b|http://x/|contact://y", Link::kDownload, "17 a|b|http://x/|contact://y"},
      {"17|bob|10.0.0.1|4000|", Link::kDownload, "17 "},
      {"17|bob|10.0.0.1|report.pdf", Link::kNone, ""},
      {"x7|bob|10.0.0.1|4000|report.pdf", Link::kNone, ""},
      {"|bob|10.0.0.1|4000|report.pdf", Link::kNone, ""},
      {"", Link::kNone, ""},
      {"ftp://example.org/", Link::kNone, ""},
  };
  for (const auto& row : links) {
    const Link link = fileoffer::Classify(row.target);
    EXPECT_EQ(row.kind, link.kind) << row.target;
    if (row.kind == Link::kContact) { EXPECT_EQ(row.detail, link.login); }
    if (row.kind == Link::kCancel) { EXPECT_EQ(row.detail, link.key); }
    if (row.kind == Link::kDownload) { EXPECT_EQ(row.detail, link.key + " " + link.fileName); }
  }
  EXPECT_EQ("42|bob|h|65535|a|b", fileoffer::DownloadTarget("42", "bob", "h", 65535, "a|b"));

  // The name proposed for saving: the last part, nothing that hides, moves or reorders.
  const wxString e(wxUniChar(0xE9));
  const struct {
    wxString peer;
    wxString proposed;
  } names[] = {
      {"report.pdf", "report.pdf"},
      {"../../.ssh/authorized_keys", "authorized_keys"},
      {"/etc/passwd", "passwd"},
      {"C:\\Users\\x\\evil.exe", "evil.exe"},
      {".bashrc", "_bashrc"},
      {wxString::FromUTF8("a\x01" "b\nc\x1b[2J\xe2\x80\xae" "gpj.exe"), "a_b_c_[2J_gpj.exe"},
      {"", ""},
      {".", ""},
      {"..", "_."},
      {"dir/", ""},
      {wxString(4000, 'x') + ".pdf", wxString(251, 'x') + ".pdf"},
      {wxString(4000, 'x') + "." + wxString(40, 'y'), wxString(255, 'x')},
      {wxString(300, wxUniChar(0xE9)), wxString(127, wxUniChar(0xE9))},
  };
  for (const auto& row : names) {
    const wxString proposed = fileoffer::ProposedName(row.peer);
    EXPECT_EQ(row.proposed, proposed) << row.peer.Left(60);
    EXPECT_LE(proposed.utf8_str().length(), 255u);
  }
}

FileMessage Record(t_fm_status status, bool download, const std::string& name = "r.pdf", int64_t size = 5242880,
                   const std::string& key = "1700000000123", int port = 4000) {
  return FileMessage("http://files.example/", "bob", "Bob", name, key, "bob@@@" + key, "10.0.0.7", port, 0,
                     download, status, 0, long(size), 0);
}

using RoomsWindow = roomstest::RoomsWindow;

// The link targets of the display's runs, in order.
std::vector<std::string> Targets(ChatRoomPanel* page) {
  page->FlushLines();
  std::vector<std::string> targets;
  for (wxRichTextObject* paragraph : page->GetDisplay()->GetBuffer().GetChildren())
    for (wxRichTextObject* child : dynamic_cast<wxRichTextCompositeObject*>(paragraph)->GetChildren())
      if (child->GetAttributes().HasURL()) targets.push_back(child->GetAttributes().GetURL().utf8_string());
  return targets;
}

TEST_F(RoomsWindow, FileNoticesFollowTheStatesAndHostileOffersShowSafely) {
  ChatRoomPanel* page = rooms->CreateChatRoom("http://files.example/", "files.example/", "Chatroom opened");
  const wxString before = Shown(page);
  const struct {
    t_fm_status status;
    bool download;
  } steps[] = {{FM_OFFERED, true},     {FM_STARTED, true},   {FM_IN_PROGRESS, true}, {FM_COMPLETE, true},
               {FM_STARTED, false},    {FM_COMPLETE, false}, {FM_HOST_UNREACHABLE, true},
               {FM_NOT_AVAILABLE, true}, {FM_INTERRUPTED, true}, {FM_FAILED, false},  {FM_CANCELLED, true},
               {FM_CANCELLED, true}};
  for (const auto& step : steps) {
    FileMessage record = Record(step.status, step.download);
    rooms->AddFileMessage(&record);
  }
  // A record for a room with no page goes nowhere.
  FileMessage elsewhere("http://other.example/", "bob", "Bob", "x", "1", "1", "h", 1, 0, true, FM_OFFERED, 0, 1, 0);
  rooms->AddFileMessage(&elsewhere);
  const wxString shown = Shown(page);
  ASSERT_TRUE(shown.StartsWith(before));
  EXPECT_EQ(
      "Bob sends you a file : r.pdf (5120 kbytes) Download\n"
      "File r.pdf is downloaded from Bob\n"
      "File r.pdf has been downloaded succesfully\n"
      "File r.pdf is uploaded by Bob\n"
      "File r.pdf has been uploaded succesfully\n"
      "File r.pdf is located on an unreachable host\n"
      "File r.pdf is no more available\n"
      "File transfer of r.pdf has been interrupted\n"
      "File transfer of r.pdf has failed\n"
      "File transfer of r.pdf has been canceled\n"
      "File transfer of r.pdf has been canceled\n",
      shown.Mid(before.length()));
  const wxRichTextAttr notice = StyleOf(page, "Bob sends");
  EXPECT_EQ(wxColour(0, 136, 0), notice.GetTextColour());
  EXPECT_EQ(wxFONTWEIGHT_BOLD, notice.GetFontWeight());
  EXPECT_FALSE(notice.GetFontUnderlined());
  const wxRichTextAttr link = StyleOf(page, "Download");
  EXPECT_EQ(*wxBLUE, link.GetTextColour());
  EXPECT_TRUE(link.GetFontUnderlined());
  EXPECT_EQ("1700000000123|bob|10.0.0.7|4000|r.pdf", link.GetURL());

  // Hostile offers: each one line, nothing that moves or hides text, a link only when the offer
  // can be fetched, and a link that reads back as what the peer sent.
  const wxString fffd(wxUniChar(0xFFFD));
  const std::string longName = std::string(4000, 'n');
  const struct {
    std::string name;
    int64_t size;
    std::string key;
    int port;
    wxString line;  // without the link's word
    bool link;
  } offers[] = {
      {"../../.ssh/authorized_keys", 0, "11", 4000, "Bob sends you a file : ../../.ssh/authorized_keys (0 bytes) ", true},
      {"a\x01" "b\x1b[2J\xe2\x80\xae" "fdp.exe", 1023, "12", 1,
       "Bob sends you a file : a" + fffd + "b" + fffd + "[2J" + fffd + "fdp.exe (1023 bytes) ", true},
      {longName, kMax, "13", 65535, "Bob sends you a file : " + longName + " (9007199254740991 kbytes) ", true},
      {"a|b|http://evil.example/|contact://x", 4294967296, "14", 4000,
       "Bob sends you a file : a|b|http://evil.example/|contact://x (4194304 kbytes) ", true},
      {"", 1024, "15", 4000, "Bob sends you a file :  (1 kbytes) ", true},
      {"neg.bin", -5, "16", 4000, "Bob sends you a file : neg.bin (? bytes) ", true},
      {"port0.bin", 1, "17", 0, "Bob sends you a file : port0.bin (1 bytes) ", false},
      {"port65536.bin", 1, "18", 65536, "Bob sends you a file : port65536.bin (1 bytes) ", false},
      {"key.bin", 1, "12ab", 4000, "Bob sends you a file : key.bin (1 bytes) ", false},
      {"nokey.bin", 1, "", 4000, "Bob sends you a file : nokey.bin (1 bytes) ", false},
  };
  for (const auto& offer : offers) {
    const wxString was = Shown(page);
    const size_t links = Targets(page).size();
    FileMessage record = Record(FM_OFFERED, true, offer.name, offer.size, offer.key, offer.port);
    page->AddFileMessage(&record);
    const wxString added = Shown(page).Mid(was.length());
    EXPECT_EQ(offer.line + (offer.link ? "Download" : "") + "\n", added) << offer.name.substr(0, 40);
    const std::vector<std::string> targets = Targets(page);
    ASSERT_EQ(links + (offer.link ? 1 : 0), targets.size()) << offer.name.substr(0, 40);
    if (!offer.link) continue;
    const Link back = fileoffer::Classify(targets.back());
    EXPECT_EQ(Link::kDownload, back.kind);
    EXPECT_EQ(offer.key, back.key);
    EXPECT_EQ(offer.name, back.fileName);
  }
}

// The user's own offer: "Cancel" clicked becomes a plain bold black "Canceled", every letter of
// it, and stays so when the display writes its lines again; the next line is untouched.
TEST_F(RoomsWindow, ACancelledOfferLeavesItsWordAndNothingToClick) {
  ChatRoomPanel* page = rooms->CreateChatRoom("http://files.example/", "files.example/", "Chatroom opened");
  for (size_t i = 0; i < ChatRoomPanel::kMaxParagraphs - 150; ++i) page->AddAdminMessage("filler", 0, wxBLUE);
  page->UploadFile("1765000000100009", "slides.pdf");
  page->UploadFile("1765000000100010", "notes.pdf");
  const wxString shown = Shown(page);
  const long at = long(shown.find("Cancel"));
  wxRichTextCtrl* display = page->GetDisplay();
  wxTextUrlEvent click(display->GetId(), wxMouseEvent(wxEVT_LEFT_UP), at, at + 5);
  click.SetString("1765000000100009");
  click.SetEventObject(display);
  display->GetEventHandler()->ProcessEvent(click);
  const wxString after = Shown(page);
  EXPECT_TRUE(after.EndsWith("Parlavoxers can now download slides.pdf: Canceled\n"
                             "Parlavoxers can now download notes.pdf: Cancel\n")) << after;
  for (long i = at; i < at + 8; ++i) {
    wxRichTextAttr style;
    display->GetStyle(i, style);
    EXPECT_EQ(*wxBLACK, style.GetTextColour()) << i - at;
    EXPECT_EQ(wxFONTWEIGHT_BOLD, style.GetFontWeight()) << i - at;
    EXPECT_FALSE(style.HasURL() && !style.GetURL().empty()) << i - at;
    EXPECT_FALSE(style.GetFontUnderlined()) << i - at;
  }
  EXPECT_EQ((std::vector<std::string>{"1765000000100010"}), Targets(page));
  // More lines make the display start again from its latest ones: the word stays a word.
  const size_t before = roomstest::Paragraphs(page);
  for (size_t i = 0; i < 160; ++i) page->AddAdminMessage("filler", 0, wxBLUE);
  ASSERT_LT(roomstest::Paragraphs(page), before);
  EXPECT_EQ((std::vector<std::string>{"1765000000100010"}), Targets(page));
  EXPECT_NE(wxNOT_FOUND, Shown(page).Find("slides.pdf: Canceled\n"));
}

// Not connected, the send-file tool says so and asks for no file. "Download" with its dialog
// cancelled stays a live link; chosen for an offer this program was never given, it starts
// nothing, writes nothing and says the file is not available.
TEST_F(RoomsWindow, NothingLooksOfferedOrFetchedThatIsNot) {
  ChatRoomPanel* page = rooms->CreateChatRoom("http://files.example/", "files.example/", "Chatroom opened");
  {
    guitest::FileChoice choice("");
    page->SendFile();
    EXPECT_FALSE(choice.asked);
  }
  EXPECT_TRUE(Shown(page).EndsWith("You are not connected: no file can be offered.\n"));
  EXPECT_EQ(wxColour(255, 0, 0), StyleOf(page, "You are not connected").GetTextColour());

  FileMessage offer = Record(FM_OFFERED, true, "../r.pdf", 10);
  page->AddFileMessage(&offer);
  const std::string target = "1700000000123|bob|10.0.0.7|4000|../r.pdf";
  ASSERT_EQ(std::vector<std::string>{target}, Targets(page));
  wxRichTextCtrl* display = page->GetDisplay();
  const long at = long(Shown(page).rfind("Download"));
  auto click = [&] {
    wxTextUrlEvent event(display->GetId(), wxMouseEvent(wxEVT_LEFT_UP), at, at + 7);
    event.SetString(target);
    event.SetEventObject(display);
    display->GetEventHandler()->ProcessEvent(event);
  };
  testsupport::TempDir folder;
  for (const std::string& path : {std::string(), folder.path()}) {
    guitest::FileChoice choice(path);
    click();
    EXPECT_TRUE(choice.asked);
    EXPECT_EQ("r.pdf", choice.proposed);
    EXPECT_EQ(std::vector<std::string>{target}, Targets(page)) << path;
  }
  EXPECT_TRUE(Shown(page).EndsWith(") Download\nFile ../r.pdf is no more available\n")) << Shown(page);
  EXPECT_TRUE(testsupport::ListDir(folder.path()).empty());
}

}  // namespace
