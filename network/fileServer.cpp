#include "network/fileServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <list>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "model/log.h"
#include "model/programThreads.h"
#include "network/controllerBinding.h"
#include "network/fileDownload.h"
#include "network/fileServerGate.h"
#include "network/fileUpload.h"
#include "network/listenSocket.h"

namespace {

struct Entry {
  TransferToken token;
  uint64_t owner;
};
using Registry = std::map<std::string, Entry>;

struct Offer {
  std::shared_ptr<const FileInfo> info;
  uint64_t owner;
};

// State shared by every FileServer of the process: the offers, the running transfers and who
// hears about them. Made on first use and never destroyed: a transfer or listener thread that
// did not end in time may still reach it while the process exits.
struct Shared {
  std::mutex mutex;
  std::list<Offer> offers;
  Registry uploads;
  Registry downloads;
  ControllerBinding<FileTransferListener> listener;
  std::atomic<uint64_t> lastId{0};
};

Shared& TheShared() {
  static Shared* shared = new Shared;
  return *shared;
}

// Puts a running transfer under its key, in place of any earlier one.
void Enter(Registry& registry, const std::string& key, const TransferToken& token, uint64_t owner) {
  std::lock_guard<std::mutex> lock(TheShared().mutex);
  registry[key] = Entry{token, owner};
}

// Takes a transfer out, unless a later one has taken its key meanwhile.
void Leave(Registry& registry, const std::string& key, const TransferToken& token) {
  std::lock_guard<std::mutex> lock(TheShared().mutex);
  auto it = registry.find(key);
  if (it != registry.end() && it->second.token == token) registry.erase(it);
}

// Asks the transfer under the key to stop; false when none is registered.
bool Stop(Registry& registry, const std::string& key) {
  std::lock_guard<std::mutex> lock(TheShared().mutex);
  auto it = registry.find(key);
  if (it == registry.end() || !it->second.token) return false;
  it->second.token->Stop();
  return true;
}

// Stops and forgets the transfers of one server.
void StopAll(Registry& registry, uint64_t owner) {
  for (auto it = registry.begin(); it != registry.end();) {
    if (it->second.owner != owner) {
      ++it;
      continue;
    }
    if (it->second.token) it->second.token->Stop();
    it = registry.erase(it);
  }
}

}  // namespace

void TransferControl::Stop() {
  m_running = false;
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_fd >= 0) shutdown(m_fd, SHUT_RDWR);
}

void TransferControl::Attach(int fd) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_fd = fd;
  if (!m_running && m_fd >= 0) shutdown(m_fd, SHUT_RDWR);
}

void TransferControl::Detach() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_fd = -1;
}

// One listening socket and its stop flag, shared by the copies of the FileServer that run it.
struct FileServer::ListenerState {
  std::mutex mutex;
  int fd = -1;
  int wake[2] = {-1, -1};
  std::atomic<bool> running{false};
  std::atomic<bool> closed{false};
  std::atomic<unsigned short> boundPort{0};
  ListenerState() {
    if (pipe2(wake, O_NONBLOCK | O_CLOEXEC) != 0) wake[0] = wake[1] = -1;
  }
  ~ListenerState() {
    if (fd >= 0) close(fd);
    for (int end : wake)
      if (end >= 0) close(end);
  }
};

struct FileServer::RelayStreams {
  std::mutex mutex;
  std::map<std::string, FILE*> streams;
  ~RelayStreams() {
    for (auto& stream : streams) fclose(stream.second);
  }
};

FileServer::FileServer(const std::string& port)
    : m_id(++TheShared().lastId),
      m_port(port),
      m_relay(std::make_shared<RelayStreams>()),
      m_listener(std::make_shared<ListenerState>()) {
  TRACE_START_ARGS("%s", port.c_str());
  TRACE_END();
}

void FileServer::SetPort(const std::string& port) {
  TRACE_START_ARGS("%s", port.c_str());
  m_port = port;
  TRACE_END();
}

bool FileServer::Listen() {
  TRACE_START_ARGS("%s", m_port.c_str());
  std::shared_ptr<ListenerState> state = m_listener;
  std::lock_guard<std::mutex> lock(state->mutex);
  if (state->fd >= 0) {
    TRACE_END_RESULT("already listening");
    return true;
  }
  char* end = nullptr;
  long port = std::strtol(m_port.c_str(), &end, 10);
  if (m_port.empty() || *end != '\0' || port < 0 || port > 65535) {
    TRACE_ERROR("error accept: bad port %s", m_port.c_str());
    TRACE_END();
    return false;
  }
  unsigned short bound = 0;
  int fd = OpenListenSocket(INADDR_ANY, static_cast<unsigned short>(port), 64, &bound);
  if (fd < 0) {
    TRACE_ERROR("error accept: %s", std::strerror(errno));
    TRACE_END();
    return false;
  }
  state->boundPort = bound;
  state->fd = fd;
  TRACE_END_RESULT("%u", static_cast<unsigned>(state->boundPort));
  return true;
}

unsigned short FileServer::GetBoundPort() const { return m_listener->boundPort; }

bool FileServer::IsRunning() const { return m_listener->running; }

void FileServer::operator()() {
  TRACE_START();
  std::shared_ptr<ListenerState> state = m_listener;
  if (state->closed || !Listen()) {
    TRACE_END_RESULT("not listening");
    return;
  }
  state->running = true;
  if (state->closed) state->running = false;  // closed while starting
  Serve(*state);
  TRACE_INFO("BIO_free");
  {
    std::lock_guard<std::mutex> lock(state->mutex);
    if (state->fd >= 0) close(state->fd);
    state->fd = -1;
  }
  TRACE_END();
}

void FileServer::Serve(ListenerState& state) {
  FileServerGate gate;
  std::vector<pollfd> fds;
  bool acceptFailed = false;
  while (state.running) {
    TRACE_INFO("FileServer : Waiting for incoming connection...");
    fds.clear();
    fds.push_back({state.wake[0], POLLIN, 0});
    fds.push_back({state.fd, static_cast<short>(acceptFailed ? 0 : POLLIN), 0});
    int timeout = gate.Prepare(fds);
    // Nothing due: the wait ends with a connection or the stop's byte on the wake pipe; without
    // the pipe, the stop is seen at the end of a bounded wait.
    if (timeout < 0 && state.wake[0] < 0) timeout = FileServerGate::kRequestTimeoutMs;
    if (acceptFailed) timeout = timeout < 0 ? 100 : std::min(timeout, 100);  // e.g. out of descriptors: back off
    acceptFailed = false;
    int ready = poll(fds.data(), fds.size(), timeout);
    if (!state.running) break;
    if (ready < 0) {
      if (errno != EINTR) std::this_thread::sleep_for(std::chrono::milliseconds(50));
      continue;
    }
    std::vector<FileServerGate::Admitted> admitted = gate.Serve(fds, 2);
    StartUploads(admitted);
    if (fds[1].revents & POLLIN) AcceptConnections(state, gate, &acceptFailed);
  }
}

void FileServer::StartUploads(std::vector<FileServerGate::Admitted>& admitted) {
  for (FileServerGate::Admitted& connection : admitted) {
    TRACE_INFO("FileServer : Connection accepted");
    FileUpload upload(connection.fd, connection.login, connection.fileKey, connection.slot, m_id);
    std::shared_ptr<UploadSlot> slot = connection.slot;
    // Woken at the end of the program by a stop and its connection shut down: a write that
    // waits for a slow peer fails at once.
    auto wake = [upload, slot]() mutable {
      upload.Cancel();
      if (slot) slot->Evict();
    };
    if (!programThreads::Start("upload " + connection.fileKey, upload, wake)) {
      // The program is ending: the connection is given back and closed unserved.
      if (slot) slot->Release();
      close(connection.fd);
    }
  }
}

void FileServer::AcceptConnections(ListenerState& state, FileServerGate& gate, bool* acceptFailed) {
  for (size_t batch = 0; batch < FileServerGate::kMaxPending; ++batch) {
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    int client = accept4(state.fd, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (client < 0) {
      if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR && errno != ECONNABORTED) {
        TRACE_ERROR("FileServer : Error accepting connection: %s", std::strerror(errno));
        *acceptFailed = true;
      }
      return;
    }
    gate.Accept(client, ntohl(peer.sin_addr.s_addr));
  }
}

void FileServer::Run() {
  TRACE_START();
  std::shared_ptr<ListenerState> state = m_listener;
  programThreads::Start("file listener " + m_port, FileServer(*this), [state] { StopListener(*state); });
  TRACE_END();
}

void FileServer::StopListener(ListenerState& state) {
  state.closed = true;
  state.running = false;
  if (state.wake[1] >= 0) {
    char byte = 0;
    ssize_t ignored = write(state.wake[1], &byte, 1);
    (void)ignored;
  }
}

void FileServer::Close(bool clear) {
  TRACE_START_ARGS("%d", clear ? 1 : 0);
  if (clear) {
    Shared& shared = TheShared();
    std::lock_guard<std::mutex> lock(shared.mutex);
    StopAll(shared.uploads, m_id);
    StopAll(shared.downloads, m_id);
    TRACE_INFO("clear list");
    shared.offers.remove_if([this](const Offer& offer) { return offer.owner == m_id; });
  }
  if (clear) {
    std::lock_guard<std::mutex> lock(m_relay->mutex);
    for (auto& stream : m_relay->streams) fclose(stream.second);
    m_relay->streams.clear();
  }
  StopListener(*m_listener);
  // The old socket closes with the last copy that holds it; the next listener thread started
  // from this object gets a socket of its own.
  m_listener = std::make_shared<ListenerState>();
  TRACE_END();
}

int64_t FileServer::AddFile(const std::string& site, const std::string& ownerLogin, const std::string& path,
                            const std::string& fileName, const std::string& fileKey) {
  TRACE_START_ARGS("%s, %s", path.c_str(), fileKey.c_str());
  struct stat info;
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    TRACE_ERROR("cannot offer %s", path.c_str());
    TRACE_END_RESULT("-1");
    return -1;
  }
  std::shared_ptr<FileInfo> offer = std::make_shared<FileInfo>();
  offer->site = site;
  offer->path = path;
  offer->fileName = fileName;
  offer->size = info.st_size;
  offer->fileKey = fileKey;
  offer->ownerLogin = ownerLogin;
  {
    Shared& shared = TheShared();
    std::lock_guard<std::mutex> lock(shared.mutex);
    shared.offers.push_back(Offer{offer, m_id});
  }
  TRACE_END_RESULT("%lld", static_cast<long long>(offer->size));
  return offer->size;
}

void FileServer::CancelFile(const std::string& fileKey) {
  TRACE_START_ARGS("%s", fileKey.c_str());
  // A relayed upload of the offer stops with it.
  CloseRelayStreams(fileKey);
  Shared& shared = TheShared();
  std::lock_guard<std::mutex> lock(shared.mutex);
  for (auto it = shared.offers.begin(); it != shared.offers.end(); ++it) {
    if (it->owner == m_id && it->info->fileKey == fileKey) {
      shared.offers.erase(it);
      TRACE_END_RESULT("found");
      return;
    }
  }
  TRACE_END();
}

void FileServer::CloseRelayStreams(const std::string& fileKey) {
  const std::string suffix = " " + fileKey;
  std::lock_guard<std::mutex> lock(m_relay->mutex);
  for (auto it = m_relay->streams.begin(); it != m_relay->streams.end();) {
    const std::string& key = it->first;
    if (key.size() >= suffix.size() && key.compare(key.size() - suffix.size(), suffix.size(), suffix) == 0) {
      TRACE_INFO("relayed stream %s closed", key.c_str());
      fclose(it->second);
      it = m_relay->streams.erase(it);
    } else {
      ++it;
    }
  }
}

std::shared_ptr<const FileInfo> FileServer::GetFileInfo(const std::string& fileKey) {
  TRACE_START_ARGS("%s", fileKey.c_str());
  Shared& shared = TheShared();
  std::lock_guard<std::mutex> lock(shared.mutex);
  for (const Offer& offer : shared.offers) {
    if (offer.info->fileKey == fileKey) {
      TRACE(LOG_LEVEL_TRACE, "END (true)");
      return offer.info;
    }
  }
  TRACE(LOG_LEVEL_TRACE, "END (false)");
  return nullptr;
}

bool FileServer::IsFileAvailable(const std::string& fileKey) {
  TRACE_STARTEND();
  return GetFileInfo(fileKey) != nullptr;
}

void FileServer::CancelUpload(const std::string& transferKey) {
  TRACE_START_ARGS("%s", transferKey.c_str());
  if (Stop(TheShared().uploads, transferKey)) TRACE_INFO("found");
  TRACE_END();
}

void FileServer::CancelDownload(const std::string& transferKey) {
  TRACE_START_ARGS("%s", transferKey.c_str());
  Stop(TheShared().downloads, transferKey);
  TRACE_END();
}

void FileServer::RegisterUpload(const std::string& transferKey, const TransferToken& token, uint64_t owner) {
  Enter(TheShared().uploads, transferKey, token, owner);
}

void FileServer::UnregisterUpload(const std::string& transferKey, const TransferToken& token) {
  Leave(TheShared().uploads, transferKey, token);
}

void FileServer::RegisterDownload(const std::string& fileKey, const TransferToken& token, uint64_t owner) {
  Enter(TheShared().downloads, fileKey, token, owner);
}

void FileServer::UnregisterDownload(const std::string& fileKey, const TransferToken& token) {
  Leave(TheShared().downloads, fileKey, token);
}

void FileServer::DownloadFile(const std::string& ownLogin, const std::string& peerLogin, const std::string& site,
                              const std::string& fileKey, int64_t size, const std::string& host,
                              unsigned short port, const std::string& fileName, const std::string& localPath) {
  TRACE_START_ARGS("%s, %s", fileKey.c_str(), localPath.c_str());
  FileDownload download(ownLogin, peerLogin, site, fileKey, size, host, port, fileName, localPath);
  download.m_owner = m_id;
  programThreads::Start("download " + fileKey, download, [download]() mutable { download.Cancel(); });
  TRACE_END();
}

void FileServer::BindListener(FileTransferListener* listener) { TheShared().listener.Bind(listener); }

void FileServer::UnbindListener(FileTransferListener* listener) { TheShared().listener.Unbind(listener); }

void FileServer::Report(t_fm_status status, const std::string& login, const std::string& site,
                        const std::string& fileName, const std::string& fileKey, const std::string& transferKey,
                        const std::string& host, int port, bool isDownload, int64_t transferred, int64_t size,
                        double speed) {
  time_t now = time(nullptr);
  TheShared().listener.Call([&](FileTransferListener& listener) {
    listener.MessageFile(status, login, site, fileName, fileKey, transferKey, host, port, now, isDownload,
                         transferred, size, speed);
  });
}

bool FileServer::Register(const std::string& login, const std::string& fileKey, bool write) {
  TRACE_START_ARGS("%s, %s", login.c_str(), fileKey.c_str());
  if (write) {
    // Nothing of this client is opened for writing on a peer's or the server's word.
    TRACE_ERROR("relayed receive refused for %s", fileKey.c_str());
    TRACE_END_RESULT("refused");
    return false;
  }
  std::shared_ptr<const FileInfo> offer = GetFileInfo(fileKey);
  if (!offer) {
    TRACE_END_RESULT("not offered");
    return false;
  }
  FILE* stream = fopen(offer->path.c_str(), "rbe");
  if (!stream) {
    TRACE_END_RESULT("cannot open");
    return false;
  }
  std::lock_guard<std::mutex> lock(m_relay->mutex);
  FILE*& slot = m_relay->streams[login + " " + fileKey];
  if (slot) fclose(slot);
  slot = stream;
  TRACE_END();
  return true;
}

int64_t FileServer::GetPosition(const std::string& login, const std::string& fileKey) {
  TRACE_START_ARGS("%s, %s", login.c_str(), fileKey.c_str());
  std::lock_guard<std::mutex> lock(m_relay->mutex);
  auto it = m_relay->streams.find(login + " " + fileKey);
  int64_t position = it == m_relay->streams.end() ? 0 : static_cast<int64_t>(ftello(it->second));
  TRACE_END_RESULT("%lld", static_cast<long long>(position));
  return position;
}

void FileServer::WritePart(const std::string& login, const std::string& fileKey, const FileData_t* part) {
  TRACE_START_ARGS("%s, %s", login.c_str(), fileKey.c_str());
  // Register never opens a stream for writing, so there is nothing a part could go to.
  TRACE_ERROR("unsolicited part dropped");
  TRACE_END();
}

FileData_t* FileServer::ReadPart(const std::string& login, const std::string& fileKey) {
  TRACE_START_ARGS("%s, %s", login.c_str(), fileKey.c_str());
  std::lock_guard<std::mutex> lock(m_relay->mutex);
  auto it = m_relay->streams.find(login + " " + fileKey);
  if (it == m_relay->streams.end()) {
    TRACE_END_RESULT("no stream");
    return nullptr;
  }
  if (feof(it->second)) {
    fclose(it->second);
    m_relay->streams.erase(it);
    TRACE_END_RESULT("end of file");
    return nullptr;
  }
  FileData_t* part = static_cast<FileData_t*>(calloc(1, sizeof(FileData_t)));
  uint8_t* buffer = static_cast<uint8_t*>(malloc(kPartSize));
  if (!part || !buffer) {
    free(part);
    free(buffer);
    TRACE_END_RESULT("no memory");
    return nullptr;
  }
  size_t got = fread(buffer, 1, kPartSize, it->second);
  part->buf = buffer;
  part->size = static_cast<int>(got);
  TRACE_END_RESULT("%zu", got);
  return part;
}
