// The contacts list of the whole program with a few hundred saved contacts on the stand-in
// server: alice logs in with them, half of them log in at once, some leave again, and the list
// must show every contact once, in its block, in order (connected first, then by nickname), with
// counts that read the number of contacts online, in the grouped and in the plain sort.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/application.h"
#include "gui/contacts/chatRoomEntry.h"
#include "gui/contacts/contactsPanel.h"
#include "gui/contacts/groupEntry.h"
#include "gui/mainFrame.h"
#include "model/config.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/support/programSession.h"

namespace {

using standintest::TestUser;

const int kContacts = 240;
const int kGroups = 3;
const char* const kGroupNames[kGroups] = {"family", "Friends", "work"};

std::string Login(int i) {
  char text[8];
  snprintf(text, sizeof text, "m%03d", i);
  return text;
}

// Nicknames in another order than the logins, some capitalised.
std::string Nickname(int i) {
  char text[16];
  snprintf(text, sizeof text, "%s %03d", i % 3 ? "nick" : "Nick", (i * 97) % kContacts);
  return text;
}

std::string Hex(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    char digits[3];
    snprintf(digits, sizeof digits, "%02x", c);
    out += digits;
  }
  return out;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return text;
}

class ContactsListWave : public programtest::ProgramSession {
 protected:
  // The server knows the members and that they are alice's contacts, in three groups.
  ContactsListWave() {
    std::string state = "parlavox-standin-state 1\n";
    for (int i = 0; i < kContacts; ++i)
      state += "account " + Login(i) + " " + Hex(Login(i)) + " " + Hex(Nickname(i)) + " - 0 0 0 0 - 0 -\n";
    for (int i = 0; i < kContacts; ++i)
      state += "contact alice " + Login(i) + " " + Hex(kGroupNames[i % kGroups]) + "\n";
    testsupport::WriteFile(m_state.file("state"), state);
    m_standinArguments = {"--state", m_state.file("state")};
  }
  void SetUp() override {
    Config* config = Config::GetInstance();
    for (const std::string& group : config->GetGroups()) config->RemoveGroup(group);
    for (const char* group : kGroupNames) config->AddGroup(group);
    ProgramSession::SetUp();
  }
  // The members leave alice's saved contacts, as the next test expects them.
  void TearDown() override {
    m_members.clear();
    ProgramSession::TearDown();
    Config* config = Config::GetInstance();
    for (int i = 0; i < kContacts; ++i) {
      config->RemoveContact(Login(i));
      GetManager()->GetContactInfo(Login(i))->SetStatus(STATUS_OFFLINE);
    }
    for (const std::string& group : config->GetGroups()) config->RemoveGroup(group);
  }
  ContactsPanel* Panel() {
    return guitest::FindChild<ContactsPanel>(Frame(), [](ContactsPanel*) { return true; });
  }
  void Sort(int mode, int offline) {
    Config::GetInstance()->SetGroupMode(mode);
    Config::GetInstance()->SetGroupOffline(offline);
    Frame()->UpdatePrivateContactsGroups();
    // A long list comes in over a few turns.
    EXPECT_TRUE(Until([&] { return Panel()->IsFilled(); }));
  }
  int Rows() {
    int rows = 0;
    for (ChatRoomEntry* block : Panel()->GetBlocks()) rows += block->GetNbrUsers();
    return rows;
  }
  // The logins of `members`, connected ones first, each part by nickname.
  std::vector<std::string> Ordered(const std::vector<int>& members) const {
    std::vector<int> sorted = members;
    std::sort(sorted.begin(), sorted.end(), [&](int a, int b) {
      if (m_online[a] != m_online[b]) return m_online[a];
      return Lower(Nickname(a)) < Lower(Nickname(b));
    });
    std::vector<std::string> logins;
    for (int i : sorted) logins.push_back(Login(i));
    return logins;
  }
  std::string Counts(const std::string& block) {
    ChatRoomEntry* entry = Panel()->FindChatRoomEntry(block);
    return entry ? std::string(entry->GetHeader()->GetCountsText().utf8_str()) : "(no block)";
  }
  // The counts of `block` once they read `expected`, or as they read when the wait ends: a burst
  // of changes is counted once it is over.
  std::string CountsRead(const std::string& block, const std::string& expected) {
    Until([&] { return Counts(block) == expected; });
    return Counts(block);
  }
  int OnlineCount() const { return static_cast<int>(std::count(m_online.begin(), m_online.end(), true)); }
  // Every group block lists its members in order and counts those online.
  void ExpectGroups() {
    for (int g = 0; g < kGroups; ++g) {
      SCOPED_TRACE(kGroupNames[g]);
      std::vector<int> members;
      int online = 0;
      for (int i = g; i < kContacts; i += kGroups) {
        members.push_back(i);
        if (m_online[i]) ++online;
      }
      ChatRoomEntry* block = Panel()->FindChatRoomEntry(kGroupNames[g]);
      ASSERT_TRUE(block);
      EXPECT_EQ(Ordered(members), block->GetLogins());
      const std::string expected = "(" + std::to_string(online) + " / " + std::to_string(members.size()) + " contacts)";
      EXPECT_EQ(expected, CountsRead(kGroupNames[g], expected));
    }
  }
  // The online block and the offline one, in the plain sort.
  void ExpectPlain() {
    std::vector<int> online, offline;
    for (int i = 0; i < kContacts; ++i) (m_online[i] ? online : offline).push_back(i);
    EXPECT_EQ(Ordered(online), Panel()->FindChatRoomEntry("     ONLINE")->GetLogins());
    EXPECT_EQ(Ordered(offline), Panel()->FindChatRoomEntry("    OFFLINE")->GetLogins());
    const std::string total = std::to_string(kContacts);
    const std::string onlineCounts = "(" + std::to_string(online.size()) + " / " + total + " contacts)";
    const std::string offlineCounts = "(" + std::to_string(offline.size()) + " / " + total + " contacts)";
    EXPECT_EQ(onlineCounts, CountsRead("     ONLINE", onlineCounts));
    EXPECT_EQ(offlineCounts, CountsRead("    OFFLINE", offlineCounts));
  }

  testsupport::TempDir m_state;
  std::vector<std::unique_ptr<TestUser>> m_members;
  std::vector<bool> m_online = std::vector<bool>(kContacts, false);
};

TEST_F(ContactsListWave, AFewHundredContactsComeAndGoAndTheListKeepsOrderAndCounts) {
  Sort(1, 2);
  ASSERT_TRUE(Until([&] { return Rows() == kContacts; })) << Rows();
  ASSERT_TRUE(Until([&] { return Counts("family") == "(0 / 80 contacts)"; })) << Counts("family");
  // Every other member logs in, all at once.
  for (int i = 0; i < kContacts; i += 2) {
    m_members.emplace_back(new TestUser(Server().Port(), Login(i), "", i % 4 ? STATUS_AWAY : STATUS_ONLINE));
    m_online[i] = true;
  }
  for (std::unique_ptr<TestUser>& member : m_members) ASSERT_TRUE(member->LoggedIn()) << member->Login();
  ASSERT_TRUE(Until([&] {
    int shown = 0;
    for (ChatRoomEntry* block : Panel()->GetBlocks()) shown += block->GetNbrConnected();
    return shown == OnlineCount();
  }));
  ExpectGroups();
  // A third of them leave again.
  for (size_t k = 0; k < m_members.size(); k += 3) {
    TestUser& member = *m_members[k];
    member.Link().SendDisconnect(member.Key());
    EXPECT_TRUE(member.WaitEnd()) << member.Login();
    m_online[std::stoi(member.Login().substr(1))] = false;
  }
  ASSERT_TRUE(Until([&] {
    int shown = 0;
    for (ChatRoomEntry* block : Panel()->GetBlocks()) shown += block->GetNbrConnected();
    return shown == OnlineCount();
  }));
  ExpectGroups();
  // The plain sort: connected contacts in one block, the others in the offline block.
  Sort(0, 1);
  ExpectPlain();
  // One block of every contact: its counts read the contacts online among all.
  Sort(0, 2);
  const std::string all = "(" + std::to_string(OnlineCount()) + " / " + std::to_string(kContacts) + " contacts)";
  EXPECT_EQ(all, CountsRead("     ONLINE", all));
  EXPECT_EQ(kContacts, Rows());
}

}  // namespace
