#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "model/config.h"
#include "model/configFile.h"
#include "model/cryptPassword.h"
#include "model/log.h"
#include "tests/support/testSupport.h"

using testsupport::TempDir;

namespace {

ContactInfo* Contact(const std::string& login, const std::string& group = "") {
  return new ContactInfo(login, login + " nick", "", "", STATUS_ONLINE, "", "", 0, 0, 0, group, "parlavox", false);
}

URLInfo* Site(const std::string& url, t_site_status status = SITE_DEFAULT) {
  return new URLInfo(url, status, 0, 0, 0, kNoGrade, "", kNoUserGrade, "", nullptr);
}

}  // namespace

TEST(ConfigObject, Defaults) {
  Config* c = Config::GetInstance();
  EXPECT_EQ(c, Config::GetInstance());
  ContactInfo* own = c->GetContactInfo();
  EXPECT_EQ("", own->GetLogin());
  EXPECT_EQ("(noname)", own->GetNickname());
  EXPECT_EQ("0.9.8b", own->GetVersion());
  EXPECT_EQ("parlavox", own->GetImType());
  EXPECT_EQ(STATUS_OFFLINE, own->GetStatus());
  EXPECT_EQ(1, own->GetBirthDay());
  EXPECT_EQ(1, own->GetBirthMonth());
  EXPECT_EQ(1978, own->GetBirthYear());
  EXPECT_FALSE(own->IsBlocked());
  const std::map<std::string, bool> ownTable = {
      {"login-visual", true},      {"login-bell", true},         {"logout-visual", true},
      {"logout-bell", true},       {"open-visual", true},        {"open-bell", false},
      {"close-visual", false},     {"close-bell", false},        {"subscribe-visual", true},
      {"subscribe-bell", false},   {"unsubscribe-visual", false}, {"unsubscribe-bell", false}};
  EXPECT_EQ(ownTable, own->GetNotifications());
  const std::map<std::string, bool> defaultTable = {
      {"login-visual", true},      {"login-bell", false},        {"logout-visual", true},
      {"logout-bell", false},      {"open-visual", true},        {"open-bell", false},
      {"close-visual", false},     {"close-bell", false},        {"subscribe-visual", false},
      {"subscribe-bell", false},   {"unsubscribe-visual", false}, {"unsubscribe-bell", false}};
  EXPECT_EQ(defaultTable, c->GetDefaultContactInfo()->GetNotifications());
  EXPECT_EQ("", c->GetDefaultContactInfo()->GetLogin());

  EXPECT_TRUE(c->GetAutoConnectStatus());
  EXPECT_FALSE(c->GetAlwaysTopStatus());
  EXPECT_TRUE(c->IsVisibleOnStart());
  EXPECT_EQ(CHAT_MODE_DEFAULT, c->GetChatMode());
  EXPECT_EQ("", c->GetPassword());
  EXPECT_TRUE(c->IsPasswordSaved());
  EXPECT_EQ(STATUS_ONLINE, c->GetDefaultStatus());
  EXPECT_EQ(SITE_OPEN, c->GetDefaultSiteStatus());
  EXPECT_EQ(443, c->GetPort());
  EXPECT_TRUE(c->IsSSLEnabled());
  EXPECT_EQ(6891, c->GetFilePort());
  EXPECT_EQ("unknown", c->GetLastVersion());
  EXPECT_EQ(60, c->GetNoActivityTimer());
  EXPECT_EQ(120, c->GetAwayTimer());
  EXPECT_FALSE(c->GetProxyStatus());
  EXPECT_EQ("", c->GetProxyHost());
  EXPECT_EQ(8080, c->GetProxyPort());
  EXPECT_FALSE(c->GetRememberClose());
  EXPECT_FALSE(c->GetClose());
  EXPECT_TRUE(c->GetRetryOnFailure());
  EXPECT_EQ(0, c->GetGroupMode());
  EXPECT_EQ(2, c->GetGroupOffline());
  EXPECT_EQ(-1, c->GetPositionX());
  EXPECT_EQ(-1, c->GetPositionY());
  EXPECT_EQ(370, c->GetWidth());
  EXPECT_EQ(600, c->GetHeight());
  EXPECT_EQ(512u, c->GetMessageMaxLength());
  c->SetAutoStartStatus(true);
  EXPECT_FALSE(c->GetAutoStartStatus());
  EXPECT_TRUE(c->GetContacts().empty());
  EXPECT_TRUE(c->GetGroups().empty());

  c->SetPassword("hunter2");
  EXPECT_EQ("hunter2", c->GetPassword());
}

TEST(ConfigObject, ServerFromTheEnvironment) {
  setenv("PARLAVOX_SERVER", "chat.test:8443", 1);
  Config a;
  EXPECT_EQ("chat.test", a.GetHostname());
  EXPECT_EQ(8443, a.GetPort());
  setenv("PARLAVOX_SERVER", "other.test", 1);
  Config b;
  EXPECT_EQ("other.test", b.GetHostname());
  EXPECT_EQ(443, b.GetPort());
  setenv("PARLAVOX_SERVER", "bad.test:99999", 1);
  Config c;
  EXPECT_EQ(PARLAVOX_SERVER_HOST, c.GetHostname());
  EXPECT_EQ(443, c.GetPort());
  unsetenv("PARLAVOX_SERVER");
  // A settings object does not own its records: these three were made only for the test.
  for (Config* x : {&a, &b, &c}) {
    delete x->GetContactInfo();
    delete x->GetDefaultContactInfo();
  }
}

TEST(ConfigObject, ContactsAndGroups) {
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

TEST(ConfigObject, SitesAreFoundWhateverTheirCase) {
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

TEST(ConfigObject, RecommendedSitesAccountsProtocolsAndSmileys) {
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

  MessengerProtocolInfo* p = new MessengerProtocolInfo("jabber", "Jabber", {});
  c->AddMessengerProtocol(p);
  EXPECT_EQ(p, c->GetMessengerProtocol("jabber"));
  EXPECT_EQ(nullptr, c->GetMessengerProtocol("Jabber"));
  c->ClearMessengerProtocols();
  EXPECT_TRUE(c->GetMessengerProtocols().empty());
  delete p;

  Smiley* s = new Smiley("wink", ";)", "w.png", false);
  c->AddSmiley(s);
  EXPECT_EQ(std::vector<Smiley*>{s}, c->GetSmileys());
  c->RemoveSmiley(s);
  EXPECT_TRUE(c->GetSmileys().empty());
  delete s;
}

TEST(ConfigObject, CoordinatesAreClamped) {
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

TEST(ConfigObject, TraceLinesOfLookups) {
  TempDir dir;
  std::string path = testsupport::RestartLogAt(dir);
  Config* c = Config::GetInstance();
  ContactInfo* first = Contact("zed");
  c->UpdateContact(first);
  c->UpdateContact(Contact("zed"));
  delete first;
  c->HasContact("nobody");
  c->IsDefined("http://x/");
  c->SetPassword("topsecret");
  std::string log = testsupport::DecodeLogFile(path, LOG_KEY_START, log_step());
  EXPECT_NE(std::string::npos, log.find("START (zed, zed nick)"));
  EXPECT_NE(std::string::npos, log.find(": add\n"));
  EXPECT_NE(std::string::npos, log.find(": END : found\n"));
  EXPECT_NE(std::string::npos, log.find(": END : not found\n"));
  EXPECT_NE(std::string::npos, log.find(": END : false\n"));
  EXPECT_EQ(std::string::npos, log.find("topsecret"));
}

// Many threads changing and reading the lists while another saves: no crash, nothing lost.
TEST(ConfigObject, UsableFromManyThreadsAtOnce) {
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
TEST(ConfigObject, RecommendingOneSiteFromManyThreadsListsItOnce) {
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

TEST(ConfigObject, BackupMovesTheFileAside) {
  TempDir dir;
  Config::SetUserPath(dir.path());
  EXPECT_FALSE(Config::BackupSettingsFile());
  ASSERT_TRUE(testsupport::WriteFile(dir.file("parlavox.xml"), "broken"));
  ASSERT_TRUE(testsupport::WriteFile(dir.file("parlavox.backup.xml"), "older"));
  EXPECT_FALSE(Config::Load());
  EXPECT_TRUE(Config::BackupSettingsFile());
  EXPECT_FALSE(testsupport::FileExists(dir.file("parlavox.xml")));
  EXPECT_EQ("broken", testsupport::ReadFile(dir.file("parlavox.backup.xml")));
  EXPECT_TRUE(Config::Load());
}

// Look-ups by login and by URL follow the lists through appends, replacements, removals and
// clearing, and the lists keep their order.
TEST(ConfigObject, LookupsFollowTheListsThroughChanges) {
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
