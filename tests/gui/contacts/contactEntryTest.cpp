// The contact row in the real contacts list: presence by colour, weight, a grey avatar and in
// words for screen readers; the details line; texts from the network shown safely on one line;
// the hover expansion under the real pointer; the room icon and its blink; member rows and the
// tool tip they share.
#include <wx/generic/statbmpg.h>
#include <wx/stattext.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include "gui/contacts/avatarBitmapPanel.h"
#include "gui/contacts/contactEntryDataPanel.h"
#include "gui/mainFrame.h"
#include "tests/gui/contacts/contactsListFixture.h"
#include "widgets/accessibleName.h"
#include "widgets/myStaticText.h"

namespace {

using contactstest::ContactsListTest;

class ContactRow : public ContactsListTest {
 protected:
  ContactEntry* Row(const std::string& login) { return m_panel->FindContactRow(login); }
  static MyStaticText* Nickname(ContactEntry* row) {
    return guitest::FindChild<MyStaticText>(row, [](MyStaticText*) { return true; });
  }
  static wxString Text(wxWindow* label) { return static_cast<wxStaticText*>(label)->GetLabelText(); }
  static ContactEntryDataPanel* Details(ContactEntry* row) {
    return guitest::FindChild<ContactEntryDataPanel>(row, [](ContactEntryDataPanel*) { return true; });
  }
  static wxGenericStaticBitmap* Avatar(ContactEntry* row) {
    return guitest::FindChild<AvatarBitmapPanel>(row, [](AvatarBitmapPanel*) { return true; })->GetPicture();
  }
};

TEST_F(ContactRow, PresenceShowsByColourWeightGreyAvatarAndInWords) {
  struct Case {
    t_status status;
    wxColour colour;
    wxFontWeight weight;
    bool grey;
    const char* word;
  };
  const Case rows[] = {
      {STATUS_ONLINE, wxColour(100, 150, 0), wxFONTWEIGHT_BOLD, false, "online"},
      {STATUS_NO_ACTIVITY, wxColour(235, 225, 10), wxFONTWEIGHT_BOLD, false, "inactive"},
      {STATUS_AWAY, wxColour(249, 150, 25), wxFONTWEIGHT_BOLD, false, "away"},
      {STATUS_BUSY, wxColour(255, 0, 0), wxFONTWEIGHT_BOLD, false, "busy"},
      {STATUS_OFFLINE, wxColour(120, 120, 120), wxFONTWEIGHT_NORMAL, true, "offline"},
      {STATUS_NONE, wxColour(120, 120, 120), wxFONTWEIGHT_NORMAL, true, "disconnected"},
  };
  Open();
  Save(Contact("bob", "Bob", STATUS_ONLINE));
  for (const Case& row : rows) {
    SCOPED_TRACE(row.word);
    ContactInfo bob = Contact("bob", "Bob", row.status);
    bob.SetMood("at work");
    Update(bob);
    ContactEntry* entry = Row("bob");
    ASSERT_TRUE(entry);
    MyStaticText* nick = Nickname(entry);
    EXPECT_EQ(row.colour, nick->GetInnerText()->GetForegroundColour());
    EXPECT_EQ(row.weight, nick->GetFont().GetWeight());
    const wxImage avatar = Avatar(entry)->GetBitmap().ConvertToImage();
    bool grey = true;
    for (int x = 2; x < avatar.GetWidth() - 2; ++x)
      for (int y = 2; y < avatar.GetHeight() - 2; ++y)
        if (avatar.GetRed(x, y) != avatar.GetGreen(x, y) || avatar.GetGreen(x, y) != avatar.GetBlue(x, y))
          grey = false;
    if (row.grey) { EXPECT_TRUE(grey); }
    EXPECT_EQ(wxString("Bob, ") + row.word, accessible::GetName(entry));
  }
  // The mood follows the nickname; an empty one shows nothing.
  wxStaticText* mood = guitest::FindChild<wxStaticText>(Row("bob"), [](wxStaticText* t) {
    return t->GetLabelText().StartsWith(" - ");
  });
  ASSERT_TRUE(mood);
  EXPECT_EQ(" - at work", mood->GetLabelText());
  Update(Contact("bob", "Bob", STATUS_ONLINE));
  EXPECT_EQ("", mood->GetLabelText());
}

TEST_F(ContactRow, TextsFromTheNetworkStayOnOneLineAndTheRowKeepsItsHeight) {
  Open();
  Update(*Save(Contact("plain", "Plain", STATUS_ONLINE)));
  std::string hostile = "<b>bold</b> &amp; &x\n\tline\r\x01\x1b[31m";
  while (hostile.size() < 4000) hostile += "\xe2\x80\xa8 a\xc2\x85z <i>";
  ContactInfo odd = Contact("odd", hostile, STATUS_ONLINE);
  odd.SetMood(hostile);
  odd.SetCity(hostile);
  Update(*Save(odd));
  Settle();
  ContactEntry* row = Row("odd");
  ASSERT_TRUE(row);
  const wxString nick = Nickname(row)->GetInnerText()->GetLabelText();
  EXPECT_LE(nick.length(), 48u);
  // Whole as far as the row's width allows, then cut with an ellipsis.
  const wxString start = "<b>bold</b> &amp; &x  line";
  wxString kept;
  EXPECT_TRUE(nick.StartsWith(start) || (nick.EndsWith("...", &kept) && start.StartsWith(kept))) << nick;
  for (wxUniChar c : nick) EXPECT_GE(c.GetValue(), 0x20u);
  EXPECT_EQ(Row("plain")->GetSize().y, row->GetSize().y);
  // The same holds for the group titles, and the details line of an expanded row.
  Config::GetInstance()->SetGroupMode(1);
  Config::GetInstance()->AddGroup(hostile.substr(0, 25) + "\n");
  m_panel->InitPrivateContactsGroups();
  Settle();
  GroupEntry* header = m_panel->GetBlocks()[0]->GetHeader();
  EXPECT_EQ("<b>bold</b> &amp; &x  lin ", header->GetTitle());
  EXPECT_EQ(28, header->GetSize().y);
}

TEST_F(ContactRow, TheDetailsLineTellsAgeLocationNetworkAndPresence) {
  struct Case {
    std::string login, imType, city, country;
    int gender, birthDay;
    t_status status;
    const char* age;
    const char* location;
    const char* sentence;
  };
  const Case rows[] = {
      {"bob@mail.example", "parlavox", "Paris", "", 1, 0, STATUS_ONLINE, "(age unknown)", "Paris ()",
       "bob@mail.example is online"},
      {"ann@x@msn.example", "msn", "", "France", 2, 3, STATUS_NONE, "", " (France)", "ann@x is disconnected"},
      {"carl", "Parlavox", "", "", 0, 0, STATUS_OFFLINE, "(age unknown)", "(location unknown)", "carl is offline"},
      {"dan", "parlavox", "", "", 7, 0, t_status(9), "(age unknown)", "(location unknown)", "dan is unknown"},
  };
  Open();
  for (const Case& row : rows) {
    SCOPED_TRACE(row.login);
    ContactInfo contact(row.login, "N", "", "1.0", row.status, row.country, row.city, row.birthDay, 4, 1990, "",
                        row.imType, false);
    contact.SetGender(row.gender);
    ContactEntry entry(GetManager(), m_frame, nullptr, contact, CEP_PROFILE, false, "none");
    ContactEntryDataPanel* details = Details(&entry);
    ASSERT_TRUE(details);
    EXPECT_TRUE(details->IsShown());
    if (*row.age) { EXPECT_EQ(row.age, details->GetAgeText()); }
    else EXPECT_TRUE(details->GetAgeText().EndsWith(" years"));
    EXPECT_EQ(row.location, details->GetLocationText());
    EXPECT_EQ(row.sentence, details->GetStatusText());
    // An update writes every line again.
    contact.SetStatus(STATUS_BUSY);
    entry.UpdateContactInfo(contact);
    EXPECT_TRUE(details->GetStatusText().EndsWith(" is busy"));
  }
}

TEST_F(ContactRow, HoveringTheAvatarExpandsOneRowAtATimeWithItsDetails) {
  Open();
  Update(*Save(Contact("ann", "Ann", STATUS_ONLINE)));
  Update(*Save(Contact("bob", "Bob", STATUS_AWAY)));
  Update(*Save(Contact("carl", "Carl", STATUS_BUSY)));
  Settle();
  ContactEntry* ann = Row("ann");
  ContactEntry* bob = Row("bob");
  const int bobTop = bob->GetPosition().y, annHeight = ann->GetSize().y;
  wxUIActionSimulator sim;
  // The pointer goes where the avatar stands once the list has placed the rows and the tool kit
  // has moved their windows there: it moves them at its next frame, which a loaded machine gives
  // later than the list's placing, and a pointer aimed before rests where no avatar is any more.
  auto hover = [&](ContactEntry* row) {
    AvatarBitmapPanel* avatar = guitest::FindChild<AvatarBitmapPanel>(row, [](AvatarBitmapPanel*) { return true; });
    Settle();
    EXPECT_TRUE(guitest::PumpUntil([&] {
      for (wxWindow* w : std::initializer_list<wxWindow*>{row, avatar, avatar->GetPicture()})
        if (w->GetScreenPosition() != w->ClientToScreen(wxPoint(0, 0))) return false;
      return true;
    }));
    sim.MouseMove(avatar->GetScreenPosition() + wxPoint(4, 4));
  };
  hover(ann);
  ASSERT_TRUE(guitest::PumpUntil([&] { return ContactEntry::GetHighlighted() == ann; }));
  Settle();
  EXPECT_TRUE(Details(ann) && Details(ann)->IsShownOnScreen());
  EXPECT_EQ("ann is online", Details(ann)->GetStatusText());
  EXPECT_EQ(64, Avatar(ann)->GetBitmap().GetWidth());
  EXPECT_GT(ann->GetSize().y, annHeight);
  // The rows below make room.
  EXPECT_EQ(ann->GetRect().GetBottom() + 1, bob->GetPosition().y);
  EXPECT_GT(bob->GetPosition().y, bobTop);
  // Entering another avatar collapses the first row (which moves the second back up under the
  // pointer's way); resting on it expands the second.
  hover(bob);
  ASSERT_TRUE(guitest::PumpUntil([&] { return ContactEntry::GetHighlighted() != ann; }));
  Settle();
  hover(bob);
  ASSERT_TRUE(guitest::PumpUntil([&] { return ContactEntry::GetHighlighted() == bob; }));
  Settle();
  EXPECT_FALSE(Details(ann)->IsShown());
  EXPECT_EQ(annHeight, ann->GetSize().y);
  EXPECT_EQ(ann->GetRect().GetBottom() + 1, bob->GetPosition().y);
  // Leaving the avatar collapses it; the row removed while expanded leaves none expanded.
  sim.MouseMove(m_frame->GetScreenPosition() + wxPoint(300, 500));
  ASSERT_TRUE(guitest::PumpUntil([&] { return ContactEntry::GetHighlighted() == nullptr; }));
  hover(Row("carl"));
  ASSERT_TRUE(guitest::PumpUntil([&] { return ContactEntry::GetHighlighted() == Row("carl"); }));
  m_panel->RemoveContact("carl");
  EXPECT_EQ(nullptr, ContactEntry::GetHighlighted());
  Settle();
}

TEST_F(ContactRow, TheRoomIconShowsTheOpenRoomAndBlinksTwelveTicksOnAMessage) {
  Open();
  Update(*Save(Contact("bob", "Bob", STATUS_ONLINE)));
  ContactEntry* row = Row("bob");
  wxGenericStaticBitmap* icon = guitest::FindChild<wxGenericStaticBitmap>(row, [&](wxGenericStaticBitmap* b) {
    return b != Avatar(row);
  });
  ASSERT_TRUE(icon);
  const wxImage empty = icon->GetBitmap().ConvertToImage();
  ContactInfo subscribed = Contact("bob", "Bob", STATUS_ONLINE);
  subscribed.SubscribeTo("prv://parlavox/alice:bob");
  Update(subscribed);
  const wxImage open = icon->GetBitmap().ConvertToImage();
  auto same = [](const wxImage& a, const wxImage& b) {
    return a.GetSize() == b.GetSize() && memcmp(a.GetData(), b.GetData(), a.GetWidth() * a.GetHeight() * 3) == 0;
  };
  EXPECT_FALSE(same(open, empty));
  // Twelve ticks, alternating, then the state of the user's own room with the contact (none).
  row->NotifyNewMessage();
  std::vector<bool> shown;
  for (int tick = 0; tick < 12; ++tick) {
    wxTimer timer;
    wxTimerEvent event(timer);
    row->OnBlinkTimer(event);
    shown.push_back(same(icon->GetBitmap().ConvertToImage(), open));
  }
  EXPECT_EQ((std::vector<bool>{true, false, true, false, true, false, true, false, true, false, true, false}), shown);
  EXPECT_TRUE(same(icon->GetBitmap().ConvertToImage(), empty));
}

}  // namespace

namespace {

// A stand-in for the contact tool tip window, as member rows see it.
class TipWindow : public wxFrame, public ContactToolTipFace {
 public:
  explicit TipWindow(wxWindow* parent)
      : wxFrame(parent, wxID_ANY, "", wxDefaultPosition, wxSize(120, 60), wxNO_BORDER | wxFRAME_NO_TASKBAR) {}
  wxWindow* GetTipWindow() override { return this; }
  std::string GetLogin() const override { return m_login; }
  void UpdateContactInfo(const ContactInfo& contact) override { m_login = contact.GetLogin(); }
  void UpdateAvatar() override { ++avatars; }
  void MoveInsideScreen(const wxPoint& point) override { Move(point); }
  int avatars = 0;

 private:
  std::string m_login;
};

// Member rows share one tip, owned by their window and not by the row that opened it: the row
// removed while the tip shows hides it, and the next row's hover uses the same tip.
TEST_F(ContactRow, TheSharedToolTipOutlivesTheMemberRowThatOpenedIt) {
  Open();
  int made = 0;
  wxWeakRef<wxWindow> tip;
  ContactEntry::SetToolTipMaker([&](wxWindow* parent, Manager*, const ContactInfo&) {
    ++made;
    TipWindow* window = new TipWindow(parent);
    tip = window;
    return static_cast<ContactToolTipFace*>(window);
  });
  wxPanel* members = new wxPanel(m_frame, wxID_ANY, wxPoint(0, 300), wxSize(300, 200));
  const std::string room = "http://site.example/";
  ContactEntry* bob = new ContactEntry(GetManager(), members, nullptr, Contact("bob", "Bob", STATUS_ONLINE),
                                       CEP_CHATROOM, false, room);
  ContactEntry* carl = new ContactEntry(GetManager(), members, nullptr, Contact("carl", "Carl", STATUS_ONLINE),
                                        CEP_CHATROOM, false, room);
  bob->SetSize(0, 0, 300, 40);
  carl->SetSize(0, 60, 300, 40);
  Settle();
  wxUIActionSimulator sim;
  auto hover = [&](ContactEntry* row) {
    AvatarBitmapPanel* avatar = guitest::FindChild<AvatarBitmapPanel>(row, [](AvatarBitmapPanel*) { return true; });
    sim.MouseMove(avatar->GetScreenPosition() + wxPoint(4, 4));
  };
  hover(bob);
  ASSERT_TRUE(guitest::PumpUntil([&] { return tip && tip->IsShown(); }));
  EXPECT_EQ("bob", ContactEntry::GetSharedToolTip()->GetLogin());
  EXPECT_EQ(bob->GetScreenRect().GetBottom() + 1 + 10, tip->GetPosition().y);
  EXPECT_EQ(wxGetTopLevelParent(bob), tip->GetParent());
  // An update of bob's record reaches the tip that shows him; carl's does not.
  bob->UpdateAvatar(true);
  carl->UpdateAvatar(true);
  EXPECT_EQ(1, static_cast<TipWindow*>(tip.get())->avatars);
  bob->Discard();
  Settle();
  ASSERT_TRUE(tip);
  EXPECT_FALSE(tip->IsShown());
  hover(carl);
  ASSERT_TRUE(guitest::PumpUntil([&] { return tip->IsShown(); }));
  EXPECT_EQ(1, made);
  EXPECT_EQ("carl", ContactEntry::GetSharedToolTip()->GetLogin());
  ContactEntry::SetToolTipMaker(nullptr);
  sim.MouseMove(m_frame->GetScreenPosition() + wxPoint(300, 20));
  // The tip goes with its window; the rows then neither reach it nor keep it.
  m_frame->Destroy();
  m_frame = new wxFrame(nullptr, wxID_ANY, "Contacts");
  ASSERT_TRUE(guitest::PumpUntil([&] { return !tip; }));
  EXPECT_EQ(nullptr, ContactEntry::GetSharedToolTip());
  ContactEntry bob2(GetManager(), m_frame, nullptr, Contact("bob", "Bob", STATUS_ONLINE), CEP_CHATROOM, false, room);
  bob2.UpdateAvatar(true);
  bob2.UpdateContactInfo(Contact("bob", "Bobby", STATUS_AWAY));
}

}  // namespace
