#include "network/sslManager.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <openssl/err.h>
#include <openssl/x509.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Date.h"
#include "asn1/berDecoder.h"
#include "asn1/octetString.h"
#include "model/log.h"

namespace {

std::atomic<int> g_connectTimeout{20000};

std::mutex g_watchMutex;
SSLManager::LinkWatch g_watch;

// Slice of a reader's wait should the closed event be missing; with it, a reader waits for the
// server or the close, however long: a link at rest costs no wake-up.
const int kReadSlice = 1000;

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

bool SetNonBlocking(int fd) {
  int flags = fcntl(fd, F_GETFL, 0);
  return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

}  // namespace

// What a connection attempt has opened so far; it becomes the connection's only once the
// attempt succeeded, so that a close meanwhile never frees what the attempt is using.
struct SSLManager::Opening {
  SSL_CTX* ctx = nullptr;
  SSL* ssl = nullptr;
  BIO* bio = nullptr;
  int fd = -1;

  void Release() {
    if (ssl) {
      SSL_free(ssl);
    } else if (bio) {
      BIO_free(bio);
    }
    if (ctx) SSL_CTX_free(ctx);
    if (fd >= 0) close(fd);
    ssl = nullptr;
    bio = nullptr;
    ctx = nullptr;
    fd = -1;
  }
};

SSLManager::SSLManager() {
  TRACE_START();
  sigpipe_conf();
  m_closedEvent = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  TRACE_END();
}

SSLManager::SSLManager(BIO* bio) : m_bio(bio) {
  TRACE_START();
  sigpipe_conf();
  m_closedEvent = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (bio) {
    int fd = -1;
    BIO_get_fd(bio, &fd);
    if (fd >= 0) {
      struct sockaddr_in peer;
      socklen_t len = sizeof peer;
      char text[INET_ADDRSTRLEN];
      if (getpeername(fd, reinterpret_cast<struct sockaddr*>(&peer), &len) == 0 && peer.sin_family == AF_INET &&
          inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text)) {
        m_peerAddress = text;
      }
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    StartWriterLocked();
  }
  TRACE_END();
}

SSLManager::~SSLManager() {
  TRACE_START();
  // The writer ends first: it uses the connection until it sees the queue closed.
  m_queue.Close();
  if (m_closedEvent >= 0) (void)!eventfd_write(m_closedEvent, 1);
  if (m_writer.joinable()) m_writer.join();
  if (m_ssl) {
    SSL_free(m_ssl);
  } else if (m_bio) {
    BIO_free(m_bio);
  }
  if (m_ctx) SSL_CTX_free(m_ctx);
  if (m_socket >= 0) close(m_socket);
  if (m_closedEvent >= 0) close(m_closedEvent);
  TRACE_END();
}

void SSLManager::SetConnectTimeout(int milliseconds) {
  TRACE_START_ARGS("%d", milliseconds);
  g_connectTimeout = milliseconds;
  TRACE_END();
}

int SSLManager::GetConnectTimeout() {
  return g_connectTimeout;
}

void SSLManager::SetLinkWatch(const LinkWatch& watch) {
  TRACE_START_ARGS("%d, %d, %d, %d", watch.idleSeconds, watch.intervalSeconds, watch.probes, watch.unacknowledgedMs);
  std::lock_guard<std::mutex> lock(g_watchMutex);
  g_watch = watch;
  TRACE_END();
}

SSLManager::LinkWatch SSLManager::GetLinkWatch() {
  std::lock_guard<std::mutex> lock(g_watchMutex);
  return g_watch;
}

void SSLManager::WatchLink(int fd) {
  const LinkWatch watch = GetLinkWatch();
  const int on = 1;
  // The system's own probes and its bound on unacknowledged data find a peer that is gone
  // without a message or a timer of ours; a reader waiting on the link then sees it fail.
  const struct {
    int level, name, value;
    const char* what;
  } options[] = {{SOL_SOCKET, SO_KEEPALIVE, on, "keep-alive"},
                 {IPPROTO_TCP, TCP_KEEPIDLE, watch.idleSeconds, "idle time"},
                 {IPPROTO_TCP, TCP_KEEPINTVL, watch.intervalSeconds, "probe interval"},
                 {IPPROTO_TCP, TCP_KEEPCNT, watch.probes, "probes"},
                 {IPPROTO_TCP, TCP_USER_TIMEOUT, watch.unacknowledgedMs, "unacknowledged time"}};
  for (const auto& option : options) {
    if (setsockopt(fd, option.level, option.name, &option.value, sizeof option.value) != 0)
      TRACE_ERROR("cannot set the link's %s (%d): %s", option.what, option.value, strerror(errno));
  }
}

SSLManager::Wait SSLManager::WaitFor(int fd, short events, int timeout) const {
  struct pollfd p[2];
  p[0].fd = fd;
  p[0].events = events;
  p[0].revents = 0;
  p[1].fd = m_closedEvent;
  p[1].events = POLLIN;
  p[1].revents = 0;
  int r;
  do {
    r = poll(p, m_closedEvent >= 0 ? 2 : 1, timeout);
  } while (r < 0 && errno == EINTR);
  if (r > 0 && p[1].revents) return Wait::kClosed;
  // An error on the socket counts as ready: the next call on it sees the error.
  return r > 0 ? Wait::kReady : Wait::kTimedOut;
}

int SSLManager::OpenSocket(const char* host, unsigned short port, std::string* error) {
  TRACE_START_ARGS("%s, %d", host ? host : "", port);
  struct addrinfo hints;
  memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  char service[16];
  snprintf(service, sizeof service, "%u", port);
  struct addrinfo* list = nullptr;
  int rc = getaddrinfo(host ? host : "", service, &hints, &list);
  if (rc != 0) {
    *error = gai_strerror(rc);
    TRACE_END_RESULT("cannot resolve");
    return -2;
  }
  auto deadline = Clock::now() + std::chrono::milliseconds(GetConnectTimeout());
  int fd = -1;
  bool closed = false;
  *error = "no address";
  for (struct addrinfo* a = list; a && fd < 0 && !closed; a = a->ai_next) {
    int s = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
    if (s < 0) {
      *error = strerror(errno);
      continue;
    }
    if (!SetNonBlocking(s)) {
      *error = strerror(errno);
      close(s);
      continue;
    }
    int r = connect(s, a->ai_addr, a->ai_addrlen);
    if (r != 0 && errno == EINPROGRESS) {
      Wait w = WaitFor(s, POLLOUT, MillisecondsLeft(deadline));
      if (w == Wait::kReady) {
        int soerr = 0;
        socklen_t len = sizeof soerr;
        getsockopt(s, SOL_SOCKET, SO_ERROR, &soerr, &len);
        if (soerr == 0) {
          r = 0;
        } else {
          errno = soerr;
        }
      } else {
        closed = w == Wait::kClosed;
        errno = closed ? ECANCELED : ETIMEDOUT;
      }
    }
    if (r == 0) {
      WatchLink(s);
      fd = s;
    } else {
      *error = strerror(errno);
      close(s);
    }
  }
  freeaddrinfo(list);
  TRACE_END_RESULT("%d", fd);
  return fd;
}

bool SSLManager::Handshake(SSL* ssl, int fd, std::string* error) {
  TRACE_START();
  auto deadline = Clock::now() + std::chrono::milliseconds(GetConnectTimeout());
  for (;;) {
    ERR_clear_error();
    int r = SSL_connect(ssl);
    if (r == 1) {
      TRACE_END_RESULT("OK");
      return true;
    }
    int err = SSL_get_error(ssl, r);
    short events = err == SSL_ERROR_WANT_READ ? POLLIN : err == SSL_ERROR_WANT_WRITE ? POLLOUT : 0;
    if (events == 0) {
      *error = "handshake failed";
      break;
    }
    Wait w = WaitFor(fd, events, MillisecondsLeft(deadline));
    if (w != Wait::kReady) {
      *error = w == Wait::kClosed ? "closed during the handshake" : "handshake timed out";
      break;
    }
  }
  TRACE_END_RESULT("%s", error->c_str());
  return false;
}

bool SSLManager::CheckPeer(SSL* ssl, const char* certName) {
  TRACE_START_ARGS("%s", certName ? certName : "");
  long verify = SSL_get_verify_result(ssl);
  if (verify != X509_V_OK) {
    TRACE_ERROR("certificate verification error: %s\n", X509_verify_cert_error_string(verify));
    TRACE_END_RESULT("refused");
    return false;
  }
  X509* peer = SSL_get1_peer_certificate(ssl);
  if (!peer) {
    TRACE_ERROR("no peer certificate");
    TRACE_END_RESULT("refused");
    return false;
  }
  char name[512];
  name[0] = '\0';
  int length = X509_NAME_get_text_by_NID(X509_get_subject_name(peer), NID_commonName, name, sizeof name);
  X509_free(peer);
  if (length < 0) name[0] = '\0';
  const char* wanted = certName ? certName : "";
  // The length is compared too, so that a name with an embedded NUL never matches.
  if (length < 0 || static_cast<size_t>(length) != strlen(wanted) || memcmp(name, wanted, length) != 0) {
    TRACE_ERROR("required host name (%s) != certificate's name (%s)\n", wanted, name);
    TRACE_END_RESULT("refused");
    return false;
  }
  TRACE_END_RESULT("OK");
  return true;
}

bool SSLManager::ConnectTo(const char* host, unsigned short port, const char* certName, bool tls,
                           const std::string& trustDir, const char* proxyHost, unsigned short proxyPort) {
  TRACE_START_ARGS("%s:%d, %s, %d", host ? host : "", port, certName ? certName : "", tls);
  Opening opening;
  bool closed;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    closed = m_closed;
  }
  bool ok = !closed && (tls ? ConnectTls(opening, host, port, certName, trustDir, proxyHost, proxyPort)
                : ConnectPlain(opening, host, port));
  if (ok && !Publish(opening)) {
    TRACE_ERROR("closed while connecting");
    ok = false;
  }
  if (!ok) {
    opening.Release();
    // A failed attempt leaves the object closed, as a close would.
    std::lock_guard<std::mutex> lock(m_mutex);
    CloseLocked();
  }
  TRACE_END_RESULT("%s", ok ? "OK" : "failed");
  return ok;
}

bool SSLManager::Publish(Opening& opening) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_closed || m_ssl || m_bio) return false;
  m_ctx = opening.ctx;
  m_ssl = opening.ssl;
  m_bio = opening.bio;
  m_socket = opening.fd;
  opening = Opening();
  StartWriterLocked();
  return true;
}

bool SSLManager::ConnectPlain(Opening& opening, const char* host, unsigned short port) {
  std::string error;
  opening.fd = OpenSocket(host, port, &error);
  if (opening.fd < 0) {
    handle_error(__FILE_NAME__, __LINE__, "Error connecting to remote machine");
    TRACE_INFO("%s:%d: %s", host ? host : "", port, error.c_str());
    return false;
  }
  opening.bio = BIO_new_socket(opening.fd, BIO_NOCLOSE);
  if (!opening.bio) {
    handle_error(__FILE_NAME__, __LINE__, "Error creating connection BIO");
    return false;
  }
  TRACE_INFO("OK (plain)");
  return true;
}

bool SSLManager::ConnectTls(Opening& opening, const char* host, unsigned short port, const char* certName,
                            const std::string& trustDir, const char* proxyHost, unsigned short proxyPort) {
  std::string error;
  opening.ctx = SSL_CTX_new(TLS_client_method());
  if (!opening.ctx) {
    handle_error(__FILE_NAME__, __LINE__, "Error creating TLS context");
    return false;
  }
  SSL_CTX_set_min_proto_version(opening.ctx, TLS1_2_VERSION);
  SSL_CTX_set_timeout(opening.ctx, 1000);
  std::string store = (trustDir.empty() ? std::string("./") : trustDir) + "parlavox.pem";
  TRACE_INFO("Load pem : %s", store.c_str());
  if (SSL_CTX_load_verify_locations(opening.ctx, store.c_str(), nullptr) != 1) {
    TRACE_ERROR("error loading trust store");
    ERR_print_errors_fp(stderr);
    return false;
  }

  if (proxyHost) {
    TRACE_INFO("connect through %s:%d", proxyHost, proxyPort);
    opening.bio = ConnectToProxy(proxyHost, proxyPort, host, port);
    if (!opening.bio) {
      TRACE_ERROR("connection to proxy failed");
      return false;
    }
    BIO_get_fd(opening.bio, &opening.fd);
  } else {
    TRACE_INFO("direct connection");
    opening.fd = OpenSocket(host, port, &error);
    if (opening.fd >= 0) opening.bio = BIO_new_socket(opening.fd, BIO_NOCLOSE);
    if (!opening.bio) {
      TRACE_ERROR("Error attempting to connect");
      ERR_print_errors_fp(stderr);
      TRACE_INFO("%s:%d: %s", host ? host : "", port, error.c_str());
      return false;
    }
  }

  opening.ssl = SSL_new(opening.ctx);
  if (!opening.ssl) {
    handle_error(__FILE_NAME__, __LINE__, "Error creating TLS state");
    return false;
  }
  SSL_set_mode(opening.ssl, SSL_MODE_AUTO_RETRY);
  SSL_set_bio(opening.ssl, opening.bio, opening.bio);
  if (!Handshake(opening.ssl, opening.fd, &error)) {
    TRACE_ERROR("%s", proxyHost ? "erreur SSL_connect" : "Error attempting to connect");
    ERR_print_errors_fp(stderr);
    return false;
  }
  if (!CheckPeer(opening.ssl, certName)) return false;
  return true;
}

BIO* SSLManager::ConnectToProxy(const char* proxyHost, unsigned short proxyPort, const char* host,
                                unsigned short port) {
  TRACE_START_ARGS("%s:%d, %s:%d", proxyHost ? proxyHost : "", proxyPort, host ? host : "", port);
  std::string error;
  int fd = OpenSocket(proxyHost, proxyPort, &error);
  if (fd == -2) {
    TRACE_ERROR("SSLManager::ConnectToProxy %s", error.c_str());
    TRACE_END_RESULT("null");
    return nullptr;
  }
  if (fd < 0) {
    TRACE_ERROR("SSLManager::ConnectToProxy : erreur de connexion au proxy : %s", error.c_str());
    TRACE_END_RESULT("null");
    return nullptr;
  }
  if (!OpenTunnel(fd, host, port)) {
    close(fd);
    TRACE_END_RESULT("null");
    return nullptr;
  }
  BIO* bio = BIO_new_socket(fd, BIO_NOCLOSE);
  if (!bio) close(fd);
  TRACE_END_RESULT("%p", static_cast<void*>(bio));
  return bio;
}

bool SSLManager::OpenTunnel(int fd, const char* host, unsigned short port) {
  TRACE_START();
  auto deadline = Clock::now() + std::chrono::milliseconds(GetConnectTimeout());
  char request[1200];
  int length = snprintf(request, sizeof request,
                        "CONNECT %s:%d HTTP/1.1\r\nProxy-Connection: keep-alive\r\nHost: %s\r\n\r\n",
                        host ? host : "", port, host ? host : "");
  if (length <= 0 || length >= static_cast<int>(sizeof request)) {
    TRACE_ERROR("SSLManager::ConnectToProxy : erreur de transmission : %s", strerror(ENAMETOOLONG));
    TRACE_END_RESULT("refused");
    return false;
  }
  int sent = 0;
  while (sent < length) {
    ssize_t r = send(fd, request + sent, length - sent, MSG_NOSIGNAL);
    if (r > 0) {
      sent += static_cast<int>(r);
      continue;
    }
    int err = r < 0 ? errno : ETIMEDOUT;
    if (r < 0 && (err == EAGAIN || err == EINTR)) {
      Wait w = WaitFor(fd, POLLOUT, MillisecondsLeft(deadline));
      if (w == Wait::kReady) continue;
      err = w == Wait::kClosed ? ECANCELED : ETIMEDOUT;
    }
    TRACE_ERROR("SSLManager::ConnectToProxy : erreur de transmission : %s", strerror(err));
    TRACE_END_RESULT("not sent");
    return false;
  }

  // The reply is read up to its empty line, one byte at a time so that nothing of the
  // tunnel's own traffic is taken; at most 4000 bytes.
  char reply[4001];
  int held = 0;
  while (held < 4000) {
    if (held >= 4 && memcmp(reply + held - 4, "\r\n\r\n", 4) == 0) break;
    ssize_t r = recv(fd, reply + held, 1, 0);
    if (r == 1) {
      ++held;
      continue;
    }
    int err = r < 0 ? errno : 0;
    if (r < 0 && (err == EAGAIN || err == EINTR)) {
      Wait w = WaitFor(fd, POLLIN, MillisecondsLeft(deadline));
      if (w == Wait::kReady) continue;
      err = w == Wait::kClosed ? ECANCELED : ETIMEDOUT;
    }
    TRACE_ERROR("erreur de réception : %s", r == 0 ? "connection closed" : strerror(err));
    TRACE_END_RESULT("no reply");
    return false;
  }
  reply[held] = '\0';
  TRACE_INFO("réception de la réponse : %s", reply);
  // Only a success status opens a tunnel; anything else would be handed to the handshake.
  int status = 0;
  if (sscanf(reply, "HTTP/%*d.%*d %d", &status) != 1 || status < 200 || status > 299) {
    TRACE_ERROR("proxy refused the tunnel (%d)", status);
    TRACE_END_RESULT("refused");
    return false;
  }
  TRACE_END_RESULT("open");
  return true;
}

void SSLManager::CloseConnection() {
  TRACE_START_ARGS("%lx", reinterpret_cast<unsigned long>(this));
  // The queue first, so that nothing is taken for a link that is going.
  m_queue.Close();
  std::lock_guard<std::mutex> lock(m_mutex);
  CloseLocked();
  TRACE_END();
}

void SSLManager::CloseLocked() {
  TRACE_START();
  if (m_bio) {
    TRACE_INFO("Flush BIO");
    (void)BIO_flush(m_bio);
  }
  if (m_ssl) {
    TRACE_INFO("Close SSL (%d)", SSL_get_shutdown(m_ssl));
    if (!m_fatal) {
      ERR_clear_error();
      (void)SSL_shutdown(m_ssl);
    }
    if (m_socket > 0) {
      TRACE_INFO("Shutdown com_socket");
      shutdown(m_socket, SHUT_RDWR);
    }
    SSL_free(m_ssl);
    m_ssl = nullptr;
    m_bio = nullptr;
  } else if (m_bio) {
    // The socket is shut down first, so that the peer sees the end at once.
    int fd = m_socket;
    if (fd < 0) BIO_get_fd(m_bio, &fd);
    if (fd >= 0) shutdown(fd, SHUT_RDWR);
    BIO_free(m_bio);
    m_bio = nullptr;
  } else if (m_socket > 0) {
    shutdown(m_socket, SHUT_RDWR);
  }
  if (m_ctx) {
    SSL_CTX_free(m_ctx);
    m_ctx = nullptr;
  }
  m_closed = true;
  // Every wait on this connection (a read, a write, a connection attempt) ends now.
  if (m_closedEvent >= 0) (void)!eventfd_write(m_closedEvent, 1);
  ERR_clear_error();
  TRACE_END();
}

int SSLManager::ReadSome(unsigned char* buffer, int size) {
  for (;;) {
    int fd;
    short events;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_closed || (!m_ssl && !m_bio)) return 0;
      fd = m_socket;
      if (fd < 0) BIO_get_fd(m_bio, &fd);
      if (m_ssl) {
        ERR_clear_error();
        int r = SSL_read(m_ssl, buffer, size);
        if (r > 0) return r;
        int err = SSL_get_error(m_ssl, r);
        if (err == SSL_ERROR_WANT_READ) {
          events = POLLIN;
        } else if (err == SSL_ERROR_WANT_WRITE) {
          events = POLLOUT;
        } else {
          if (err != SSL_ERROR_ZERO_RETURN) m_fatal = true;
          return r < 0 ? r : 0;
        }
      } else {
        int r = BIO_read(m_bio, buffer, size);
        if (r > 0) return r;
        if (!BIO_should_retry(m_bio)) return r;
        events = POLLIN;
      }
    }
    // Waiting happens without the lock, so that writers go on meanwhile.
    if (WaitFor(fd, events, m_closedEvent >= 0 ? -1 : kReadSlice) == Wait::kClosed) return 0;
  }
}

bool SSLManager::ClosedOnPurpose() {
  std::lock_guard<std::mutex> lock(m_mutex);
  // A close after a fatal error (a failed write, a broken TLS stream) was no choice of ours.
  return m_closed && !m_fatal;
}

// Untraced when a message decodes: a flooding server would pay more in traces than in work.
void* SSLManager::GenericDecoder(asn_TYPE_descriptor_t* type) {
  asn1::BerDecoder decoder(type, kMaxMessageSize);
  // Every alternative of the wire messages carries a context tag: anything else is not a
  // message of ours, and waiting for the length it seems to announce would only stall.
  decoder.RequireContextTag();
  for (;;) {
    if (m_needRead) {
      int r = m_held < kBufferSize ? ReadSome(m_receiveBuffer + m_held, kBufferSize - m_held) : 0;
      if (r <= 0) {
        // The end of a link closed here on purpose (a log-out, the program's end) is no error.
        if (r == 0 && ClosedOnPurpose()) {
          TRACE_INFO("Lecture du buffer (pid %d) : %d -> %d, closed here", static_cast<int>(getpid()), r, m_held);
        } else {
          TRACE_ERROR("Lecture du buffer (pid %d) : %d -> %d", static_cast<int>(getpid()), r, m_held);
        }
        break;
      }
      m_held += r;
    }
    asn1::DecodeResult result = decoder.Decode(m_receiveBuffer, m_held);
    int consumed = static_cast<int>(result.consumed);
    auto drop = [this, consumed] {
      memmove(m_receiveBuffer, m_receiveBuffer + consumed, m_held - consumed);
      m_held -= consumed;
    };
    if (result.status == asn1::DecodeStatus::kComplete) {
      drop();
      m_needRead = m_held == 0;
      return decoder.Take();
    }
    if (result.status == asn1::DecodeStatus::kNeedMore) {
      TRACE_INFO("Want more (%d/%d)", consumed, m_held);
      drop();
      m_needRead = 1;
      continue;
    }
    m_needRead = 1;
    switch (decoder.Failure()) {
      case asn1::DecodeFailure::kNotContextTag:
        TRACE_ERROR("FAIL (%d/%d)", 0, m_held);
        break;
      case asn1::DecodeFailure::kAnnouncedTooLong:
        TRACE_ERROR("message too long (%ld)", static_cast<long>(decoder.FailedLength()));
        break;
      case asn1::DecodeFailure::kTooLong:
        TRACE_INFO("Want more (%d/%d)", consumed, m_held);
        drop();
        TRACE_ERROR("message too long (%ld)", static_cast<long>(decoder.FailedLength()));
        break;
      case asn1::DecodeFailure::kConstraint:
        drop();
        m_needRead = m_held == 0;
        TRACE_ERROR("ASN.1 constraint check failed: %s", decoder.Error().c_str());
        break;
      default:
        TRACE_ERROR("FAIL (%d/%d)", consumed, m_held);
        printf("FAIL\n");
        break;
    }
    break;
  }
  TRACE_INFO("%s: empty request", type->name);
  return EmptyRequest(type);
}

void handle_error(const char* file, int line, const char* message) {
  TRACE_START();
  TRACE_ERROR("SSL : Error %s:%i %s", file, line, message);
  ERR_print_errors_fp(stderr);
  TRACE_END();
}

void SetOctetString(OCTET_STRING_t* string, const void* bytes, int size) {
  asn1::AssignOctetString(*string, bytes, size > 0 ? static_cast<size_t>(size) : 0);
}

void SetOctetString(OCTET_STRING_t* string, const std::string& text) {
  SetOctetString(string, text.data(), static_cast<int>(text.size()));
}

void FreeOctetString(OCTET_STRING_t* string) {
  TRACE_START();
  asn1::ClearOctetString(*string);
  TRACE_END();
}

std::string OctetStringToString(const OCTET_STRING_t& string) {
  TRACE_STARTEND();
  return asn1::ToString(string);
}

time_t DateToTime(const Date_t& date, int* day, int* month, int* year) {
  TRACE_START();
  if (day) *day = static_cast<int>(date.day);
  if (month) *month = static_cast<int>(date.month);
  if (year) *year = static_cast<int>(date.year);
  struct tm t;
  memset(&t, 0, sizeof t);
  t.tm_mday = static_cast<int>(date.day);
  t.tm_mon = static_cast<int>(date.month);
  t.tm_year = static_cast<int>(date.year) - 1900;
  t.tm_isdst = -1;
  time_t result = mktime(&t);
  TRACE_END();
  return result;
}
