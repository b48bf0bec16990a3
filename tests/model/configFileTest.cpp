#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <dirent.h>

#include <cstring>
#include <ctime>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "model/config.h"
#include "model/configFile.h"
#include "model/cryptPassword.h"
#include "model/log.h"
#include "tests/support/testSupport.h"

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

std::string Fixture(const std::string& name) {
  return ReadFile(testsupport::SourceDir() + "/tests/model/fixtures/" + name);
}

// The visible files of a directory (a save's lock and temporary files included), sorted.
std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const std::string& name : testsupport::ListDir(dir))
    if (name[0] != '.') names.push_back(name);
  return names;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// Names of the elements directly inside <config> (one tab deep), in file order.
std::vector<std::string> TopElements(const std::string& xml) {
  std::vector<std::string> names;
  std::regex tag("^\t<([A-Za-z_]+)[ >]");
  std::istringstream in(xml);
  std::string line;
  std::smatch m;
  while (std::getline(in, line))
    if (std::regex_search(line, m, tag)) names.push_back(m[1]);
  return names;
}

// A settings object with something in every saved list.
void Populate(Config* c) {
  c->SetLogin("alice");
  c->SetNickname("Alice \xc3\xa9 <&>");
  c->SetMood("fine");
  c->SetCity("Lyon");
  c->SetCountry("France");
  c->SetBirth(15, 5, 1990);
  c->SetAutoConnectStatus(false);
  c->SetAlwaysTopStatus(true);
  c->SetVisibleOnStart(false);
  c->SetDefaultStatus(STATUS_AWAY);
  c->SetDefaultSiteStatus(SITE_BLOCKED);
  c->SetFilePort(7001);
  c->SetNoActivityTimer(33);
  c->SetAwayTimer(99);
  c->SetProxyStatus(true);
  c->SetProxyHost("proxy.example.org");
  c->SetProxyPort(3128);
  c->SetRememberClose(true);
  c->SetClose(true);
  c->SetRetryOnFailure(false);
  c->SetGroupMode(1);
  c->SetGroupOffline(0);
  c->SetCoordinates(11, 22, 333, 444);
  c->GetDefaultContactInfo()->SetMessageBell(NOTIFICATION_ON);

  ContactInfo* bob = new ContactInfo("bob", "Bob", "busy", "0.9.8a", STATUS_BUSY, "FR", "Paris", 3, 11, 1980,
                                     "work", "parlavox", true);
  bob->SetGender(GENDER_MAN);
  bob->SetLoginBell(NOTIFICATION_OFF);
  bob->SetMessageVisual(NOTIFICATION_ON);
  ContactInfo* carl = new ContactInfo("carl@jabber.org", "Carl", "", "", STATUS_ONLINE, "", "", 0, 0, 0, "",
                                      "jabber", false);
  c->UpdateContact(bob);
  c->UpdateContact(carl);
  c->AddGroup("work");
  c->AddGroup("family");

  URLInfo* site = new URLInfo("http://www.example.org/", SITE_OPEN, 5, 2, 1, 7.5f, "12", 8, "nice", nullptr);
  site->SetOpenVisualContact(NOTIFICATION_ON);
  site->SetCloseBell(NOTIFICATION_OFF);
  c->AddURLInfo(site);
  c->AddURLInfo(new URLInfo("http://News.Example.COM/", SITE_BLOCKED, 0, 0, 0, kNoGrade, "", kNoUserGrade, "",
                            nullptr));
  c->AddRecommendedSite("http://recommended.example.com/", 3);

  std::map<std::string, std::string> params{{"port", "5222"}, {"server", "jabber.org"}};
  MessengerInfo* account = new MessengerInfo("jabber", "Jabber", "carl", "", false, params);
  account->SetPassword("jabber secret");
  c->AddMessenger(account);
  c->AddMessengerProtocol(new MessengerProtocolInfo("jabber", "Jabber", params));
  c->AddMessengerProtocol(new MessengerProtocolInfo("icq", "ICQ", {}));
  Smiley* wink = new Smiley("wink", ";)", "/home/alice/.parlavox/bob@@wink.png", false);
  wink->AddShortcut(";-)");
  c->AddSmiley(wink);
}

// What a file keeps of a contact, as one text.
std::string Kept(const ContactInfo* p) {
  std::ostringstream s;
  s << p->GetLogin() << '|' << p->GetNickname() << '|' << p->GetMood() << '|' << p->GetCountry() << '|'
    << p->GetCity() << '|' << p->GetBirthDay() << '/' << p->GetBirthMonth() << '/' << p->GetBirthYear() << '|'
    << p->GetGroup() << '|' << p->GetImType() << '|' << p->IsBlocked() << '|' << p->GetGender();
  for (const auto& n : p->GetNotifications()) s << '|' << n.first << '=' << n.second;
  return s.str();
}

// What a file keeps of the settings, contacts included, as one text.
std::string Kept(Config* c) {
  std::ostringstream s;
  s << Kept(c->GetContactInfo()) << '\n' << Kept(c->GetDefaultContactInfo()) << '\n' << testsupport::Hex(c->GetPassword())
    << '|' << c->GetAutoConnectStatus() << c->GetAlwaysTopStatus() << c->IsVisibleOnStart() << c->GetProxyStatus()
    << c->GetRememberClose() << c->GetClose() << c->GetRetryOnFailure() << '|' << c->GetDefaultStatus() << '|'
    << c->GetDefaultSiteStatus() << '|' << c->GetFilePort() << '|' << c->GetNoActivityTimer() << '|'
    << c->GetAwayTimer() << '|' << c->GetProxyHost() << ':' << c->GetProxyPort() << '|' << c->GetGroupMode()
    << c->GetGroupOffline() << '|' << c->GetPositionX() << ',' << c->GetPositionY() << ',' << c->GetWidth() << ','
    << c->GetHeight();
  for (const std::string& g : c->GetGroups()) s << '|' << g;
  for (ContactInfo* p : c->GetContacts()) s << '\n' << Kept(p);
  return s.str();
}

// Each case starts from a new user's settings in a directory of its own, whatever the cases
// before it loaded, changed or left failing.
class ConfigFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartConfigAfresh();
    Config::SetUserPath(m_dir.path());
  }
  void TearDown() override { SetConfigSaveFailureHook(nullptr); }
  std::string SettingsPath() { return m_dir.file(kConfigFileName); }

  TempDir m_dir;
};

}  // namespace

TEST_F(ConfigFileTest, RoundTripKeepsEverythingInFileOrder) {
  Config* c = Config::GetInstance();
  Populate(c);
  // A password whose enciphered form holds bytes that XML text handles badly.
  const std::string awkward("\0\r\n<&>\xff\x01 ]]>", 11);
  c->SetPassword(CryptPassword(awkward));
  ASSERT_TRUE(c->Save());

  std::string xml = ReadFile(SettingsPath());
  struct stat st;
  ASSERT_EQ(0, stat(SettingsPath().c_str(), &st));
  EXPECT_EQ(0600u, st.st_mode & 0777);
  const std::vector<std::string> expected = {
      "ownInfo",  "savePassword", "defaultStatus", "defaultSiteStatus", "filePort", "autoconnect",
      "chatMode", "defaultContact", "contacts", "webSiteInfos", "nextSiteInfoNum", "x", "y", "width", "height",
      "password", "proxyhost", "noActivityTimer", "awayTimer", "alwaysTop", "proxyStatus", "proxyport",
      "rememberClose", "close", "groups", "group_offline", "group_mode", "retryOnFailure", "visibleStart",
      "external_messengers", "smileys", "external_messenger_protocols"};
  EXPECT_EQ(expected, TopElements(xml));
  EXPECT_NE(std::string::npos, xml.find("<config class_id=\"0\" tracking_level=\"0\" version=\"1808\">"));
  EXPECT_NE(std::string::npos, xml.find("<ownInfo class_id=\"1\" tracking_level=\"1\" version=\"960\""));
  EXPECT_TRUE(std::regex_search(xml, std::regex("<item class_id=\"[0-9]+\" tracking_level=\"1\" version=\"960\"[^>]*>\n\t*<url>")));
  EXPECT_TRUE(std::regex_search(xml, std::regex("version=\"1808\"[^>]*>\n\t*<protocol>jabber</protocol>\n\t*<description>Jabber</description>\n\t*<login>carl</login>\n\t*<password>")));
  EXPECT_TRUE(std::regex_search(xml, std::regex("version=\"1808\"[^>]*>\n\t*<name>wink</name>\n\t*<shortcuts>")));
  // A contact's elements in their order, and nothing that is not saved.
  EXPECT_TRUE(std::regex_search(
      xml, std::regex("<login>bob</login>\n\t*<nickname>Bob</nickname>\n\t*<country>FR</country>\n\t*<birthDay>3</birthDay>\n"
                      "\t*<birthMonth>11</birthMonth>\n\t*<birthYear>1980</birthYear>\n\t*<city>Paris</city>\n\t*<notifications>"
                      "[^]*?</notifications>\n\t*<mood>busy</mood>\n\t*<group>work</group>\n\t*<im_type>parlavox</im_type>\n"
                      "\t*<blocked>1</blocked>\n\t*<gender>1</gender>")));
  EXPECT_EQ(std::string::npos, xml.find("recommended.example.com"));
  EXPECT_EQ(std::string::npos, xml.find("jabber secret"));
  EXPECT_EQ(std::string::npos, xml.find("<hostname>"));
  EXPECT_NE(std::string::npos, xml.find("<url>http://news.example.com/</url>"));

  ASSERT_TRUE(Config::Load());
  Config* l = Config::GetInstance();
  ASSERT_NE(c, l);
  // Every value comes back, the awkward password included.
  EXPECT_EQ(Kept(c), Kept(l));
  EXPECT_EQ(awkward, CryptPassword(l->GetPassword()));
  EXPECT_EQ(kProgramVersion, l->GetContactInfo()->GetVersion());
  EXPECT_EQ(0, l->GetNbrRecommendedSites());
  // Every saved contact comes back offline, of no known version.
  ASSERT_EQ(2u, l->GetContacts().size());
  for (ContactInfo* p : l->GetContacts()) {
    EXPECT_EQ(STATUS_OFFLINE, p->GetStatus());
    EXPECT_EQ(STATUS_OFFLINE, p->GetPreviousStatus());
    EXPECT_EQ("", p->GetVersion());
  }

  auto sites = l->GetAllURLInfo();
  ASSERT_EQ(2u, sites.size());
  EXPECT_EQ("http://www.example.org/", sites[0]->GetURL());
  EXPECT_EQ(SITE_OPEN, sites[0]->GetStatus());
  EXPECT_EQ(NOTIFICATION_ON, sites[0]->GetOpenVisualContact());
  EXPECT_EQ(NOTIFICATION_OFF, sites[0]->GetCloseBell());
  EXPECT_FALSE(sites[0]->IsModified());
  EXPECT_EQ(kNoGrade, sites[0]->GetGrade());  // counters and grades are not saved
  EXPECT_EQ(SITE_BLOCKED, sites[1]->GetStatus());

  auto accounts = l->GetMessengers();
  ASSERT_EQ(1u, accounts.size());
  EXPECT_EQ("carl", accounts[0]->GetLogin());
  EXPECT_EQ("jabber secret", accounts[0]->GetPassword());
  EXPECT_FALSE(accounts[0]->GetAutoConnect());
  EXPECT_EQ(MESSENGER_DISCONNECTED, accounts[0]->GetStatus());
  EXPECT_EQ("jabber.org", accounts[0]->GetParameters()["server"]);
  auto protocols = l->GetMessengerProtocols();
  ASSERT_EQ(2u, protocols.size());
  EXPECT_EQ(2u, protocols[0]->GetParameters().size());
  EXPECT_EQ("icq", protocols[1]->GetProtocol());
  auto smileys = l->GetSmileys();
  ASSERT_EQ(1u, smileys.size());
  EXPECT_EQ(";)   ;-)", smileys[0]->GetShortcutsText());
  EXPECT_EQ("/home/alice/.parlavox/bob@@wink.png", smileys[0]->GetFilename());

  // Saving what was loaded writes the same file again.
  ASSERT_TRUE(l->Save());
  EXPECT_EQ(xml, ReadFile(SettingsPath()));
}

TEST_F(ConfigFileTest, PasswordIsLeftOutUnlessSaved) {
  Config* c = Config::GetInstance();
  c->SetPassword("secret");
  c->SetPasswordSaved(false);
  ASSERT_TRUE(c->Save());
  std::string xml = ReadFile(SettingsPath());
  EXPECT_EQ(std::string::npos, xml.find("<password>"));
  ASSERT_TRUE(Config::Load());
  EXPECT_EQ("", Config::GetInstance()->GetPassword());
  EXPECT_FALSE(Config::GetInstance()->IsPasswordSaved());
}

TEST_F(ConfigFileTest, NoFileKeepsDefaultsAnUnreadableOneFails) {
  EXPECT_TRUE(Config::Load());
  EXPECT_EQ(6891, Config::GetInstance()->GetFilePort());
  ASSERT_EQ(0, mkdir(SettingsPath().c_str(), 0700));
  EXPECT_FALSE(Config::Load());
}

// What stands in the settings file's place and is no file of its own is never waited for: a named
// pipe that nobody writes to, and a link to one beside it or outside the folder. Loading fails at
// once, as for a file that cannot be read, with the defaults, and leaves it as it stands; setting
// it aside moves it (a link, not what it leads to), and a save puts a settings file in its place
// without opening it. What lies outside the folder is never changed.
TEST_F(ConfigFileTest, ASettingsFileThatIsAPipeIsRefusedWithoutWaiting) {
  TempDir outside;
  const std::string beside = m_dir.file("pipe"), away = outside.file("pipe");
  ASSERT_EQ(0, mkfifo(beside.c_str(), 0600));
  ASSERT_EQ(0, mkfifo(away.c_str(), 0640));
  const std::string besideBefore = testsupport::DescribeFile(beside), awayBefore = testsupport::DescribeFile(away);
  const std::string backup = m_dir.file(kConfigBackupFileName);
  const struct {
    const char* what;
    std::string linkTo;  // empty: the pipe itself
  } cases[] = {{"a named pipe", ""}, {"a link to a pipe beside it", beside}, {"a link to a pipe outside", away}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string& place = SettingsPath();
    ASSERT_EQ(0, c.linkTo.empty() ? mkfifo(place.c_str(), 0600) : symlink(c.linkTo.c_str(), place.c_str()));
    const std::string placeBefore = testsupport::DescribeFile(SettingsPath());
    Config::GetInstance()->SetFilePort(7001);
    bool loaded = true;
    EXPECT_TRUE(testsupport::EndsWithoutWaitingOn(SettingsPath(), [&] { loaded = Config::Load(); }))
        << "the load waited";
    EXPECT_FALSE(loaded);
    EXPECT_EQ(6891, Config::GetInstance()->GetFilePort());
    EXPECT_EQ(placeBefore, testsupport::DescribeFile(SettingsPath()));

    int error = -1;
    EXPECT_TRUE(Config::BackupSettingsFile(&error)) << strerror(error);
    EXPECT_EQ(placeBefore, testsupport::DescribeFile(backup));
    EXPECT_EQ("none", testsupport::DescribeFile(SettingsPath()));
    ASSERT_EQ(0, rename(backup.c_str(), SettingsPath().c_str()));

    Config::GetInstance()->SetFilePort(7002);
    bool saved = false;
    EXPECT_TRUE(testsupport::EndsWithoutWaitingOn(SettingsPath(), [&] { saved = Config::GetInstance()->Save(); }));
    EXPECT_TRUE(saved);
    EXPECT_TRUE(Config::Load());
    EXPECT_EQ(7002, Config::GetInstance()->GetFilePort());
    EXPECT_EQ(besideBefore, testsupport::DescribeFile(beside));
    EXPECT_EQ(awayBefore, testsupport::DescribeFile(away));
    ASSERT_EQ(0, unlink(SettingsPath().c_str()));
    StartConfigAfresh();
  }
  EXPECT_EQ((std::vector<std::string>{"pipe"}), FilesIn(m_dir.path()));
}

// Files of older versions: what each brings, and the one too old to read, which is left alone
// and does not stop a later good file from loading.
TEST_F(ConfigFileTest, OlderVersionsAreUpgradedOrRefused) {
  const struct {
    const char* fixture;
    const char* groupMode;  // the 1807 file's <groupMode>
    bool loads;
    const char* login;
    int offline, grouped;
    size_t accounts;
  } cases[] = {{"config-1807.xml", "0", true, "alice", 2, 0, 1}, {"config-1807.xml", "1", true, "alice", 1, 0, 1},
               {"config-1807.xml", "2", true, "alice", 2, 1, 1}, {"config-1807.xml", "7", true, "alice", 2, 0, 1},
               {"config-959.xml", "", false, "", 2, 0, 0},       {"config-961.xml", "", true, "carol", 2, 1, 0}};
  for (const auto& k : cases) {
    SCOPED_TRACE(std::string(k.fixture) + " " + k.groupMode);
    const std::string xml = Replace(Fixture(k.fixture), "@GROUPMODE@", k.groupMode);
    ASSERT_TRUE(WriteFile(SettingsPath(), xml));
    EXPECT_EQ(k.loads, Config::Load());
    Config* c = Config::GetInstance();
    EXPECT_EQ(k.login, c->GetContactInfo()->GetLogin());
    EXPECT_EQ(k.offline, c->GetGroupOffline());
    EXPECT_EQ(k.grouped, c->GetGroupMode());
    EXPECT_EQ(k.accounts, c->GetMessengers().size());
    EXPECT_TRUE(c->GetSmileys().empty());
    EXPECT_EQ(xml, ReadFile(SettingsPath()));
  }
  EXPECT_FALSE(Config::GetInstance()->IsPasswordSaved());

  // The 1807 file in full. Its accounts connect by themselves and lose the "prpl-" prefix.
  ASSERT_TRUE(WriteFile(SettingsPath(), Replace(Fixture("config-1807.xml"), "@GROUPMODE@", "0")));
  ASSERT_TRUE(Config::Load());
  Config* c = Config::GetInstance();
  EXPECT_EQ(GENDER_WOMAN, c->GetContactInfo()->GetGender());
  EXPECT_EQ(NOTIFICATION_OFF, c->GetContactInfo()->GetLoginVisual());
  EXPECT_EQ(CryptPassword("x;TJ"), c->GetPassword());
  EXPECT_EQ(STATUS_AWAY, c->GetDefaultStatus());
  EXPECT_FALSE(c->IsVisibleOnStart());
  EXPECT_TRUE(c->GetContacts()[0]->IsBlocked());
  ASSERT_TRUE(c->GetURLInfo("http://WWW.example.org/"));
  MessengerInfo* m = c->GetMessengers()[0];
  EXPECT_TRUE(m->GetAutoConnect());
  EXPECT_EQ("5222", m->GetParameters()["port"]);
  EXPECT_EQ(m, c->GetMessenger("jabber", "alice@jabber.example.org"));
  // Saved again, the file is of the current version.
  ASSERT_TRUE(c->Save());
  std::string xml = ReadFile(SettingsPath());
  EXPECT_NE(std::string::npos, xml.find("version=\"1808\""));
  EXPECT_EQ(std::string::npos, xml.find("groupMode"));
  EXPECT_NE(std::string::npos, xml.find("<group_offline>2</group_offline>"));
}

TEST_F(ConfigFileTest, BadFilesFailLeaveTheFileAndKeepDefaults) {
  // A full file to cut and to spoil.
  Populate(Config::GetInstance());
  ASSERT_TRUE(Config::GetInstance()->Save());
  const std::string good = ReadFile(SettingsPath());
  ASSERT_GT(good.size(), 3000u);

  std::vector<std::pair<std::string, std::string>> bad = {
      {"empty", ""},
      {"not xml", "this is not a settings file\n"},
      {"binary", std::string("\x00\x01\x02\xff\xfe", 5)},
      {"wrong top element", Replace(Replace(good, "<config ", "<settings "), "</config>", "</settings>")},
      {"newer settings", Replace(good, "version=\"1808\">", "version=\"1809\">")},
      {"newer contact", Replace(good, "version=\"960\"", "version=\"961\"")},
      {"newer archive", Replace(good, "archive\" version=\"18\"", "archive\" version=\"99\"")},
      // Library versions past 16 bits, which the library itself would take in without a check.
      {"archive version 65535", Replace(good, "archive\" version=\"18\"", "archive\" version=\"65535\"")},
      {"archive version 65536", Replace(good, "archive\" version=\"18\"", "archive\" version=\"65536\"")},
      {"archive version 4294967296", Replace(good, "archive\" version=\"18\"", "archive\" version=\"4294967296\"")},
      {"archive version without digits", Replace(good, "archive\" version=\"18\"", "archive\" version=\"\"")},
      {"a second header", Replace(good, "<config ", "<boost_serialization signature=\"serialization::archive\" version=\"70000\">\n<config ")},
      {"elements swapped", Replace(good, "<savePassword>1</savePassword>\n\t<defaultStatus>3</defaultStatus>",
                                   "<defaultStatus>3</defaultStatus>\n\t<savePassword>1</savePassword>")},
      {"letters for a number", Replace(good, "<filePort>7001</filePort>", "<filePort>many</filePort>")},
      {"hostile count", Replace(good, "<count>2</count>", "<count>1000000000000</count>")},
      {"largest count", Replace(good, "<count>2</count>", "<count>18446744073709551615</count>")},
      {"unknown class", Replace(good, "<item class_id_reference=\"1\"", "<item class_id_reference=\"77\"")},
  };
  // A site list whose first entry points at the user's own contact record.
  {
    size_t from = good.find("<item", good.find("<webSiteInfos"));
    size_t to = good.find("</item>", from) + 7;
    std::string confused = good;
    confused.replace(from, to - from, "<item class_id_reference=\"1\" object_id_reference=\"_0\"></item>");
    bad.push_back({"record of another class", confused});
  }
  for (size_t cut = 1024; cut < good.size(); cut += 1024)
    bad.push_back({"cut at " + std::to_string(cut), good.substr(0, cut)});

  for (const auto& b : bad) {
    ASSERT_NE(good, b.second) << b.first;
    ASSERT_TRUE(WriteFile(SettingsPath(), b.second));
    EXPECT_FALSE(Config::Load()) << b.first;
    EXPECT_EQ(b.second, ReadFile(SettingsPath())) << b.first;
    Config* fresh = Config::GetInstance();
    EXPECT_EQ("", fresh->GetContactInfo()->GetLogin()) << b.first;
    EXPECT_EQ(6891, fresh->GetFilePort()) << b.first;
    EXPECT_TRUE(fresh->GetContacts().empty()) << b.first;
  }
}

TEST_F(ConfigFileTest, OutOfRangeValuesAreBroughtBack) {
  std::string xml = Replace(Fixture("config-1807.xml"), "@GROUPMODE@", "1");
  xml = Replace(xml, "<defaultStatus>3</defaultStatus>", "<defaultStatus>9</defaultStatus>");
  xml = Replace(xml, "<defaultSiteStatus>1</defaultSiteStatus>", "<defaultSiteStatus>-4</defaultSiteStatus>");
  xml = Replace(xml, "<filePort>7000</filePort>", "<filePort>0</filePort>");
  xml = Replace(xml, "<x>10</x>", "<x>-50</x>");
  xml = Replace(xml, "<width>400</width>", "<width>-3</width>");
  xml = Replace(xml, "<height>700</height>", "<height>5</height>");
  xml = Replace(xml, "<gender>2</gender>", "<gender>7</gender>");
  xml = Replace(xml, "<birthMonth>5</birthMonth>", "<birthMonth>12</birthMonth>");
  xml = Replace(xml, "<status>1</status>", "<status>5</status>");
  xml = Replace(xml, "<url>http://www.example.org/</url>", "<url>HTTP://WWW.Example.ORG/</url>");
  ASSERT_TRUE(WriteFile(SettingsPath(), xml));
  ASSERT_TRUE(Config::Load());
  Config* c = Config::GetInstance();
  EXPECT_EQ(STATUS_ONLINE, c->GetDefaultStatus());
  EXPECT_EQ(SITE_OPEN, c->GetDefaultSiteStatus());
  EXPECT_EQ(6891, c->GetFilePort());
  EXPECT_EQ(0, c->GetPositionX());
  EXPECT_EQ(20, c->GetPositionY());
  EXPECT_EQ(100, c->GetWidth());
  EXPECT_EQ(100, c->GetHeight());
  EXPECT_EQ(GENDER_NONE, c->GetContactInfo()->GetGender());
  EXPECT_EQ(0, c->GetBirthMonth());
  URLInfo* site = c->GetURLInfo("http://www.example.org/");
  ASSERT_TRUE(site);
  EXPECT_EQ("http://www.example.org/", site->GetURL());
  EXPECT_EQ(SITE_DEFAULT, site->GetStatus());
}

// An empty name is no group: one found in a stored file is dropped on loading, and none is added.
TEST_F(ConfigFileTest, AnEmptyGroupIsDroppedAndNeverAdded) {
  const std::string one = "<count>1</count>\n\t\t<item_version>0</item_version>\n\t\t<item>work</item>";
  const std::string xml = Replace(Replace(Fixture("config-1807.xml"), "@GROUPMODE@", "1"), one,
                                  "<count>4</count>\n\t\t<item_version>0</item_version>\n\t\t<item></item>\n"
                                  "\t\t<item>work</item>\n\t\t<item></item>\n\t\t<item>a b</item>");
  ASSERT_NE(std::string::npos, xml.find("<count>4</count>"));
  ASSERT_TRUE(WriteFile(SettingsPath(), xml));
  ASSERT_TRUE(Config::Load());
  Config* c = Config::GetInstance();
  EXPECT_EQ((std::vector<std::string>{"work", "a b"}), c->GetGroups());
  EXPECT_FALSE(c->AddGroup(""));
  EXPECT_FALSE(c->RenameGroup("work", ""));
  EXPECT_TRUE(c->AddGroup("home"));
  ASSERT_TRUE(c->Save());
  EXPECT_EQ(std::string::npos, ReadFile(SettingsPath()).find("<item></item>"));
  ASSERT_TRUE(Config::Load());
  EXPECT_EQ((std::vector<std::string>{"a b", "home", "work"}), Config::GetInstance()->GetGroups());
}

TEST_F(ConfigFileTest, SmileyWithoutShortcutLoads) {
  Config* c = Config::GetInstance();
  Smiley* s = new Smiley();
  s->SetName("blank");
  c->AddSmiley(s);
  ASSERT_TRUE(c->Save());
  ASSERT_TRUE(Config::Load());
  auto smileys = Config::GetInstance()->GetSmileys();
  ASSERT_EQ(1u, smileys.size());
  EXPECT_EQ(0, smileys[0]->GetNbrShortcuts());
  EXPECT_EQ("", smileys[0]->GetShortcut(0));
  EXPECT_EQ("", smileys[0]->GetShortcutsText());
}

TEST_F(ConfigFileTest, FailedSaveLeavesTheOldFileWhole) {
  Config* c = Config::GetInstance();
  c->SetLogin("before");
  ASSERT_TRUE(c->Save());
  const std::string before = ReadFile(SettingsPath());
  c->SetLogin("after");
  for (const char* step : {"write", "sync", "close", "rename"}) {
    SetConfigSaveFailureHook([step](const std::string& s) { return s == step; });
    EXPECT_FALSE(c->Save()) << step;
    EXPECT_EQ(before, ReadFile(SettingsPath())) << step;
    EXPECT_EQ(std::vector<std::string>{kConfigFileName}, testsupport::ListDir(m_dir.path())) << step;
  }
  SetConfigSaveFailureHook(nullptr);
  EXPECT_TRUE(c->Save());
  EXPECT_NE(std::string::npos, ReadFile(SettingsPath()).find("<login>after</login>"));

  // A user directory that does not exist: nothing can be created.
  Config::SetUserPath(m_dir.file("missing/"));
  EXPECT_FALSE(c->Save());
}

// A save killed at any moment leaves either the old or the new file, never a broken one.
TEST_F(ConfigFileTest, SaveKilledAtRandomPointsNeverBreaksTheFile) {
  Config* c = Config::GetInstance();
  for (int i = 0; i < 300; ++i)
    c->UpdateContact(new ContactInfo("user" + std::to_string(i), "User", "", "", STATUS_OFFLINE, "", "", 0, 0, 0,
                                     "", "parlavox", false));
  ASSERT_TRUE(c->Save());
  std::mt19937 rng(1234);
  for (int round = 0; round < 25; ++round) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      // Keep saving different contents until killed.
      for (int n = 0;; ++n) {
        c->SetNickname("round " + std::to_string(n));
        c->Save();
      }
    }
    usleep(1000 + rng() % 40000);
    kill(pid, SIGKILL);
    int status = 0;
    ASSERT_EQ(pid, waitpid(pid, &status, 0));
    ASSERT_TRUE(Config::Load()) << "round " << round;
    EXPECT_EQ(300u, Config::GetInstance()->GetContacts().size());
    c = Config::GetInstance();
  }
}

// Account and protocol records of an older version inside a current file.
TEST_F(ConfigFileTest, OlderAccountRecordsAreUpgraded) {
  Config* c = Config::GetInstance();
  c->AddMessenger(new MessengerInfo("prpl-icq", "ICQ", "123", "", false, {}));
  c->AddMessengerProtocol(new MessengerProtocolInfo("prpl-icq", "ICQ", {}));
  c->AddMessengerProtocol(new MessengerProtocolInfo("prpl-msn", "MSN", {}));
  ASSERT_TRUE(c->Save());
  std::string xml = ReadFile(SettingsPath());
  xml = Replace(xml, "\t\t\t<autoconnect>0</autoconnect>\n", "");
  // Both record classes carry version 1808 on their first item: make them older.
  for (int i = 0; i < 2; ++i) xml = Replace(xml, "tracking_level=\"1\" version=\"1808\"", "tracking_level=\"1\" version=\"962\"");
  ASSERT_TRUE(WriteFile(SettingsPath(), xml));
  ASSERT_TRUE(Config::Load());
  Config* l = Config::GetInstance();
  ASSERT_EQ(1u, l->GetMessengers().size());
  EXPECT_EQ("icq", l->GetMessengers()[0]->GetProtocol());
  EXPECT_TRUE(l->GetMessengers()[0]->GetAutoConnect());
  ASSERT_EQ(2u, l->GetMessengerProtocols().size());
  EXPECT_EQ("icq", l->GetMessengerProtocols()[0]->GetProtocol());
  EXPECT_EQ("msn", l->GetMessengerProtocols()[1]->GetProtocol());

  // In the current version the prefix is part of the id and stays.
  Config::GetInstance()->AddMessengerProtocol(new MessengerProtocolInfo("prpl-x", "X", {}));
  ASSERT_TRUE(Config::GetInstance()->Save());
  ASSERT_TRUE(Config::Load());
  EXPECT_EQ("prpl-x", Config::GetInstance()->GetMessengerProtocols()[2]->GetProtocol());
}

// A file cut anywhere (the header alone, inside a record, inside the closing tags) is refused:
// false, the defaults, the file left as it is, nothing leaked. Only cuts in the blanks after the
// closing tag still load.
TEST_F(ConfigFileTest, EveryCutOfASavedFileIsRefused) {
  Populate(Config::GetInstance());
  ASSERT_TRUE(Config::GetInstance()->Save());
  const std::string good = ReadFile(SettingsPath());
  const std::string closing = "</boost_serialization>";
  const size_t whole = good.rfind(closing) + closing.size();
  start_log("/dev/null");
  // Every cut near both ends, every eleventh between.
  for (size_t cut = 0; cut < good.size(); cut += (cut < 250 || cut + 250 > good.size()) ? 1 : 11) {
    const std::string part = good.substr(0, cut);
    ASSERT_TRUE(WriteFile(SettingsPath(), part));
    ASSERT_EQ(cut >= whole, Config::Load()) << "cut at " << cut;
    if (cut < whole) {
      EXPECT_EQ(part, ReadFile(SettingsPath())) << cut;
      EXPECT_EQ("", Config::GetInstance()->GetContactInfo()->GetLogin()) << cut;
      EXPECT_TRUE(Config::GetInstance()->GetContacts().empty()) << cut;
    }
    FreeReplacedConfigs();
  }
}

// One number changed, an attribute renamed or dropped in the class attributes of a saved file (a
// record pointing at another class, class or object numbers out of sequence, tracking flipped)
// is refused before anything is built from it.
TEST_F(ConfigFileTest, ChangedClassAttributesAreRefused) {
  Populate(Config::GetInstance());
  ASSERT_TRUE(Config::GetInstance()->Save());
  const std::string good = ReadFile(SettingsPath());
  start_log("/dev/null");
  const std::regex attribute("(class_id_reference|class_id|object_id_reference|object_id|tracking_level)=\"(_?)([0-9]+)\"");
  const char* const names[] = {"class_id", "class_id_reference", "object_id", "object_id_reference",
                               "tracking_level", "class_name"};
  int tried = 0;
  for (auto m = std::sregex_iterator(good.begin(), good.end(), attribute); m != std::sregex_iterator(); ++m) {
    const std::string before = good.substr(0, m->position()), after = good.substr(m->position() + m->length());
    const std::string name = (*m)[1], mark = (*m)[2], text = (*m)[3];
    const long value = std::stol(text);
    std::vector<std::string> changed{before + after};
    for (long v : {-1L, 0L, 1L, value - 1, value + 1, 99L, 40000L})
      if (v != value) changed.push_back(before + name + "=\"" + mark + std::to_string(v) + "\"" + after);
    for (const char* other : names)
      if (name != other) changed.push_back(before + other + "=\"" + mark + text + "\"" + after);
    for (const std::string& bad : changed) {
      ASSERT_TRUE(WriteFile(SettingsPath(), bad));
      EXPECT_FALSE(Config::Load()) << name << "=\"" << mark << text << "\" at " << m->position() << ", changed to:\n"
                                   << bad.substr(m->position(), 60);
      FreeReplacedConfigs();
      ++tried;
    }
  }
  EXPECT_GT(tried, 400);
}

// A record listed twice is written once and referred to the second time; it loads as one record.
TEST_F(ConfigFileTest, RecordListedTwiceLoadsAsOneRecord) {
  Config* c = Config::GetInstance();
  Smiley* s = new Smiley("wink", ";)", "w.png", false);
  c->AddSmiley(s);
  c->AddSmiley(s);
  ASSERT_TRUE(c->Save());
  ASSERT_NE(std::string::npos, ReadFile(SettingsPath()).find("object_id_reference"));
  ASSERT_TRUE(Config::Load());
  auto smileys = Config::GetInstance()->GetSmileys();
  ASSERT_EQ(2u, smileys.size());
  EXPECT_EQ(smileys[0], smileys[1]);
  EXPECT_EQ("wink", smileys[1]->GetName());
}

TEST_F(ConfigFileTest, ProxyPortOutsideItsRangeFallsBackToTheDefault) {
  Config* c = Config::GetInstance();
  c->SetProxyPort(3128);
  ASSERT_TRUE(c->Save());
  const std::string good = ReadFile(SettingsPath());
  const struct { const char* text; unsigned short port; } cases[] = {
      {"-1", 8080}, {"0", 8080}, {"65536", 8080}, {"70000", 8080}, {"65535", 65535}, {"1", 1}};
  for (const auto& k : cases) {
    ASSERT_TRUE(WriteFile(SettingsPath(), Replace(good, "<proxyport>3128</proxyport>",
                                                  std::string("<proxyport>") + k.text + "</proxyport>")));
    ASSERT_TRUE(Config::Load()) << k.text;
    EXPECT_EQ(k.port, Config::GetInstance()->GetProxyPort()) << k.text;
  }
}

// A null record is refused on the way in, so that the file saved afterwards still loads.
TEST_F(ConfigFileTest, NullRecordsAreRefused) {
  Config* c = Config::GetInstance();
  c->UpdateContact(nullptr);
  c->AddURLInfo(nullptr);
  c->AddMessenger(nullptr);
  c->AddMessengerProtocol(nullptr);
  c->AddSmiley(nullptr);
  ASSERT_TRUE(c->Save());
  ASSERT_TRUE(Config::Load());
  Config* l = Config::GetInstance();
  EXPECT_EQ(0u, l->GetContacts().size() + l->GetAllURLInfo().size() + l->GetMessengers().size() +
                    l->GetMessengerProtocols().size() + l->GetSmileys().size());
}

// Loading removes the temporary files that killed saves left, but not the file of a save that
// another process is making (locked, however old it looks), a file changed in the last minute
// or a name a save does not make.
TEST_F(ConfigFileTest, StaleSaveFilesAreRemovedButNotALiveSave) {
  auto makeOld = [](const std::string& path) {
    struct timeval old[2] = {{time(nullptr) - 7200, 0}, {time(nullptr) - 7200, 0}};
    return utimes(path.c_str(), old) == 0;
  };
  const std::string stale = SettingsPath() + ".Ab3dE9", fresh = SettingsPath() + ".zz09Zq";
  const std::set<std::string> made = {stale, fresh, SettingsPath() + ".bak", SettingsPath() + ".abcdefg",
                                      SettingsPath() + ".ab-d_f"};
  for (const std::string& f : made) ASSERT_TRUE(WriteFile(f, "part") && (f == fresh || makeOld(f)));

  int ready[2], go[2];
  ASSERT_EQ(0, pipe(ready));
  ASSERT_EQ(0, pipe(go));
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    // The other instance: its save waits once its temporary file is made.
    SetConfigSaveFailureHook([&](const std::string& step) {
      char b = 1;
      if (step == "write" && (write(ready[1], &b, 1) != 1 || read(go[0], &b, 1) != 1)) _exit(2);
      return false;
    });
    Config::GetInstance()->SetLogin("other instance");
    _exit(Config::GetInstance()->Save() ? 0 : 1);
  }
  close(ready[1]);
  close(go[0]);
  char b = 0;
  ASSERT_EQ(1, read(ready[0], &b, 1));
  std::string live;
  for (const std::string& name : FilesIn(m_dir.path()))
    if (!made.count(m_dir.file(name))) live = m_dir.file(name);
  ASSERT_TRUE(makeOld(live));

  EXPECT_TRUE(Config::Load());  // no settings file yet
  for (const std::string& f : made) EXPECT_EQ(f != stale, testsupport::FileExists(f)) << f;
  EXPECT_TRUE(testsupport::FileExists(live));

  ASSERT_EQ(1, write(go[1], &b, 1));
  int status = 0;
  ASSERT_EQ(pid, waitpid(pid, &status, 0));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  ASSERT_TRUE(Config::Load());
  EXPECT_EQ("other instance", Config::GetInstance()->GetContactInfo()->GetLogin());
  EXPECT_FALSE(testsupport::FileExists(live));
}
