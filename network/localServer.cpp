#include "network/localServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <list>
#include <thread>

#include "model/log.h"
#include "model/programThreads.h"
#include "network/extensionRequest.h"
#include "network/listenSocket.h"

namespace {

// The process's listener and the controller it reports to. Made on first use and never
// destroyed: a listener thread that did not end in time may still reach them while the process
// exits.
struct Process {
  std::mutex mutex;
  std::shared_ptr<LocalServer> instance;
  ControllerBinding<StateMachine> binding;
};

Process& TheProcess() {
  static Process* process = new Process;
  return *process;
}

bool StartsWith(const std::string& text, const char* prefix) {
  return text.compare(0, std::strlen(prefix), prefix) == 0;
}

void SetNonBlocking(int fd) {
  int flags = fcntl(fd, F_GETFL, 0);
  if (flags >= 0) fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

long long NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

E2C_Request_t* NewRequest(E2C_Request_PR kind) {
  E2C_Request_t* request = static_cast<E2C_Request_t*>(calloc(1, sizeof(E2C_Request_t)));
  if (request) request->present = kind;
  return request;
}

void FreeRequest(E2C_Request_t** request) {
  if (request && *request) {
    ASN_STRUCT_FREE(asn_DEF_E2C_Request, *request);
    *request = nullptr;
  }
}

}  // namespace

// A connection whose request's head is still being read.
struct LocalServer::Reader {
  Reader(int client, long long end) : fd(client), deadline(end), head(ExtensionRequest::CheckedFields()) {}
  int fd;
  long long deadline;
  HttpRequestHead head;
  bool lineChecked = false;  // the request line has come and matches the pattern
};

LocalServer::LocalServer(StateMachine* machine, unsigned short port)
    : m_ownBinding(machine ? new ControllerBinding<StateMachine>(machine) : nullptr),
      m_binding(machine ? m_ownBinding.get() : &TheProcess().binding),
      m_port(port) {
  TRACE_START();
  if (pipe(m_wakePipe) == 0) {
    SetNonBlocking(m_wakePipe[0]);
    SetNonBlocking(m_wakePipe[1]);
  }
  TRACE_END();
}

LocalServer::~LocalServer() {
  TRACE_START();
  Reset();
  if (m_listenFd >= 0) close(m_listenFd);
  for (int fd : m_wakePipe)
    if (fd >= 0) close(fd);
  TRACE_END();
}

bool LocalServer::Start(StateMachine* machine, unsigned short port) {
  TRACE_START_ARGS("%u", port);
  if (machine) BindController(machine);
  Process& process = TheProcess();
  std::shared_ptr<LocalServer> server;
  {
    std::lock_guard<std::mutex> lock(process.mutex);
    if (process.instance) {
      TRACE_END_RESULT("already started");
      return false;
    }
    server = std::make_shared<LocalServer>(nullptr, port);
    process.instance = server;
  }
  std::weak_ptr<LocalServer> listener = server;
  auto body = [server]() mutable {
    TRACE_START();
    server->Run();
    {
      // From here on the relays see no listener, and the next Start makes a new one.
      Process& process = TheProcess();
      std::lock_guard<std::mutex> lock(process.mutex);
      if (process.instance == server) process.instance.reset();
    }
    server.reset();
    TRACE_END();
  };
  // The end of the program closes the listener, which wakes its poll.
  auto wake = [listener] {
    if (std::shared_ptr<LocalServer> running = listener.lock()) running->Close();
  };
  if (!programThreads::Start("extension listener", body, wake)) {
    std::lock_guard<std::mutex> lock(process.mutex);
    if (process.instance == server) process.instance.reset();
    TRACE_END_RESULT("the program is ending");
    return false;
  }
  TRACE_END();
  return true;
}

std::shared_ptr<LocalServer> LocalServer::Instance() {
  TRACE_STARTEND();
  Process& process = TheProcess();
  std::lock_guard<std::mutex> lock(process.mutex);
  return process.instance;
}

void LocalServer::BindController(StateMachine* machine) {
  TRACE_START_ARGS("%p", static_cast<void*>(machine));
  TheProcess().binding.Bind(machine);
  TRACE_END();
}

void LocalServer::UnbindController(StateMachine* machine) {
  TRACE_START_ARGS("%p", static_cast<void*>(machine));
  TheProcess().binding.Unbind(machine);
  TRACE_END();
}

bool LocalServer::Listen() {
  TRACE_START_ARGS("%u", m_port);
  if (m_listenFd >= 0) {
    TRACE_END_RESULT("already listening");
    return true;
  }
  unsigned short bound = 0;
  int fd = OpenListenSocket(INADDR_LOOPBACK, m_port, 128, &bound);
  if (fd < 0) {
    TRACE_ERROR("error accept: %s", std::strerror(errno));
    TRACE_END();
    return false;
  }
  m_boundPort = bound;
  m_listenFd = fd;
  TRACE_END_RESULT("%u", static_cast<unsigned>(m_boundPort));
  return true;
}

void LocalServer::Run() {
  TRACE_START();
  if (!Listen()) {
    m_binding->Call([](StateMachine& machine) { machine.LocalServerUnavailable(); });
    TRACE_END_RESULT("unavailable");
    return;
  }
  {
    // A Close that came first (the program ending while the listener starts) holds.
    std::lock_guard<boost::recursive_mutex> lock(m_mutex);
    if (m_closed) {
      TRACE_END_RESULT("closed");
      return;
    }
    m_running = true;
  }
  // Connections are read side by side, so a client that sends nothing holds up no other; each
  // has its own deadline.
  std::list<Reader> readers;
  std::vector<pollfd> fds;
  bool acceptFailed = false;
  TRACE_INFO("Waiting for local incoming connection...");
  while (m_running) {
    fds.clear();
    fds.push_back({m_wakePipe[0], POLLIN, 0});
    fds.push_back({m_listenFd, static_cast<short>(acceptFailed ? 0 : POLLIN), 0});
    long long now = NowMs();
    long long nextDeadline = now + kReadTimeoutMs;
    for (const Reader& reader : readers) {
      fds.push_back({reader.fd, POLLIN, 0});
      if (reader.deadline < nextDeadline) nextDeadline = reader.deadline;
    }
    // With no connection to read, nothing is due: the wait ends with a connection or Close's byte
    // on the wake pipe. Without the pipe, Close is seen at the end of a bounded wait.
    int timeout = readers.empty() && m_wakePipe[0] >= 0 ? -1 : static_cast<int>(std::max<long long>(0, nextDeadline - now));
    if (acceptFailed) timeout = timeout < 0 ? 100 : std::min(timeout, 100);  // back off after a failed accept
    acceptFailed = false;
    int ready = poll(fds.data(), fds.size(), timeout);
    if (ready < 0 && errno != EINTR) {
      TRACE_ERROR("error in poll: %s", std::strerror(errno));
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      continue;
    }
    if (!m_running) break;
    if (ready < 0) continue;
    ServeReaders(readers, fds);
    if (fds[1].revents & POLLIN) AcceptReaders(readers, &acceptFailed);
  }
  for (Reader& reader : readers) close(reader.fd);
  TRACE_END();
}

void LocalServer::AcceptReaders(std::list<Reader>& readers, bool* acceptFailed) {
  // A bounded batch, so that reading goes on under a flood of connections.
  for (size_t accepted = 0; accepted < kMaxReaders; ++accepted) {
    int client = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (client < 0) {
      if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR && errno != ECONNABORTED) {
        TRACE_ERROR("error in accept: %s", std::strerror(errno));
        *acceptFailed = true;
      }
      return;
    }
    TRACE_INFO("Connection accepted");
    if (readers.size() >= kMaxReaders) {
      TRACE_INFO("too many connections being read, the oldest dropped");
      close(readers.front().fd);
      readers.pop_front();
    }
    readers.emplace_back(client, NowMs() + kReadTimeoutMs);
  }
}

void LocalServer::ServeReaders(std::list<Reader>& readers, const std::vector<pollfd>& fds) {
  // Read what has come; a reader whose head is complete is served, one past its deadline is
  // dropped without an answer. fds lists the readers in order from index 2.
  size_t index = 2;
  long long now = NowMs();
  for (auto it = readers.begin(); it != readers.end();) {
    bool polled = index < fds.size() && fds[index].fd == it->fd;
    short revents = polled ? fds[index].revents : 0;
    if (polled) ++index;
    HttpRequestHead& head = it->head;
    if (revents & (POLLIN | POLLHUP | POLLERR)) {
      char buffer[4096];
      ssize_t got = recv(it->fd, buffer, sizeof buffer, 0);
      if (got > 0) {
        head.Feed(buffer, static_cast<size_t>(got));
      } else if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
        TRACE_INFO("No data");
        head.End();
      }
    }
    bool complete = head.GetState() != HttpRequestHead::State::kReading;
    if (!complete && head.HasRequestLine() && !it->lineChecked) {
      // A line that is no extension request is closed at once, without waiting for its fields.
      complete = !ExtensionRequest::ReadPath(head.RequestLine(), nullptr);
      it->lineChecked = true;
    }
    if (complete) {
      int fd = it->fd;
      HttpRequestHead done = std::move(head);
      it = readers.erase(it);
      Serve(fd, done);
    } else if (it->deadline <= now) {
      TRACE_INFO("no whole request within %d ms, connection dropped", kReadTimeoutMs);
      close(it->fd);
      it = readers.erase(it);
    } else {
      ++it;
    }
  }
}

void LocalServer::Serve(int fd, const HttpRequestHead& head) {
  const std::string& line = head.RequestLine();
  if (head.GetState() == HttpRequestHead::State::kMalformed) {
    TRACE_INFO("malformed request, closed: %s", line.c_str());
    close(fd);
    return;
  }
  std::string refusal = ExtensionRequest::Refusal(head, m_boundPort);
  if (!refusal.empty() && ExtensionRequest::ReadPath(line, nullptr)) {
    // Made by a web page, or not to be checked: nothing of it reaches the tables or the
    // controller.
    TRACE_INFO("refused (%s): %s", refusal.c_str(), line.c_str());
    Refuse(fd, refusal);
    return;
  }
  std::lock_guard<boost::recursive_mutex> lock(m_mutex);
  if (m_running)
    Analyse(fd, line);
  else
    close(fd);
}

void LocalServer::Close() {
  TRACE_START();
  {
    std::lock_guard<boost::recursive_mutex> lock(m_mutex);
    Reset();
    m_closed = true;
    if (m_running) {
      TRACE_INFO("close");
      m_running = false;
    }
  }
  // Wakes the poll of Run, which then sees running cleared.
  if (m_wakePipe[1] >= 0) {
    char byte = 0;
    ssize_t ignored = write(m_wakePipe[1], &byte, 1);
    (void)ignored;
  }
  TRACE_END();
}

void LocalServer::Reset() {
  TRACE_START();
  std::lock_guard<std::mutex> lock(m_tableMutex);
  for (auto& page : m_pages)
    if (page.second.info.bio >= 0) close(page.second.info.bio);
  m_pages.clear();
  m_waiting.clear();
  TRACE_END();
}

bool LocalServer::IsLocal(const std::string& url, bool openRequest) {
  return url == "http://localhost" || (openRequest && url == "http://") ||
         StartsWith(url, "http://localhost:") || StartsWith(url, "http://127.");
}

void LocalServer::Answer(int fd, const std::string& text) {
  // The socket is non-blocking and the answer a few bytes: this never waits.
  ssize_t ignored = send(fd, text.data(), text.size(), MSG_NOSIGNAL);
  (void)ignored;
  close(fd);
}

void LocalServer::Refuse(int fd, const std::string& why) {
  std::string body = why == "header size"
                         ? "Refused: the request's header is too large to be checked.\n"
                         : "Refused: this address serves the browser extension only, and this request looks made by "
                           "a web page (" + why + ").\n";
  Answer(fd, "HTTP/1.0 403 Forbidden\r\nContent-Type: text/plain; charset=us-ascii\r\nContent-Length: " +
                 std::to_string(body.size()) + "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" + body);
}

void LocalServer::HandOver(E2C_Request_t* request, void (*release)(E2C_Request_t**)) {
  if (request) m_binding->Call([request](StateMachine& machine) { machine.ProcessRequest(*request); });
  release(&request);
}

void LocalServer::Analyse(int fd, const std::string& line) {
  TRACE_START();
  TRACE_INFO("analyse  %s", line.c_str());
  std::string path;
  if (!ExtensionRequest::ReadPath(line, &path)) {
    close(fd);
    TRACE_END_RESULT("no match");
    return;
  }
  if (StartsWith(path, "QUIT:")) {
    Unregister(fd, path.substr(5));
  } else if (StartsWith(path, "CHECK:")) {
    SwitchExtension(fd, path.substr(6), true);
  } else if (StartsWith(path, "DISABLE:")) {
    SwitchExtension(fd, path.substr(8), false);
  } else if (StartsWith(path, "CLOSE:")) {
    ClosePage(fd, path.substr(6));
  } else if (StartsWith(path, "ASK:")) {
    AskPage(fd, path.substr(4));
  } else {
    OpenPage(fd, path);
  }
  TRACE_END();
}

void LocalServer::Unregister(int fd, const std::string& name) {
  TRACE_INFO("Unregister %s", name.c_str());
  close(fd);
  HandOver(CreateExtensionStatusRequest(name, ExtensionStatus_none), FreeExtensionStatusRequest);
}

void LocalServer::SwitchExtension(int fd, const std::string& name, bool enable) {
  TRACE_INFO(enable ? "Enable %s" : "Disable %s", name.c_str());
  char text[32];
  {
    // The order waiting for the extension is given once; with none, nothing is kept.
    std::lock_guard<std::mutex> lock(m_tableMutex);
    ExtensionStatus_t pending = ExtensionStatus_none;
    auto it = m_extensions.find(name);
    if (it != m_extensions.end()) {
      pending = it->second.status;
      m_extensions.erase(it);
    }
    snprintf(text, sizeof text, "%d%d", m_connected ? 1 : 0, static_cast<int>(pending));
  }
  Answer(fd, text);
  HandOver(CreateExtensionStatusRequest(name, enable ? ExtensionStatus_enable : ExtensionStatus_disable),
           FreeExtensionStatusRequest);
}

void LocalServer::ClosePage(int fd, const std::string& url) {
  TRACE_INFO("Leave %s", url.c_str());
  close(fd);
  bool leave = false;
  {
    std::lock_guard<std::mutex> lock(m_tableMutex);
    if (Page* page = FindPage(url)) {
      TRACE_INFO("CLOSE (%s,%d)", url.c_str(), page->info.openCount);
      if (page->info.openCount > 0) leave = --page->info.openCount == 0;
    }
  }
  if (leave) HandOver(CreateLeaveRequest(url), FreeLeaveRequest);
}

void LocalServer::AskPage(int fd, const std::string& url) {
  TRACE_INFO("ASK %s", url.c_str());
  if (IsLocal(url, false)) {
    Answer(fd, "-12");
    return;
  }
  bool known = false;
  bool enter = false;
  char text[16] = "";
  {
    std::lock_guard<std::mutex> lock(m_tableMutex);
    if (Page* page = FindPage(url)) {
      known = true;
      snprintf(text, sizeof text, "%d", page->info.value);
      if (page->info.openCount == 0) {
        page->info.openCount = 1;
        enter = true;
      }
    } else {
      HoldConnection(url, fd, -1);
      enter = true;
    }
  }
  if (enter) HandOver(CreateEnterRequest(url), FreeEnterRequest);
  if (known) Answer(fd, text);
}

void LocalServer::OpenPage(int fd, const std::string& url) {
  TRACE_INFO("Open %s", url.c_str());
  if (IsLocal(url, true)) {
    Answer(fd, "-12");
    return;
  }
  bool enter = false;
  bool known = false;
  char text[16] = "";
  {
    std::lock_guard<std::mutex> lock(m_tableMutex);
    if (Page* page = FindPage(url)) {
      TRACE_INFO("Structure existante");
      known = true;
      enter = ++page->info.openCount == 1;
      snprintf(text, sizeof text, "%d", page->info.value);
    } else {
      HoldConnection(url, fd, 0);
      enter = true;
    }
  }
  if (known) Answer(fd, text);
  if (enter) {
    TRACE_INFO("Ask to send URL: %s", url.c_str());
    HandOver(CreateEnterRequest(url), FreeEnterRequest);
  }
}

LocalServer::Page* LocalServer::FindPage(const std::string& url) {
  auto it = m_pages.find(url);
  if (it == m_pages.end()) return nullptr;
  it->second.lastUse = ++m_uses;
  return &it->second;
}

LocalServer::Page& LocalServer::AddPage(const std::string& url) {
  if (m_pages.size() >= kMaxPages) ForgetOnePage();
  Page& page = m_pages[url];
  page.lastUse = ++m_uses;
  return page;
}

void LocalServer::ForgetOnePage() {
  // The least recently used record that no page has open; failing that, the least recently
  // used open one. A record that holds a waiting connection stays (there are few of those).
  auto victim = m_pages.end();
  bool victimOpen = true;
  for (auto it = m_pages.begin(); it != m_pages.end(); ++it) {
    const Page& page = it->second;
    if (page.info.bio >= 0) continue;
    bool open = page.info.openCount > 0;
    if (victim == m_pages.end() || (victimOpen && !open) ||
        (victimOpen == open && page.lastUse < victim->second.lastUse)) {
      victim = it;
      victimOpen = open;
    }
  }
  if (victim == m_pages.end()) return;
  TRACE_INFO("too many pages, %s forgotten", victim->first.c_str());
  m_pages.erase(victim);
}

void LocalServer::HoldConnection(const std::string& url, int fd, int value) {
  Page& page = AddPage(url);
  page.info.bio = fd;
  page.info.value = value;
  page.info.openCount = 1;
  m_waiting.push_back(url);
  while (m_waiting.size() > kMaxWaiting) {
    auto oldest = m_pages.find(m_waiting.front());
    m_waiting.pop_front();
    if (oldest == m_pages.end() || oldest->second.info.bio < 0) continue;
    TRACE_INFO("too many waiting connections, %s answered now", oldest->first.c_str());
    char text[16];
    snprintf(text, sizeof text, "%d", oldest->second.info.value);
    Answer(oldest->second.info.bio, text);
    oldest->second.info.bio = -1;
  }
}

void LocalServer::UpdateExternalInfo(const std::string& url, int code) {
  TRACE(LOG_LEVEL_TRACE, "START (%s <- %d)", url.c_str(), code);
  int value = code > 0 ? code - 1 : code;
  std::lock_guard<std::mutex> lock(m_tableMutex);
  Page* page = FindPage(url);
  if (!page) {
    TRACE_INFO("structure inconnue pour %s", url.c_str());
    Page& added = AddPage(url);
    added.info.value = value;
    added.info.openCount = 1;
  } else {
    if (page->info.bio >= 0) {
      char text[16];
      snprintf(text, sizeof text, "%d", value);
      Answer(page->info.bio, text);
      page->info.bio = -1;
      auto held = std::find(m_waiting.begin(), m_waiting.end(), url);
      if (held != m_waiting.end()) m_waiting.erase(held);
    }
    page->info.value = value;
  }
  TRACE_END();
}

bool LocalServer::IsURLOpened(const std::string& url) {
  TRACE_START_ARGS("%s", url.c_str());
  std::lock_guard<std::mutex> lock(m_tableMutex);
  auto it = m_pages.find(url);
  bool opened = it != m_pages.end() && it->second.info.openCount > 0;
  TRACE_END_RESULT("%s", opened ? "true" : "false");
  return opened;
}

std::vector<std::string> LocalServer::GetAllOpenedSites() {
  TRACE_START();
  std::vector<std::string> sites;
  std::lock_guard<std::mutex> lock(m_tableMutex);
  for (const auto& page : m_pages)
    if (page.second.info.openCount > 0) sites.push_back(page.first);
  TRACE_END_RESULT("%zu", sites.size());
  return sites;
}

void LocalServer::SetExtensionStatus(const std::string& name, ExtensionStatus_t status) {
  TRACE_START_ARGS("%s, %ld", name.c_str(), static_cast<long>(status));
  std::lock_guard<std::mutex> lock(m_tableMutex);
  if (status == ExtensionStatus_none) {
    m_extensions.erase(name);
    TRACE_END();
    return;
  }
  if (m_extensions.size() >= kMaxExtensions && m_extensions.find(name) == m_extensions.end()) {
    // The order given longest ago makes room.
    auto oldest = m_extensions.begin();
    for (auto it = m_extensions.begin(); it != m_extensions.end(); ++it)
      if (it->second.stamp < oldest->second.stamp) oldest = it;
    m_extensions.erase(oldest);
  }
  m_extensions[name] = Order{status, ++m_uses};
  TRACE_END();
}

void LocalServer::SetConnected(bool connected) {
  TRACE_START_ARGS("%d", connected ? 1 : 0);
  m_connected = connected;
  TRACE_END();
}

E2C_Request_t* LocalServer::CreateEnterRequest(const std::string& url) {
  TRACE_START_ARGS("%s", url.c_str());
  E2C_Request_t* request = NewRequest(E2C_Request_PR_enter_site);
  if (request && OCTET_STRING_fromBuf(&request->choice.enter_site.site, url.data(), static_cast<int>(url.size())) != 0)
    FreeRequest(&request);
  TRACE_END();
  return request;
}

E2C_Request_t* LocalServer::CreateLeaveRequest(const std::string& url) {
  TRACE_START_ARGS("%s", url.c_str());
  E2C_Request_t* request = NewRequest(E2C_Request_PR_leave_site);
  if (request && OCTET_STRING_fromBuf(&request->choice.leave_site.site, url.data(), static_cast<int>(url.size())) != 0)
    FreeRequest(&request);
  TRACE_END();
  return request;
}

E2C_Request_t* LocalServer::CreateExtensionStatusRequest(const std::string& name, ExtensionStatus_t status) {
  TRACE_START_ARGS("%s, %ld", name.c_str(), static_cast<long>(status));
  E2C_Request_t* request = NewRequest(E2C_Request_PR_extension_status);
  if (request) {
    request->choice.extension_status.status = status;
    if (OCTET_STRING_fromBuf(&request->choice.extension_status.name, name.data(), static_cast<int>(name.size())) != 0)
      FreeRequest(&request);
  }
  TRACE_END();
  return request;
}

void LocalServer::FreeEnterRequest(E2C_Request_t** request) {
  TRACE_STARTEND();
  FreeRequest(request);
}

void LocalServer::FreeLeaveRequest(E2C_Request_t** request) {
  TRACE_STARTEND();
  FreeRequest(request);
}

void LocalServer::FreeExtensionStatusRequest(E2C_Request_t** request) {
  TRACE_STARTEND();
  FreeRequest(request);
}
