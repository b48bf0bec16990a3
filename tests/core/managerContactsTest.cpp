// Contacts, contact requests, groups, the own profile, avatars and accounts on other networks,
// through the controller logged in to the protocol test server: what each request of the server
// does to the tables and posts, what each operation of the windows sends, and what hostile
// values from the server are kept from doing.
#include <gtest/gtest.h>
#include <wx/image.h>
#include <wx/mstream.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <regex>
#include <sstream>

#include "asn1/octetString.h"
#include "asn_SEQUENCE_OF.h"
#include "model/imImage.h"
#include "model/log.h"
#include "model/strangerAvatars.h"
#include "tests/core/managerTestSupport.h"
#include "tests/support/pixels.h"

using namespace managertest;
using testserver::Text;
using Choice = S2C_Request_t::S2C_Request_u;
using Lines = std::vector<std::string>;

namespace {

// Each event the windows would get, written as one line while its payload is alive.
class EventLines : public wxEvtHandler {
 public:
  EventLines() {
    for (auto type : {&wxEVT_RECEIVE_CONTACT_EVENT, &wxEVT_RECEIVE_DEL_CONTACT, &wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT,
                      &wxEVT_RECEIVE_UPDATE_AVATAR, &wxEVT_RECEIVE_MESSENGER_INFO})
      Bind(*type, &EventLines::OnEvent, this, Manager::GetEventId());
  }
  void OnEvent(wxCommandEvent& event) {
    std::ostringstream line;
    wxObject* object = event.GetEventObject();
    if (auto* request = dynamic_cast<ContactEvent*>(object)) {
      line << (event.GetEventType() == wxEVT_RECEIVE_DEL_CONTACT ? "removal " : "request ") << request->GetType()
           << " #" << request->GetId() << " " << request->GetLogin() << " " << request->GetNickname() << " ["
           << request->GetMessage() << "]";
      if (request->GetId() >= 0) kept.push_back(request);
    } else if (auto* update = dynamic_cast<URLContactInfo*>(object)) {
      line << "update " << update->GetLogin() << " " << update->GetStatus();
    } else if (auto* account = dynamic_cast<MessengerInfo*>(object)) {
      line << "account " << account->GetProtocol() << " " << account->GetLogin() << " " << account->GetStatus();
    } else {
      line << "avatar " << event.GetString();
    }
    lines.push_back(line.str());
  }
  Lines lines;
  std::vector<ContactEvent*> kept;
};

// A client request as one line, with the fields the tests compare.
std::string Describe(const C2S_Request_t& r) {
  const auto& c = r.choice;
  switch (r.present) {
    case C2S_Request_PR_addcontact:
      return "addcontact " + Text(c.addcontact.login) + " [" + Text(c.addcontact.message) + "]";
    case C2S_Request_PR_addcontactanswer:
      return "addcontactanswer " + Text(c.addcontactanswer.login) + " " + std::to_string(c.addcontactanswer.answer) +
             " [" + Text(c.addcontactanswer.message) + "]";
    case C2S_Request_PR_checkcontact:
      return c.checkcontact.loginOrEmail.present == LoginOrEmail_PR_email
                 ? "checkcontact email " + Text(c.checkcontact.loginOrEmail.choice.email)
                 : "checkcontact login " + Text(c.checkcontact.loginOrEmail.choice.login);
    case C2S_Request_PR_delcontact:
      return "delcontact " + Text(c.delcontact.login) + " [" + Text(c.delcontact.message) + "]";
    case C2S_Request_PR_blockcontact:
      return "blockcontact " + Text(c.blockcontact.login);
    case C2S_Request_PR_unblockcontact:
      return "unblockcontact " + Text(c.unblockcontact.login);
    case C2S_Request_PR_contactgroup:
      return "contactgroup " + Text(c.contactgroup.login) + " [" + Text(c.contactgroup.group) + "]";
    case C2S_Request_PR_askavatar:
      return "askavatar " + Text(c.askavatar.login);
    case C2S_Request_PR_newavatar:
      return "newavatar " + std::to_string(c.newavatar.avatar.type) + " " +
             std::to_string(c.newavatar.avatar.content.size) + " " + std::to_string(c.newavatar.smallavatar.type) +
             " " + std::to_string(c.newavatar.smallavatar.content.size);
    case C2S_Request_PR_connectmessenger: {
      const auto& m = c.connectmessenger;
      std::string line = "connectmessenger " + Text(m.protocol) + " " + Text(m.login) + " " + Text(m.password) + " " +
                         Text(m.nickname) + " " + std::to_string(m.status);
      for (int i = 0; i < m.parameters.list.count; ++i)
        line += " " + Text(m.parameters.list.array[i]->key) + "=" + Text(m.parameters.list.array[i]->value);
      return line;
    }
    case C2S_Request_PR_disconnectmessenger:
      return "disconnectmessenger " + Text(c.disconnectmessenger.protocol) + " " + Text(c.disconnectmessenger.login);
    default:
      return "request " + std::to_string(r.present);
  }
}

std::string Png(int w, int h, unsigned char red, unsigned char green, unsigned char blue,
                wxBitmapType type = wxBITMAP_TYPE_PNG) {
  wxImage image(w, h);
  image.SetRGB(wxRect(0, 0, w, h), red, green, blue);
  wxMemoryOutputStream out;
  image.SaveFile(out, type);
  std::string bytes(out.GetLength(), '\0');
  out.CopyTo(&bytes[0], bytes.size());
  return bytes;
}

// A PNG whose header claims 60,000 by 60,000 pixels.
std::string HugePng() {
  std::string bytes("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
  const unsigned char size[] = {0, 0, 0xea, 0x60, 0, 0, 0xea, 0x60, 8, 6, 0, 0, 0, 0, 0, 0, 0};
  return bytes + std::string(reinterpret_cast<const char*>(size), sizeof size) + std::string(64, '\0');
}

Image_t* NewImage(const std::string& bytes) {
  Image_t* image = asn1::Allocate<Image_t>();
  image->type = TypeImage_png;
  Fill(&image->content, bytes);
  return image;
}

// An update of the contact list: the login with the fields given.
struct Update {
  std::string login;
  const char* site = "none";
  long status = -1;
  const char* nickname = nullptr;
  const char* group = nullptr;
  int hasSubscribed = -1;
  std::string smallAvatar, avatar;
};

void FillUpdate(Choice& c, const Update& u) {
  auto& m = c.updcontact;
  Fill(&m.login, u.login);
  if (u.site) m.site = asn1::NewOctetString(u.site);
  if (u.status >= 0) m.status = asn1::NewValue<long>(u.status);
  if (u.nickname) m.nickname = asn1::NewOctetString(u.nickname);
  if (u.group) m.group = asn1::NewOctetString(u.group);
  if (u.hasSubscribed >= 0) m.hasSubscribed = asn1::NewValue<BOOLEAN_t>(u.hasSubscribed);
  if (!u.smallAvatar.empty()) m.smallavatar = NewImage(u.smallAvatar);
  if (!u.avatar.empty()) m.avatar = NewImage(u.avatar);
}

void AddProtocol(Choice& c, const std::string& id, const std::vector<std::pair<std::string, std::string>>& parameters,
                 const std::string* icon) {
  MessengerProtocol_t* p = asn1::Allocate<MessengerProtocol_t>();
  Fill(&p->protocol, id);
  Fill(&p->description, "The " + id + " network");
  for (const auto& kv : parameters) {
    auto* parameter = asn1::Allocate<MessengerProtocolParameter_t>();
    Fill(&parameter->key, kv.first);
    Fill(&parameter->value, kv.second);
    ASN_SEQUENCE_ADD(&p->parameters.list, parameter);
  }
  if (icon) p->icon = asn1::NewOctetString(*icon);
  ASN_SEQUENCE_ADD(&c.availablemessengerprotocols.protocols.list, p);
}

// Each session starts from settings without contacts, groups, accounts or protocols: the
// settings object is the process's, and the last session's Manager is gone.
struct FreshSettings {
  FreshSettings() {
    Config* config = Config::GetInstance();
    for (ContactInfo* contact : config->GetContacts()) delete contact;
    config->ClearContacts();
    for (const std::string& group : config->GetGroups()) config->RemoveGroup(group);
    for (MessengerInfo* account : config->GetMessengers()) {
      config->RemoveMessenger(account);
      delete account;
    }
    for (MessengerProtocolInfo* protocol : config->GetMessengerProtocols()) delete protocol;
    config->ClearMessengerProtocols();
  }
};

// Alice logged in to the test server, what she sends at log-in read already.
struct Session : FreshSettings, ManagerSetUp {
  explicit Session(bool logIn = true) {
    Config::GetInstance()->SetNickname("Alice");
    manager->SetNextHandler(&events);
    if (!logIn) return;
    link = LogIn(*server);
    if (link) Await(*link, C2S_Request_PR_clientinfo, true);
    Pump();
    events.lines.clear();
  }
  ~Session() { manager.reset(); }  // before the handler it posts to
  // The server sends a request of the kind, filled by fill.
  void Send(S2C_Request_PR kind, const std::function<void(Choice&)>& fill) {
    auto request = NewS2C(kind);
    fill(request->choice);
    link->Send(*request);
  }
  // A request handed to the controller as the connection thread hands it over, unchecked: by
  // the current link's port.
  void Inject(S2C_Request_PR kind, const std::function<void(Choice&)>& fill) {
    auto request = NewS2C(kind);
    fill(request->choice);
    std::shared_ptr<StateMachine> port = manager->CurrentLinkPort();
    ASSERT_TRUE(port);
    port->ProcessRequest(*request);
    Pump();
  }
  // What the server got until the answer to a heart-beat, once all it sent before is handled.
  Lines Sent() {
    Lines sent;
    Beat(*link, "K1");
    for (auto got = Next(*link); got; got = Next(*link)) {
      if (got->request->present == C2S_Request_PR_heartbeatack) break;
      sent.push_back(Describe(*got->request));
    }
    Pump();
    return sent;
  }
  Lines Posted() {
    Lines posted;
    posted.swap(events.lines);
    return posted;
  }
  // A saved contact, as the server adds one: a contact-list update.
  void Saved(const std::string& login, const char* nickname, const char* group = nullptr) {
    Update u;
    u.login = login;
    u.status = STATUS_ONLINE;
    u.nickname = nickname;
    u.group = group;
    Send(S2C_Request_PR_updcontact, [&](Choice& c) { FillUpdate(c, u); });
    Sent();
    Posted();
  }
  MessengerInfo* Account(const std::string& protocol, const std::string& login, int status) {
    auto* account = new MessengerInfo(protocol, "", login, "", false, {});
    account->SetStatus(status);
    manager->AddMessenger(account);
    return account;
  }
  std::shared_ptr<TestConnection> link;
  EventLines events;
};

void AddAsk(Choice& c, const std::string& login) {
  Fill(&c.addcontactask.login, login);
  Fill(&c.addcontactask.nickname, "Nick");
  Fill(&c.addcontactask.message, "hi");
}

// ---- Every server request of contacts and accounts, in each state

struct Row {
  const char* name;
  S2C_Request_PR kind;
  std::function<void(Session&)> before;  // run while connected only
  std::function<void(Choice&)> fill;
  Lines posted;  // while connected
  std::function<void(Session&)> check;
};

std::vector<Row> ServerRows() {
  auto none = [](Session&) {};
  return {
      {"add request", S2C_Request_PR_addcontactask, none, [](Choice& c) { AddAsk(c, "bob"); },
       {"request 3 #0 bob Nick [hi]"}, [](Session& s) { EXPECT_EQ(CE_ADD_RECEIVED, s.manager->GetContactEvent(0)->GetType()); }},
      {"answer to the lower of two requests", S2C_Request_PR_addcontactanswer,
       [](Session& s) {
         s.manager->SendAddContact("bob", "one");
         s.manager->SendAddContact("bob", "two");
         s.Sent();
       },
       [](Choice& c) {
         Fill(&c.addcontactanswer.login, "bob");
         Fill(&c.addcontactanswer.nickname, "Bob");
         c.addcontactanswer.answer = 1;
         Fill(&c.addcontactanswer.message, "ok");
       },
       {"request 4 #0 bob Bob [ok]"},
       [](Session& s) {
         EXPECT_EQ(CE_ADD_ASKED, s.manager->GetContactEvent(1)->GetType());
         EXPECT_EQ(nullptr, s.manager->GetContactEvent(2));
       }},
      {"answer nobody asked for", S2C_Request_PR_addcontactanswer, none,
       [](Choice& c) {
         Fill(&c.addcontactanswer.login, "carol");
         Fill(&c.addcontactanswer.nickname, "Carol");
         Fill(&c.addcontactanswer.message, "no");
       },
       {"request 5 #-1 carol Carol [no]"},
       [](Session& s) {
         EXPECT_EQ(nullptr, s.manager->GetContactEvent(0));
         EXPECT_EQ(0, s.manager->SendAddContact("dan", "")->GetId());  // no id was used
       }},
      {"e-mail check, not registered", S2C_Request_PR_checkcontactack,
       [](Session& s) { s.manager->CheckContact("bob@example.com"); },
       [](Choice& c) {
         c.checkcontactack.loginOrEmail.present = LoginOrEmail_PR_email;
         Fill(&c.checkcontactack.loginOrEmail.choice.email, "bob@example.com");
       },
       {"request 11 #0 bob@example.com  []"}, nullptr},
      {"e-mail check, registered", S2C_Request_PR_checkcontactack,
       [](Session& s) { s.manager->CheckContact("bob@example.com"); },
       [](Choice& c) {
         c.checkcontactack.loginOrEmail.present = LoginOrEmail_PR_email;
         Fill(&c.checkcontactack.loginOrEmail.choice.email, "bob@example.com");
         c.checkcontactack.login = asn1::NewOctetString("bob");
         c.checkcontactack.nickname = asn1::NewOctetString("Bob");
         c.checkcontactack.status = 1;
       },
       {"request 10 #1 bob Bob []"},
       [](Session& s) { EXPECT_EQ(CE_CHECKING, s.manager->GetContactEvent(0)->GetType()); }},
      {"login check, registered", S2C_Request_PR_checkcontactack,
       [](Session& s) { s.manager->CheckContact("bob"); },
       [](Choice& c) {
         c.checkcontactack.loginOrEmail.present = LoginOrEmail_PR_login;
         Fill(&c.checkcontactack.loginOrEmail.choice.login, "bob");
         c.checkcontactack.login = asn1::NewOctetString("bob");
         c.checkcontactack.nickname = asn1::NewOctetString("Bob");
         c.checkcontactack.status = 1;
       },
       {"request 10 #0 bob Bob []"}, nullptr},
      {"removal of a saved contact", S2C_Request_PR_delcontact, [](Session& s) { s.Saved("bob", "Bobby"); },
       [](Choice& c) {
         Fill(&c.delcontact.login, "bob");
         Fill(&c.delcontact.message, "bye");
       },
       {"removal 7 #-1 bob Bobby [bye]"},
       [](Session& s) {
         EXPECT_FALSE(s.manager->HasContact("bob"));
         EXPECT_EQ("Bobby", s.manager->GetContactInfo("bob")->GetNickname());  // the record stays
       }},
      {"removal of an unknown login", S2C_Request_PR_delcontact, none,
       [](Choice& c) {
         Fill(&c.delcontact.login, "zed");
         Fill(&c.delcontact.message, "bye");
       },
       {"removal 7 #-1 zed <zed> [bye]"}, nullptr},
      {"account that was connecting fails", S2C_Request_PR_messengerconnectionstatus,
       [](Session& s) { s.Account("jabber", "al", MESSENGER_CONNECTING); },
       [](Choice& c) {
         Fill(&c.messengerconnectionstatus.protocol, "jabber");
         Fill(&c.messengerconnectionstatus.login, "al@jabber.example");
         c.messengerconnectionstatus.status = 0;
       },
       {"account jabber al 1"}, nullptr},
      {"connected account goes down", S2C_Request_PR_messengerconnectionstatus,
       [](Session& s) { s.Account("jabber", "al", MESSENGER_CONNECTED); },
       [](Choice& c) {
         Fill(&c.messengerconnectionstatus.protocol, "jabber");
         Fill(&c.messengerconnectionstatus.login, "al");
         c.messengerconnectionstatus.status = 0;
       },
       {"account jabber al 0"}, nullptr},
      {"account of another protocol", S2C_Request_PR_messengerconnectionstatus,
       [](Session& s) { s.Account("icq", "al", MESSENGER_CONNECTING); },
       [](Choice& c) {
         Fill(&c.messengerconnectionstatus.protocol, "jabber");
         Fill(&c.messengerconnectionstatus.login, "al");
         c.messengerconnectionstatus.status = 1;
       },
       {}, [](Session& s) { EXPECT_EQ(MESSENGER_CONNECTING, s.manager->GetMessengers().back()->GetStatus()); }},
      {"protocol list", S2C_Request_PR_availablemessengerprotocols, none,
       [](Choice& c) {
         AddProtocol(c, "jabber", {{"server", "a"}, {"port", "5222"}, {"server", "b"}}, nullptr);
         AddProtocol(c, "icq", {}, nullptr);
         AddProtocol(c, "jabber", {}, nullptr);
       },
       {},
       [](Session& s) {
         auto protocols = s.manager->GetMessengerProtocols();
         ASSERT_EQ(3u, protocols.size());
         EXPECT_EQ("jabber", protocols[0]->GetProtocol());
         EXPECT_EQ("icq", protocols[1]->GetProtocol());
         EXPECT_EQ("b", protocols[0]->GetParameters()["server"]);
         EXPECT_EQ(nullptr, s.manager->CreateMessengerInfo("Jabber"));
         std::unique_ptr<MessengerInfo> account(s.manager->CreateMessengerInfo("icq"));
         EXPECT_TRUE(account && account->GetAutoConnect() && account->GetLogin().empty());
       }},
  };
}

TEST(ManagerContacts, ServerRequestsWhileConnected) {
  for (const Row& row : ServerRows()) {
    SCOPED_TRACE(row.name);
    Session s;
    ASSERT_TRUE(s.link);
    row.before(s);
    s.Sent();
    s.Posted();
    s.Send(row.kind, row.fill);
    EXPECT_EQ(Lines{}, s.Sent());  // nothing of these is answered
    EXPECT_EQ(row.posted, s.Posted());
    if (row.check) row.check(s);
  }
}

// While logging in. (Without a link nothing can hand a server request in at all; what a link
// that ended still brings is the stale-link test's.)
TEST(ManagerContacts, ServerRequestsBeforeTheLogInAreDropped) {
  for (const Row& row : ServerRows()) {
    SCOPED_TRACE(std::string(row.name) + " while logging in");
    Session s(false);
    s.Account("jabber", "al", MESSENGER_CONNECTING);
    std::shared_ptr<TestConnection> link = s.Attempt(*s.server);
    ASSERT_TRUE(link);
    EXPECT_EQ(CONNECTING_AUTH, s.manager->GetState());
    s.Inject(row.kind, row.fill);
    EXPECT_EQ(Lines{}, s.Posted());
    EXPECT_EQ(nullptr, s.manager->GetContactEvent(0));
    EXPECT_TRUE(s.manager->GetMessengerProtocols().empty());
    EXPECT_EQ(MESSENGER_CONNECTING, s.manager->GetMessengers().back()->GetStatus());
  }
}

// ---- The windows' operations

TEST(ManagerContacts, RequestsOfTheUserAreSentAndListed) {
  Session s;
  ASSERT_TRUE(s.link);
  s.Saved("bob", "Bobby", "Friends");
  ContactEvent* add = s.manager->SendAddContact("carol", "please");
  ContactEvent* check = s.manager->CheckContact("dan@example.com");
  ContactEvent* checkLogin = s.manager->CheckContact("erin");
  ContactEvent* block = s.manager->SendBlockContact("bob", "spam");
  ContactEvent* blockStranger = s.manager->SendBlockContact("frank", "");
  ContactEvent* unblock = s.manager->SendUnblockContact("bob", "sorry");
  EXPECT_EQ(nullptr, s.manager->SendAddContactAnswer(99, true, ""));  // no such request
  ContactEvent* answer = s.manager->SendAddContactAnswer(add->GetId(), false, "no");
  ContactInfo* removed = s.manager->RemoveContact("bob", "bye");
  EXPECT_EQ(nullptr, s.manager->RemoveContact("nobody", "")) << "not saved";
  // A login the server cannot take is never shown as sent.
  EXPECT_EQ(nullptr, s.manager->SendAddContact("no/such", ""));
  EXPECT_EQ((Lines{"addcontact carol [please]", "checkcontact email dan@example.com", "checkcontact login erin",
                   "blockcontact bob", "blockcontact frank", "unblockcontact bob", "addcontactanswer carol 0 [no]",
                   "delcontact bob [bye]", "delcontact nobody []"}),
            s.Sent());
  // The removal names the contact as the list did; a login never saved, by its login.
  EXPECT_EQ((Lines{"removal 6 #-1 bob Bobby [bye]", "removal 6 #-1 nobody <nobody> []"}), s.Posted());
  // Ids follow one another; only stored entries take one.
  std::vector<ContactEvent*> stored = {add, check, checkLogin, block, blockStranger, unblock, answer};
  for (size_t i = 0; i < stored.size(); ++i) {
    ASSERT_TRUE(stored[i]);
    EXPECT_EQ(static_cast<long>(i), stored[i]->GetId());
    EXPECT_EQ(stored[i], s.manager->GetContactEvent(stored[i]->GetId()));
  }
  EXPECT_EQ((std::vector<int>{0, 9, 9, 12, 12, 13, 2}),
            (std::vector<int>{add->GetType(), check->GetType(), checkLogin->GetType(), block->GetType(),
                              blockStranger->GetType(), unblock->GetType(), answer->GetType()}));
  EXPECT_EQ("Bobby", block->GetNickname());
  EXPECT_EQ("<carol>", add->GetNickname());
  // The stranger's block shows on the one record every window gets for the login.
  EXPECT_TRUE(s.manager->GetContactInfo("frank")->IsBlocked());
  EXPECT_EQ(s.manager->GetContactInfo("frank"), s.manager->GetContactInfo("frank"));
  EXPECT_EQ("<frank>", s.manager->GetContactInfo("frank")->GetNickname());
  EXPECT_EQ(STATUS_NONE, s.manager->GetContactInfo("frank")->GetStatus());
  ASSERT_TRUE(removed);
  EXPECT_EQ("bob", removed->GetLogin());
  EXPECT_FALSE(removed->IsBlocked());
  EXPECT_FALSE(s.manager->HasContact("bob"));
  EXPECT_EQ(removed, s.manager->GetContactInfo("bob"));
  // Own and administrator records come first.
  EXPECT_EQ(s.manager->GetOwnContactInfo(), s.manager->GetContactInfo("alice"));
  EXPECT_EQ("Administrator", s.manager->GetContactInfo("ADMIN")->GetNickname());

  // Once disconnected nothing is sent or stored.
  s.manager->Disconnect(false, true);
  EXPECT_EQ(nullptr, s.manager->SendAddContact("gus", ""));
  EXPECT_EQ(nullptr, s.manager->CheckContact("gus"));
  EXPECT_EQ(nullptr, s.manager->SendBlockContact("gus", ""));
  EXPECT_EQ(nullptr, s.manager->SendAddContactAnswer(0, true, ""));
  EXPECT_EQ(nullptr, s.manager->RemoveContact("carol", ""));
  EXPECT_EQ(nullptr, s.manager->GetContactEvent(7));
  EXPECT_FALSE(s.manager->GetContactInfo("gus")->IsBlocked());
}

TEST(ManagerContacts, GroupsAreRefiledAndTheServerToldWhileConnected) {
  Session s;
  ASSERT_TRUE(s.link);
  s.Saved("bob", "Bob", "Work");
  s.Saved("carol", "Carol", "Work");
  s.Saved("dan", "Dan", "Home");
  s.Saved("erin", "Erin", "Mixed");
  s.Saved("icq1", "Ext", "Mixed");
  s.manager->GetContactInfo("icq1")->SetImType("icq");
  Config* config = Config::GetInstance();

  struct Case {
    std::string name;
    bool modifiable;
  } cases[] = {{"", false}, {"    OFFLINE", false}, {"     ONLINE", false}, {"    ONLINE", true},
               {"      ONLINE", true}, {"Work", true}, {"Mixed", false}, {"Empty", true}};
  for (const Case& c : cases) EXPECT_EQ(c.modifiable, s.manager->CanModifyGroup(c.name)) << "[" << c.name << "]";

  s.manager->RenameGroup("Work", "Office");
  s.manager->RenameGroup("Work", "     ONLINE");  // a section of the panel is no group
  EXPECT_FALSE(s.manager->RemoveGroup("Mixed"));
  EXPECT_TRUE(s.manager->RemoveGroup("Empty"));
  EXPECT_EQ(s.manager->GetContactInfo("dan"), s.manager->UpdateGroup("dan", "Office"));
  EXPECT_EQ(nullptr, s.manager->UpdateGroup("icq1", "Office"));
  EXPECT_EQ((Lines{"contactgroup bob [Office]", "contactgroup carol [Office]", "contactgroup erin []",
                   "contactgroup dan [Office]"}),
            s.Sent());
  EXPECT_EQ("Office", s.manager->GetContactInfo("carol")->GetGroup());
  EXPECT_EQ("", s.manager->GetContactInfo("erin")->GetGroup());
  EXPECT_EQ("Mixed", s.manager->GetContactInfo("icq1")->GetGroup());
  EXPECT_EQ("Office", s.manager->GetContactInfo("dan")->GetGroup());
  auto groups = config->GetGroups();
  EXPECT_NE(groups.end(), std::find(groups.begin(), groups.end(), "Mixed"));

  // Disconnected: every saved contact is shown offline, in list order; groups are re-filed all
  // the same and nothing is sent; a single contact is not moved.
  s.Posted();
  s.manager->Disconnect(false, true);
  Pump();
  EXPECT_EQ((Lines{"update bob 0", "update carol 0", "update dan 0", "update erin 0", "update icq1 0"}), s.Posted());
  s.manager->RenameGroup("Office", "Desk");
  EXPECT_TRUE(s.manager->RemoveGroup("Home"));
  EXPECT_EQ("Desk", s.manager->GetContactInfo("bob")->GetGroup());
  EXPECT_EQ(s.manager->GetContactInfo("dan"), s.manager->UpdateGroup("dan", "Elsewhere"));
  EXPECT_EQ("Desk", s.manager->GetContactInfo("dan")->GetGroup());
  EXPECT_TRUE(s.link->WaitClosed());
  for (auto got = s.link->Next(milliseconds(100)); got; got = s.link->Next(milliseconds(100)))
    EXPECT_NE(C2S_Request_PR_contactgroup, got->request->present);
}

TEST(ManagerContacts, ProfileAndPresenceReachTheServerOnlyWhenConnected) {
  Session s(false);
  const int birthDay = Config::GetInstance()->GetBirthDay();
  s.manager->ChangeStatus(STATUS_BUSY);
  s.manager->ChangeNickname("Ally", "calm");
  s.manager->UpdateProfile("Nope", "no", 3, 4, 1990);
  EXPECT_EQ(STATUS_OFFLINE, s.manager->GetStatus());
  EXPECT_EQ("Ally", s.manager->GetNickname());
  EXPECT_EQ("calm", Config::GetInstance()->GetMood());
  EXPECT_EQ(birthDay, Config::GetInstance()->GetBirthDay());
  s.link = s.LogIn(*s.server);
  ASSERT_TRUE(s.link);
  s.Await(*s.link, C2S_Request_PR_clientinfo, true);
  s.manager->ChangeStatus(STATUS_BUSY);
  s.manager->UpdateProfile("Al", "glad", 0, 4, 1990);
  s.manager->ReportAbuse("http://a.example/", "bob", "rude");
  auto status = s.Await(*s.link, C2S_Request_PR_changestatus);
  auto profile = s.Await(*s.link, C2S_Request_PR_updateprofile);
  auto abuse = s.Await(*s.link, C2S_Request_PR_abuse);
  ASSERT_TRUE(status && profile && abuse);
  EXPECT_EQ(STATUS_BUSY, status->choice.changestatus.status);
  EXPECT_EQ(nullptr, profile->choice.updateprofile.birthDate);  // day 0
  EXPECT_EQ("glad", Text(profile->choice.updateprofile.mood));
  EXPECT_EQ(STATUS_BUSY, s.manager->GetStatus());
  EXPECT_EQ((std::vector<int>{0, 4, 1990}),
            (std::vector<int>{Config::GetInstance()->GetBirthDay(), Config::GetInstance()->GetBirthMonth(),
                              Config::GetInstance()->GetBirthYear()}));
}

// ---- Accounts on other networks

TEST(ManagerContacts, AccountsAreConnectedThroughTheServer) {
  Session s(false);
  MessengerInfo* offline = s.Account("jabber", "al", MESSENGER_DISCONNECTED);
  s.manager->ConnectMessenger(offline);
  s.manager->DisconnectMessenger(offline);
  EXPECT_EQ(MESSENGER_DISCONNECTED, offline->GetStatus());
  s.manager->RemoveMessenger(offline);  // nothing to tell the server
  EXPECT_EQ("al", offline->GetLogin()) << "kept allocated";
  EXPECT_TRUE(s.manager->GetMessengers().empty());
  EXPECT_EQ(Lines{}, s.Posted());

  s.link = s.LogIn(*s.server);
  ASSERT_TRUE(s.link);
  s.Await(*s.link, C2S_Request_PR_clientinfo, true);
  auto* account = new MessengerInfo("jabber", "Jabber", "al", "", false, {{"server", "x.example"}});
  account->SetPassword("pw");
  s.manager->AddMessenger(account);
  s.manager->ChangeStatus(STATUS_AWAY);
  s.manager->ConnectMessenger(account);
  s.Send(S2C_Request_PR_messengerconnectionstatus, [](Choice& c) {
    Fill(&c.messengerconnectionstatus.protocol, "jabber");
    Fill(&c.messengerconnectionstatus.login, "al@x.example");
    c.messengerconnectionstatus.status = 1;
  });
  Lines sent = s.Sent();
  s.manager->DisconnectMessenger(account);
  s.manager->RemoveMessenger(account);
  // A report about the removed account finds nothing, and its queued events stay readable.
  s.Send(S2C_Request_PR_messengerconnectionstatus, [](Choice& c) {
    Fill(&c.messengerconnectionstatus.protocol, "jabber");
    Fill(&c.messengerconnectionstatus.login, "al");
    c.messengerconnectionstatus.status = 0;
  });
  Lines more = s.Sent();
  sent.insert(sent.end(), more.begin(), more.end());
  EXPECT_EQ((Lines{"request " + std::to_string(C2S_Request_PR_changestatus),
                   "connectmessenger jabber al pw Alice " + std::to_string(STATUS_AWAY) + " server=x.example",
                   "disconnectmessenger jabber al", "disconnectmessenger jabber al"}),
            sent);
  EXPECT_EQ((Lines{"account jabber al 3", "account jabber al 4", "account jabber al 2"}), s.Posted());
}

// ---- Avatars

struct AvatarSession : Session {
  explicit AvatarSession(bool logIn = true) : Session(logIn) {
    IMImage::StoreImage(IMImage::DEFAULT_AVATAR, IMAGE_PNG, Bytes(kDefault), kDefault.size());
  }
  static const unsigned char* Bytes(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); }
  void Store(const std::string& login, bool small) {
    const std::string& bytes = small ? kSmall : kLarge;
    ASSERT_FALSE(IMImage::StoreAvatar(login, small, IMAGE_PNG, Bytes(bytes), bytes.size()).empty());
  }
  const std::string kLarge = Png(64, 64, 0, 0, 200);
  const std::string kSmall = Png(24, 24, 0, 200, 0);
  const std::string kDefault = Png(48, 48, 200, 0, 200);
};

TEST(ManagerContacts, GetAvatarChoosesThePictureAndAsksOnce) {
  AvatarSession s;
  ASSERT_TRUE(s.link);
  s.Store("both", false);
  s.Store("both", true);
  s.Store("large", false);
  s.Store("small", true);
  const wxColour blue(0, 0, 200), green(0, 200, 0), magenta(200, 0, 200);
  struct Case {
    const char* login;
    bool small, ask;
    int side;
    wxColour colour;
    Lines sent;
  } cases[] = {
      {"both", false, true, 64, blue, {}},          {"both", true, true, 24, green, {}},
      {"large", true, true, 24, blue, {}},          {"small", false, false, 24, green, {}},
      {"small", false, true, 24, green, {"askavatar small"}},
      {"small", false, true, 24, green, {}},  // asked already
      {"none", false, true, 48, magenta, {}},       {"none", true, true, 24, magenta, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.login) + (c.small ? " small" : " large") + (c.ask ? " ask" : ""));
    wxImage image = s.manager->GetAvatar(c.login, c.small, c.ask, BORDER_NONE, false).ConvertToImage();
    EXPECT_EQ(c.side, image.GetWidth());
    EXPECT_EQ(c.side, image.GetHeight());
    wxColour centre = testsupport::PixelAt(image, c.side / 2, c.side / 3);
    EXPECT_TRUE(testsupport::NearColour(c.colour, centre, 8)) << testsupport::ColourText(centre);
    EXPECT_EQ(c.sent, s.Sent());
  }
  // The large one arrives: it is shown, and nothing more is asked.
  Update u;
  u.login = "small";
  u.site = nullptr;
  u.avatar = s.kLarge;
  s.Send(S2C_Request_PR_updcontact, [&](Choice& c) { FillUpdate(c, u); });
  s.Sent();
  EXPECT_EQ(Lines{"avatar small"}, s.Posted());
  wxImage image = s.manager->GetAvatar("small", false, true, BORDER_NONE, false).ConvertToImage();
  EXPECT_EQ(64, image.GetWidth());
  EXPECT_EQ(Lines{}, s.Sent());
}

TEST(ManagerContacts, GetAvatarDrawsTheFrameAndThenTheCross) {
  AvatarSession s(false);
  s.Store("bob", false);
  using testsupport::PixelAt;
  const wxColour grey(20, 20, 20), orange(250, 150, 25), red(255, 0, 0), blue(0, 0, 200);
  wxImage thin = s.manager->GetAvatar("bob", false, false, BORDER_SIMPLE, true).ConvertToImage();
  wxImage thick = s.manager->GetAvatar("bob", false, false, BORDER_THICK, false).ConvertToImage();
  wxImage crossOnly = s.manager->GetAvatar("bob", false, false, t_border_type(7), true).ConvertToImage();
  struct Probe {
    const wxImage* image;
    int x, y;
    wxColour colour;
  } probes[] = {
      {&thin, 0, 20, grey},     {&thin, 63, 40, grey},   {&thin, 20, 0, grey},    {&thin, 1, 20, blue},
      {&thin, 0, 0, red},       {&thin, 63, 0, red},     {&thin, 32, 32, red},    {&thin, 63, 63, red},
      {&thick, 0, 20, orange},  {&thick, 1, 20, orange}, {&thick, 2, 20, blue},   {&thick, 32, 32, blue},
      {&crossOnly, 0, 20, blue}, {&crossOnly, 10, 10, red},
  };
  for (const Probe& p : probes) {
    wxColour got = PixelAt(*p.image, p.x, p.y);
    EXPECT_TRUE(testsupport::NearColour(p.colour, got)) << p.x << "," << p.y << " " << testsupport::ColourText(got);
  }
}

// With neither a stored default avatar nor the program's own picture, everyone without an avatar
// gets the same blank picture, framed once: thousands of people on a site would otherwise each
// make a picture and a framed copy that the picture store keeps.
TEST(ManagerContacts, WithoutAnyDefaultAvatarEveryoneSharesOneBlankPicture) {
  Session s(false);
  testsupport::TempDir data;
  const std::string program = Config::GetPath();
  Config::SetPath(data.path());
  wxBitmap pictures[2][2];
  for (int who = 0; who < 2; ++who)
    for (int framed = 0; framed < 2; ++framed)
      pictures[who][framed] = s.manager->GetAvatar(who ? "bob" : "ann", true, false,
                                                   framed ? BORDER_SIMPLE : BORDER_NONE, false);
  const wxBitmap large = s.manager->GetAvatar("carl", false, false, BORDER_NONE, false);
  Config::SetPath(program);
  for (int framed = 0; framed < 2; ++framed) {
    ASSERT_TRUE(pictures[0][framed].IsOk());
    EXPECT_EQ(pictures[0][framed].GetRefData(), pictures[1][framed].GetRefData()) << "framed " << framed;
  }
  const wxImage blank = pictures[0][0].ConvertToImage();
  EXPECT_EQ(24, blank.GetWidth());
  EXPECT_TRUE(testsupport::NearColour(*wxWHITE, testsupport::PixelAt(blank, 12, 12)));
  const wxImage framed = pictures[1][1].ConvertToImage();
  EXPECT_TRUE(testsupport::NearColour(wxColour(20, 20, 20), testsupport::PixelAt(framed, 0, 12)));
  EXPECT_EQ(64, large.GetWidth());
}

TEST(ManagerContacts, ChangeAvatarSendsBothFilesOrNothing) {
  AvatarSession s;
  ASSERT_TRUE(s.link);
  testsupport::TempDir files;
  ASSERT_TRUE(testsupport::WriteFile(files.file("big.png"), s.kLarge));
  ASSERT_TRUE(testsupport::WriteFile(files.file("small.png"), s.kSmall));
  ASSERT_TRUE(testsupport::WriteFile(files.file("noextension"), s.kLarge));
  ASSERT_TRUE(testsupport::WriteFile(files.file("picture.bmp"), s.kLarge));
  ASSERT_TRUE(testsupport::WriteFile(files.file("empty.png"), ""));
  const std::string big = files.file("big.png"), small = files.file("small.png");
  struct Case {
    std::string large, small;
  } refused[] = {{files.file("missing.png"), small}, {files.file("noextension"), small},
                 {files.file("picture.bmp"), small}, {big, files.file("picture.bmp")},
                 {big, files.file("empty.png")},     {files.path(), small}};
  for (const Case& c : refused) EXPECT_FALSE(s.manager->ChangeAvatar(c.large, c.small)) << c.large << " " << c.small;
  EXPECT_EQ(Lines{}, s.Sent());
  EXPECT_FALSE(IMImage::HasImage("alice", false));
  EXPECT_TRUE(s.manager->ChangeAvatar(big, small));
  EXPECT_EQ((Lines{"newavatar 1 " + std::to_string(s.kLarge.size()) + " 1 " + std::to_string(s.kSmall.size())}),
            s.Sent());
  EXPECT_EQ(Lines{"avatar alice"}, s.Posted());
  EXPECT_TRUE(IMImage::HasImage("alice", false));
  EXPECT_TRUE(IMImage::HasImage("alice", true));
  s.manager->Disconnect(false, true);
  EXPECT_FALSE(s.manager->ChangeAvatar(big, small));
}

// Hundreds of people who are no contact pass through a room, each with a small avatar: the
// folder keeps the newest within the bound; the contacts' and the user's own stay, a stranger
// who became a contact keeps theirs, and one met again gets their picture back.
TEST(ManagerContacts, StrangersPassingThroughRoomsLeaveABoundedFolder) {
  AvatarSession s;
  ASSERT_TRUE(s.link);
  const int bound = 10;
  StrangerAvatars::Instance().SetBound(bound);
  std::shared_ptr<void> restore(nullptr, [](void*) {
    StrangerAvatars::Instance().SetBound(StrangerAvatars::kDefaultBound);
  });
  s.Saved("bob", "Bob");
  s.Store("bob", false);
  s.Store("bob", true);
  s.Store("alice", true);
  auto pass = [&](const std::string& login, bool enter) {
    Update u;
    u.login = login;
    u.site = "room.example";
    u.status = enter ? STATUS_ONLINE : STATUS_OFFLINE;
    u.hasSubscribed = enter ? 1 : 0;
    if (enter) u.smallAvatar = s.kSmall;
    s.Send(S2C_Request_PR_updcontact, [&](Choice& c) { FillUpdate(c, u); });
  };
  pass("eve", true);
  s.Sent();
  s.Saved("eve", "Eve");
  const int strangers = 300;
  for (int i = 0; i < strangers; ++i) {
    pass("passer" + std::to_string(i), true);
    pass("passer" + std::to_string(i), false);
    if (i % 50 == 49) s.Sent();
  }
  s.Sent();
  s.Posted();

  std::vector<std::string> small;
  for (const std::string& name : testsupport::ListDir(s.dir.path()))
    if (name.size() > 6 && name.compare(name.size() - 6, 6, "_s.png") == 0) small.push_back(name);
  std::vector<std::string> expected = {"alice_s.png", "bob_s.png", "eve_s.png"};
  for (int i = strangers - bound; i < strangers; ++i) expected.push_back("passer" + std::to_string(i) + "_s.png");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(expected, small);
  EXPECT_TRUE(IMImage::HasImage("bob", false));

  // The first one comes back: the default avatar until their picture arrives, then theirs.
  const wxColour green(0, 200, 0), magenta(200, 0, 200);
  auto centre = [&](const std::string& login) {
    return testsupport::PixelAt(s.manager->GetAvatar(login, true, true, BORDER_NONE, false).ConvertToImage(), 12, 8);
  };
  EXPECT_TRUE(testsupport::NearColour(magenta, centre("passer0"), 8));
  pass("passer0", true);
  EXPECT_EQ(Lines{}, s.Sent());
  EXPECT_EQ((Lines{"update passer0 " + std::to_string(STATUS_ONLINE), "avatar passer0"}), s.Posted());
  EXPECT_TRUE(testsupport::NearColour(green, centre("passer0"), 8));
  EXPECT_FALSE(IMImage::HasImage("passer" + std::to_string(strangers - bound), true)) << "the oldest gave way";
}

// ---- Races and hostile input

TEST(ManagerContacts, ContactRemovedWhileItsAvatarOrProfileIsOnTheWay) {
  AvatarSession s;
  ASSERT_TRUE(s.link);
  s.Saved("bob", "Bob");
  s.Store("bob", true);
  s.manager->GetAvatar("bob", false, true, BORDER_NONE, false);
  ContactInfo* bob = s.manager->RemoveContact("bob", "");
  ASSERT_TRUE(bob);
  EXPECT_EQ((Lines{"askavatar bob", "delcontact bob []"}), s.Sent());
  s.Posted();
  // What the server had sent before it learnt of the removal.
  Update avatar, profile;
  avatar.login = profile.login = "bob";
  avatar.site = nullptr;
  avatar.avatar = s.kLarge;
  profile.status = STATUS_AWAY;
  profile.nickname = "Bobby";
  s.Send(S2C_Request_PR_updcontact, [&](Choice& c) { FillUpdate(c, avatar); });
  s.Send(S2C_Request_PR_updcontact, [&](Choice& c) { FillUpdate(c, profile); });
  s.Sent();
  EXPECT_EQ(Lines{"avatar bob"}, s.Posted());
  EXPECT_FALSE(s.manager->HasContact("bob"));
  EXPECT_EQ("Bobby", bob->GetNickname()) << "the record the windows hold is still the one updated";
  EXPECT_EQ(bob, s.manager->GetContactInfo("bob"));
  // Asked for again and accepted, the contact comes back with the next update.
  s.manager->SendAddContact("bob", "");
  s.Send(S2C_Request_PR_updcontact, [&](Choice& c) { FillUpdate(c, profile); });
  s.Sent();
  EXPECT_TRUE(s.manager->HasContact("bob"));
}

std::vector<std::string> FilesUnder(const std::string& root) {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
    found.push_back(entry.path().string());
  std::sort(found.begin(), found.end());
  return found;
}

TEST(ManagerContacts, HostileValuesFromTheServerAreRefusedOrMadeSafe) {
  AvatarSession s;
  ASSERT_TRUE(s.link);
  const std::string user = s.dir.file("user/");
  std::filesystem::create_directory(user);
  Config::SetUserPath(user);
  const std::string log = testsupport::RestartLogAt(s.dir, "user/trace.log");
  std::vector<std::string> before = FilesUnder(s.dir.path());

  const std::string refusedLogins[] = {"a/b", "../../etc", std::string("x\x01y", 3), std::string(10000, 'a'), ""};
  for (const std::string& login : refusedLogins) {
    s.Inject(S2C_Request_PR_addcontactask, [&](Choice& c) { AddAsk(c, login); });
    s.Inject(S2C_Request_PR_delcontact, [&](Choice& c) { Fill(&c.delcontact.login, login); });
    Update u;
    u.login = login;
    u.smallAvatar = s.kSmall;
    s.Inject(S2C_Request_PR_updcontact, [&](Choice& c) { FillUpdate(c, u); });
  }
  EXPECT_EQ(Lines{}, s.Posted());
  EXPECT_EQ(nullptr, s.manager->GetContactEvent(0));
  EXPECT_EQ(0u, Config::GetInstance()->GetContacts().size());

  // Logins the alphabet allows but a file system reads otherwise are kept inside the directory.
  for (const std::string login : {"..", ".", "..a_s"}) {
    Update u;
    u.login = login;
    u.smallAvatar = s.kSmall;
    s.Inject(S2C_Request_PR_updcontact, [&](Choice& c) { FillUpdate(c, u); });
    EXPECT_TRUE(IMImage::HasImage(IMImage::AvatarName(login), true)) << login;
  }
  // Pictures that are none, or too large to hold.
  Update junk, huge;
  junk.login = "junk";
  junk.smallAvatar = "GIF89a not a picture";
  junk.avatar = std::string(5000, 'x');
  huge.login = "huge";
  huge.smallAvatar = HugePng();
  huge.avatar = HugePng();
  s.Inject(S2C_Request_PR_updcontact, [&](Choice& c) { FillUpdate(c, junk); });
  s.Inject(S2C_Request_PR_updcontact, [&](Choice& c) { FillUpdate(c, huge); });
  for (const char* login : {"junk", "huge"}) {
    EXPECT_FALSE(IMImage::HasImage(login, true)) << login;
    EXPECT_FALSE(IMImage::HasImage(login, false)) << login;
    EXPECT_EQ(24, s.manager->GetAvatar(login, true, false, BORDER_SIMPLE, true).GetWidth());
  }
  // A protocol icon of 50 MB, and protocol ids that would be paths.
  const std::string bigIcon(50 * 1024 * 1024, 'i');
  const std::string smallIcon = Png(16, 16, 1, 2, 3);
  s.Inject(S2C_Request_PR_availablemessengerprotocols, [&](Choice& c) {
    AddProtocol(c, "big", {}, &bigIcon);
    AddProtocol(c, "../../evil", {}, &smallIcon);
    AddProtocol(c, std::string(10000, 'p'), {}, &smallIcon);
    AddProtocol(c, "fine", {}, &smallIcon);
  });
  auto protocols = s.manager->GetMessengerProtocols();
  ASSERT_EQ(2u, protocols.size());
  EXPECT_EQ("big", protocols[0]->GetProtocol());
  EXPECT_FALSE(IMImage::HasImage(IMImage::MessengerIconName("big"), false));
  EXPECT_TRUE(testsupport::FileExists(user + "extmessenger_fine.png"));

  // Icons come as gif, jpg or png, each kept under its own type; bytes of none is not stored.
  const char tinyGif[] = "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\x00\x00\x00,\x00\x00\x00\x00"
                         "\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;";
  const std::string gifIcon(tinyGif, sizeof tinyGif - 1);
  const std::string jpgIcon = Png(16, 16, 200, 10, 10, wxBITMAP_TYPE_JPEG);
  const std::string junkIcon = "not a picture at all";
  s.Inject(S2C_Request_PR_availablemessengerprotocols, [&](Choice& c) {
    AddProtocol(c, "gifnet", {}, &gifIcon);
    AddProtocol(c, "jpgnet", {}, &jpgIcon);
    AddProtocol(c, "pngnet", {}, &smallIcon);
    AddProtocol(c, "junknet", {}, &junkIcon);
  });
  ASSERT_EQ(4u, s.manager->GetMessengerProtocols().size());
  EXPECT_TRUE(testsupport::FileExists(user + "extmessenger_gifnet.gif"));
  EXPECT_TRUE(testsupport::FileExists(user + "extmessenger_jpgnet.jpg"));
  EXPECT_TRUE(testsupport::FileExists(user + "extmessenger_pngnet.png"));
  for (const char* net : {"gifnet", "jpgnet", "pngnet"})
    EXPECT_TRUE(IMImage::GetImage(IMImage::MessengerIconName(net), false).IsOk()) << net;
  EXPECT_FALSE(IMImage::HasImage(IMImage::MessengerIconName("junknet"), false));

  // Everything written went into the user directory.
  for (const std::string& path : FilesUnder(s.dir.path())) {
    if (std::find(before.begin(), before.end(), path) == before.end()) {
      EXPECT_EQ(0u, path.find(user)) << path;
    }
  }
  const std::string trace = testsupport::DecodeLogFile(log, LOG_KEY_START, log_step());
  EXPECT_NE(std::string::npos, trace.find("addcontactask: login refused (not a login"));
  EXPECT_NE(std::string::npos, trace.find("updcontact: login refused (too long, 10000 bytes)"));
  EXPECT_NE(std::string::npos, trace.find("icon of big refused (52428800 bytes)"));
  EXPECT_NE(std::string::npos, trace.find("protocol refused"));
  EXPECT_NE(std::string::npos, trace.find("icon of junknet is neither gif, jpg nor png"));
}

// ---- A whole session

std::string User(int i) {
  return "user" + std::to_string(i);
}

TEST(ManagerContacts, LogInWithFiftyContactsRequestsGroupsPresenceAndAvatars) {
  AvatarSession s(false);
  auto link = s.Attempt(*s.server);
  ASSERT_TRUE(link);
  // All the server has to say comes at once behind the acknowledgement.
  std::string burst;
  auto add = [&](S2C_Request_PR kind, const std::function<void(Choice&)>& fill) {
    auto request = NewS2C(kind);
    fill(request->choice);
    burst += testserver::EncodeS2C(*request);
  };
  const std::string groups[] = {"Family", "Work", "Sport", "Music", "Other"};
  for (int i = 0; i < 50; ++i) {
    Update u;
    u.login = User(i);
    u.status = i % 5;
    std::string nickname = "Nick " + std::to_string(i);
    u.nickname = nickname.c_str();
    u.group = groups[i % 5].c_str();
    if (i % 10 == 0) u.smallAvatar = s.kSmall;
    add(S2C_Request_PR_updcontact, [&](Choice& c) { FillUpdate(c, u); });
  }
  add(S2C_Request_PR_addcontactask, [](Choice& c) { AddAsk(c, "erin"); });
  add(S2C_Request_PR_addcontactask, [](Choice& c) { AddAsk(c, "frank"); });
  Update moved, away, gone, picture;
  moved.login = User(3);
  moved.group = "Moved";
  moved.site = nullptr;
  away.login = User(1);
  away.status = STATUS_AWAY;
  gone.login = User(2);
  gone.status = STATUS_OFFLINE;
  picture.login = User(0);
  picture.site = nullptr;
  picture.avatar = s.kLarge;
  for (const Update* u : {&moved, &away, &gone, &picture})
    add(S2C_Request_PR_updcontact, [&](Choice& c) { FillUpdate(c, *u); });
  auto ack = NewS2C(S2C_Request_PR_connect_ack);
  Fill(&ack->choice.connect_ack.authkey, "K1");
  Fill(&ack->choice.connect_ack.version, "2.0");
  link->SendBytes(testserver::EncodeS2C(*ack) + burst);
  s.link = link;
  ASSERT_TRUE(s.WaitFor([&] { return s.events.kept.size() == 2; }));
  // A window shows user10 large: the server is asked once, and answers.
  s.manager->GetAvatar(User(10), false, true, BORDER_SIMPLE, false);
  s.manager->GetAvatar(User(10), false, true, BORDER_SIMPLE, false);
  Lines sent = s.Sent();
  EXPECT_EQ(1, std::count(sent.begin(), sent.end(), "askavatar user10"));
  Update answer;
  answer.login = User(10);
  answer.site = nullptr;
  answer.avatar = s.kLarge;
  s.Send(S2C_Request_PR_updcontact, [&](Choice& c) { FillUpdate(c, answer); });
  s.Sent();

  // The tables.
  std::vector<ContactInfo*> saved = Config::GetInstance()->GetContacts();
  ASSERT_EQ(50u, saved.size());
  for (int i = 0; i < 50; ++i) {
    SCOPED_TRACE(User(i));
    EXPECT_EQ(User(i), saved[i]->GetLogin());
    EXPECT_EQ(saved[i], s.manager->GetContactInfo(User(i)));
    EXPECT_EQ("Nick " + std::to_string(i), s.manager->GetNickname(User(i)));
    EXPECT_EQ(i == 3 ? "Moved" : groups[i % 5], saved[i]->GetGroup());
    EXPECT_EQ(i == 1 ? STATUS_AWAY : i == 2 ? STATUS_OFFLINE : static_cast<t_status>(i % 5), saved[i]->GetStatus());
    EXPECT_EQ(i % 10 == 0, IMImage::HasImage(User(i), true));
    EXPECT_EQ(i == 0 || i == 10, IMImage::HasImage(User(i), false));
  }
  ASSERT_EQ(2u, s.events.kept.size());
  EXPECT_EQ("erin", s.manager->GetContactEvent(0)->GetLogin());
  EXPECT_EQ("frank", s.manager->GetContactEvent(1)->GetLogin());
  EXPECT_EQ(CE_ADD_RECEIVED, s.manager->GetContactEvent(1)->GetType());
  EXPECT_FALSE(s.manager->HasContact("erin"));
  auto groupNames = Config::GetInstance()->GetGroups();
  for (const char* name : {"Family", "Work", "Sport", "Music", "Other", "Moved"})
    EXPECT_NE(groupNames.end(), std::find(groupNames.begin(), groupNames.end(), name)) << name;

  // The settings file after the program's exit: the fifty contacts in order, with their groups.
  ASSERT_TRUE(s.manager->Close());
  const std::string xml = testsupport::ReadFile(s.dir.file("parlavox.xml"));
  std::regex record("<login>([^<]*)</login>[\\s\\S]*?<nickname>([^<]*)</nickname>[\\s\\S]*?<group>([^<]*)</group>");
  Lines written;
  for (auto it = std::sregex_iterator(xml.begin(), xml.end(), record); it != std::sregex_iterator(); ++it)
    if ((*it)[1].str().compare(0, 4, "user") == 0) written.push_back((*it)[1].str() + " " + (*it)[2].str() + " " + (*it)[3].str());
  Lines expected;
  for (int i = 0; i < 50; ++i)
    expected.push_back(User(i) + " Nick " + std::to_string(i) + " " + (i == 3 ? "Moved" : groups[i % 5]));
  EXPECT_EQ(expected, written);
  EXPECT_EQ(std::string::npos, xml.find("<login>erin</login>"));
}

}  // namespace
