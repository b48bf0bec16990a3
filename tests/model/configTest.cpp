#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <thread>
#include <vector>

#include "model/config.h"
#include "model/configFile.h"
#include "model/cryptPassword.h"
#include "model/log.h"
#include "model/serverOverride.h"
#include "tests/support/testSupport.h"

using testsupport::TempDir;

namespace {

ContactInfo* Contact(const std::string& login, const std::string& group = "") {
  return new ContactInfo(login, login + " nick", "", "", STATUS_ONLINE, "", "", 0, 0, 0, group, "parlavox", false);
}

URLInfo* Site(const std::string& url, t_site_status status = SITE_DEFAULT) {
  return new URLInfo(url, status, 0, 0, 0, kNoGrade, "", kNoUserGrade, "", nullptr);
}

// Each case starts from a new user's settings, whatever the cases before it left in them.
class ConfigObject : public ::testing::Test {
 protected:
  void SetUp() override { StartConfigAfresh(); }
};

}  // namespace

// The user's own record and the one new contacts start from notify differently.
TEST_F(ConfigObject, OwnAndDefaultNotificationsDiffer) {
  Config* c = Config::GetInstance();
  const std::map<std::string, bool> own = {
      {"login-visual", true},    {"login-bell", true},         {"logout-visual", true},
      {"logout-bell", true},     {"open-visual", true},        {"open-bell", false},
      {"close-visual", false},   {"close-bell", false},        {"subscribe-visual", true},
      {"subscribe-bell", false}, {"unsubscribe-visual", false}, {"unsubscribe-bell", false}};
  std::map<std::string, bool> others = own;
  others["login-bell"] = others["logout-bell"] = others["subscribe-visual"] = false;
  EXPECT_EQ(own, c->GetContactInfo()->GetNotifications());
  EXPECT_EQ(others, c->GetDefaultContactInfo()->GetNotifications());
  // Starting with the session is not offered on this system.
  c->SetAutoStartStatus(true);
  EXPECT_FALSE(c->GetAutoStartStatus());
}

TEST_F(ConfigObject, ServerFromTheEnvironment) {
  const struct {
    const char* value;  // nullptr: unset
    const char* host;
    int port;
  } cases[] = {{nullptr, "built.in", 443},          {"", "built.in", 443},
               {"chat.test:8443", "chat.test", 8443}, {"other.test", "other.test", 443},
               {"a:b:65535", "a:b", 65535},          {"bad.test:99999", "built.in", 443},
               {"bad.test:0", "built.in", 443},       {"bad.test:x", "built.in", 443},
               {":8443", "built.in", 443},            {"bad.test:", "built.in", 443}};
  for (const auto& k : cases) {
    if (k.value) setenv("PARLAVOX_SERVER", k.value, 1);
    else unsetenv("PARLAVOX_SERVER");
    std::string host = "built.in";
    int port = 443;
    ApplyServerOverride(host, port);
    EXPECT_EQ(k.host, host) << (k.value ? k.value : "unset");
    EXPECT_EQ(k.port, port) << (k.value ? k.value : "unset");
  }
  // The settings take their server from it.
  setenv("PARLAVOX_SERVER", "chat.test:8443", 1);
  Config a;
  unsetenv("PARLAVOX_SERVER");
  EXPECT_EQ("chat.test", a.GetHostname());
  EXPECT_EQ(8443, a.GetPort());
  // A settings object does not own its records: these were made only for the test.
  delete a.GetContactInfo();
  delete a.GetDefaultContactInfo();
}

TEST_F(ConfigObject, ContactsAndGroups) {
  Config* c = Config::GetInstance();
  ContactInfo* a = Contact("a", "work");
  ContactInfo* b = Contact("b");
  ContactInfo* a2 = Contact("a", "home");
  c->UpdateContact(a);
  c->UpdateContact(b);
  c->UpdateContact(a2);
  auto list = c->GetContacts();
  ASSERT_EQ(2u, list.size());
  EXPECT_EQ(a2, list[0]);
  EXPECT_EQ(b, list[1]);
  EXPECT_TRUE(c->HasContact("a"));
  EXPECT_FALSE(c->HasContact("A"));
  EXPECT_EQ(std::vector<ContactInfo*>{a2}, c->GetContactsOfGroup("home"));
  EXPECT_TRUE(c->GetContactsOfGroup("work").empty());
  EXPECT_EQ(b, c->RemoveContact("b"));
  EXPECT_EQ(nullptr, c->RemoveContact("b"));
  c->ClearContacts();
  EXPECT_TRUE(c->GetContacts().empty());
  delete a;
  delete a2;
  delete b;

  EXPECT_TRUE(c->AddGroup("b"));
  EXPECT_TRUE(c->AddGroup("a"));
  EXPECT_FALSE(c->AddGroup("a"));
  EXPECT_TRUE(c->AddGroup("B"));
  EXPECT_EQ((std::vector<std::string>{"B", "a", "b"}), c->GetGroups());
  EXPECT_FALSE(c->RenameGroup("a", "b"));
  EXPECT_EQ((std::vector<std::string>{"B", "a", "b"}), c->GetGroups());
  EXPECT_TRUE(c->RenameGroup("a", "c"));
  EXPECT_EQ((std::vector<std::string>{"B", "b", "c"}), c->GetGroups());
  c->RemoveGroup("zzz");
  c->RemoveGroup("B");
  EXPECT_EQ((std::vector<std::string>{"b", "c"}), c->GetGroups());
}

TEST_F(ConfigObject, SitesAreFoundWhateverTheirCase) {
  Config* c = Config::GetInstance();
  URLInfo* lower = Site("http://example.com/");
  c->AddURLInfo(lower);
  EXPECT_EQ(lower, c->GetURLInfo("HTTP://EXAMPLE.COM/"));
  EXPECT_TRUE(c->IsDefined("http://Example.com/"));
  EXPECT_EQ(nullptr, c->GetURLInfo("http://example.com"));

  // A record handed over in mixed case is found again in any case (and saved lower-cased).
  URLInfo* mixed = Site("http://News.Example.COM/Page", SITE_BLOCKED);
  c->AddURLInfo(mixed);
  EXPECT_EQ(mixed, c->GetURLInfo("http://news.example.com/page"));
  EXPECT_EQ(mixed, c->GetURLInfo("HTTP://NEWS.EXAMPLE.COM/PAGE"));

  // The same site again (any case) is not stored twice.
  URLInfo* again = Site("HTTP://EXAMPLE.COM/");
  c->AddURLInfo(again);
  EXPECT_EQ(2u, c->GetAllURLInfo().size());
  EXPECT_EQ(lower, c->GetURLInfo("http://example.com/"));
  delete again;

  // Bytes beyond ASCII are compared as they are.
  URLInfo* accented = Site("http://caf\xc3\xa9.fr/");
  c->AddURLInfo(accented);
  EXPECT_EQ(accented, c->GetURLInfo("HTTP://CAF\xc3\xa9.FR/"));
  EXPECT_EQ(nullptr, c->GetURLInfo("http://caf\xc3\x89.fr/"));

  c->RemoveURLInfo("HTTP://example.COM/");
  EXPECT_FALSE(c->IsDefined("http://example.com/"));
  EXPECT_EQ(2u, c->GetAllURLInfo().size());
  delete lower;
}

TEST_F(ConfigObject, RecommendedSitesAccountsProtocolsAndSmileys) {
  Config* c = Config::GetInstance();
  EXPECT_TRUE(c->AddRecommendedSite("http://r/", 1));
  EXPECT_FALSE(c->AddRecommendedSite("http://r/", 5));
  EXPECT_TRUE(c->AddRecommendedSite("http://R/", 2));
  ASSERT_EQ(2, c->GetNbrRecommendedSites());
  EXPECT_EQ(5, c->GetRecommendedSite(0)->GetWeight());
  EXPECT_EQ(nullptr, c->GetRecommendedSite(2));
  RecommendedSite* first = c->GetRecommendedSite(0);
  c->DelRecommendedSite("http://r/");
  EXPECT_EQ(1, c->GetNbrRecommendedSites());
  EXPECT_EQ("http://R/", c->GetRecommendedSite(0)->GetURL());
  delete first;

  MessengerInfo* jabber = new MessengerInfo("jabber", "Jabber", "bob", "", true, {});
  MessengerInfo* icq = new MessengerInfo("icq", "ICQ", "bob", "", true, {});
  c->AddMessenger(jabber);
  c->AddMessenger(icq);
  EXPECT_EQ(jabber, c->GetMessenger("jabber", "bob"));
  EXPECT_EQ(jabber, c->GetMessenger("jabber", "bob@server.org/home"));
  EXPECT_EQ(nullptr, c->GetMessenger("jabber", "bobby"));
  EXPECT_EQ(nullptr, c->GetMessenger("jabber", "bo"));
  EXPECT_EQ(icq, c->GetMessenger("icq", "bob@x"));
  EXPECT_EQ(nullptr, c->GetMessenger("msn", "bob"));
  c->RemoveMessenger(jabber);
  EXPECT_EQ(std::vector<MessengerInfo*>{icq}, c->GetMessengers());
  delete jabber;

  // Protocols are found by their exact id.
  MessengerProtocolInfo* p = new MessengerProtocolInfo("jabber", "Jabber", {});
  c->AddMessengerProtocol(p);
  EXPECT_EQ(p, c->GetMessengerProtocol("jabber"));
  EXPECT_EQ(nullptr, c->GetMessengerProtocol("Jabber"));
  c->ClearMessengerProtocols();
  delete p;
}

TEST_F(ConfigObject, CoordinatesAreClamped) {
  Config* c = Config::GetInstance();
  c->SetCoordinates(-5, -5, -1, 50);
  EXPECT_EQ(0, c->GetPositionX());
  EXPECT_EQ(0, c->GetPositionY());
  EXPECT_EQ(100, c->GetWidth());
  EXPECT_EQ(100, c->GetHeight());
  c->SetCoordinates(10, 20, 30, 40);
  EXPECT_EQ(30, c->GetWidth());
  EXPECT_EQ(100, c->GetHeight());
}

TEST_F(ConfigObject, ThePasswordNeverReachesTheLog) {
  TempDir dir;
  std::string path = testsupport::RestartLogAt(dir);
  Config* c = Config::GetInstance();
  c->SetPassword("topsecret");
  EXPECT_EQ("topsecret", c->GetPassword());
  Config::SetUserPath(dir.path());
  ASSERT_TRUE(c->Save());
  ASSERT_TRUE(Config::Load());
  EXPECT_EQ("topsecret", Config::GetInstance()->GetPassword());
  EXPECT_EQ(std::string::npos, testsupport::DecodeLogFile(path, LOG_KEY_START, log_step()).find("topsecret"));
}

// Many threads changing and reading the lists while another saves: no crash, nothing lost.
TEST_F(ConfigObject, UsableFromManyThreadsAtOnce) {
  TempDir dir;
  Config::SetUserPath(dir.path());
  Config* c = Config::GetInstance();
  std::atomic<bool> stop{false};
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t) {
    writers.emplace_back([c, t] {
      for (int i = 0; i < 300; ++i) {
        std::string id = std::to_string(t) + "-" + std::to_string(i);
        c->UpdateContact(Contact("user" + id));
        c->AddURLInfo(Site("http://site" + id + "/"));
        c->AddGroup("group" + std::to_string(i % 7));
        c->SetFilePort(1000 + i);
      }
    });
  }
  std::thread reader([c, &stop] {
    while (!stop) {
      for (ContactInfo* p : c->GetContacts()) ASSERT_NE(nullptr, p);
      c->GetURLInfo("http://SITE0-5/");
      c->GetGroups();
    }
  });
  std::thread saver([c, &stop] {
    while (!stop) EXPECT_TRUE(c->Save());
  });
  for (auto& w : writers) w.join();
  stop = true;
  reader.join();
  saver.join();
  EXPECT_EQ(1200u, c->GetContacts().size());
  EXPECT_EQ(1200u, c->GetAllURLInfo().size());
  EXPECT_EQ(7u, c->GetGroups().size());
  ASSERT_TRUE(c->Save());
  ASSERT_TRUE(Config::Load());
  EXPECT_EQ(1200u, Config::GetInstance()->GetContacts().size());
}

// Threads recommending the same sites at once: each site is listed once, and true is returned
// for it exactly once.
TEST_F(ConfigObject, RecommendingOneSiteFromManyThreadsListsItOnce) {
  Config* c = Config::GetInstance();
  const int sites = 300;
  const int before = c->GetNbrRecommendedSites();
  std::atomic<int> added{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 6; ++t) {
    threads.emplace_back([c, t, &added] {
      for (int i = 0; i < sites; ++i)
        if (c->AddRecommendedSite("http://recommended" + std::to_string(i) + "/", t)) ++added;
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(sites, added.load());
  EXPECT_EQ(before + sites, c->GetNbrRecommendedSites());
}

// An earlier backup (even one the file system cannot replace, a folder) keeps its name and
// bytes: the file takes the first free numbered name.
TEST_F(ConfigObject, BackupMovesTheFileAsideAndKeepsEarlierOnes) {
  TempDir dir;
  Config::SetUserPath(dir.path());
  int error = 0;
  EXPECT_FALSE(Config::BackupSettingsFile(&error));
  EXPECT_EQ(ENOENT, error);
  ASSERT_TRUE(testsupport::WriteFile(dir.file("parlavox.backup.xml"), "older"));
  ASSERT_EQ(0, mkdir(dir.file("parlavox.backup.1.xml").c_str(), 0700));
  ASSERT_TRUE(testsupport::WriteFile(dir.file("parlavox.xml"), "broken"));
  EXPECT_FALSE(Config::Load());
  EXPECT_TRUE(Config::BackupSettingsFile());
  EXPECT_FALSE(testsupport::FileExists(dir.file("parlavox.xml")));
  EXPECT_EQ("older", testsupport::ReadFile(dir.file("parlavox.backup.xml")));
  EXPECT_EQ("broken", testsupport::ReadFile(dir.file("parlavox.backup.2.xml")));
  EXPECT_TRUE(Config::Load());
}

// Look-ups by login and by URL follow the lists through appends, replacements, removals and
// clearing, and the lists keep their order.
TEST_F(ConfigObject, LookupsFollowTheListsThroughChanges) {
  Config* c = Config::GetInstance();
  std::vector<ContactInfo*> made;
  for (int i = 0; i < 40; ++i) {
    made.push_back(Contact("u" + std::to_string(i)));
    c->UpdateContact(made.back());
    c->AddURLInfo(Site("http://Site" + std::to_string(i) + "/"));
  }
  EXPECT_EQ(made[10], c->RemoveContact("u10"));
  URLInfo* gone = c->GetURLInfo("http://site10/");
  c->RemoveURLInfo("HTTP://SITE10/");
  made.push_back(Contact("u30"));
  c->UpdateContact(made.back());
  auto list = c->GetContacts();
  auto sites = c->GetAllURLInfo();
  ASSERT_EQ(39u, list.size());
  EXPECT_EQ(made[11], list[10]);
  EXPECT_EQ(made.back(), list[29]);
  for (int i = 0; i < 40; ++i) {
    const std::string n = std::to_string(i);
    EXPECT_EQ(i != 10, c->HasContact("u" + n)) << n;
    EXPECT_EQ(i == 10 ? nullptr : sites[i < 10 ? i : i - 1], c->GetURLInfo("http://SITE" + n + "/")) << n;
  }
  EXPECT_EQ(made.back(), c->RemoveContact("u30"));
  EXPECT_TRUE(c->HasContact("u39"));
  c->ClearContacts();
  EXPECT_FALSE(c->HasContact("u39"));
  for (ContactInfo* p : made) delete p;
  delete gone;
}
