// The whole program on the stand-in server with bob as a second real client: alice edits her own
// profile by real typing and picks avatar files in the real file dialog; the server receives each
// update once and bob sees it. Alice opens bob's profile from his row, makes a group by typing in
// the real question, sets switches and saves: the server files bob once, and the settings file
// written at exit holds the group and the switches. Hostile picture files are refused with their
// reason or sent resized. Run under the sanitizers: windows open while bob removes alice and while
// alice logs out leave nothing used after it is freed.
#include <gtest/gtest.h>
#include <wx/bmpbuttn.h>
#include <wx/image.h>
#include <wx/statbmp.h>
#include <wx/anidecod.h>
#include <wx/imaggif.h>
#include <wx/mstream.h>
#include <wx/palette.h>

#include <unistd.h>

#include <regex>

#include "S2C-Request.h"
#include "gui/contacts/contactEntry.h"
#include "gui/contacts/contactEntryIds.h"
#include "gui/contacts/contactsPanel.h"
#include "gui/mainFrame.h"
#include "gui/nicknamePanel.h"
#include "gui/profiles/contactButtonBitmapNotifier.h"
#include "gui/profiles/contactInfoFrame.h"
#include "gui/profiles/contactInfoPanel.h"
#include "model/config.h"
#include "tests/gui/fileChoice.h"
#include "tests/gui/mainWindowFixture.h"
#include "tests/gui/profiles/profilesFixture.h"
#include "tests/support/programSession.h"

namespace {

using guitest::FindChild;
using standintest::Str;

// Types the answer into the text question once it is on screen, then Return.
class TypedAnswer : public wxModalDialogHook, public wxTimer {
 public:
  explicit TypedAnswer(std::string text) : m_text(std::move(text)) {
    Register();
    Start(50);
  }
  bool asked = false;

 protected:
  int Enter(wxDialog* dialog) override {
    if (dynamic_cast<wxTextEntryDialog*>(dialog)) asked = true;
    return wxID_NONE;
  }
  void Exit(wxDialog*) override { m_done = true; }
  void Notify() override {
    if (!asked || m_done || m_busy || ++m_ticks != 10) return;
    m_busy = true;
    wxUIActionSimulator sim;
    sim.Text(m_text.c_str());
    guitest::Pump(100);
    sim.Char(WXK_RETURN);
    m_busy = false;
  }

 private:
  std::string m_text;
  int m_ticks = 0;
  bool m_done = false, m_busy = false;
};

wxImage Decoded(const OCTET_STRING_t* bytes) {
  if (!bytes) return wxImage();
  wxMemoryInputStream in(bytes->buf, bytes->size);
  return wxImage(in, wxBITMAP_TYPE_ANY);
}

class ProfilesSession : public programtest::ProgramSession {
 protected:
  void SetUp() override {
    ProgramSession::SetUp();
    m_settings = Config::GetUserPath() + "parlavox.xml";
    // The settings object lives as long as the process: no group of an earlier test.
    for (const std::string& group : Config::GetInstance()->GetGroups()) Config::GetInstance()->RemoveGroup(group);
  }
  // After the program's exit, the settings file holds bob's group and switches when asked for.
  void TearDown() override {
    ProgramSession::TearDown();
    if (m_expectGroup.empty()) return;
    const std::string file = testsupport::ReadFile(m_settings);
    const size_t bob = file.find("<login>bob</login>");
    ASSERT_NE(std::string::npos, bob) << "bob is not in the settings file";
    const std::string record = file.substr(bob, file.find("<login>", bob + 1) - bob);
    EXPECT_NE(std::string::npos, record.find("<group>" + m_expectGroup + "</group>"));
    // On, and off (two clicks from not set).
    EXPECT_TRUE(std::regex_search(record, std::regex("<first>message-bell</first>\\s*<second>1</second>")));
    EXPECT_TRUE(std::regex_search(record, std::regex("<first>open-visual</first>\\s*<second>0</second>")));
  }

  size_t Count(const std::string& prefix, size_t from) {
    size_t n = 0;
    const programtest::Lines lines = Journal();
    for (size_t i = from; i < lines.size(); ++i) n += lines[i].rfind(prefix, 0) == 0;
    return n;
  }
  ContactInfoFrame* Own() { return ContactInfoFrame::GetContactInfoFor("alice"); }
  void Raise(wxWindow* window) {
    wxGetTopLevelParent(window)->Raise();
    guitest::Pump(50);
  }
  // A real click on the picture of a switch; true once its state changed.
  bool ClickSwitch(ContactInfoFrame* profile, const std::string& key) {
    auto* notifier = FindChild<ContactButtonBitmapNotifier>(
        profile, [&](ContactButtonBitmapNotifier* s) { return s->GetKey() == key; });
    const int before = profile->GetPendingNotification(key);
    Raise(profile);
    guitest::ClickUntil(notifier->GetBitmapControl(), [&] { return profile->GetPendingNotification(key) != before; });
    return profile->GetPendingNotification(key) != before;
  }
  // The avatar button of the own profile clicked, the file chosen in the dialog; the message
  // box shown, if any, once the file was refused or the picture sent.
  wxString PickAvatar(const std::string& path) {
    ContactInfoFrame::OpenContactInfoFor("alice");
    EXPECT_TRUE(Until([&] { return Own()->IsShownOnScreen(); }));
    boxes.seen.clear();
    const size_t mark = JournalSize();
    guitest::FileChoice choice(path);
    Raise(Own());
    guitest::ClickUntil(Own()->GetPanel()->GetAvatarButton(), [&] { return choice.asked; });
    EXPECT_TRUE(Until([&] { return !boxes.seen.empty() || Count("alice newavatar", mark) != 0; }));
    Settle();
    return boxes.seen.empty() ? wxString() : boxes.seen[0];
  }

  guitest::Boxes boxes;
  std::string m_settings;
  std::string m_expectGroup;
};

TEST_F(ProfilesSession, OwnProfileAndAContactsGroupReachTheServerTheOtherUserAndTheSettings) {
  standintest::TestUser& bob = LogIn("bob");
  Befriend(bob);

  // Alice opens her profile from her nickname and types.
  auto* nickname = FindChild<NicknamePanel>(Frame(), [](NicknamePanel*) { return true; });
  guitest::ClickUntil(nickname->GetNicknameText()->GetButton(), [&] { return Own() && Own()->IsShownOnScreen(); });
  ContactInfoPanel* form = Own()->GetPanel();
  guitest::Type(form->GetNicknameCtrl(), "Alice W.");
  guitest::Type(form->GetMoodCtrl(), "Reading Proust");
  size_t mark = JournalSize();
  guitest::ClickUntil(form->GetSaveButton(), [&] { return !Own()->IsShown(); });
  ASSERT_TRUE(AwaitJournal(
      [](const std::string& l) { return l.rfind("alice updateprofile nickname=\"Alice W.\" mood=\"Reading Proust\"", 0) == 0; },
      mark));
  EXPECT_TRUE(bob.Wait(S2C_Request_PR_updcontact, [](const S2C_Request_t& r) {
    const auto& u = r.choice.updcontact;
    return Str(u.login) == "alice" && Str(u.nickname) == "Alice W." && Str(u.mood) == "Reading Proust";
  }));
  Settle();
  EXPECT_EQ(1u, Count("alice updateprofile", mark));

  // A picture chosen in the file dialog goes out once, 64 and 24 pixels, and bob receives it.
  wxImage photo(300, 200);
  photo.SetRGB(wxRect(0, 0, 300, 200), 20, 160, 60);
  const std::string picture = Home() + "/garden.png";
  ASSERT_TRUE(photo.SaveFile(wxString::FromUTF8(picture.c_str()), wxBITMAP_TYPE_PNG));
  mark = JournalSize();
  EXPECT_EQ(wxString(), PickAvatar(picture));
  ASSERT_TRUE(AwaitJournal([](const std::string& l) { return l.rfind("alice newavatar", 0) == 0; }, mark));
  const S2C_Request_t* seen = bob.Wait(S2C_Request_PR_updcontact, [](const S2C_Request_t& r) {
    return Str(r.choice.updcontact.login) == "alice" && r.choice.updcontact.smallavatar;
  });
  ASSERT_TRUE(seen);
  EXPECT_EQ(wxSize(24, 24), Decoded(&seen->choice.updcontact.smallavatar->content).GetSize());
  Settle();
  EXPECT_EQ(1u, Count("alice newavatar", mark));

  // Bob's profile from his row, twice: one window. A group made by typing, two switches, Save.
  ContactsPanel* contacts = FindChild<ContactsPanel>(Frame(), [](ContactsPanel*) { return true; });
  ASSERT_TRUE(contacts && contacts->FindContactRow("bob"));
  contacts->FindContactRow("bob")->RunMenuCommand(contactEntryIds::ID_DISPLAY_PROFILE);
  ContactInfoFrame* profile = ContactInfoFrame::GetContactInfoFor("bob");
  ASSERT_TRUE(profile && Until([&] { return profile->IsShownOnScreen(); }));
  contacts->FindContactRow("bob")->RunMenuCommand(contactEntryIds::ID_DISPLAY_PROFILE);
  EXPECT_EQ(profile, ContactInfoFrame::GetContactInfoFor("bob"));
  size_t windows = 0;
  for (wxWindow* w : wxTopLevelWindows) {
    auto* window = dynamic_cast<ContactInfoFrame*>(w);
    windows += window && window->GetLogin() == "bob";
  }
  EXPECT_EQ(1u, windows);
  wxComboBox* groups = profile->GetPanel()->GetGroupCombo();
  ASSERT_TRUE(groups->IsEnabled());
  {
    TypedAnswer answer("Climbing");
    profilestest::ProfilesTest::Choose(groups, int(groups->GetCount()) - 1);
    EXPECT_TRUE(answer.asked);
  }
  EXPECT_EQ("Climbing", groups->GetStringSelection());
  EXPECT_TRUE(ClickSwitch(profile, "message-bell"));
  EXPECT_TRUE(ClickSwitch(profile, "open-visual"));
  EXPECT_TRUE(ClickSwitch(profile, "open-visual"));
  mark = JournalSize();
  Raise(profile);
  wxWeakRef<ContactInfoFrame> saved(profile);
  guitest::ClickUntil(FindChild<wxButton>(profile, [](wxButton* b) { return b->GetLabel() == "&Save"; }),
                      [&] { return !saved; });
  EXPECT_TRUE(AwaitJournal("alice contactgroup login=\"bob\" group=\"Climbing\"", mark));
  Settle();
  EXPECT_EQ(1u, Count("alice contactgroup", mark));
  m_expectGroup = "Climbing";
}

TEST_F(ProfilesSession, HostileAvatarFilesAreRefusedOrSentResized) {
  const std::string dir = Home();
  // Through the real file dialog: 50 MB named a PNG, an animated GIF cut short, and the whole
  // animated GIF of two 120 by 80 pictures. (Every other kind of bad file, measured the same way,
  // is in the picture files' own test.)
  wxImageArray pictures;
  for (unsigned char red : {200, 40}) {
    wxImage image(120, 80);
    image.SetRGB(wxRect(0, 0, 120, 80), red, 90, 160);
    // The GIF writer takes pictures with a palette of their colours.
    unsigned char reds[] = {red, 0}, greens[] = {90, 0}, blues[] = {160, 0};
    image.SetPalette(wxPalette(2, reds, greens, blues));
    pictures.Add(image);
  }
  wxMemoryOutputStream out;
  ASSERT_TRUE(wxGIFHandler().SaveAnimation(pictures, &out, false, 200));
  std::string animated(out.GetLength(), '\0');
  out.CopyTo(&animated[0], animated.size());
  std::string header("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x10\0\0\0\x10\x08\x06\0\0\0\0\0\0\0", 33);
  ASSERT_TRUE(testsupport::WriteFile(dir + "/big.png", header));
  ASSERT_EQ(0, truncate((dir + "/big.png").c_str(), 50 * 1024 * 1024));
  ASSERT_TRUE(testsupport::WriteFile(dir + "/cut.gif", animated.substr(0, animated.size() - 9)));
  ASSERT_TRUE(testsupport::WriteFile(dir + "/moving.gif", animated));
  const wxString tooLarge =
      "Invalid image: This picture is too large: choose a file of at most 16 MB, with at most 8192 pixels a side "
      "and 25 million pixels in all.";
  const struct {
    const char* file;
    wxString box;  // empty: sent
  } rows[] = {
      {"big.png", tooLarge},
      {"cut.gif", "Invalid image: Error while reading the image file."},
      {"moving.gif", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.file);
    const size_t mark = JournalSize();
    EXPECT_EQ(row.box, PickAvatar(dir + "/" + row.file));
    if (!row.box.empty()) {
      EXPECT_EQ(0u, Count("alice newavatar", mark));
      continue;
    }
    ASSERT_TRUE(AwaitJournal([](const std::string& l) { return l.rfind("alice newavatar", 0) == 0; }, mark));
    // Never more than the two small pictures: the large one is 64 pixels a side.
    const wxImage stored(wxString::FromUTF8(Config::GetUserPath() + "/temp.png"), wxBITMAP_TYPE_PNG);
    EXPECT_EQ(wxSize(64, 64), stored.GetSize());
  }
}

TEST_F(ProfilesSession, WindowsOpenWhileTheContactGoesAndTheUserLogsOut) {
  standintest::TestUser& bob = LogIn("bob");
  Befriend(bob);
  ContactInfoFrame::OpenContactInfoFor("alice");
  ContactInfoFrame::OpenContactInfoFor("bob");
  wxWeakRef<ContactInfoFrame> first(ContactInfoFrame::GetContactInfoFor("bob"));
  ASSERT_TRUE(first && Until([&] { return first->IsShownOnScreen(); }));
  // The link drops and alice logs in again while the new-group question is open in bob's
  // window: the window goes, once the question has returned; the own window is made again.
  wxComboBox* groups = first->GetPanel()->GetGroupCombo();
  {
    profilestest::TextAnswer answer("Later", [&] {
      GetManager()->Disconnect(false, true);
      Until([] { return GetManager()->IsDisconnected(); });
      GetManager()->Connect("alice", "alice", false, "127.0.0.1", Server().Port(), true, false);
      Until([] { return GetManager()->IsConnected() && ContactInfoFrame::GetContactInfoFor("bob") == nullptr; });
    });
    profilestest::ProfilesTest::Choose(groups, int(groups->GetCount()) - 1);
    EXPECT_EQ(1, answer.asked);
  }
  EXPECT_TRUE(GetManager()->IsConnected());
  EXPECT_TRUE(Until([&] { return !first; }));
  EXPECT_TRUE(Config::GetInstance()->GetGroups().empty());
  EXPECT_EQ(nullptr, Own());  // made again when first opened

  // Bob removes alice while his window is open: it stays, and no longer offers his group.
  ContactInfoFrame::OpenContactInfoFor("bob");
  ContactInfoFrame* profile = ContactInfoFrame::GetContactInfoFor("bob");
  ASSERT_TRUE(profile && profile != first.get());
  ASSERT_TRUE(Until([] { return GetManager()->GetContactInfo("bob")->GetStatus() == STATUS_ONLINE; }));
  bob.Link().RemoveContact(bob.Key(), "alice", "Bye");
  ASSERT_TRUE(Until([] { return !GetManager()->HasContact("bob"); }));
  Settle();
  ContactInfoFrame::OpenContactInfoFor("bob");
  EXPECT_EQ(profile, ContactInfoFrame::GetContactInfoFor("bob"));
  EXPECT_FALSE(profile->GetPanel()->GetGroupCombo()->IsEnabled());

  // Alice logs out with both windows open: nothing can be edited; the program then exits with
  // them open.
  ContactInfoFrame::OpenContactInfoFor("alice");
  Frame()->OnSwitchConnection(false);
  ASSERT_TRUE(Until([] { return !GetManager()->IsConnected(); }));
  EXPECT_TRUE(Until([&] { return !Own()->GetPanel()->GetNicknameCtrl()->IsEnabled(); }));
}

}  // namespace
