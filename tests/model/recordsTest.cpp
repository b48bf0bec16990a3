#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "model/contactEvent.h"
#include "model/contactInfo.h"
#include "model/fileMessage.h"
#include "model/message.h"
#include "model/messengerInfo.h"
#include "model/messengerProtocolInfo.h"
#include "model/smiley.h"
#include "model/urlContactInfo.h"
#include "model/urlInfo.h"

namespace {

template <class Record>
struct KeyAccessors {
  const char* key;
  std::function<t_notification_status(const Record&)> get;
  std::function<void(Record&, t_notification_status)> set;  // empty: no setter of its own
};

#define ACCESSORS(Record, Name, key) \
  { key, [](const Record& r) { return r.Get##Name(); }, [](Record& r, t_notification_status v) { r.Set##Name(v); } }
#define GETTER_ONLY(Record, Name, key) \
  { key, [](const Record& r) { return r.Get##Name(); }, nullptr }

}  // namespace

// Each named accessor reaches its own key, and only that key.
TEST(ContactInfoRecord, NamedNotificationAccessorsUseTheirKeys) {
  const std::vector<KeyAccessors<ContactInfo>> table = {
      ACCESSORS(ContactInfo, LoginVisual, "login-visual"),     ACCESSORS(ContactInfo, LoginBell, "login-bell"),
      ACCESSORS(ContactInfo, LogoutVisual, "logout-visual"),   ACCESSORS(ContactInfo, LogoutBell, "logout-bell"),
      ACCESSORS(ContactInfo, OpenVisual, "open-visual"),       ACCESSORS(ContactInfo, OpenBell, "open-bell"),
      ACCESSORS(ContactInfo, CloseVisual, "close-visual"),     ACCESSORS(ContactInfo, CloseBell, "close-bell"),
      ACCESSORS(ContactInfo, SubscribeVisual, "subscribe-visual"),
      ACCESSORS(ContactInfo, SubscribeBell, "subscribe-bell"),
      ACCESSORS(ContactInfo, UnsubscribeVisual, "unsubscribe-visual"),
      ACCESSORS(ContactInfo, UnsubscribeBell, "unsubscribe-bell"),
      ACCESSORS(ContactInfo, MessageVisual, "message-visual"), ACCESSORS(ContactInfo, MessageBell, "message-bell")};
  for (const auto& a : table) {
    ContactInfo c;
    a.set(c, NOTIFICATION_ON);
    EXPECT_EQ((std::map<std::string, bool>{{a.key, true}}), c.GetNotifications()) << a.key;
    EXPECT_EQ(NOTIFICATION_ON, a.get(c)) << a.key;
    c.SetNotification(a.key, NOTIFICATION_OFF);
    EXPECT_EQ(NOTIFICATION_OFF, a.get(c)) << a.key;
  }
}

TEST(URLInfoRecord, NamedNotificationAccessorsUseTheirKeys) {
  const std::vector<KeyAccessors<URLInfo>> table = {
      ACCESSORS(URLInfo, OpenVisual, "open-visual"),
      ACCESSORS(URLInfo, OpenBell, "open-bell"),
      ACCESSORS(URLInfo, CloseVisual, "close-visual"),
      ACCESSORS(URLInfo, CloseBell, "close-bell"),
      ACCESSORS(URLInfo, SubscribeVisual, "subscribe-visual"),
      ACCESSORS(URLInfo, SubscribeBell, "subscribe-bell"),
      ACCESSORS(URLInfo, UnsubscribeVisual, "unsubscribe-visual"),
      ACCESSORS(URLInfo, UnsubscribeBell, "unsubscribe-bell"),
      ACCESSORS(URLInfo, OpenVisualContact, "open-visual-contact"),
      ACCESSORS(URLInfo, OpenBellContact, "open-bell-contact"),
      ACCESSORS(URLInfo, CloseVisualContact, "close-visual-contact"),
      ACCESSORS(URLInfo, CloseBellContact, "close-bell-contact"),
      ACCESSORS(URLInfo, SubscribeVisualContact, "subscribe-visual-contact"),
      ACCESSORS(URLInfo, SubscribeBellContact, "subscribe-bell-contact"),
      ACCESSORS(URLInfo, UnsubscribeVisualContact, "unsubscribe-visual-contact"),
      ACCESSORS(URLInfo, UnsubscribeBellContact, "unsubscribe-bell-contact"),
      GETTER_ONLY(URLInfo, MessageVisual, "message-visual"),
      GETTER_ONLY(URLInfo, MessageBell, "message-bell"),
      GETTER_ONLY(URLInfo, MessageVisualContact, "message-visual-contact"),
      GETTER_ONLY(URLInfo, MessageBellContact, "message-bell-contact")};
  for (const auto& a : table) {
    URLInfo u("http://x/", SITE_DEFAULT, 0, 0, 0, kNoGrade, "", kNoUserGrade, "", nullptr);
    if (a.set) {
      a.set(u, NOTIFICATION_ON);
      EXPECT_EQ((std::map<std::string, bool>{{a.key, true}}), u.GetNotifications()) << a.key;
      EXPECT_TRUE(u.IsModified()) << a.key;
    } else {
      u.SetNotifications({{a.key, true}});
    }
    EXPECT_EQ(NOTIFICATION_ON, a.get(u)) << a.key;
  }
}

TEST(ContactInfoRecord, NotificationStates) {
  ContactInfo c("bob", "Bob", "", "1.0", STATUS_AWAY, "", "", 0, 0, 0, "", "parlavox", false);
  EXPECT_EQ(NOTIFICATION_NOT_SET, c.GetOpenBell());
  EXPECT_TRUE(c.GetNotifications().empty());  // asking inserts nothing
  c.SetOpenBell(NOTIFICATION_ON);
  c.SetOpenBell(static_cast<t_notification_status>(7));  // not a state: nothing changes
  EXPECT_EQ(NOTIFICATION_ON, c.GetOpenBell());
  c.SetOpenBell(NOTIFICATION_NOT_SET);
  EXPECT_TRUE(c.GetNotifications().empty());
  URLInfo u("http://site/", SITE_DEFAULT, 0, 0, 0, kNoGrade, "", kNoUserGrade, "", nullptr);
  EXPECT_EQ(NOTIFICATION_NOT_SET, u.GetCloseVisualContact());
  EXPECT_FALSE(u.IsModified());
}

TEST(ContactInfoRecord, StatusAgeSubscriptionsAndPrivateRooms) {
  ContactInfo c("bob", "Bob", "mood", "1.0", STATUS_AWAY, "FR", "Paris", 15, 5, 1990, "g", "parlavox", true);
  EXPECT_EQ(STATUS_NONE, c.GetPreviousStatus());
  EXPECT_EQ(GENDER_NONE, c.GetGender());
  c.SetStatus(STATUS_ONLINE);
  EXPECT_EQ(STATUS_AWAY, c.GetPreviousStatus());
  c.SetStatus(STATUS_ONLINE);
  EXPECT_EQ(STATUS_ONLINE, c.GetPreviousStatus());
  const struct { t_status s; bool connected; } table[] = {{STATUS_NONE, false}, {STATUS_OFFLINE, false},
                                                          {STATUS_ONLINE, true}, {STATUS_NO_ACTIVITY, true},
                                                          {STATUS_AWAY, true},   {STATUS_BUSY, true}};
  for (const auto& t : table) {
    c.SetStatus(t.s);
    EXPECT_EQ(t.connected, c.IsConnected()) << t.s;
  }

  // Born 15 June 1990 (months from 0).
  EXPECT_EQ(19, c.GetAgeAt(2010, 5, 14));
  EXPECT_EQ(20, c.GetAgeAt(2010, 5, 15));
  EXPECT_EQ(19, c.GetAgeAt(2010, 4, 30));
  ContactInfo december;
  december.SetBirth(10, 11, 2000);
  for (int day = 1; day <= 30; ++day) EXPECT_EQ(9, december.GetAgeAt(2010, 10, day));
  ContactInfo unknown;
  EXPECT_GE(unknown.GetAge(), 2024);

  c.SubscribeTo("http://a/");
  c.SubscribeTo("http://b/");
  c.SubscribeTo("http://a/");
  EXPECT_EQ((std::vector<std::string>{"http://a/", "http://b/"}), c.GetSubscriptions());
  EXPECT_FALSE(c.IsSubscribedTo("HTTP://A/"));
  c.UnsubscribeFrom("http://zzz/");
  c.UnsubscribeFrom("http://a/");
  EXPECT_EQ(std::vector<std::string>{"http://b/"}, c.GetSubscriptions());

  EXPECT_FALSE(c.HasPrivateChatRoomWith("carl"));
  c.SubscribeTo("prv://parlavox/carl:bob");
  EXPECT_TRUE(c.HasPrivateChatRoomWith("carl"));
  c.ClearSubscriptions();
  c.SubscribeTo("prv://parlavox/bob:dave");
  EXPECT_TRUE(c.HasPrivateChatRoomWith("dave"));
  EXPECT_FALSE(c.HasPrivateChatRoomWith("carl"));
  c.SetImType("jabber");
  EXPECT_FALSE(c.HasPrivateChatRoomWith("dave"));

  ContactInfo room;
  for (const char* login : {"prv://parlavox/a:b", "prv://", "PRV://x", " prv://x", "prv:/x"}) {
    room.SetLogin(login);
    EXPECT_EQ(std::string(login).compare(0, 6, "prv://") == 0, room.IsPrivate()) << login;
  }

  // Copies share nothing.
  c.SetNotification("open-bell", NOTIFICATION_ON);
  ContactInfo copy(c);
  copy.SetNotification("open-bell", NOTIFICATION_OFF);
  copy.SubscribeTo("http://only-copy/");
  EXPECT_EQ(NOTIFICATION_ON, c.GetOpenBell());
  EXPECT_FALSE(c.IsSubscribedTo("http://only-copy/"));
  ContactInfo assigned;
  assigned = copy;
  EXPECT_EQ(copy.GetNotifications(), assigned.GetNotifications());
  EXPECT_EQ(copy.GetSubscriptions(), assigned.GetSubscriptions());
}

TEST(ContactRecords, EventsAndContactUpdatesHoldTheirOwnCopies) {
  ContactEvent e(4, CE_ADD_RECEIVED, "none", "bob", "Bob", "hello");
  e.SetAnswered(true);
  ContactEvent copy(e);
  EXPECT_TRUE(copy.IsAnswered());
  EXPECT_EQ("hello", copy.GetMessage());

  ContactInfo bob("bob", "Bob", "m", "1", STATUS_ONLINE, "FR", "", 0, 0, 0, "work", "parlavox", true);
  bob.SubscribeTo("http://s/");
  URLContactInfo update("http://s/", 3, bob, true, false, true);
  bob.SetNickname("changed");
  bob.UnsubscribeFrom("http://s/");
  EXPECT_EQ("Bob", update.GetNickname());
  EXPECT_TRUE(update.IsSubscribedTo("http://s/"));
}

TEST(URLInfoRecord, NewSiteModifiedFlagAndNormalisation) {
  std::vector<RecommendedSite> recommended{RecommendedSite("http://r1/", 2), RecommendedSite("http://r2/", 1)};
  URLInfo u("http://Site/", SITE_DEFAULT, 0, 0, 0, kNoGrade, "", kNoUserGrade, "", &recommended);
  EXPECT_EQ(99.0f, u.GetGrade());
  EXPECT_EQ(99, u.GetUserGrade());
  EXPECT_EQ("", u.GetUserComment());
  ASSERT_EQ(2u, u.GetRecommendedSites().size());
  EXPECT_EQ("http://r2/", u.GetRecommendedSites()[1].GetURL());
  u.SetRecommendedSites({});
  EXPECT_TRUE(u.GetRecommendedSites().empty());

  u.SetNbrUsers(4);
  u.SetGrade(3.5f);
  u.SetUserComment("x");
  EXPECT_FALSE(u.IsModified());
  u.SetStatus(SITE_DEFAULT);  // unchanged value, still a change by the user
  EXPECT_TRUE(u.IsModified());
  URLInfo copy(u);
  EXPECT_TRUE(copy.IsModified());

  URLInfo v;
  v.SetNotification("open-bell", NOTIFICATION_NOT_SET);
  EXPECT_TRUE(v.IsModified());
  v.SetNotifications({{"open-bell", true}});
  v.SetNotification("open-bell", NOTIFICATION_NOT_SET);
  EXPECT_TRUE(v.GetNotifications().empty());

  EXPECT_EQ("http://www.a-z.com/path?q=abc_09", NormalizeURL("HTTP://WWW.A-Z.com/Path?Q=abc_09"));
  EXPECT_EQ("http://x/\xc3\x89\xff", NormalizeURL("HTTP://X/\xc3\x89\xff"));
}

TEST(MessageRecords, NoticesAndFileNotices) {
  EXPECT_TRUE(Message("http://s/", "the room closes").IsAdminMessage());
  Message line("prv://parlavox/a:b", "a", "A", "hi", 1234, true);
  EXPECT_FALSE(line.IsAdminMessage());
  EXPECT_TRUE(line.IsHistory());

  const long big = 5000000000L;  // over 4 GiB
  FileMessage f("http://s/", "bob", "Bob", "movie.mkv", "12345", "bob@@@12345", "10.0.0.1", 6891, 99, true,
                FM_IN_PROGRESS, big - 1, big, 1.5e6);
  EXPECT_EQ(f.GetText(), f.GetFilename());
  EXPECT_FALSE(f.IsAdminMessage());
  EXPECT_EQ(big, f.GetFileSize());
  EXPECT_EQ(big - 1, f.GetTransferredSize());
}

TEST(MessengerRecords, AccountsCopyTheirProtocolAndKeepPasswordsEnciphered) {
  MessengerProtocolInfo protocol("jabber", "Jabber", {{"port", "5222"}});
  MessengerInfo account(protocol.GetProtocol(), protocol.GetDescription(), "", "", true, protocol.GetParameters());
  EXPECT_EQ("Jabber", account.GetDescription());
  EXPECT_EQ("", account.GetPassword());
  EXPECT_TRUE(account.GetAutoConnect());
  EXPECT_EQ(MESSENGER_DISCONNECTED, account.GetStatus());
  auto params = account.GetParameters();
  params["port"] = "1";
  EXPECT_EQ("5222", account.GetParameters()["port"]);

  account.SetPassword("s\xc3\xa9same\0x");
  EXPECT_EQ("s\xc3\xa9same", account.GetPassword());
  std::string withNul("a\0b", 3);
  account.SetPassword(withNul);
  EXPECT_EQ(withNul, account.GetPassword());
  account.SetPassword("");
  EXPECT_EQ("", account.GetPassword());
  MessengerInfo loaded;
  EXPECT_TRUE(loaded.GetAutoConnect());
}

TEST(SmileyRecord, Shortcuts) {
  Smiley s("happy", ":-)", "/img/happy.png", true);
  s.AddShortcut(":)");
  EXPECT_EQ(2, s.GetNbrShortcuts());
  EXPECT_EQ(":-)   :)", s.GetShortcutsText());
  EXPECT_TRUE(s.HasShortcut(":)"));
  Smiley letters("big", ":d", "/img/big.png", true);
  EXPECT_FALSE(letters.HasShortcut(":D"));
  s.AddShortcut("x");
  s.SetShortcut("");
  EXPECT_EQ(1, s.GetNbrShortcuts());
  EXPECT_EQ("", s.GetShortcut(0));
  Smiley none;
  EXPECT_EQ(0, none.GetNbrShortcuts());
  EXPECT_EQ("", none.GetShortcut(0));
  EXPECT_EQ("", none.GetShortcut(-1));
  EXPECT_EQ("", none.GetShortcutsText());
  EXPECT_FALSE(none.IsDefault());
}
