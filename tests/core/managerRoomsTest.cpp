// Sites, chat rooms, private rooms and smileys through the controller, end to end: the protocol
// test server, the real extension listener asked over HTTP as the browser extension asks it,
// and the events the windows would get.
#include <gtest/gtest.h>
#include <wx/image.h>
#include <wx/mstream.h>

#include "SubscribeStatus.h"
#include "tests/core/roomsTestSupport.h"

using namespace roomstest;

namespace {

const std::string kRoom = "http://news.example/";

S2CPtr OpenOk(const std::string& site, long users) {
  auto ok = NewS2C(S2C_Request_PR_openurlok);
  Fill(&ok->choice.openurlok.site, site);
  Fill(&ok->choice.openurlok.idcomments, "1");
  ok->choice.openurlok.nbrUsers = users;
  return ok;
}

S2CPtr SubAck(const std::string& room, long answer) {
  auto ack = NewS2C(S2C_Request_PR_suburlack);
  Fill(&ack->choice.suburlack.site, room);
  ack->choice.suburlack.answer = answer;
  return ack;
}

S2CPtr Said(const std::string& room, const std::string& login, const std::string& text, bool old = false) {
  auto said = NewS2C(S2C_Request_PR_message);
  Fill(&said->choice.message.site, room);
  Fill(&said->choice.message.login, login);
  Fill(&said->choice.message.message, text);
  if (old) said->choice.message.history = asn1::NewValue<int>(1);
  return said;
}

S2CPtr Typed(const std::string& room, const std::string& login, bool on) {
  auto typed = NewS2C(S2C_Request_PR_keytyped);
  Fill(&typed->choice.keytyped.site, room);
  Fill(&typed->choice.keytyped.login, login);
  typed->choice.keytyped.enabled = asn1::NewValue<int>(on);
  return typed;
}

// A contact's update; site null for none, status -1 for none, subscribed -1 for none.
S2CPtr Update(const std::string& login, const char* site, long status, int subscribed = -1, long users = -1) {
  auto update = NewS2C(S2C_Request_PR_updcontact);
  S2C_UpdateContactAll_t& u = update->choice.updcontact;
  Fill(&u.login, login);
  if (site) u.site = asn1::NewOctetString(site);
  if (status >= 0) u.status = asn1::NewValue<long>(status);
  if (subscribed >= 0) u.hasSubscribed = asn1::NewValue<int>(subscribed);
  if (users >= 0) u.nbrUsers = asn1::NewValue<long>(users);
  return update;
}

S2CPtr Invitation(S2C_Request_PR kind, const std::string& room, const std::string& login, bool yes = false) {
  auto invite = NewS2C(kind);
  if (kind == S2C_Request_PR_invitechatroom) {
    Fill(&invite->choice.invitechatroom.site, room);
    Fill(&invite->choice.invitechatroom.login, login);
  } else {
    Fill(&invite->choice.invitechatroomanswer.site, room);
    Fill(&invite->choice.invitechatroomanswer.login, login);
    invite->choice.invitechatroomanswer.answer = yes;
  }
  return invite;
}

std::string Png() {
  wxMemoryOutputStream out;
  wxImage(4, 4).SaveFile(out, wxBITMAP_TYPE_PNG);
  std::string bytes(out.GetSize(), '\0');
  out.CopyTo(&bytes[0], bytes.size());
  return bytes;
}

}  // namespace

TEST(ManagerSites, ThePagesOfTheBrowser) {
  Session s;
  ASSERT_TRUE(s.link);
  // A page of a new site: the server is asked for its room, and its count of users reaches the
  // waiting extension (the user not counted).
  s.manager->SetSiteStatus("http://mine.example/", SITE_OPEN);
  for (const char* site : {kRoom.c_str(), "http://mine.example/"}) {
    auto page = Browse(site);
    C2SPtr open = s.Got(C2S_Request_PR_openurl);
    ASSERT_TRUE(open);
    EXPECT_EQ(site, Text(open->choice.openurl.site));
    s.Send(OpenOk(site, 5));
    EXPECT_EQ("4", s.Answer(std::move(page)));
  }
  // The default blocked: the room following it closes, the extension hears it; open again: it
  // reopens, and the room open all along is not asked for twice.
  s.manager->SetDefaultSiteStatus(SITE_BLOCKED);
  EXPECT_TRUE(s.Got(C2S_Request_PR_closeurl));
  EXPECT_EQ("-11", s.Answer(Browse("ASK:" + kRoom)));
  s.manager->SetDefaultSiteStatus(SITE_OPEN);
  ASSERT_TRUE(s.Got(C2S_Request_PR_openurl));
  EXPECT_TRUE(s.Quiet());
  s.Send(OpenOk(kRoom, 3));
  // Refused by the server, blocked here, local: answered -10, -11, -12; the server hears only of
  // the first.
  auto page = Browse("http://refused.example/");
  ASSERT_TRUE(s.Got(C2S_Request_PR_openurl));
  auto refusal = NewS2C(S2C_Request_PR_openurlfail);
  Fill(&refusal->choice.openurlfail.site, "http://refused.example/");
  s.Send(refusal);
  EXPECT_EQ("-10", s.Answer(std::move(page)));
  s.manager->SetSiteStatus("http://blocked.example/", SITE_BLOCKED);
  EXPECT_EQ("-11", s.Answer(Browse("http://blocked.example/")));
  EXPECT_EQ("-12", s.Answer(Browse("http://127.0.0.1:8080/")));
  EXPECT_TRUE(s.Quiet());
  // Closed by the browser, then by the user: the room closes once.
  s.Answer(Browse("CLOSE:" + kRoom));
  EXPECT_TRUE(s.Got(C2S_Request_PR_closeurl));
  s.manager->CloseChatRoom(kRoom);
  EXPECT_TRUE(s.Quiet());
  EXPECT_EQ((std::vector<std::string>{"1011 site " + kRoom, "1011 site http://mine.example/", "0 " + kRoom,
                                      "1011 site " + kRoom, "1012 http://refused.example/", "0 " + kRoom}),
            s.Lines());

  // A room of an ended session is not closed in the next one: the page closed while offline and
  // following the default again, blocking the default asks nothing of the new server session.
  s.manager->Disconnect(false, true);
  s.Answer(Browse("CLOSE:http://mine.example/"));
  s.manager->SetSiteStatus("http://mine.example/", SITE_DEFAULT);
  s.link = s.LogIn(*s.server);
  ASSERT_TRUE(s.link);
  s.Await(*s.link, C2S_Request_PR_askmessengerprotocols, true);
  s.manager->SetDefaultSiteStatus(SITE_BLOCKED);
  EXPECT_TRUE(s.Quiet());

  // A page's own status changed while the browser shows it, with each default: what the server
  // is asked, and the extension told -11 when the room closes.
  struct Row {
    t_site_status byDefault, from, to;
    C2S_Request_PR asked;
  } rows[] = {{SITE_OPEN, SITE_DEFAULT, SITE_BLOCKED, C2S_Request_PR_closeurl},
              {SITE_BLOCKED, SITE_DEFAULT, SITE_OPEN, C2S_Request_PR_openurl},
              {SITE_OPEN, SITE_BLOCKED, SITE_DEFAULT, C2S_Request_PR_openurl},
              {SITE_BLOCKED, SITE_BLOCKED, SITE_OPEN, C2S_Request_PR_openurl},
              {SITE_BLOCKED, SITE_OPEN, SITE_DEFAULT, C2S_Request_PR_closeurl},
              {SITE_OPEN, SITE_OPEN, SITE_BLOCKED, C2S_Request_PR_closeurl},
              {SITE_OPEN, SITE_OPEN, SITE_DEFAULT, C2S_Request_PR_NOTHING},
              {SITE_BLOCKED, SITE_DEFAULT, SITE_BLOCKED, C2S_Request_PR_NOTHING},
              {SITE_OPEN, SITE_BLOCKED, SITE_BLOCKED, C2S_Request_PR_NOTHING}};
  int n = 0;
  for (const Row& r : rows) {
    std::string url = "http://site" + std::to_string(++n) + ".example/";
    Config::GetInstance()->SetDefaultSiteStatus(r.byDefault);
    s.manager->GetURLInfo(url)->SetStatus(r.from);
    page = Browse(url);
    if (r.from == SITE_OPEN || (r.from == SITE_DEFAULT && r.byDefault == SITE_OPEN)) {
      ASSERT_TRUE(s.Got(C2S_Request_PR_openurl)) << n;
      s.Send(OpenOk(url, 1));
    }
    s.Answer(std::move(page));
    EXPECT_EQ(r.to, s.manager->SetSiteStatus(url, r.to));
    if (r.asked != C2S_Request_PR_NOTHING) { EXPECT_TRUE(s.Got(r.asked)) << n; }
    EXPECT_TRUE(s.Quiet()) << n;
    if (r.asked == C2S_Request_PR_closeurl) { EXPECT_EQ("-11", s.Answer(Browse("ASK:" + url))) << n; }
  }
}

TEST(ManagerRooms, MessagesWithSmileysAndTyping) {
  Session s;
  ASSERT_TRUE(s.link);
  S2CPtr bob = Update("bob", "none", STATUS_ONLINE);
  bob->choice.updcontact.nickname = asn1::NewOctetString("Bob");
  s.Send(bob);
  s.manager->SubscribeChatRoom(kRoom);
  ASSERT_TRUE(s.Got(C2S_Request_PR_suburl));
  s.Send(SubAck(kRoom, SubscribeStatus_subscribed));
  EXPECT_EQ((std::vector<std::string>{"1017 member none bob 0 n1l0f0", "1013 [" + kRoom + "]"}), s.Lines());

  // Alice's own smiley, used twice, goes before the message each time; a built-in one does not.
  wxImage(4, 4).SaveFile(s.dir.file("cat.png"), wxBITMAP_TYPE_PNG);
  Smiley* cat = s.manager->AddSmiley(new Smiley("cat", ":cat:", s.dir.file("cat.png"), false));
  ASSERT_TRUE(s.manager->SendMessage(kRoom, ":cat: hi :) :cat:"));
  for (int i = 0; i < 2; ++i) {
    C2SPtr smiley = s.Got(C2S_Request_PR_addsmiley);
    ASSERT_TRUE(smiley);
    EXPECT_EQ(":cat:", Text(smiley->choice.addsmiley.codesmiley));
    EXPECT_EQ(kRoom, Text(smiley->choice.addsmiley.site));
  }
  C2SPtr said = s.Got(C2S_Request_PR_sendmessage);
  ASSERT_TRUE(said);
  EXPECT_EQ(":cat: hi :) :cat:", Text(said->choice.sendmessage.message));
  // 513 characters, or broken UTF-8: refused before anything goes out, and never shown as said.
  EXPECT_FALSE(s.manager->SendMessage(kRoom, std::string(513, 'x')));
  EXPECT_FALSE(s.manager->SendMessage(kRoom, ":cat: \xC3("));
  EXPECT_TRUE(s.Quiet());
  std::string wide;
  for (int i = 0; i < 512; ++i) wide += "\xC3\xA9";
  EXPECT_TRUE(s.manager->SendMessage(kRoom, wide));
  EXPECT_TRUE(s.Got(C2S_Request_PR_sendmessage));

  // Bob's words, one from the room's history, and his typing; then Alice's typing.
  s.Send(Said(kRoom, "bob", "earlier", true));
  s.Send(Typed(kRoom, "bob", true));
  s.Send(Typed(kRoom, "bob", false));
  for (bool on : {true, false}) {
    s.manager->KeyTyped(kRoom, on);
    C2SPtr typed = s.Got(C2S_Request_PR_keytyped);
    ASSERT_TRUE(typed && typed->choice.keytyped.enabled);
    EXPECT_EQ(on, *typed->choice.keytyped.enabled != 0);
  }
  // Her smiley removed: withdrawn in the room she is in.
  s.manager->RemoveSmiley(cat);
  C2SPtr withdrawn = s.Got(C2S_Request_PR_delsmiley);
  ASSERT_TRUE(withdrawn);
  EXPECT_EQ(":cat:", Text(withdrawn->choice.delsmiley.codesmiley));
  delete cat;
  EXPECT_EQ((std::vector<std::string>{"0 message alice :cat: hi :) :cat:", "0 message alice " + wide,
                                      "0 message bob earlier (old)", "0 [" + kRoom + "] [bob] [Bob] [1]",
                                      "0 [" + kRoom + "] [bob] [Bob] []"}),
            s.Lines());
}

TEST(ManagerRooms, APrivateRoomAndItsInvitations) {
  Session s;
  ASSERT_TRUE(s.link);
  s.Send(Update("bob", "none", STATUS_ONLINE));
  s.Lines();
  // The room with Bob has the same name on both sides: the smaller login first.
  bool existed = true;
  const std::string room = s.manager->CreateVirtualChatRoom("bob", &existed);
  EXPECT_EQ("prv://parlavox/alice:bob", room);
  EXPECT_FALSE(existed);
  EXPECT_TRUE(s.Got(C2S_Request_PR_suburl));
  EXPECT_EQ("", s.manager->CreateVirtualChatRoom("zed", &existed));  // not online
  s.Send(SubAck(room, SubscribeStatus_subscribed));
  s.Send(Said(room, "bob", "hello"));
  // Carol invited: the server makes a room for the three.
  EXPECT_TRUE(s.manager->InviteContactInChatRoom(room, "carol"));
  C2SPtr invite = s.Got(C2S_Request_PR_invitechatroom);
  ASSERT_TRUE(invite);
  EXPECT_FALSE(invite->choice.invitechatroom.site);
  ASSERT_EQ(2, invite->choice.invitechatroom.logins.list.count);
  EXPECT_EQ("bob", Text(*invite->choice.invitechatroom.logins.list.array[1]));
  // Carol accepts (the room's members are shown to her), Dave refuses.
  s.Send(Invitation(S2C_Request_PR_invitechatroomanswer, room, "carol", true));
  s.Send(Invitation(S2C_Request_PR_invitechatroomanswer, room, "dave", false));
  // Two invitations for Alice.
  s.Send(Invitation(S2C_Request_PR_invitechatroom, "prv://parlavox/g1/x", "bob"));
  s.Send(Invitation(S2C_Request_PR_invitechatroom, "prv://parlavox/g2/y", "bob"));
  EXPECT_EQ((std::vector<std::string>{"1013 member " + room + " bob 2 n0l0f1", "0 message bob hello",
                                      "1017 member " + room + " bob 0 n1l0f0", "0 event 4 " + room + " carol",
                                      "0 event 5 " + room + " dave", "0 event 8 prv://parlavox/g1/x bob",
                                      "0 event 8 prv://parlavox/g2/y bob"}),
            s.Lines());
  // She accepts the first and refuses the second; an invitation never received is not answered.
  ASSERT_EQ(4u, s.events.requests.size());
  for (int i : {2, 3}) {
    ASSERT_TRUE(s.manager->InviteContactInChatRoomAck(s.events.requests[i]->GetId(), i == 2, "m"));
    C2SPtr answer = s.Got(C2S_Request_PR_invitechatroomanswer);
    ASSERT_TRUE(answer);
    EXPECT_EQ(s.events.requests[i]->GetURL(), Text(answer->choice.invitechatroomanswer.site));
    EXPECT_EQ(i == 2, answer->choice.invitechatroomanswer.status != 0);
  }
  EXPECT_FALSE(s.manager->InviteContactInChatRoomAck(s.events.requests[0]->GetId(), true, ""));
  EXPECT_FALSE(s.manager->InviteContactInChatRoomAck(999, true, ""));
  EXPECT_TRUE(s.Quiet());
  // Alice leaves the room: Bob's typing there is shown no more.
  s.manager->UnsubscribeChatRoom(room);
  EXPECT_TRUE(s.Got(C2S_Request_PR_unsuburl));
  s.Send(Typed(room, "bob", true));
  EXPECT_TRUE(s.Lines().empty());
}

// Updates of members, of the user and of contacts, one per row, with the events they give.
TEST(ManagerRooms, UpdatesOfMembersAndContactsAsRows) {
  Session s;
  ASSERT_TRUE(s.link);
  struct Row {
    const char* login;
    const char* site;
    long status;
    int subscribed;
    long users;
    const char* line;  // null: nothing posted
  } rows[] = {
      {"alice", nullptr, STATUS_BUSY, -1, -1, "1017 member none alice 0 n0l0f0"},
      {"bob", kRoom.c_str(), STATUS_ONLINE, 1, 7, "1017 member http://news.example/ bob 7 n1l0f0"},
      {"bob", kRoom.c_str(), STATUS_OFFLINE, -1, 6, "1017 member http://news.example/ bob 6 n1l1f0"},
      {"bob", kRoom.c_str(), 9, 0, 5, "1017 member http://news.example/ bob 5 n1l0f0"},
      {"carol", nullptr, STATUS_ONLINE, -1, -1, nullptr},  // no room, and not a saved contact
      {"dave", "none", 9, -1, -1, nullptr},                // a status this client does not know
  };
  std::vector<size_t> members;
  for (const Row& r : rows) {
    s.Send(Update(r.login, r.site, r.status, r.subscribed, r.users));
    std::vector<std::string> lines = s.Lines();
    EXPECT_EQ(r.line ? std::vector<std::string>{r.line} : std::vector<std::string>(), lines) << r.login;
    members.push_back(s.manager->GetSubscribedContacts(kRoom).size());
    if (r.users == 7) { EXPECT_EQ("6", s.Answer(Browse("ASK:" + kRoom))); }
  }
  EXPECT_EQ((std::vector<size_t>{0, 1, 1, 0, 0, 0}), members);
  EXPECT_EQ(STATUS_BUSY, s.manager->GetOwnContactInfo()->GetStatus());
  EXPECT_EQ(STATUS_ONLINE, s.manager->GetContactInfo("bob")->GetStatus());
  // A subscription answer this client does not know is a failure.
  s.Send(SubAck(kRoom, 7));
  EXPECT_EQ((std::vector<std::string>{"1014 [" + kRoom + "]"}), s.Lines());
}

TEST(ManagerRooms, NamesAndSmileysAsRows) {
  ManagerSetUp s;
  Config::GetInstance()->SetLogin("bob");
  EXPECT_EQ("prv://parlavox/alice:bob", s.manager->GetPrivateChatRoomNameWith("alice"));
  EXPECT_EQ("prv://parlavox/bob:carl", s.manager->GetPrivateChatRoomNameWith("carl"));
  struct Name {
    const char* name;
    const char* other;
    bool multiple;
    const char* shown;
  } names[] = {{"prv://parlavox/alice:bob", "alice", false, "<alice>"},
               {"prv://parlavox/carl:dan", "", false, "parlavox/carl:dan"},
               {"prv://parlavox/g7/x", "", true, "Private chatroom #1"},
               {"prv://parlavox/g8/y", "", true, "Private chatroom #2"},
               {"prv://parlavox/g7/x", "", true, "Private chatroom #1"},
               {"https://www.example.org/a", "", false, "www.example.org/a"}};
  for (const Name& n : names) {
    EXPECT_EQ(n.other, s.manager->IsPrivateChatRoom(n.name)) << n.name;
    EXPECT_EQ(n.multiple, s.manager->IsMultiplePrivateChatRoom(n.name)) << n.name;
    EXPECT_EQ(n.shown, s.manager->GetChatRoomName(n.name)) << n.name;
  }

  // Bob's own smileys: one longer than a built-in, one whose shortcut a damaged file left empty.
  Smiley* big = s.manager->AddSmiley(new Smiley("big", ":)))", "big.png", false));
  s.manager->AddSmiley(new Smiley("void", "", "void.png", false));
  struct Find {
    const char* text;
    unsigned position;
    const char* smiley;  // null: none
    unsigned shortcut;
  } finds[] = {{"no smiley", 9, nullptr, 0},    {"a :) b", 2, "happy", 1},      {"a:) b", 5, nullptr, 0},
               {":-) x", 0, "happy", 0},        {"x :))) y", 2, "big", 0},      {"\xC3\xA9:)", 4, nullptr, 0},
               {"\xA0:) ;)", 4, "wink", 1},     {"(h) :'(", 0, "cool", 0}};
  for (const Find& f : finds) {
    unsigned position = 99, shortcut = 99;
    Smiley* found = s.manager->FindFirstSmiley(f.text, "bob", &position, &shortcut);
    EXPECT_EQ(f.position, position) << f.text;
    EXPECT_EQ(f.smiley ? f.smiley : "", found ? found->GetName() : "") << f.text;
    if (found) { EXPECT_EQ(f.shortcut, shortcut) << f.text; }
  }
  EXPECT_TRUE(s.manager->IsSmileyShortcutUsed(":)", big));
  EXPECT_FALSE(s.manager->IsSmileyShortcutUsed(":)))", big));

  // Carl's smileys from the server: a code sent again replaces its image, an unsafe code stays
  // inside the user directory, an image that is none is refused, a code unknown is not removed.
  std::string png = Png();
  auto bytes = reinterpret_cast<const unsigned char*>(png.data());
  for (const char* code : {":x:", "../up", ":x:"})
    s.manager->ReceiveAddSmiley("carl", code, TypeImage_png, bytes, static_cast<long>(png.size()));
  s.manager->ReceiveAddSmiley("carl", ":y:", TypeImage_png, bytes, 3);
  s.manager->ReceiveDelSmiley("carl", ":nope:");
  std::vector<Smiley*> carl = s.manager->GetSmileys("carl");
  ASSERT_EQ(10u, carl.size());
  EXPECT_EQ("../up", carl[8]->GetName());
  EXPECT_EQ(":x:", carl[9]->GetName());
  EXPECT_EQ(std::string::npos, carl[8]->GetFilename().find("/../"));
  EXPECT_EQ(0u, carl[8]->GetFilename().find(Config::GetUserPath()));
  s.manager->ReceiveDelSmiley("carl", ":x:");
  EXPECT_EQ(9u, s.manager->GetSmileys("carl").size());
}
