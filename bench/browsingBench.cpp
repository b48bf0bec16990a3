// A day of browsing: the whole main window, logged in over a real TLS link to the protocol test
// server, the browser extension played on the extension listener's port with the requests a
// browser sends, and the server's answers given as the server gives them.
//   pages: 1,000 distinct pages opened and closed one after the other. Each opens its site's room
//     (the extension's page, the server's acknowledgement with one other Parlavoxer on the site,
//     who then shows in the site's panel, and the pop-up that announces him); the user opens the
//     site's comments from its panel, reads them once the comments server's page has come and
//     closes the window, then looks at the visitor's profile and closes it; the page closes
//     again (the extension's close, the site's panel gone, the server told);
//   rooms: 200 distinct rooms entered and left: a site's room joined from its page (then a page
//     of the chat-rooms window), whose comments the user opens from the room and closes, a
//     one-to-one room a stranger opens by writing, and one the user opens with a saved contact
//     (in both the user looks at the other's profile and closes it); in each, the other types,
//     writes a few lines and the user answers; the user closes the room's tab, and the site's
//     page closes.
// Measured, once the event loop has settled (the pop-up gone, the windows whose deletion was
// asked for destroyed, the trace log written): the heap in use and the resident memory that each
// page and each room leaves behind (their growth from the end of a warm-up, the first tenth of
// the pages and the first fifth of the rooms, divided by the pages or rooms after it), against
// 20 kB, with the windows alive at both ends beside them; and the processor time of one turn of
// the event loop at rest (each idle turn asking for the next) after 1,000 pages against the same
// after 100, whose growth is held against 1.2: the tool kit visits every window at each turn, so
// that a window kept for each page slows every turn of the rest of the day. The turn after 100
// pages is a second bench process's, which browses that many pages beside this one and then
// waits: the two take short runs of turns in turn on the same processor, many pairs, so that a
// load that comes and goes on a shared machine weighs on both sides of a pair alike, and the
// figure is the median of the pairs' ratios (see MeasureTurnGrowth).
// Each figure is printed beside its limit as a ratio; the program exits non-zero when one is
// over it, or when a page or a room did not open or close.
// Usage: browsingBench [--pages N] [--rooms N]
#include <fcntl.h>
#include <malloc.h>
#include <sched.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "asn1/octetString.h"
#include "bench/benchFigures.h"
#include "bench/loggedInBench.h"
#include "bench/roomLastLine.h"
#include "gui/notifyFrame.h"
#include "gui/profiles/contactInfoFrame.h"
#include "gui/rooms/chatRoomPanel.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/rooms/commentsFrame.h"
#include "gui/rooms/commentsPageLoader.h"
#include "gui/sites/sitePanel.h"
#include "gui/sites/sitesPanel.h"
#include "gui/soundPlayer.h"
#include "model/nextIdleTurn.h"
#include "network/localServer.h"
#include "tests/gui/httpTestServer.h"

using Clock = std::chrono::steady_clock;
using namespace testserver;

namespace {

const double kKeptLimitKiB = 20;
const double kTurnGrowthLimit = 1.2;
// Rounds of paired runs of idle turns, a pair on each processor per round; the first round
// only warms up.
const int kTurnRounds = 9;
const int kMostTurnsPerRun = 1000;
// The people met on the sites' pages: a handful, met again and again.
const int kVisitors = 20;
const double kWaitSeconds = 20;
// The saved contacts the user talks with, each in a room of their own.
const int kFriends = 50;

std::string Visitor(int i) { return "visitor" + std::to_string(i % kVisitors); }

// One request of the browser extension, sent as the browser sends it; its answer is read without
// waiting, since the listener answers a new page only once the controller, on this thread, has.
class ExtensionCall {
 public:
  ExtensionCall(unsigned short port, const std::string& path) {
    m_fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const std::string request =
        "GET /" + path + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n\r\n";
    if (connect(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        send(m_fd, request.data(), request.size(), MSG_NOSIGNAL) != ssize_t(request.size()))
      m_done = true;
  }
  ~ExtensionCall() { close(m_fd); }
  ExtensionCall(const ExtensionCall&) = delete;
  ExtensionCall& operator=(const ExtensionCall&) = delete;

  // The listener has answered and closed the connection.
  bool Done() {
    char bytes[64];
    while (!m_done) {
      const ssize_t got = recv(m_fd, bytes, sizeof bytes, MSG_DONTWAIT);
      if (got > 0) continue;
      if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return false;
      m_done = true;
    }
    return true;
  }

 private:
  int m_fd = -1;
  bool m_done = false;
};

// The server's side of the link: each page's room opened with one other Parlavoxer, who then
// arrives on the page; each room the user asks to enter, entered. What the client sends is
// counted by kind, so that the bench knows when a close or a leave has reached the server.
class ServerSide {
 public:
  explicit ServerSide(std::shared_ptr<TestConnection> link) : m_link(std::move(link)), m_thread([this] { Run(); }) {}
  ~ServerSide() {
    m_stop = true;
    m_thread.join();
  }

  long Count(C2S_Request_PR kind) const { return m_counts[size_t(kind) % kKinds].load(); }

 private:
  static constexpr size_t kKinds = 64;

  void Run() {
    while (!m_stop) {
      std::unique_ptr<Received> got = m_link->Next(Millis(20));
      if (!got) continue;
      const C2S_Request_t& request = *got->request;
      if (request.present == C2S_Request_PR_openurl) Opened(Text(request.choice.openurl.site));
      if (request.present == C2S_Request_PR_suburl) Entered(Text(request.choice.suburl.site));
      ++m_counts[size_t(request.present) % kKinds];
    }
  }

  void Opened(const std::string& site) {
    auto ok = NewS2C(S2C_Request_PR_openurlok);
    Fill(&ok->choice.openurlok.authkey, "K1");
    Fill(&ok->choice.openurlok.site, site);
    Fill(&ok->choice.openurlok.idcomments, "1");
    ok->choice.openurlok.nbrUsers = 2;
    ok->choice.openurlok.nbrMessages = 3;
    auto visitor = NewS2C(S2C_Request_PR_updcontact);
    Fill(&visitor->choice.updcontact.authkey, "K1");
    Fill(&visitor->choice.updcontact.login, Visitor(m_opened++));
    visitor->choice.updcontact.site = asn1::NewOctetString(site);
    visitor->choice.updcontact.status = asn1::NewValue<long>(STATUS_ONLINE);
    visitor->choice.updcontact.nickname = asn1::NewOctetString("Visitor");
    visitor->choice.updcontact.nbrUsers = asn1::NewValue<long>(2);
    visitor->choice.updcontact.hasSubscribed = asn1::NewValue<int>(0);
    m_link->SendBytes(EncodeS2C(*ok) + EncodeS2C(*visitor));
  }

  void Entered(const std::string& room) {
    auto ack = NewS2C(S2C_Request_PR_suburlack);
    Fill(&ack->choice.suburlack.authkey, "K1");
    Fill(&ack->choice.suburlack.site, room);
    ack->choice.suburlack.answer = SubscribeStatus_subscribed;
    m_link->Send(*ack);
  }

  std::shared_ptr<TestConnection> m_link;
  std::atomic<bool> m_stop{false};
  std::atomic<long> m_counts[kKinds] = {};
  int m_opened = 0;
  std::thread m_thread;
};

std::string Typing(const std::string& room, const std::string& login, bool typing) {
  auto t = NewS2C(S2C_Request_PR_keytyped);
  Fill(&t->choice.keytyped.authkey, "K1");
  Fill(&t->choice.keytyped.site, room);
  Fill(&t->choice.keytyped.login, login);
  t->choice.keytyped.enabled = asn1::NewValue<int>(typing ? 1 : 0);
  return EncodeS2C(*t);
}

std::string Line(const std::string& room, const std::string& login, const std::string& text) {
  auto m = NewS2C(S2C_Request_PR_message);
  Fill(&m->choice.message.authkey, "K1");
  Fill(&m->choice.message.site, room);
  Fill(&m->choice.message.login, login);
  Fill(&m->choice.message.message, text);
  m->choice.message.time = 1700000000;
  return EncodeS2C(*m);
}

// Someone's arrival: online in the contacts list ("none"), or in a site's room.
std::string Arrival(const std::string& login, const std::string& site) {
  auto u = NewS2C(S2C_Request_PR_updcontact);
  Fill(&u->choice.updcontact.authkey, "K1");
  Fill(&u->choice.updcontact.login, login);
  u->choice.updcontact.site = asn1::NewOctetString(site);
  u->choice.updcontact.status = asn1::NewValue<long>(STATUS_ONLINE);
  u->choice.updcontact.nickname = asn1::NewOctetString("Nick " + login);
  if (site != "none") u->choice.updcontact.hasSubscribed = asn1::NewValue<int>(1);
  return EncodeS2C(*u);
}

// Someone typing, then writing `lines` lines, then stopping: what is written last is returned
// in *last.
std::string Conversation(const std::string& room, const std::string& login, int lines, std::string* last) {
  std::string bytes = Typing(room, login, true);
  for (int i = 1; i <= lines; ++i) {
    *last = "line " + std::to_string(i) + " of " + login + " in " + room;
    bytes += Line(room, login, *last);
  }
  return bytes + Typing(room, login, false);
}

// What the program holds at one moment: its heap in use and resident memory, and its windows.
struct Kept {
  double heapKiB = 0;
  double residentKiB = 0;
  int windows = 0;
};

int WindowsIn(const wxWindow* window) {
  int count = 1;
  for (const wxWindow* child : window->GetChildren()) count += WindowsIn(child);
  return count;
}

// Runs the event loop until `done` holds (once is enough: some checks look only now and then).
bool Until(const std::function<bool()>& done) {
  bool held = false;
  RunLoop(kWaitSeconds, [&] { return held = held || done(); });
  return held;
}

// The processor time `turns` idle turns of the event loop take, each asking for the next (ms).
double IdleTurnsMs(int turns) {
  wxEventLoop loop;
  wxEventLoopActivator active(&loop);
  int taken = -1;
  double start = 0;
  auto onIdle = [&](wxIdleEvent& event) {
    event.Skip();
    if (taken < 0) start = ThreadWorkMs();
    if (++taken == turns) return loop.ScheduleExit();
    AskNextIdleTurn();
  };
  wxTheApp->Bind(wxEVT_IDLE, onIdle);
  wxTimer bound;
  bound.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { loop.ScheduleExit(); });
  bound.StartOnce(60000);
  AskNextIdleTurn();
  loop.Run();
  wxTheApp->Unbind(wxEVT_IDLE, onIdle);
  return ThreadWorkMs() - start;
}

// The turns a run of them takes so that it lasts about 5 ms: long enough to time, short enough
// that a slow program (a window kept for every page) is measured within seconds.
int TurnsPerRun() {
  const double ms = IdleTurnsMs(50) / 50;
  return int(std::max(20.0, std::min(double(kMostTurnsPerRun), 5.0 / std::max(ms, 1e-4))));
}

// One run of `turns` idle turns, held on the processor `cpu` (anywhere when negative), per turn
// (us).
double TurnUsOn(int cpu, int turns) {
  if (cpu >= 0) {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(cpu, &one);
    sched_setaffinity(0, sizeof one, &one);
  }
  return IdleTurnsMs(turns) / turns * 1000;
}

// What the reference process is asked for: a run of `turns` idle turns on `cpu`.
struct TurnRequest {
  int cpu;
  int turns;
};

// A second bench process, forked at the outset (before any thread or window), which browses as
// many pages as this one's warm-up and then measures a run of idle turns each time it is asked,
// until its pipe closes. Its turn is this one's reference, taken in the same moments.
class ReferenceProcess {
 public:
  ~ReferenceProcess() { End(); }

  // False when no process could be made; then in both processes, IsChild() tells which.
  bool Fork() {
    int ask[2], answer[2];
    if (pipe2(ask, O_CLOEXEC) != 0) return false;
    if (pipe2(answer, O_CLOEXEC) != 0) return false;
    fflush(nullptr);
    m_pid = fork();
    if (m_pid < 0) return false;
    const bool child = m_pid == 0;
    m_in = child ? ask[0] : answer[0];
    m_out = child ? answer[1] : ask[1];
    close(child ? ask[1] : answer[1]);
    close(child ? answer[0] : ask[0]);
    return true;
  }
  bool IsChild() const { return m_pid == 0; }

  // In the reference: says whether its pages were browsed, then runs what it is asked for.
  void Serve(bool ready) {
    if (!Put(ready ? 0.0 : -1.0) || !ready) return;
    TurnRequest request{};
    while (Get(&request))
      if (!Put(TurnUsOn(request.cpu, request.turns))) return;
  }

  // Waits until the reference has browsed its pages: false when it could not.
  bool Ready() {
    double said = -1;
    return Get(&said) && said == 0;
  }
  // One run in the reference, per turn (us); negative when it has gone.
  double TurnUs(int cpu, int turns) {
    double us = -1;
    return Put(TurnRequest{cpu, turns}) && Get(&us) ? us : -1;
  }
  // Lets the reference end and collects it.
  void End() {
    if (m_out >= 0) close(m_out);
    if (m_in >= 0) close(m_in);
    m_out = m_in = -1;
    if (m_pid > 0) waitpid(m_pid, nullptr, 0);
    m_pid = -1;
  }

 private:
  template <typename T>
  bool Put(const T& value) {
    ssize_t n;
    while ((n = write(m_out, &value, sizeof value)) < 0 && errno == EINTR) {}
    return n == ssize_t(sizeof value);
  }
  template <typename T>
  bool Get(T* value) {
    ssize_t n;
    while ((n = read(m_in, value, sizeof *value)) < 0 && errno == EINTR) {}
    return n == ssize_t(sizeof *value);
  }

  pid_t m_pid = -1;
  int m_in = -1, m_out = -1;
};

struct TurnGrowth {
  double referenceUs = 0;  // the median run of the reference, per turn
  double ownUs = 0;        // this process's
  double ratio = 0;        // the median of the pairs' ratios
  int pairs = 0;
};

// The growth of a turn at rest, against the reference process: pairs of short runs, one in each
// process right after the other on the same processor (the order turned round from one pair to
// the next), on every processor the thread may use, round after round. A virtual machine's
// processors run at paces half as fast again one from the other, and a shared one's load comes
// and goes: both weigh alike on the two runs of a pair, and the median of the pairs' ratios
// leaves out the pairs that a change of pace split.
TurnGrowth MeasureTurnGrowth(ReferenceProcess& reference) {
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  std::vector<int> cpus;
  if (sched_getaffinity(0, sizeof allowed, &allowed) == 0)
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
      if (CPU_ISSET(cpu, &allowed)) cpus.push_back(cpu);
  const bool pinned = !cpus.empty();
  if (!pinned) cpus.push_back(-1);
  const int turns = TurnsPerRun();
  std::vector<double> own, theirs, ratios;
  for (int round = 0; round < kTurnRounds; ++round) {
    for (size_t k = 0; k < cpus.size(); ++k) {
      const bool theirsFirst = (size_t(round) + k) % 2 == 0;
      const double before = theirsFirst ? reference.TurnUs(cpus[k], turns) : 0;
      const double mine = TurnUsOn(cpus[k], turns);
      const double ref = theirsFirst ? before : reference.TurnUs(cpus[k], turns);
      if (ref <= 0) return TurnGrowth();
      if (round == 0) continue;
      own.push_back(mine);
      theirs.push_back(ref);
      ratios.push_back(mine / ref);
    }
  }
  if (pinned) sched_setaffinity(0, sizeof allowed, &allowed);
  TurnGrowth growth;
  growth.referenceUs = benchFigures::Median(theirs);
  growth.ownUs = benchFigures::Median(own);
  growth.ratio = benchFigures::Median(ratios);
  growth.pairs = int(ratios.size());
  return growth;
}

// The comments server's page, served on loopback for every site ("1", the comments identifier
// the server gives every page here) to the logged-in user.
void ServeComments(guitest::HttpTestServer& pages, Manager* manager) {
  comments::SetBaseAddress(pages.Url("/"));
  std::string body = "<html><body><h3>Last comments</h3>";
  for (int i = 1; i <= 10; ++i)
    body += "<p><b>visitor" + std::to_string(i) + "</b> (" + std::to_string(i % 11) + "/10): comment " +
            std::to_string(i) + " about the site</p>";
  body += "</body></html>";
  const std::string address = comments::PageAddress("1", manager->GetLogin());
  pages.Serve(address.substr(pages.Url("").size()), guitest::HttpTestServer::Reply(200, body));
}

class Bench {
 public:
  Bench(LoggedInBench& session, ServerSide& server)
      : m_session(session),
        m_server(server),
        m_port(LocalServer::Instance() ? LocalServer::Instance()->GetPort() : 0),
        m_sites(FindWindowOf<SitesPanel>(session.frame)),
        m_rooms(FindWindowOf<ChatRoomsNotebook>(session.frame)) {}

  bool Ready() const { return m_port != 0 && m_sites && m_rooms; }

  // Saved contacts "friend0"... , connected; false when they did not all come online.
  bool AddFriends(int count) {
    Config* config = Config::GetInstance();
    std::string online;
    for (int i = 0; i < count; ++i) {
      config->UpdateContact(new ContactInfo(Friend(i), "Nick", "", "", STATUS_OFFLINE, "", "", 0, 0, 0, "friends",
                                            "parlavox", false));
      online += Arrival(Friend(i), "none");
    }
    m_session.frame->UpdatePrivateContactsGroups();
    m_session.link->SendBytes(online);
    return Until([&] { return m_session.manager->GetContactInfo(Friend(count - 1))->IsConnected(); });
  }

  // The page opens; the user reads its comments and looks at its visitor's profile; it closes.
  bool Page(int i) {
    const std::string url = "http://page" + std::to_string(i) + ".example/";
    return OpenPage(url) && ReadComments(url, [&] { ClickComments(url); }) && LookAtProfile(Visitor(i)) &&
           ClosePage(url);
  }

  // Rooms of three kinds in turn: a site's, a stranger's and a saved contact's.
  bool Room(int k) {
    if (k % 2 == 0) return SiteRoom("http://room" + std::to_string(k) + ".example/", Visitor(k));
    if (k % 4 == 1) return StrangerRoom("stranger" + std::to_string(k));
    return FriendRoom(Friend(k / 4 % kFriends));
  }

  // Once everything after the last burst is done: the pop-up has gone, the windows whose
  // deletion was asked for are destroyed, the trace log is written.
  Kept Measure() {
    RunLoop(30, [] { return !NotifyFrame::GetInstance() || !NotifyFrame::GetInstance()->IsShown(); });
    RunLoop(1, nullptr);
    log_flush();
    Kept kept;
    kept.heapKiB = double(mallinfo2().uordblks) / 1024;
    kept.residentKiB = double(ResidentKiB());
    for (const wxWindow* window : wxTopLevelWindows) kept.windows += WindowsIn(window);
    return kept;
  }

 private:
  static std::string Friend(int i) { return "friend" + std::to_string(i); }

  // The extension opens the page, and the site's panel shows the other Parlavoxer on it.
  bool OpenPage(const std::string& url) {
    ExtensionCall open(m_port, url);
    return Until([&] {
      const std::vector<SitePanel*>& panels = m_sites->GetSitePanels();
      return open.Done() && !panels.empty() && panels.back()->GetURL() == url && panels.back()->GetNbrUsers() == 1;
    });
  }

  // The extension closes the page: its site's panel goes and the server is told.
  bool ClosePage(const std::string& url) {
    const long closes = m_server.Count(C2S_Request_PR_closeurl) + 1;
    ExtensionCall close(m_port, "CLOSE:" + url);
    return Until([&] {
      return close.Done() && m_sites->GetSitePanels().empty() && m_server.Count(C2S_Request_PR_closeurl) >= closes;
    });
  }

  // A click on the comments icon of the site's panel.
  void ClickComments(const std::string& url) {
    for (SitePanel* panel : m_sites->GetSitePanels()) {
      if (panel->GetURL() != url) continue;
      wxWindow* icon = panel->GetCommentsIcon();
      wxMouseEvent click(wxEVT_LEFT_DOWN);
      click.SetEventObject(icon);
      click.SetId(icon->GetId());
      icon->GetEventHandler()->ProcessEvent(click);
    }
  }

  // The user opens the site's comments window, reads the comments once the server's page has
  // come, and closes it with its title bar's button.
  bool ReadComments(const std::string& url, const std::function<void()>& open) {
    CommentsFrame* comments = CommentsFrame::Find(url);
    if (!comments) return false;
    const int pages = comments->GetPagesShown();
    open();
    if (!Until([&] { return comments->IsShownOnScreen() && comments->GetPagesShown() > pages; })) return false;
    comments->Close();
    return Until([&] { return CommentsFrame::Find(url) != comments || !comments->IsShown(); });
  }

  // The room's page shows `line` last.
  bool Shows(const std::string& room, const std::string& line) {
    return Until([&] {
      ChatRoomPanel* page = m_rooms->GetChatRoom(room);
      return page && LastLineHas(page, line);
    });
  }

  // The user closes the room's tab: the room is left, the server told.
  bool CloseRoom(const std::string& room) {
    const long leaves = m_server.Count(C2S_Request_PR_unsuburl) + 1;
    m_rooms->CloseChatRoom(room);
    return Until([&] {
      return !m_rooms->IsChatRoomOpened(room) && m_server.Count(C2S_Request_PR_unsuburl) >= leaves;
    });
  }

  // The user joins the room of the page open in the browser, writes, and reads the other's lines.
  bool SiteRoom(const std::string& url, const std::string& other) {
    if (!OpenPage(url)) return false;
    m_session.frame->SubscribeChatRoom(url);
    if (!Until([&] { return m_rooms->GetChatRoom(url) && m_session.manager->HasSubscribedTo(url); })) return false;
    m_session.manager->SendMessage(url, "hello everyone");
    std::string last;
    m_session.link->SendBytes(Arrival(other, url) + Conversation(url, other, 3, &last));
    if (!Shows(url, last)) return false;
    ChatRoomPanel* page = m_rooms->GetChatRoom(url);
    return page && ReadComments(url, [page] { page->OpenComments(); }) && CloseRoom(url) && ClosePage(url);
  }

  // A stranger opens a one-to-one room by writing; the user looks at the stranger's profile,
  // closes it and answers.
  bool StrangerRoom(const std::string& login) {
    const std::string room = m_session.manager->GetPrivateChatRoomNameWith(login);
    std::string last;
    m_session.link->SendBytes(Line(room, login, "hello, do we know each other?") +
                              Conversation(room, login, 2, &last));
    if (!Shows(room, last) || !LookAtProfile(login)) return false;
    m_session.manager->SendMessage(room, "not yet");
    return CloseRoom(room);
  }

  // The profile opened as a member's row opens it, then closed with its title bar's button.
  bool LookAtProfile(const std::string& login) {
    m_session.frame->OpenProfile(login);
    ContactInfoFrame* profile = ContactInfoFrame::GetContactInfoFor(login);
    if (!profile || !Until([&] { return profile->IsShownOnScreen(); })) return false;
    profile->Close();
    return Until([&] { return !ContactInfoFrame::GetContactInfoFor(login) || !profile->IsShown(); });
  }

  // The user opens a one-to-one room with a saved contact and writes first; the contact answers,
  // and the user looks at the contact's profile.
  bool FriendRoom(const std::string& login) {
    const std::string room = m_session.manager->GetPrivateChatRoomNameWith(login);
    m_session.frame->CreateVirtualChatRoom(login);
    m_session.manager->SendMessage(room, "are you there?");
    if (!Until([&] { return m_session.manager->HasSubscribedTo(room); })) return false;
    std::string last;
    m_session.link->SendBytes(Conversation(room, login, 2, &last));
    return Shows(room, last) && LookAtProfile(login) && CloseRoom(room);
  }

  LoggedInBench& m_session;
  ServerSide& m_server;
  unsigned short m_port;
  SitesPanel* m_sites;
  ChatRoomsNotebook* m_rooms;
};

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// What one phase left behind, per page or room, against the limit; the windows alive beside.
void PrintKept(const char* what, int warm, const Kept& before, int count, const Kept& after) {
  char label[96];
  snprintf(label, sizeof label, "heap kept per %s", what);
  benchFigures::Print(label, (after.heapKiB - before.heapKiB) / (count - warm), "kB", kKeptLimitKiB);
  snprintf(label, sizeof label, "resident memory kept per %s", what);
  benchFigures::Print(label, (after.residentKiB - before.residentKiB) / (count - warm), "kB", kKeptLimitKiB);
  printf("    windows alive after %4d %ss %9d, after %4d %9d\n", warm, what, before.windows, count, after.windows);
}

// The pages, one after the other; the number that did not open or close.
// The pages, one after the other, the reference process browsing the warm-up's number beside;
// the number that did not open or close.
int BrowsePages(Bench& bench, int pages, ReferenceProcess& reference) {
  const int warm = pages / 10;
  const Clock::time_point start = Clock::now();
  int failed = 0;
  Kept before;
  for (int i = 0; i < pages; ++i) {
    if (!bench.Page(i)) ++failed;
    if (i + 1 == warm) before = bench.Measure();
  }
  const Kept after = bench.Measure();
  printf("%d pages opened and closed in %.1f s, %d failed; from the end of the first %d on:\n", pages,
         Seconds(start), failed, warm);
  PrintKept("page", warm, before, pages, after);
  const TurnGrowth growth = reference.Ready() ? MeasureTurnGrowth(reference) : TurnGrowth();
  reference.End();
  if (growth.pairs == 0) {
    printf("    the reference process did not browse its %d pages or did not measure\n", warm);
    benchFigures::Over();
  } else {
    printf("    one turn of the event loop at rest after %4d pages %9.2f us, after %4d %9.2f us (%d pairs)\n", warm,
           growth.referenceUs, pages, growth.ownUs, growth.pairs);
    benchFigures::Print("growth of a turn at rest", growth.ratio, "x", kTurnGrowthLimit);
  }
  fflush(stdout);
  return failed;
}

// The rooms, one after the other; the number that did not open or close.
int VisitRooms(Bench& bench, int rooms) {
  const int warm = rooms / 5;
  const Clock::time_point start = Clock::now();
  int failed = 0;
  Kept before;
  for (int k = 0; k < rooms; ++k) {
    if (!bench.Room(k)) ++failed;
    if (k + 1 == warm) before = bench.Measure();
  }
  const Kept after = bench.Measure();
  printf("%d rooms entered and left in %.1f s, %d failed; from the end of the first %d on:\n", rooms,
         Seconds(start), failed, warm);
  PrintKept("room", warm, before, rooms, after);
  fflush(stdout);
  return failed;
}

// The reference process: browses `pages` pages as the bench does, lets the event loop settle,
// then runs idle turns when asked; its exit status.
int RunReference(ReferenceProcess& reference, int argc, char** argv, int pages) {
  LoggedInBench session;
  if (!session.Start(argc, argv, "browsing-reference")) {
    reference.Serve(false);
    return 1;
  }
  guitest::HttpTestServer commentsPages;
  ServeComments(commentsPages, session.manager);
  sound::SetRecorder([](const std::string&) {});
  {
    ServerSide server(session.link);
    Bench bench(session, server);
    bool ready = bench.Ready() && bench.AddFriends(kFriends);
    for (int i = 0; ready && i < pages; ++i) ready = bench.Page(i);
    if (ready) bench.Measure();
    reference.Serve(ready);
  }
  session.Finish();
  return system(("rm -rf '" + session.dir + "'").c_str()) == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const int pages = std::max(20, int(BenchOption(argc, argv, "--pages", 1000)));
  const int rooms = std::max(20, int(BenchOption(argc, argv, "--rooms", 200)));
  ReferenceProcess reference;
  if (!reference.Fork()) {
    fprintf(stderr, "no reference process\n");
    return 1;
  }
  if (reference.IsChild()) _exit(RunReference(reference, argc, argv, pages / 10));
  LoggedInBench session;
  if (!session.Start(argc, argv, "browsing")) return 1;
  guitest::HttpTestServer commentsPages;
  ServeComments(commentsPages, session.manager);
  // The sounds are not the subject: a machine without a sound server would start a player each.
  sound::SetRecorder([](const std::string&) {});
  int failed = 0;
  {
    ServerSide server(session.link);
    Bench bench(session, server);
    if (!bench.Ready() || !bench.AddFriends(kFriends)) {
      fprintf(stderr, "the main window or the extension listener is missing, or the contacts did not come\n");
      return 1;
    }
    failed = BrowsePages(bench, pages, reference) + VisitRooms(bench, rooms);
  }
  if (failed) {
    printf("    %d page(s) or room(s) did not open or close\n", failed);
    benchFigures::Over();
  }
  session.Finish();
  const int verdict = benchFigures::Verdict();
  // The home holds a trace log that nobody reads.
  return system(("rm -rf '" + session.dir + "'").c_str()) == 0 ? verdict : 1;
}
