// Sites, rooms, private rooms, smileys and file transfers through the controller, end to end on
// loopback: the protocol test server, the extension listener asked over HTTP as the browser
// extension asks it, the file server fetched from by another user's client, and each event the
// windows would get written as one line while its payload is alive.
#include <gtest/gtest.h>
#include <wx/evtloop.h>
#include <wx/image.h>

#include <future>
#include <sstream>
#include <thread>

#include <unistd.h>

#include "SubscribeStatus.h"
#include "asn1/octetString.h"
#include "model/fileMessage.h"
#include "model/log.h"
#include "model/systemInfoPlatform.h"
#include "network/fileTransferLink.h"
#include "network/localServer.h"
#include "tests/core/managerTestSupport.h"

using namespace managertest;
using testsupport::HeapInUse;
using testserver::C2SPtr;
using testserver::Text;
using Choice = S2C_Request_t::S2C_Request_u;

namespace {

const std::string kRoom = "http://news.example/";

class Lines : public wxEvtHandler {
 public:
  Lines() {
    for (auto type : {&wxEVT_RECEIVE_OPEN_CHATROOM_ACK, &wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT,
                      &wxEVT_RECEIVE_NEW_MESSAGE, &wxEVT_RECEIVE_SUBSCRIBE_CHATROOM_ACK,
                      &wxEVT_RECEIVE_CREATE_VIRTUAL_CHATROOM_ACK, &wxEVT_RECEIVE_KEY_TYPED,
                      &wxEVT_RECEIVE_MESSAGE_FILE, &wxEVT_RECEIVE_CLOSE_CHATROOM,
                      &wxEVT_RECEIVE_INVITE_CONTACT_IN_CHATROOM, &wxEVT_RECEIVE_INVITE_CHATROOM_ANSWER})
      Bind(*type, &Lines::OnEvent, this, Manager::GetEventId());
  }
  void OnEvent(wxCommandEvent& event) {
    std::ostringstream line;
    wxObject* object = event.GetEventObject();
    line << event.GetInt();
    if (auto* file = dynamic_cast<FileMessage*>(object))
      line << " file " << file->GetStatus() << " " << file->GetTransferKey() << " " << file->GetTransferredSize();
    else if (auto* message = dynamic_cast<Message*>(object))
      line << " message " << message->GetLogin() << " " << message->GetText() << (message->IsHistory() ? " (old)" : "");
    else if (auto* update = dynamic_cast<URLContactInfo*>(object))
      line << " member " << update->GetURL() << " " << update->GetLogin() << " " << update->GetNbrUsers() << " n"
           << update->GetNotify() << "f" << update->GetFocus();
    else if (auto* request = dynamic_cast<ContactEvent*>(object))
      line << " event " << request->GetType() << " " << request->GetURL() << " " << request->GetLogin();
    else if (auto* site = dynamic_cast<URLInfo*>(object))
      line << " site " << site->GetURL();
    for (const wxString& text : ManagerEvent::StringsOf(event)) line << " [" << text << "]";
    if (!event.GetString().empty()) line << " " << event.GetString();
    (event.GetEventType() == wxEVT_RECEIVE_MESSAGE_FILE ? files : lines).push_back(line.str());
  }
  std::vector<std::string> lines, files;
};

// One request of the browser extension through curl, answered on a thread of its own.
std::future<std::string> Browse(const std::string& path) {
  std::string url = "http://127.0.0.1:" + std::to_string(LocalServer::Instance()->GetPort()) + "/" + path;
  return std::async(std::launch::async, [url] {
    std::string out;
    RunCommand({"curl", "-s", "--http0.9", "--path-as-is", "--max-time", "10", url}, std::chrono::seconds(15), &out);
    return out;
  });
}

// Alice logged in, what she sends at log-in read already.
struct Session : ManagerSetUp {
  Session() {
    link = LogIn(*server);
    if (link) Await(*link, C2S_Request_PR_clientinfo, true);
    manager->SetNextHandler(&events);
  }
  ~Session() { manager.reset(); }  // before the handler it posts to
  std::string Answer(std::future<std::string> reply) {
    WaitFor([&] { return reply.wait_for(milliseconds(0)) == std::future_status::ready; }, milliseconds(10000));
    return reply.get();
  }
  // The server sends a request of the kind, filled by fill.
  template <typename F>
  void Send(S2C_Request_PR kind, F fill) {
    auto request = NewS2C(kind);
    fill(request->choice);
    link->Send(*request);
  }
  C2SPtr Got(C2S_Request_PR kind) { return Await(*link, kind); }
  // True when the server gets nothing before the answer to a heart-beat.
  bool Quiet() {
    Beat(*link, "K1");
    return static_cast<bool>(Got(C2S_Request_PR_heartbeatack));
  }
  // The events posted once all the server sent so far is handled.
  std::vector<std::string> Lines() {
    Beat(*link, "K1");
    Await(*link, C2S_Request_PR_heartbeatack, true);
    Pump();
    return std::move(events.lines);
  }
  std::shared_ptr<TestConnection> link;
  ::Lines events;
};

// The server tells that a contact of Alice's is online.
void Online(Session& s, const std::string& login) {
  s.Send(S2C_Request_PR_updcontact, [&](Choice& c) {
    Fill(&c.updcontact.login, login);
    c.updcontact.site = asn1::NewOctetString("none");
    c.updcontact.status = asn1::NewValue<long>(STATUS_ONLINE);
    c.updcontact.nickname = asn1::NewOctetString("Bob");
  });
}

void Said(Choice& c, const std::string& room, const std::string& login, const std::string& text) {
  Fill(&c.message.site, room);
  Fill(&c.message.login, login);
  Fill(&c.message.message, text);
}

// Another user's client fetching an offer from the controller's file port, to the end, or to
// `keep` bytes and then dropping the link; past its first part it waits for `resume` if given.
struct Fetch {
  std::string bytes;
  bool refused = false, interrupted = false;
  Fetch(unsigned short port, std::string login, std::string key, size_t keep = SIZE_MAX,
        const std::atomic<bool>* resume = nullptr) {
    FileTransferLink link;
    C2C_Request_t ask{};
    ask.present = C2C_Request_PR_askforfile;
    ask.choice.askforfile.login = {reinterpret_cast<uint8_t*>(&login[0]), static_cast<int>(login.size()), {}};
    ask.choice.askforfile.fileKey = {reinterpret_cast<uint8_t*>(&key[0]), static_cast<int>(key.size()), {}};
    C2C_Request_t* answer = link.ConnectTo("127.0.0.1", port, 5000) && link.Send(ask) ? link.Receive(5000) : nullptr;
    refused = !answer || answer->present != C2C_Request_PR_askforfile_ack || !answer->choice.askforfile_ack.status;
    FileTransferLink::FreeRequest(answer);
    for (bool data = !refused; data && bytes.size() < keep;) {
      if (resume && !bytes.empty()) testsupport::WaitFor([&] { return resume->load(); }, milliseconds(10000));
      C2C_Request_t* part = link.Receive(10000);
      data = part && part->present == C2C_Request_PR_file;
      // The sender stopped: by its interrupt, or by a reset when the line held too much to wait.
      interrupted = (part && part->present == C2C_Request_PR_interrupt) || (!part && link.PeerReset());
      if (data) bytes.append(reinterpret_cast<char*>(part->choice.file.fileData.buf), part->choice.file.fileData.size);
      FileTransferLink::FreeRequest(part);
    }
  }
};

int Count(const std::vector<std::string>& lines, const std::string& part) {
  return static_cast<int>(std::count_if(lines.begin(), lines.end(),
                                        [&](const std::string& l) { return l.find(part) != std::string::npos; }));
}

}  // namespace

TEST(ManagerSites, ThePagesOfTheBrowser) {
  Session s;
  ASSERT_TRUE(s.link);
  // New pages: the server is asked for their rooms, and the count of users reaches the waiting
  // extension (the user not counted).
  s.manager->SetSiteStatus("http://mine.example/", SITE_OPEN);
  for (std::string site : {kRoom, std::string("http://mine.example/")}) {
    auto page = Browse(site);
    C2SPtr open = s.Got(C2S_Request_PR_openurl);
    ASSERT_TRUE(open);
    EXPECT_EQ(site, Text(open->choice.openurl.site));
    s.Send(S2C_Request_PR_openurlok, [&](Choice& c) {
      Fill(&c.openurlok.site, site);
      c.openurlok.nbrUsers = 5;
    });
    EXPECT_EQ("4", s.Answer(std::move(page)));
  }
  // The default blocked: the room following it closes and the extension hears it; open again:
  // it reopens, and the room open all along is not asked for twice.
  s.manager->SetDefaultSiteStatus(SITE_BLOCKED);
  EXPECT_TRUE(s.Got(C2S_Request_PR_closeurl));
  EXPECT_EQ("-11", s.Answer(Browse("ASK:" + kRoom)));
  s.manager->SetDefaultSiteStatus(SITE_OPEN);
  ASSERT_TRUE(s.Got(C2S_Request_PR_openurl));
  EXPECT_TRUE(s.Quiet());
  s.Send(S2C_Request_PR_openurlok, [&](Choice& c) { Fill(&c.openurlok.site, kRoom); });
  // Refused by the server, blocked here, local: -10, -11, -12; the server hears of the first only.
  auto page = Browse("http://refused.example/");
  ASSERT_TRUE(s.Got(C2S_Request_PR_openurl));
  s.Send(S2C_Request_PR_openurlfail, [&](Choice& c) { Fill(&c.openurlfail.site, "http://refused.example/"); });
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
  // A room of an ended session is not closed in the next: the page closed while offline, and
  // following the default again, the default blocked asks nothing of the new session.
  s.manager->Disconnect(false, true);
  s.Answer(Browse("CLOSE:http://mine.example/"));
  s.manager->SetSiteStatus("http://mine.example/", SITE_DEFAULT);
  ASSERT_TRUE(s.link = s.LogIn(*s.server));
  s.Await(*s.link, C2S_Request_PR_askmessengerprotocols, true);
  // Every log-in reports the client.
  s.Await(*s.link, C2S_Request_PR_clientinfo, true);
  s.manager->SetDefaultSiteStatus(SITE_BLOCKED);
  EXPECT_TRUE(s.Quiet());
  Config::GetInstance()->SetDefaultSiteStatus(SITE_OPEN);
}

TEST(ManagerRooms, MessagesWithSmileysAndTyping) {
  Session s;
  ASSERT_TRUE(s.link);
  Online(s, "bob");
  s.manager->SubscribeChatRoom(kRoom);
  ASSERT_TRUE(s.Got(C2S_Request_PR_suburl));
  s.Send(S2C_Request_PR_suburlack, [](Choice& c) { Fill(&c.suburlack.site, kRoom); });
  s.Send(S2C_Request_PR_suburlack, [](Choice& c) {  // an answer this client does not know: failed
    Fill(&c.suburlack.site, "http://other.example/");
    c.suburlack.answer = 7;
  });
  EXPECT_EQ((std::vector<std::string>{"1017 member none bob 0 n1f0", "1013 [" + kRoom + "]",
                                      "1014 [http://other.example/]"}),
            s.Lines());

  // Alice's own smiley, used twice, goes before the message each time; a built-in one does not.
  // A smiley whose shortcut a damaged settings file left empty is never found.
  wxImage(4, 4).SaveFile(s.dir.file("cat.png"), wxBITMAP_TYPE_PNG);
  Smiley* cat = s.manager->AddSmiley(new Smiley("cat", ":cat:", s.dir.file("cat.png"), false));
  Smiley* empty = s.manager->AddSmiley(new Smiley("empty", "", s.dir.file("cat.png"), false));
  unsigned position = 0, index = 0;
  EXPECT_FALSE(s.manager->FindFirstSmiley("no smiley", "alice", &position, &index));
  EXPECT_EQ(9u, position);
  ASSERT_TRUE(s.manager->SendMessage(kRoom, ":cat: hi :) :cat:"));
  for (int i = 0; i < 2; ++i) {
    C2SPtr smiley = s.Got(C2S_Request_PR_addsmiley);
    ASSERT_TRUE(smiley);
    EXPECT_EQ(":cat:", Text(smiley->choice.addsmiley.codesmiley));
  }
  C2SPtr said = s.Got(C2S_Request_PR_sendmessage);
  ASSERT_TRUE(said);
  EXPECT_EQ(":cat: hi :) :cat:", Text(said->choice.sendmessage.message));
  // 513 characters, or broken UTF-8: refused before anything goes out, never shown as said;
  // 512 characters of two bytes each pass.
  EXPECT_FALSE(s.manager->SendMessage(kRoom, std::string(513, 'x')));
  EXPECT_FALSE(s.manager->SendMessage(kRoom, ":cat: \xC3("));
  EXPECT_TRUE(s.Quiet());
  std::string wide;
  for (int i = 0; i < 512; ++i) wide += "\xC3\xA9";
  EXPECT_TRUE(s.manager->SendMessage(kRoom, wide));
  EXPECT_TRUE(s.Got(C2S_Request_PR_sendmessage));

  // Bob's words, one from the room's history, and his typing; then Alice's typing.
  s.Send(S2C_Request_PR_message, [](Choice& c) {
    Said(c, kRoom, "bob", "earlier");
    c.message.history = asn1::NewValue<int>(1);
  });
  for (int on : {1, 0})
    s.Send(S2C_Request_PR_keytyped, [on](Choice& c) {
      Fill(&c.keytyped.site, kRoom);
      Fill(&c.keytyped.login, "bob");
      c.keytyped.enabled = asn1::NewValue<int>(on);
    });
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
  EXPECT_EQ((std::vector<std::string>{"0 message alice :cat: hi :) :cat:", "0 message alice " + wide,
                                      "0 message bob earlier (old)", "0 [" + kRoom + "] [bob] [Bob] [1]",
                                      "0 [" + kRoom + "] [bob] [Bob] []"}),
            s.Lines());
  s.manager->RemoveSmiley(empty);
  delete cat;
  delete empty;
}

TEST(ManagerRooms, APrivateRoomAndItsInvitations) {
  Session s;
  ASSERT_TRUE(s.link);
  Online(s, "bob");
  s.Lines();
  // The room with Bob has the same name on both sides: the smaller login first.
  bool existed = true;
  const std::string room = s.manager->CreateVirtualChatRoom("bob", &existed);
  EXPECT_EQ("prv://parlavox/alice:bob", room);
  EXPECT_FALSE(existed);
  EXPECT_TRUE(s.Got(C2S_Request_PR_suburl));
  EXPECT_EQ("", s.manager->CreateVirtualChatRoom("zed", &existed));  // not online: nothing asked
  s.Send(S2C_Request_PR_suburlack, [&](Choice& c) { Fill(&c.suburlack.site, room); });
  s.Send(S2C_Request_PR_message, [&](Choice& c) { Said(c, room, "bob", "hello"); });
  // Carol invited: the server makes a room for the three. She accepts (the room's members are
  // shown to her), Dave refuses; then two invitations come for Alice.
  EXPECT_TRUE(s.manager->InviteContactInChatRoom(room, "carol"));
  C2SPtr invite = s.Got(C2S_Request_PR_invitechatroom);
  ASSERT_TRUE(invite);
  EXPECT_FALSE(invite->choice.invitechatroom.site);
  ASSERT_EQ(2, invite->choice.invitechatroom.logins.list.count);
  EXPECT_EQ("bob", Text(*invite->choice.invitechatroom.logins.list.array[1]));
  for (const char* who : {"carol", "dave"})
    s.Send(S2C_Request_PR_invitechatroomanswer, [&](Choice& c) {
      Fill(&c.invitechatroomanswer.site, room);
      Fill(&c.invitechatroomanswer.login, who);
      c.invitechatroomanswer.answer = who == std::string("carol");
    });
  for (const char* other : {"prv://parlavox/g1/x", "prv://parlavox/g2/y"})
    s.Send(S2C_Request_PR_invitechatroom, [&](Choice& c) {
      Fill(&c.invitechatroom.site, other);
      Fill(&c.invitechatroom.login, "bob");
    });
  EXPECT_EQ((std::vector<std::string>{"1013 member " + room + " bob 2 n0f1", "0 message bob hello",
                                      "1017 member " + room + " bob 0 n1f0", "0 event 4 " + room + " carol",
                                      "0 event 5 " + room + " dave", "0 event 8 prv://parlavox/g1/x bob",
                                      "0 event 8 prv://parlavox/g2/y bob"}),
            s.Lines());
  // Alice accepts the first (the third request stored) and refuses the second; what is no
  // invitation is not answered.
  for (long id : {2, 3}) {
    ASSERT_TRUE(s.manager->InviteContactInChatRoomAck(id, id == 2, "m"));
    C2SPtr answer = s.Got(C2S_Request_PR_invitechatroomanswer);
    ASSERT_TRUE(answer);
    EXPECT_EQ(id == 2 ? "prv://parlavox/g1/x" : "prv://parlavox/g2/y", Text(answer->choice.invitechatroomanswer.site));
    EXPECT_EQ(id == 2, answer->choice.invitechatroomanswer.status != 0);
  }
  EXPECT_FALSE(s.manager->InviteContactInChatRoomAck(0, true, ""));
  EXPECT_FALSE(s.manager->InviteContactInChatRoomAck(999, true, ""));
  EXPECT_TRUE(s.Quiet());
  // Alice leaves the room: Bob's typing there is shown no more.
  s.manager->UnsubscribeChatRoom(room);
  EXPECT_TRUE(s.Got(C2S_Request_PR_unsuburl));
  s.Send(S2C_Request_PR_keytyped, [&](Choice& c) {
    Fill(&c.keytyped.site, room);
    Fill(&c.keytyped.login, "bob");
  });
  EXPECT_TRUE(s.Lines().empty());
}

TEST(ManagerFiles, AnOfferFetchedWholeWhileMessagesFlow) {
  Session s;
  ASSERT_TRUE(s.link);
  std::string content(6 << 20, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>((i * 7919) >> 8);
  testsupport::WriteFile(s.dir.file("video.bin"), content);
  std::string key = s.manager->SendFile(kRoom, s.dir.file("video.bin"), "video.bin");
  C2SPtr offer = s.Got(C2S_Request_PR_sendfile);
  ASSERT_TRUE(offer);
  EXPECT_EQ(key, Text(offer->choice.sendfile.filekey));
  EXPECT_EQ(6 << 20, offer->choice.sendfile.filesize);
  EXPECT_EQ(s.manager->GetTimeKey().size() + 7, key.size());  // the time, then seven digits
  // Bob fetches it while he and Alice talk.
  auto start = std::chrono::steady_clock::now();
  std::unique_ptr<Fetch> bob;
  std::thread bobSide([&] { bob.reset(new Fetch(static_cast<unsigned short>(offer->choice.sendfile.port), "bob", key)); });
  for (int i = 0; i < 200; ++i) {
    s.Send(S2C_Request_PR_message, [&](Choice& c) { Said(c, kRoom, "bob", "line " + std::to_string(i)); });
    if (i % 20 == 0) {
      EXPECT_TRUE(s.manager->SendMessage(kRoom, "answer " + std::to_string(i)));
    }
  }
  ASSERT_TRUE(s.WaitFor([&] { return Count(s.events.files, "0 file 7 ") == 1; }, milliseconds(60000)));
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  bobSide.join();
  EXPECT_TRUE(bob->bytes == content);
  EXPECT_EQ("0 file 3 bob@@@" + key + " 0", s.events.files.front());
  EXPECT_EQ("0 file 7 bob@@@" + key + " " + std::to_string(6 << 20), s.events.files.back());
  EXPECT_LE(Count(s.events.files, "0 file 4 "), 1 + static_cast<int>(seconds * 10)) << seconds;
  EXPECT_EQ(200 + 10, Count(s.Lines(), " message "));

  // Progress reported faster than ten times a second is thinned out; the end always shows. A
  // relayed file nobody asked for is not taken.
  s.events.files.clear();
  start = std::chrono::steady_clock::now();
  for (int i = 1; i <= 1000; ++i)
    ProcessRelay::Get().MessageFile(FM_IN_PROGRESS, "bob", kRoom, "f", "99", "99", "", 0, 0, true, i, 1000, 0);
  ProcessRelay::Get().MessageFile(FM_COMPLETE, "bob", kRoom, "f", "99", "99", "", 0, 0, true, 1000, 1000, 0);
  s.Send(S2C_Request_PR_askforfileack, [&](Choice& c) { Fill(&c.askforfileack.filekey, key); });
  s.Lines();
  // Measured once every report has been handled: the thinning may be decided as they are.
  double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ("0 file 4 99 1", s.events.files.front());
  EXPECT_EQ("0 file 7 99 1000", s.events.files.back());
  EXPECT_LE(s.events.files.size(), 2 + static_cast<size_t>(elapsed * 10));

  // Progress held back is not lost: a transfer that then pauses shows its newest count once
  // the interval is over. One whose state changed meanwhile never shows the older progress.
  s.events.files.clear();
  auto progress = [](const char* key, int64_t done, t_fm_status status = FM_IN_PROGRESS) {
    ProcessRelay::Get().MessageFile(status, "bob", kRoom, "f", key, key, "", 0, 0, true, done, 1000, 0);
  };
  for (int64_t done : {10, 20, 30}) progress("98", done);
  progress("97", 10);
  progress("97", 20);
  progress("97", 25, FM_FAILED);
  // The held report goes with a timer: the toolkit's own loop runs it.
  wxGUIEventLoop loop;
  wxEventLoopActivator active(&loop);
  ASSERT_TRUE(s.WaitFor([&] {
    loop.YieldFor(wxEVT_CATEGORY_TIMER);
    return Count(s.events.files, "0 file 4 98 30") == 1;
  })) << s.events.files.size();
  EXPECT_EQ("0 file 4 98 10", s.events.files.front());
  const auto failed = std::find(s.events.files.begin(), s.events.files.end(), "0 file 6 97 25");
  ASSERT_NE(s.events.files.end(), failed);
  EXPECT_EQ(0, Count(std::vector<std::string>(failed, s.events.files.end()), "0 file 4 97 "))
      << "progress shown after the transfer failed";

  // A transfer the end of the session cut short leaves nothing paced behind it.
  progress("96", 10);
  progress("96", 20);
  s.Lines();
  EXPECT_GT(s.manager->GetPacedTransfers(), 0u);
  s.manager->Disconnect(false, true);
  EXPECT_EQ(0u, s.manager->GetPacedTransfers());
}

// Alice stops an upload, Bob drops another, then Alice withdraws the offer altogether.
TEST(ManagerFiles, CancelledFromEachSide) {
  Session s;
  ASSERT_TRUE(s.link);
  const size_t size = 32 << 20;  // far more than the sockets hold, so that both ends are mid-way
  testsupport::WriteFile(s.dir.file("big.bin"), std::string(size, 'b'));
  std::string key = s.manager->SendFile(kRoom, s.dir.file("big.bin"), "big.bin");
  C2SPtr offer = s.Got(C2S_Request_PR_sendfile);
  ASSERT_TRUE(offer);
  auto port = static_cast<unsigned short>(offer->choice.sendfile.port);
  std::atomic<bool> resume{false};
  std::unique_ptr<Fetch> bob;
  std::thread bobSide([&] { bob.reset(new Fetch(port, "bob", key, SIZE_MAX, &resume)); });
  ASSERT_TRUE(s.WaitFor([&] { return Count(s.events.files, " 4 bob@@@") > 0; }));
  s.manager->CancelUpload("bob@@@" + key);
  resume = true;
  ASSERT_TRUE(s.WaitFor([&] { return Count(s.events.files, " 5 bob@@@") > 0; }, milliseconds(30000)));
  bobSide.join();
  EXPECT_TRUE(bob->interrupted);
  EXPECT_LT(bob->bytes.size(), size);
  EXPECT_EQ(3u * 8192, Fetch(port, "carol", key, 3 * 8192).bytes.size());
  ASSERT_TRUE(s.WaitFor([&] { return Count(s.events.files, " 6 carol@@@") > 0; }, milliseconds(30000)));
  s.manager->CancelUploadFile(key);
  C2SPtr withdrawn = s.Got(C2S_Request_PR_cancelfile);
  ASSERT_TRUE(withdrawn);
  EXPECT_EQ(key, Text(withdrawn->choice.cancelfile.filekey));
  EXPECT_TRUE(Fetch(port, "dave", key).refused);
  // A file of 2 GiB or more is not offered: the peers' sizes are 32-bit.
  ASSERT_EQ(0, truncate(s.dir.file("big.bin").c_str(), 1LL << 31));
  EXPECT_EQ("", s.manager->SendFile(kRoom, s.dir.file("big.bin"), "big.bin"));
  EXPECT_TRUE(s.Quiet());
  s.Lines();
  // Each ending is posted once, and nothing of its transfer after it.
  EXPECT_EQ(1, Count(s.events.files, " 5 bob@@@"));
  EXPECT_EQ(1, Count(s.events.files, " 6 carol@@@"));
  EXPECT_EQ(std::string::npos, s.events.files.back().find(" 4 "));
}

namespace {

void Offered(Choice& c, const std::string& key, const std::string& name, long port) {
  Fill(&c.file.login, "bob");
  Fill(&c.file.site, kRoom);
  Fill(&c.file.filename, name);
  Fill(&c.file.filekey, key);
  c.file.filesize = 5000000;
  Fill(&c.file.ip, "127.0.0.1");
  c.file.port = port;
}

void Withdrawn(Choice& c, const std::string& key) {
  Fill(&c.cancelfile.site, kRoom);
  Fill(&c.cancelfile.filekey, key);
}

}  // namespace

TEST(ManagerRooms, TextAfterANulByteIsShownNotCut) {
  Session s;
  ASSERT_TRUE(s.link);
  const std::string log = testsupport::RestartLogAt(s.dir, "nul.log");
  s.Send(S2C_Request_PR_message, [](Choice& c) { Said(c, kRoom, "bob", std::string("before\0after\0", 13)); });
  s.Send(S2C_Request_PR_file, [](Choice& c) { Offered(c, "1765000000300009", std::string("a\0b.txt", 7), 1); });
  EXPECT_EQ(std::vector<std::string>{"0 message bob before\xEF\xBF\xBD" "after\xEF\xBF\xBD"}, s.Lines());
  const std::string trace = testsupport::DecodeLogFile(log, LOG_KEY_START, log_step());
  EXPECT_NE(std::string::npos, trace.find("2 NUL byte(s) in a message shown as U+FFFD"));
  EXPECT_NE(std::string::npos, trace.find("1 NUL byte(s) in a file name shown as U+FFFD"));
}

TEST(ManagerFiles, AWithdrawalEndsOnlyAnOfferNotFetched) {
  Session s;
  ASSERT_TRUE(s.link);
  // Two offers of bob's; alice fetches the first, from a port where no one listens.
  const std::string fetched = "1765000000300001", untouched = "1765000000300002";
  s.Send(S2C_Request_PR_file, [&](Choice& c) { Offered(c, fetched, "fetched.bin", 1); });
  s.Send(S2C_Request_PR_file, [&](Choice& c) { Offered(c, untouched, "untouched.bin", 1); });
  s.Lines();
  s.manager->DownloadFile(fetched, s.dir.file("fetched.bin"));
  ASSERT_TRUE(s.WaitFor([&] { return Count(s.events.files, " file 0 " + fetched) > 0; }));
  // Both withdrawn, twice: the fetched one's transfer has told its end already; the other ends
  // once, under the key its download would have had.
  for (int i = 0; i < 2; ++i)
    for (const std::string& key : {fetched, untouched})
      s.Send(S2C_Request_PR_cancelfile, [&](Choice& c) { Withdrawn(c, key); });
  s.Lines();
  EXPECT_EQ(0, Count(s.events.files, " file 8 " + fetched));
  EXPECT_EQ(0, Count(s.events.files, "@@@"));
  EXPECT_EQ(1, Count(s.events.files, " file 8 " + untouched + " 0"));
}

namespace {

void Member(Session& s, const std::string& login, const std::string& room, bool entering) {
  s.Send(S2C_Request_PR_updcontact, [&](Choice& c) {
    Fill(&c.updcontact.login, login);
    c.updcontact.site = asn1::NewOctetString(room);
    c.updcontact.nickname = asn1::NewOctetString("Passer-by " + login);
    c.updcontact.status = asn1::NewValue<long>(entering ? STATUS_ONLINE : STATUS_OFFLINE);
    c.updcontact.hasSubscribed = asn1::NewValue<BOOLEAN_t>(entering ? 1 : 0);
  });
}

}  // namespace

TEST(ManagerRooms, StrangersWhoLeftEveryRoomAreFreedUnlessHandedOut) {
  Session s;
  ASSERT_TRUE(s.link);
  const std::string room = "http://www.busy.example/";
  // Waits until the controller has posted n more updates of members, and forgets them.
  auto handled = [&](size_t n) {
    const bool all = s.WaitFor([&] { return s.events.lines.size() >= n; }, milliseconds(60000));
    s.events.lines.clear();
    return all;
  };
  s.Lines();
  // A member whose record was handed out (a window may hold it) before he left: it stays.
  Member(s, "held", room, true);
  ASSERT_TRUE(handled(1));
  ContactInfo* held = s.manager->GetContactInfo("held");
  Member(s, "held", room, false);
  ASSERT_TRUE(handled(1));
  // Logins that stay, and as many that come and go: what the second leave behind, per login.
  // The trace's lines wait in memory for its writer, which a busy machine holds back: both
  // readings of the heap are taken once every line so far is written, when no more copies of
  // the main thread's lines are left than the trace keeps for its next ones.
  auto pass = [&](const std::string& prefix, int count, bool leave) {
    log_flush();
    const long before = static_cast<long>(HeapInUse());
    for (int i = 0; i < count; ++i) {
      Member(s, prefix + std::to_string(i), room, true);
      if (leave) Member(s, prefix + std::to_string(i), room, false);
    }
    EXPECT_TRUE(handled(static_cast<size_t>(count) * (leave ? 2 : 1)));
    // The link's reader frees the requests the controller handled as it hands over its next
    // one: two more, answered, leave none of the burst's waiting (up to a thousand of them); and
    // what the controller posted meanwhile is handled.
    s.Lines();
    s.Lines();
    log_flush();
    return static_cast<long>(HeapInUse()) - before;
  };
  const int count = 3000;
  const long staying = pass("stay", count, false);
  const long passing = pass("pass", count, true);
  printf("heap kept per login: %ld bytes while in the room, %ld bytes once gone\n", staying / count, passing / count);
  // Kept records would leave nine tenths of a member's heap per login; buffers of the link that
  // happen to be alive at the second reading, and the trace's spare copies of lines (a thousand
  // at most, a hundred bytes a login), are the rest.
  EXPECT_LT(passing, staying / 3);
  EXPECT_EQ(held, s.manager->GetContactInfo("held"));
  EXPECT_EQ("Passer-by held", held->GetNickname());
  // One who comes back is a member again, with a record of his own.
  Member(s, "pass7", room, true);
  ASSERT_TRUE(handled(1));
  EXPECT_TRUE(s.manager->GetContactInfo("pass7")->IsSubscribedTo(room));
  EXPECT_EQ(count + 1, static_cast<int>(s.manager->GetSubscribedContacts(room).size()));
}

// A room's members are listed once each, in the order they came, whatever arrives twice or
// leaves without having come; those who leave go from the list, and the list is new after a
// log-in again.
TEST(ManagerRooms, MembersAreListedOnceInTheOrderTheyCame) {
  Session s;
  ASSERT_TRUE(s.link);
  const std::string room = "http://www.crowd.example/", other = "http://www.other.example/";
  auto members = [&](const std::string& site) {
    s.Lines();
    std::vector<std::string> logins;
    for (ContactInfo* member : s.manager->GetSubscribedContacts(site)) logins.push_back(member->GetLogin());
    return logins;
  };
  for (const char* login : {"ann", "ben", "cat", "ben", "dan"}) Member(s, login, room, true);
  Member(s, "ann", other, true);
  Member(s, "eve", room, false);  // never came
  EXPECT_EQ((std::vector<std::string>{"ann", "ben", "cat", "dan"}), members(room));
  Member(s, "ben", room, false);
  Member(s, "ben", room, false);
  Member(s, "ann", room, false);
  Member(s, "ann", room, true);
  EXPECT_EQ((std::vector<std::string>{"cat", "dan", "ann"}), members(room));
  EXPECT_EQ((std::vector<std::string>{"ann"}), members(other));
  for (const char* login : {"cat", "dan", "ann"}) Member(s, login, room, false);
  EXPECT_TRUE(members(room).empty());
  Member(s, "cat", room, true);
  EXPECT_EQ((std::vector<std::string>{"cat"}), members(room));

  s.manager->Disconnect(false, false);
  EXPECT_TRUE(s.manager->GetSubscribedContacts(room).empty());
  EXPECT_TRUE(s.manager->GetSubscribedContacts(other).empty());
}

// A room the user is done with (left, and its site not open in the browser) is forgotten: who
// was in it, the room in every record's subscriptions, and the records no window was handed. Over a day of browsing the rooms left
// would otherwise stay until the log-out. A room still followed keeps its members: a site open in
// the browser hears of who is in its room, a room the user stays in goes on without its page.
TEST(ManagerRooms, ARoomDoneWithForgetsWhoWasInIt) {
  Session s;
  ASSERT_TRUE(s.link);
  ContactInfo* own = s.manager->GetOwnContactInfo();
  auto members = [&](const std::string& room) {
    s.Lines();
    std::vector<std::string> logins;
    for (ContactInfo* member : s.manager->GetSubscribedContacts(room)) logins.push_back(member->GetLogin());
    return logins;
  };
  auto open = [&](const std::string& site) {
    auto page = Browse(site);
    ASSERT_TRUE(s.Got(C2S_Request_PR_openurl));
    s.Send(S2C_Request_PR_openurlok, [&](Choice& c) { Fill(&c.openurlok.site, site); });
    s.Answer(std::move(page));
  };
  auto enter = [&](const std::string& room) {
    s.manager->SubscribeChatRoom(room);
    ASSERT_TRUE(s.Got(C2S_Request_PR_suburl));
    s.Send(S2C_Request_PR_suburlack, [&](Choice& c) { Fill(&c.suburlack.site, room); });
    s.Lines();
    ASSERT_TRUE(s.manager->HasSubscribedTo(room));
  };
  auto close = [&](const std::string& site) {
    s.Answer(Browse("CLOSE:" + site));
    ASSERT_TRUE(s.Got(C2S_Request_PR_closeurl));
  };
  auto leave = [&](const std::string& room) {
    s.manager->UnsubscribeChatRoom(room);
    ASSERT_TRUE(s.Got(C2S_Request_PR_unsuburl));
  };

  // Left while the page stays open: followed still; the page closed: forgotten.
  const std::string first = "http://first.example/";
  open(first);
  enter(first);
  Member(s, "ann", first, true);
  leave(first);
  Member(s, "ben", first, true);
  EXPECT_EQ((std::vector<std::string>{"ann", "ben"}), members(first));
  close(first);
  EXPECT_TRUE(members(first).empty());
  EXPECT_FALSE(s.manager->GetContactInfo("ann")->IsSubscribedTo(first));
  EXPECT_FALSE(own->IsSubscribedTo(first));

  // The page closed while the user stays in the room: followed still; left: forgotten, and with
  // it the record of a member no window was handed (dee), while ann's, handed out, stays.
  const std::string second = "http://second.example/";
  open(second);
  enter(second);
  Member(s, "ann", second, true);
  close(second);
  EXPECT_EQ((std::vector<std::string>{"ann"}), members(second));
  EXPECT_TRUE(own->IsSubscribedTo(second));
  Member(s, "dee", second, true);
  s.Lines();
  EXPECT_EQ("Passer-by dee", s.manager->GetNickname("dee"));
  leave(second);
  EXPECT_EQ("<dee>", s.manager->GetNickname("dee"));
  EXPECT_EQ("Passer-by ann", s.manager->GetNickname("ann"));
  EXPECT_TRUE(members(second).empty());
  EXPECT_FALSE(s.manager->GetContactInfo("ann")->IsSubscribedTo(second));
  EXPECT_FALSE(own->IsSubscribedTo(second));

  // A one-to-one room: forgotten once left. A site the user never entered keeps being followed
  // while its page is open, and the rooms of other sites are untouched.
  Online(s, "bob");
  const std::string pair = s.manager->GetPrivateChatRoomNameWith("bob");
  enter(pair);
  EXPECT_EQ((std::vector<std::string>{"bob"}), members(pair));
  const std::string third = "http://third.example/";
  open(third);
  Member(s, "cat", third, true);
  leave(pair);
  EXPECT_TRUE(members(pair).empty());
  EXPECT_FALSE(s.manager->GetContactInfo("bob")->IsSubscribedTo(pair));
  EXPECT_EQ((std::vector<std::string>{"cat"}), members(third));
  EXPECT_TRUE(s.manager->GetContactInfo("cat")->IsSubscribedTo(third));
  EXPECT_TRUE(s.Quiet());
}

// The sites panel shows who is on an open site's page or in its room: their records stay while
// it does, though no window was handed them, and go once it no longer does or the session ends.
TEST(ManagerRooms, PeopleShownOnAnOpenSiteKeepTheirRecords) {
  Session s;
  ASSERT_TRUE(s.link);
  const std::string site = "http://shown.example/";
  auto page = Browse(site);
  ASSERT_TRUE(s.Got(C2S_Request_PR_openurl));
  s.Send(S2C_Request_PR_openurlok, [&](Choice& c) { Fill(&c.openurlok.site, site); });
  s.Answer(std::move(page));
  // status -1: none in the update.
  auto update = [&](const std::string& login, long status, bool inRoom) {
    s.Send(S2C_Request_PR_updcontact, [&](Choice& c) {
      Fill(&c.updcontact.login, login);
      c.updcontact.site = asn1::NewOctetString(site);
      c.updcontact.nickname = asn1::NewOctetString("Visitor " + login);
      if (status >= 0) c.updcontact.status = asn1::NewValue<long>(status);
      c.updcontact.hasSubscribed = asn1::NewValue<BOOLEAN_t>(inRoom ? 1 : 0);
    });
    s.Lines();
  };
  update("vic", STATUS_ONLINE, false);
  update("val", STATUS_ONLINE, true);
  update("val", -1, false);  // out of the room, on the page still
  EXPECT_EQ("Visitor vic", s.manager->GetNickname("vic"));
  EXPECT_EQ("Visitor val", s.manager->GetNickname("val"));
  update("val", STATUS_OFFLINE, false);
  EXPECT_EQ("<val>", s.manager->GetNickname("val"));
  s.manager->Disconnect(false, false);
  EXPECT_EQ("<vic>", s.manager->GetNickname("vic"));
}
