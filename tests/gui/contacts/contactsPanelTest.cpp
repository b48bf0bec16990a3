// The contacts panel fed what the controller sends: its blocks in every grouping and offline
// mode, their order, titles and counts, the order of rows, rows moving between blocks on a
// change of presence, folding by a real click, and the placement of a large block.
#include <wx/uiaction.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "model/stringConversion.h"

#include "gui/contacts/myButtonBitmap.h"
#include "widgets/idlePass.h"
#include "tests/gui/contacts/contactsListFixture.h"

namespace {

using contactstest::ContactsListTest;

class ContactsList : public ContactsListTest {
 protected:
  // Three saved contacts: Ann (online, work), bob (offline, Family), carl (away, no group).
  void SaveThree() {
    Config::GetInstance()->AddGroup("work");
    Config::GetInstance()->AddGroup("Family");
    Save(Contact("ann", "Ann", STATUS_ONLINE, "work"));
    Save(Contact("bob", "bob", STATUS_OFFLINE, "Family"));
    Save(Contact("carl", "carl", STATUS_AWAY, ""));
  }
  std::string Counts() const {
    std::string text;
    for (ChatRoomEntry* block : m_panel->GetBlocks())
      text += std::string(text.empty() ? "" : " ") + block->GetHeader()->GetCountsText().utf8_str().data();
    return text;
  }
};

TEST_F(ContactsList, BlocksTitlesAndCountsFollowEveryGroupingAndOfflineMode) {
  struct Row {
    int mode, offline;
    const char* shown;
    const char* counts;
  };
  const Row rows[] = {
      {0, 0, "Online contacts: ann carl", "(2 / 3 contacts)"},
      {0, 1, "Online contacts: ann carl | Offline contacts: bob", "(2 / 3 contacts) (1 / 3 contacts)"},
      {0, 2, "Private contacts: ann carl bob", "(2 / 3 contacts)"},
      {1, 0, "Family: | work: ann | No group: carl", "(0 / 1 contacts) (1 / 1 contacts) (1 / 1 contacts)"},
      {1, 1, "Family: | work: ann | No group: carl | Offline contacts: bob",
       "(0 / 1 contacts) (1 / 1 contacts) (1 / 1 contacts) (1 / 3 contacts)"},
      {1, 2, "Family: bob | work: ann | No group: carl", "(0 / 1 contacts) (1 / 1 contacts) (1 / 1 contacts)"},
      {0, 3, "", ""},
      {2, 1, "", ""},
  };
  SaveThree();
  Open();
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.mode) + "," + std::to_string(row.offline));
    Config::GetInstance()->SetGroupMode(row.mode);
    Config::GetInstance()->SetGroupOffline(row.offline);
    m_panel->InitPrivateContactsGroups();
    Settle();
    EXPECT_EQ(row.shown, Shown());
    EXPECT_EQ(row.counts, Counts());
  }
}

// An update reaches only the block holding the contact's row and those that may keep it: a
// contact that changes group or presence must still leave its old block, in every sort, after a
// rebuild of the list and after it was emptied.
TEST_F(ContactsList, AContactChangingGroupOrPresenceLeavesItsOldBlockInEverySort) {
  struct Step {
    t_status status;
    const char* group;
    const char* shown[3];  // sorts (1, 0), (1, 1) and (1, 2)
  };
  const Step steps[] = {
      {STATUS_ONLINE, "work",
       {"Family: | work: ann dan | No group:", "Family: | work: ann dan | No group: | Offline contacts:",
        "Family: | work: ann dan | No group:"}},
      {STATUS_OFFLINE, "Family",
       {"Family: | work: ann | No group:", "Family: | work: ann | No group: | Offline contacts: dan",
        "Family: dan | work: ann | No group:"}},
      {STATUS_AWAY, "Family",
       {"Family: dan | work: ann | No group:", "Family: dan | work: ann | No group: | Offline contacts:",
        "Family: dan | work: ann | No group:"}},
      {STATUS_BUSY, "",
       {"Family: | work: ann | No group: dan", "Family: | work: ann | No group: dan | Offline contacts:",
        "Family: | work: ann | No group: dan"}},
  };

  Config::GetInstance()->AddGroup("work");
  Config::GetInstance()->AddGroup("Family");
  Save(Contact("ann", "Ann", STATUS_ONLINE, "work"));
  Save(Contact("dan", "dan", STATUS_OFFLINE, "work"));
  Open();
  const int offlines[] = {0, 1, 2};
  for (int sort = 0; sort < 3; ++sort) {
    Config::GetInstance()->SetGroupMode(1);
    Config::GetInstance()->SetGroupOffline(offlines[sort]);
    m_panel->InitPrivateContactsGroups();
    Settle();
    for (int round = 0; round < 2; ++round) {
      for (const Step& step : steps) {
        SCOPED_TRACE(std::to_string(sort) + " " + std::to_string(round) + " " + step.group);
        Update(Contact("dan", "dan", step.status, step.group));
        EXPECT_EQ(step.shown[sort], Shown());
      }
      // Emptied, then filled again by updates alone.
      m_panel->RemoveAllPrivateContacts();
      Update(Contact("ann", "Ann", STATUS_ONLINE, "work"));
      Update(Contact("dan", "dan", STATUS_OFFLINE, "work"));
    }
  }
  // A burst of changes: the counts read the last state once it is over.
  Config::GetInstance()->SetGroupOffline(2);
  m_panel->InitPrivateContactsGroups();
  Settle();
  for (int i = 0; i < 101; ++i) Update(Contact("dan", "dan", i % 2 ? STATUS_OFFLINE : STATUS_ONLINE, "Family"));
  EXPECT_TRUE(guitest::PumpUntil([&] { return Counts() == "(1 / 1 contacts) (1 / 1 contacts) (0 / 0 contacts)"; }))
      << Counts();
}

// A group's header counts the saved contacts of the group, with the offline ones apart or hidden:
// exact after a burst of presence and group changes, after contacts are forgotten, saved by an
// update or saved with no update at all, and after a group is renamed.
TEST_F(ContactsList, GroupCountsStayExactThroughBurstsGroupChangesAndRemovals) {
  Config* config = Config::GetInstance();
  const char* const groups[] = {"work", "Family", ""};
  for (int i = 0; i < 2; ++i) config->AddGroup(groups[i]);
  for (int i = 0; i < 30; ++i)
    Save(Contact("u" + std::to_string(i), "u" + std::to_string(i), i % 3 ? STATUS_OFFLINE : STATUS_ONLINE,
                 groups[i % 3]));
  // What the headers must read, from the saved records; a contact saved that the list was told
  // nothing of has no row, but counts among the saved ones.
  std::string unheard;
  auto expected = [&] {
    std::map<std::string, int> saved, connected;
    int offline = 0, total = 0;
    for (const ContactInfo* contact : config->GetContacts()) {
      ++total;
      ++saved[contact->GetGroup()];
      if (contact->GetLogin() == unheard) continue;
      const bool on = contact->GetStatus() != STATUS_OFFLINE && contact->GetStatus() != STATUS_NONE;
      if (on) ++connected[contact->GetGroup()];
      else ++offline;
    }
    std::string text;
    for (ChatRoomEntry* block : m_panel->GetBlocks()) {
      const std::string name = block->GetGroupName();
      const bool apart = name == "    OFFLINE";
      text += (text.empty() ? "(" : " (") + std::to_string(apart ? offline : connected[name]) + " / " +
              std::to_string(apart ? total : saved[name]) + " contacts)";
    }
    return text;
  };
  auto countsRight = [&](const std::string& what) {
    SCOPED_TRACE(what);
    EXPECT_TRUE(guitest::PumpUntil([&] { return Counts() == expected(); })) << Counts() << " instead of " << expected();
  };
  config->SetGroupMode(1);
  for (int offline : {1, 0}) {
    config->SetGroupOffline(offline);
    if (!m_panel) Open();
    m_panel->InitPrivateContactsGroups();
    Settle();
    countsRight("built, offline " + std::to_string(offline));
    // A burst: every contact changes presence and group several times, within one turn.
    for (int k = 0; k < 200; ++k) {
      const int i = (k * 7) % 30;
      Update(Contact("u" + std::to_string(i), "u" + std::to_string(i), k % 4 ? STATUS_ONLINE : STATUS_OFFLINE,
                     groups[(k + i) % 3]));
    }
    countsRight("after a burst");
    // Forgotten, as the controller forgets a contact.
    const std::string gone = "u" + std::to_string(3 + offline);
    config->RemoveContact(gone);
    m_panel->RemoveContact(gone);
    countsRight("after a removal");
    // Saved by an update, then one saved that the list is told nothing of (the next update shows it).
    const std::string added = "new" + std::to_string(offline), quiet = "quiet" + std::to_string(offline);
    Update(*Save(Contact(added, added, STATUS_BUSY, "Family")));
    countsRight("after a contact saved by an update");
    unheard = quiet;
    Save(Contact(quiet, quiet, STATUS_OFFLINE, "work"));
    Update(Contact("u1", "u1", STATUS_AWAY, "Family"));
    countsRight("after a contact saved unheard of");
    Update(Contact(quiet, quiet, STATUS_OFFLINE, "work"));
    unheard.clear();
  }
  // A group renamed changes the saved records themselves; the list is rebuilt.
  ASSERT_TRUE(config->RenameGroup("work", "job"));
  GetManager()->RenameGroup("work", "job");
  m_panel->InitPrivateContactsGroups();
  Settle();
  countsRight("after a group renamed");
  Update(Contact("u2", "u2", STATUS_ONLINE, "job"));
  countsRight("after a change in the renamed group");
}

TEST_F(ContactsList, RowsGoConnectedFirstThenByNicknameAndMoveBetweenBlocksOnPresence) {
  Config::GetInstance()->SetGroupOffline(1);
  Open();
  for (const char* nick : {"bob", "Alice", "anna", "Ann", "Max"}) Update(*Save(Contact(nick, nick, STATUS_ONLINE)));
  Update(*Save(Contact("aaron", "aaron", STATUS_OFFLINE)));
  Update(*Save(Contact("MAX", "MAX", STATUS_ONLINE)));
  EXPECT_EQ("Online contacts: Alice Ann anna bob Max MAX | Offline contacts: aaron", Shown());
  // Going offline moves the row to the other block, coming back online brings it back.
  Update(Contact("Ann", "Ann", STATUS_OFFLINE));
  Update(Contact("aaron", "aaron", STATUS_BUSY));
  EXPECT_EQ("Online contacts: aaron Alice anna bob Max MAX | Offline contacts: Ann", Shown());
  // Offline contacts inside their block go below every connected one.
  Config::GetInstance()->SetGroupOffline(2);
  m_panel->InitPrivateContactsGroups();
  Update(Contact("Alice", "Alice", STATUS_NONE));
  EXPECT_EQ("Private contacts: aaron anna bob Max MAX Alice Ann", Shown());
  // One row per login, placed one under the other in list order.
  Settle();
  int y = -1;
  ChatRoomEntry* all = m_panel->GetBlocks()[0];
  for (const std::string& login : all->GetLogins()) {
    // A short list: every row is in sight and has its window.
    ContactEntry* row = all->FindRowWindow(login);
    ASSERT_TRUE(row) << login;
    EXPECT_TRUE(row->IsShown()) << login;
    EXPECT_EQ(login, row->GetLogin());
    EXPECT_GT(row->GetPosition().y, y) << login;
    y = row->GetPosition().y + row->GetSize().y - 1;
  }
  // Hiding offline contacts drops them; they come back when they connect.
  Config::GetInstance()->SetGroupOffline(0);
  m_panel->InitPrivateContactsGroups();
  EXPECT_EQ("Online contacts: aaron anna bob Max MAX", Shown());
  Update(Contact("Ann", "Ann", STATUS_NO_ACTIVITY));
  EXPECT_EQ("Online contacts: aaron Ann anna bob Max MAX", Shown());
}

// Nicknames that share their first bytes or more, differ only in case, end where another goes
// on, or hold bytes past ASCII (UTF-8), renamed and moved: the block stays in order, connected
// rows first, each part as CompareNoCase orders the nicknames.
TEST_F(ContactsList, RowsStayInNicknameOrderWhateverTheNicknamesShareOrHold) {
  Open();
  const std::vector<std::string> nicknames = {
      "Nickname-0002", "nickname-0001", "Nickname-0001x", "NICKNAME-000", "Nickname", "Nick", "nicK", "",
      "ABCDEFGH", "abcdefgh", "ABCDEFGHI", "ABCDEFG", "\xc3\x89lise", "Zo\xc3\xa9", "\xc3\xa9", "Zoe", "z",
      "A\x7f", "A\x80", "A", "A\x80\x01", "12345678", "1234567\xff", "~", "Nick\xc3\xa9name"};
  std::map<std::string, ContactInfo> contacts;
  for (size_t i = 0; i < nicknames.size(); ++i) {
    const std::string login = "u" + std::to_string(i);
    contacts[login] = *Save(Contact(login, nicknames[i], i % 3 ? STATUS_ONLINE : STATUS_OFFLINE));
    Update(contacts[login]);
  }
  ChatRoomEntry* block = m_panel->GetBlocks()[0];
  auto inOrder = [&](const char* step) {
    const std::vector<std::string> logins = block->GetLogins();
    ASSERT_EQ(contacts.size(), logins.size()) << step;
    for (size_t i = 1; i < logins.size(); ++i) {
      const ContactInfo& a = contacts[logins[i - 1]];
      const ContactInfo& b = contacts[logins[i]];
      const bool aOn = a.GetStatus() != STATUS_OFFLINE, bOn = b.GetStatus() != STATUS_OFFLINE;
      EXPECT_TRUE(aOn > bOn || (aOn == bOn && CompareNoCase(a.GetNickname(), b.GetNickname()) <= 0))
          << step << ": \"" << a.GetNickname() << "\" stands before \"" << b.GetNickname() << "\"";
    }
  };
  inOrder("added");
  // Renamed, gone offline, back online: each row leaves its place for its new one.
  const std::vector<std::pair<std::string, std::string>> renames = {
      {"u0", "nickname-0001"}, {"u4", "\xc3\x89lisa"}, {"u7", "ABCDEFGH"}, {"u12", ""}, {"u19", "Nickname-00015"}};
  for (const auto& rename : renames) {
    ContactInfo& contact = contacts[rename.first];
    contact = Contact(rename.first, rename.second, contact.GetStatus());
    Update(contact);
  }
  inOrder("renamed");
  for (auto& entry : contacts) {
    ContactInfo& contact = entry.second;
    contact = Contact(entry.first, contact.GetNickname(), contact.GetStatus() == STATUS_OFFLINE ? STATUS_AWAY : STATUS_OFFLINE);
    Update(contact);
  }
  inOrder("presence switched");
}

TEST_F(ContactsList, GroupsArePlacedByNameTitledWithoutTheirMarksAndMadeOnce) {
  Config* config = Config::GetInstance();
  config->SetGroupMode(1);
  config->SetGroupOffline(1);
  for (const char* group : {"work", "Family", "~Friends", " Team"}) config->AddGroup(group);
  Open();
  EXPECT_EQ("Team: | Family: | work: | Friends: | No group: | Offline contacts:", Shown());
  // A group met in an update gets its block first, before the first name it sorts before.
  Update(Contact("zed", "zed", STATUS_ONLINE, "Zoo"));
  Update(Contact("al", "al", STATUS_ONLINE, "Apple"));
  EXPECT_EQ("Team: | Apple: al | Family: | work: | Zoo: zed | Friends: | No group: | Offline contacts:", Shown());
  m_panel->CreateGroup("Apple", "Other title");
  EXPECT_EQ(1, std::count_if(m_panel->GetBlocks().begin(), m_panel->GetBlocks().end(),
                             [](ChatRoomEntry* b) { return b->GetGroupName() == "Apple"; }));
  EXPECT_EQ("Apple", m_panel->FindChatRoomEntry("Apple")->GetHeader()->GetTitle());
  EXPECT_EQ("~Friends", m_panel->GetBlocks()[5]->GetGroupName());
  // Clearing the contacts keeps the blocks and their headers.
  m_panel->RemoveAllPrivateContacts();
  EXPECT_EQ("Team: | Apple: | Family: | work: | Zoo: | Friends: | No group: | Offline contacts:", Shown());
  // A site's room marks no row.
  Update(Contact("al", "al", STATUS_ONLINE, "Apple"));
  m_panel->SwitchSubscribeChatRoom("http://site.example/", true);
  m_panel->SwitchSubscribeChatRoom("prv://parlavox/al:alice", true);
}

TEST_F(ContactsList, AFoldedBlockHidesItsRowsCountsNewOnesAndUnfoldsByAClick) {
  Open();
  Update(*Save(Contact("ann", "Ann", STATUS_ONLINE)));
  ChatRoomEntry* block = m_panel->GetBlocks()[0];
  MyButtonBitmap* fold = block->GetHeader()->GetFoldIcon();
  auto click = [&] {
    wxUIActionSimulator sim;
    sim.MouseMove(fold->GetScreenPosition() + fold->GetSize() / 2);
    sim.MouseClick();
  };
  click();
  ASSERT_TRUE(guitest::PumpUntil([&] { return !block->GetHeader()->IsOpened(); }));
  EXPECT_FALSE(block->FindContact("ann")->IsShown());
  Update(*Save(Contact("bob", "bob", STATUS_ONLINE)));
  EXPECT_FALSE(block->FindContact("bob")->IsShown());
  // Counts written a moment ago are written again once the moment is over.
  EXPECT_TRUE(guitest::PumpUntil([&] { return block->GetHeader()->GetCountsText() == "(2 / 2 contacts)"; }))
      << block->GetHeader()->GetCountsText();
  Settle();
  EXPECT_EQ(block->GetHeader()->GetRect().GetBottom() + 1, block->GetSize().y);
  // A quick second click is not lost: two clicks fold and unfold again.
  guitest::Pump(600);
  click();
  ASSERT_TRUE(guitest::PumpUntil([&] { return block->GetHeader()->IsOpened(); }));
  Settle();
  EXPECT_TRUE(block->FindContact("ann")->IsShownOnScreen());
  EXPECT_TRUE(block->FindContact("bob")->IsShownOnScreen());
  EXPECT_GT(block->FindContact("bob")->GetPosition().y, block->FindContact("ann")->GetPosition().y);
}

// A block of many contacts places only the rows whose place changed, once per turn of the event
// loop, however many updates came in it.
TEST_F(ContactsList, OneLargeBlockPlacesOnlyTheRowsThatMove) {
  Open();
  const int count = 150;
  for (int i = 0; i < count; ++i) {
    char login[16];
    snprintf(login, sizeof login, "n%03d", i);
    Update(*Save(Contact(login, login, i % 2 ? STATUS_ONLINE : STATUS_AWAY)));
  }
  Settle();
  ChatRoomEntry* block = m_panel->GetBlocks()[0];
  ASSERT_EQ(count, block->GetNbrUsers());
  // A change that keeps the row's place moves no row.
  long before = block->GetPlacements();
  Update(Contact("n010", "n010", STATUS_BUSY));
  Settle();
  EXPECT_EQ(before, block->GetPlacements());
  // Going offline moves the row past the rows between its places, and those only.
  before = block->GetPlacements();
  Update(Contact("n140", "n140", STATUS_OFFLINE));
  Settle();
  EXPECT_LE(block->GetPlacements() - before, 11);
  EXPECT_EQ("n140", block->GetLogins().back());
  // A burst of changes places nothing while it runs.
  before = block->GetPlacements();
  for (int i = 0; i < 75; ++i) {
    char login[16];
    snprintf(login, sizeof login, "n%03d", i * 2);
    Update(Contact(login, login, STATUS_OFFLINE));
  }
  EXPECT_EQ(before, block->GetPlacements());
  // The rows in sight are placed with the turn, those far out of sight have no window shown
  // until they are scrolled into sight.
  auto standInOrder = [&](size_t first, size_t last) {
    const std::vector<std::string> logins = block->GetLogins();
    for (size_t i = first; i <= last; ++i) {
      ContactEntry* row = block->FindRowWindow(logins[i]);
      if (!row || !row->IsShown() || row->GetLogin() != logins[i] || row->GetRect() != block->GetRowRect(logins[i]))
        return false;
      if (i > first && row->GetPosition().y != block->GetRowRect(logins[i - 1]).GetBottom() + 1) return false;
    }
    return true;
  };
  auto shown = [&](const std::string& login) {
    ContactEntry* row = block->FindRowWindow(login);
    return row && row->IsShown();
  };
  block->PlaceRows();
  Settle();
  EXPECT_TRUE(block->IsPlaced());
  EXPECT_TRUE(standInOrder(0, 12));
  EXPECT_FALSE(shown(block->GetLogins().back()));
  EXPECT_LE(block->GetPlacements() - before, 60);
  m_panel->Scroll(0, 1000);
  m_panel->PlaceVisibleRows();
  Settle();
  EXPECT_TRUE(standInOrder(count - 12, count - 1));
  EXPECT_FALSE(shown(block->GetLogins().front()));
  // The block ends with its last row.
  EXPECT_EQ(block->GetRowRect(block->GetLogins().back()).GetBottom() + 1, block->GetMinSize().y);
  // Only the rows in sight and near it have a window.
  EXPECT_LT(block->GetRowWindows(), count / 2);
}

// A burst of updates that moves every row: the placement that follows it gives windows to the
// rows in sight and moves only the windows in sight; the windows about the view are placed a
// little later, and a row scrolled into sight then stands at its place showing its contact as
// it is.
TEST_F(ContactsList, ABurstPlacesTheRowsInSightAtOnceAndThoseAboutTheViewALittleLater) {
  Open();
  const int count = 400;
  std::map<std::string, t_status> status;
  auto login = [](int i) {
    char text[16];
    snprintf(text, sizeof text, "n%03d", i);
    return std::string(text);
  };
  for (int i = 0; i < count; ++i) {
    Update(*Save(Contact(login(i), login(i), STATUS_OFFLINE)));
    status[login(i)] = STATUS_OFFLINE;
  }
  Settle();
  ChatRoomEntry* block = m_panel->GetBlocks()[0];
  auto inSight = [&](const std::string& who) {
    const wxRect rect = block->GetRowRect(who);
    const int top = block->GetPosition().y + rect.y;
    return rect.height > 0 && top < m_panel->GetClientSize().y && top + rect.height > 0;
  };
  auto placed = [&](const std::string& who) {
    ContactEntry* row = block->FindRowWindow(who);
    return row && row->IsShown() && row->GetRect() == block->GetRowRect(who) && row->GetStatus() == status[who];
  };
  // A few contacts far down connect: each goes to the top and moves every row below.
  const long before = block->GetPlacements();
  for (int i = count - 1; i >= count - 50; i -= 10) {
    Update(Contact(login(i), login(i), STATUS_ONLINE));
    status[login(i)] = STATUS_ONLINE;
  }
  wxTheApp->ProcessPendingEvents();
  std::vector<std::string> logins = block->GetLogins();
  ASSERT_EQ(login(count - 50 + 9), logins.front());
  // A row coming into sight may wait for its window until the list's next turn, when the turn's
  // time ran out.
  int seen = 0;
  for (const std::string& who : logins) {
    if (!inSight(who)) continue;
    ++seen;
    if (block->FindRowWindow(who)) {
      EXPECT_TRUE(placed(who)) << who;
    }
  }
  EXPECT_GT(seen, 5);
  // The windows in sight and those the new rows pushed out of it, no more.
  EXPECT_LE(block->GetPlacements() - before, seen + 5);
  EXPECT_FALSE(block->IsPlaced());
  // A little later, every window shown stands at its place, those out of sight included.
  Settle();
  int aside = 0;
  for (const std::string& who : logins) {
    ContactEntry* row = block->FindRowWindow(who);
    if (!row || !row->IsShown()) continue;
    EXPECT_TRUE(placed(who)) << who;
    if (!inSight(who)) ++aside;
  }
  EXPECT_GT(aside, 5);
  // Scrolled a screen down, the rows coming into sight stand at their place at once.
  int unit = 0;
  m_panel->GetScrollPixelsPerUnit(nullptr, &unit);
  ASSERT_GT(unit, 0);
  m_panel->Scroll(0, m_panel->GetClientSize().y / unit + 1);
  m_panel->PlaceVisibleRows();
  seen = 0;
  for (const std::string& who : logins) {
    if (!inSight(who)) continue;
    EXPECT_TRUE(placed(who)) << who;
    ++seen;
  }
  EXPECT_GT(seen, 5);
}

// Updates that make several blocks grow in one turn of the event loop lay the list out once,
// after every block has worked out its rows: each block then stands right below the one above it
// and shows its new row at its place.
TEST_F(ContactsList, BlocksGrowingInOneTurnAreLaidOutOnce) {
  const int groups = 8;
  Config::GetInstance()->SetGroupMode(1);
  for (int g = 0; g < groups; ++g) Config::GetInstance()->AddGroup("g" + std::to_string(g));
  Open();
  for (int g = 0; g < groups; ++g) Update(*Save(Contact("a" + std::to_string(g), "a", STATUS_ONLINE, "g" + std::to_string(g))));
  Settle();
  const long before = m_panel->GetLayouts();
  for (int g = 0; g < groups; ++g) Update(*Save(Contact("b" + std::to_string(g), "b", STATUS_ONLINE, "g" + std::to_string(g))));
  Settle();
  EXPECT_EQ(1, m_panel->GetLayouts() - before);
  const std::vector<ChatRoomEntry*>& blocks = m_panel->GetBlocks();
  for (size_t i = 0; i + 1 < blocks.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(blocks[i]->GetRect().GetBottom() + 1, blocks[i + 1]->GetPosition().y);
    EXPECT_EQ(blocks[i]->GetMinSize().y, blocks[i]->GetSize().y);
  }
  for (int g = 0; g < groups; ++g) {
    ChatRoomEntry* block = m_panel->FindChatRoomEntry("g" + std::to_string(g));
    ASSERT_TRUE(block);
    const std::string login = "b" + std::to_string(g);
    ContactEntry* row = block->FindRowWindow(login);
    ASSERT_TRUE(row) << login;
    EXPECT_TRUE(row->IsShown());
    EXPECT_EQ(block->GetRowRect(login), row->GetRect());
  }
}

}  // namespace

namespace {

// A long list fills over several turns of the event loop: at every turn the rows taken in so far
// are the top of the final list in its order (nothing shown moves down as more come), the
// header counts the rows the block holds, and a change of presence arriving meanwhile goes to
// its place at once and is not listed twice.
TEST_F(ContactsList, ALongListFillsTurnByTurnKeepingItsTopItsOrderAndItsCounts) {
  const int count = 20000;
  std::vector<std::string> nicknames;
  for (int i = 0; i < count; ++i) {
    char login[16], nickname[24];
    snprintf(login, sizeof login, "u%05d", i);
    // Scrambled against the saved order, some differing only in case.
    snprintf(nickname, sizeof nickname, "%s%05d", i % 3 ? "nick" : "NICK", (i * 7919) % count);
    Save(Contact(login, nickname, i % 10 == 0 ? STATUS_ONLINE : STATUS_OFFLINE));
  }
  m_panel = new ContactsPanel(GetManager(), m_frame, m_frame, &m_listener);
  m_frame->SetSizer(nullptr);
  m_panel->SetSize(m_frame->GetClientSize());
  ASSERT_EQ(1u, m_panel->GetBlocks().size());
  ChatRoomEntry* block = m_panel->GetBlocks()[0];
  auto countsRead = [&] {
    int connected = -1, total = -1;
    sscanf(block->GetHeader()->GetCountsText().utf8_str(), "(%d / %d", &connected, &total);
    return std::make_pair(connected, total);
  };
  std::vector<std::string> before;
  int turns = 0;
  while (!m_panel->IsFilled()) {
    const std::vector<std::string> now = block->GetLogins();
    ASSERT_GE(now.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) ASSERT_EQ(before[i], now[i]) << "turn " << turns << ", row " << i;
    EXPECT_EQ(std::make_pair(block->GetNbrConnected(), block->GetNbrUsers()), countsRead()) << "turn " << turns;
    before = now;
    if (turns == 1) {
      // A contact far down the saved order connects before its row is in: it goes first.
      Update(Contact("u19999", "aaa first", STATUS_BUSY));
      before = block->GetLogins();
      ASSERT_EQ("u19999", before.front());
    }
    ++turns;
    guitest::Pump(1);
  }
  EXPECT_GT(turns, 2);
  Settle();
  // Whole, each contact once, connected first then by nickname; the counts are the totals.
  const std::vector<std::string> logins = block->GetLogins();
  ASSERT_EQ(size_t(count), logins.size());
  EXPECT_EQ(size_t(count), std::set<std::string>(logins.begin(), logins.end()).size());
  EXPECT_EQ("u19999", logins.front());
  std::map<std::string, const ContactInfo*> saved;
  for (const ContactInfo* contact : m_saved) saved[contact->GetLogin()] = contact;
  for (size_t i = 1; i < logins.size(); ++i) {
    const ContactInfo* a = saved[logins[i - 1]];
    const ContactInfo* b = saved[logins[i]];
    const bool ca = a->GetStatus() != STATUS_OFFLINE, cb = b->GetStatus() != STATUS_OFFLINE;
    ASSERT_TRUE(ca > cb || (ca == cb && CompareNoCase(a->GetNickname(), b->GetNickname()) <= 0)) << i;
  }
  EXPECT_EQ(std::make_pair(count / 10 + 1, count), countsRead());
  // The rows in sight have their windows, at their place.
  for (size_t i = 0; i < 10; ++i) {
    ContactEntry* row = block->FindRowWindow(logins[i]);
    ASSERT_TRUE(row && row->IsShown()) << i;
    EXPECT_EQ(block->GetRowRect(logins[i]), row->GetRect());
  }
}

}  // namespace

namespace {

// A burst of presence changes: the rows in sight show theirs with the update itself, the row
// windows kept just out of sight are not left behind, and a row scrolled into sight shows its
// contact's latest state as soon as it is placed, before the list's next turn.
TEST_F(ContactsList, ARowShowsItsLatestPresenceWhenInSightOrScrolledIntoSight) {
  Open();
  const int count = 150;
  for (int i = 0; i < count; ++i) {
    char login[16];
    snprintf(login, sizeof login, "n%03d", i);
    Update(*Save(Contact(login, login, STATUS_ONLINE)));
  }
  Settle();
  ChatRoomEntry* block = m_panel->GetBlocks()[0];
  const std::vector<std::string> logins = block->GetLogins();
  auto inSight = [&](const std::string& login) {
    const wxRect rect = block->GetRowRect(login);
    const int top = block->GetPosition().y + rect.y;
    return rect.height > 0 && top < m_panel->GetClientSize().y && top + rect.height > 0;
  };
  std::vector<std::string> seen, aside;
  for (const std::string& login : logins) {
    if (inSight(login)) seen.push_back(login);
    else if (block->FindRowWindow(login)) aside.push_back(login);
  }
  ASSERT_FALSE(seen.empty());
  ASSERT_FALSE(aside.empty());
  // Away keeps every row at its place: only what the windows show changes.
  for (const std::string& login : logins) Update(Contact(login, login, STATUS_AWAY));
  for (const std::string& login : seen) {
    ContactEntry* row = block->FindRowWindow(login);
    ASSERT_TRUE(row) << login;
    EXPECT_EQ(STATUS_AWAY, row->GetStatus()) << login;
  }
  // The first row with a window below the rows in sight comes to the top of the list.
  const std::string target = aside.front();
  const int virtualTop = block->GetPosition().y + block->GetRowRect(target).y;
  m_panel->Scroll(0, virtualTop / 28);
  m_panel->PlaceVisibleRows();
  ASSERT_TRUE(inSight(target));
  ContactEntry* row = block->FindRowWindow(target);
  ASSERT_TRUE(row);
  EXPECT_EQ(STATUS_AWAY, row->GetStatus());
  // Within a few turns every row window shows the contact as it is, in the same order.
  Settle();
  EXPECT_EQ(logins, block->GetLogins());
  for (const std::string& login : logins) {
    if (ContactEntry* window = block->FindRowWindow(login)) {
      EXPECT_EQ(STATUS_AWAY, window->GetStatus()) << login;
    }
  }
  EXPECT_EQ("(150 / 150 contacts)", std::string(block->GetHeader()->GetCountsText().utf8_str()));
}

#ifdef __WXGTK__
// A frame whose idle pass leaves out what the user cannot see and the windows left out, as the
// main window's does.
class PassingFrame : public wxFrame {
 public:
  PassingFrame() : wxFrame(nullptr, wxID_ANY, "Contacts", wxPoint(40, 40), wxSize(320, 560)) {}
  bool SendIdleEvents(wxIdleEvent& event) override { return idlePass::SendToShown(this, event); }
};

// The shown windows at `window` and below whose keyboard order the tool kit has not worked out.
int KeyboardOrderDue(wxWindow* window) {
  int due = window->m_dirtyTabOrder ? 1 : 0;
  for (wxWindow* child : window->GetChildren())
    if (child->IsShown() && !child->IsTopLevel()) due += KeyboardOrderDue(child);
  return due;
}

// The list's windows are left out of the event loop's idle pass, but the windows it makes, and
// those it shows, still have the pass that works out their keyboard order: after a log-in, a
// scroll far down (new row windows), a burst that moves rows in sight, and a block made later.
TEST_F(ContactsList, TheListLeftOutOfTheIdlePassStillOrdersTheWindowsItMakesAndShows) {
  const wxIdleMode mode = wxIdleEvent::GetMode();
  wxIdleEvent::SetMode(wxIDLE_PROCESS_SPECIFIED);
  m_frame->Destroy();
  m_frame = new PassingFrame;
  m_frame->Show();
  ASSERT_TRUE(guitest::PumpUntil([&] { return m_frame->IsShownOnScreen(); }));
  Config::GetInstance()->AddGroup("work");
  Config::GetInstance()->SetGroupMode(1);
  Open();
  for (int i = 0; i < 150; ++i) {
    char login[16];
    snprintf(login, sizeof login, "k%03d", i);
    Update(*Save(Contact(login, login, i % 3 ? STATUS_OFFLINE : STATUS_ONLINE, "work")));
  }
  Settle();
  EXPECT_TRUE(idlePass::IsLeftOut(m_panel));
  EXPECT_EQ(0, KeyboardOrderDue(m_panel));

  m_panel->Scroll(0, 120);
  m_panel->PlaceVisibleRows();
  Settle();
  EXPECT_EQ(0, KeyboardOrderDue(m_panel)) << "after a scroll";

  m_panel->Scroll(0, 0);
  m_panel->PlaceVisibleRows();
  for (int i = 0; i < 150; ++i) {
    ContactInfo contact(*FindSaved(wxString::Format("k%03d", i).ToStdString()));
    contact.SetStatus(i % 3 ? STATUS_ONLINE : STATUS_OFFLINE);
    Update(contact);
  }
  Settle();
  EXPECT_EQ(0, KeyboardOrderDue(m_panel)) << "after a burst of presence";

  Update(*Save(Contact("late", "late", STATUS_ONLINE, "later group")));
  Settle();
  ASSERT_TRUE(m_panel->FindChatRoomEntry("later group"));
  EXPECT_EQ(0, KeyboardOrderDue(m_panel)) << "after a block was made";
  EXPECT_TRUE(idlePass::IsLeftOut(m_panel));
  wxIdleEvent::SetMode(mode);
}
#endif

}  // namespace
