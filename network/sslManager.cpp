#include "network/sslManager.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
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
#include "asn1/constraintCheck.h"
#include "asn1/derEncoder.h"
#include "asn1/octetString.h"
#include "model/log.h"

namespace {

std::atomic<int> g_connectTimeout{20000};

// Slice of a reader's wait, so that a close from another thread is seen soon.
const int kReadSlice = 250;

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

// Waits until fd is ready for events; true when ready (or in error, which the next call sees).
bool WaitFd(int fd, short events, int timeout) {
  struct pollfd p;
  p.fd = fd;
  p.events = events;
  p.revents = 0;
  int r;
  do {
    r = poll(&p, 1, timeout);
  } while (r < 0 && errno == EINTR);
  return r > 0;
}

bool SetNonBlocking(int fd) {
  int flags = fcntl(fd, F_GETFL, 0);
  return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

}  // namespace

SSLManager::SSLManager() {
  TRACE_START();
  sigpipe_conf();
  TRACE_END();
}

SSLManager::SSLManager(BIO* bio) : m_bio(bio) {
  TRACE_START();
  sigpipe_conf();
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
  }
  TRACE_END();
}

SSLManager::~SSLManager() {
  TRACE_START();
  if (m_ssl) {
    SSL_free(m_ssl);
  } else if (m_bio) {
    BIO_free(m_bio);
  }
  if (m_ctx) SSL_CTX_free(m_ctx);
  if (m_socket >= 0) close(m_socket);
  TRACE_END();
}

void SSLManager::SetConnectTimeout(int milliseconds) {
  TRACE_START_ARGS("%d", milliseconds);
  g_connectTimeout = milliseconds;
  TRACE_END();
}

int SSLManager::GetConnectTimeout() {
  TRACE_STARTEND();
  return g_connectTimeout;
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
  *error = "no address";
  for (struct addrinfo* a = list; a && fd < 0; a = a->ai_next) {
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
      if (WaitFd(s, POLLOUT, MillisecondsLeft(deadline))) {
        int soerr = 0;
        socklen_t len = sizeof soerr;
        getsockopt(s, SOL_SOCKET, SO_ERROR, &soerr, &len);
        if (soerr == 0) {
          r = 0;
        } else {
          errno = soerr;
        }
      } else {
        errno = ETIMEDOUT;
      }
    }
    if (r == 0) {
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

bool SSLManager::Handshake(std::string* error) {
  TRACE_START();
  auto deadline = Clock::now() + std::chrono::milliseconds(GetConnectTimeout());
  for (;;) {
    ERR_clear_error();
    int r = SSL_connect(m_ssl);
    if (r == 1) {
      TRACE_END_RESULT("OK");
      return true;
    }
    int err = SSL_get_error(m_ssl, r);
    short events = err == SSL_ERROR_WANT_READ ? POLLIN : err == SSL_ERROR_WANT_WRITE ? POLLOUT : 0;
    if (events == 0) {
      *error = "handshake failed";
      break;
    }
    if (!WaitFd(m_socket, events, MillisecondsLeft(deadline))) {
      *error = "handshake timed out";
      break;
    }
  }
  TRACE_END_RESULT("%s", error->c_str());
  return false;
}

bool SSLManager::CheckPeer(const char* certName) {
  TRACE_START_ARGS("%s", certName ? certName : "");
  long verify = SSL_get_verify_result(m_ssl);
  if (verify != X509_V_OK) {
    TRACE_ERROR("certificate verification error: %s\n", X509_verify_cert_error_string(verify));
    TRACE_END_RESULT("refused");
    return false;
  }
  X509* peer = SSL_get1_peer_certificate(m_ssl);
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
  std::lock_guard<std::mutex> lock(m_mutex);
  char target[512];
  snprintf(target, sizeof target, "%s:%d", host ? host : "", port);
  std::string error;

  if (!tls) {
    int fd = OpenSocket(host, port, &error);
    if (fd < 0) {
      CloseLocked();
      handle_error(__FILE_NAME__, __LINE__, "Error connecting to remote machine");
      TRACE_END_RESULT("%s: %s", target, error.c_str());
      return false;
    }
    m_socket = fd;
    m_bio = BIO_new_socket(fd, BIO_NOCLOSE);
    if (!m_bio) {
      CloseLocked();
      handle_error(__FILE_NAME__, __LINE__, "Error creating connection BIO");
      TRACE_END_RESULT("no BIO");
      return false;
    }
    m_closed = false;
    TRACE_END_RESULT("OK (plain)");
    return true;
  }

  m_bio = nullptr;
  m_ctx = nullptr;
  m_ssl = nullptr;
  m_ctx = SSL_CTX_new(TLS_client_method());
  if (!m_ctx) {
    handle_error(__FILE_NAME__, __LINE__, "Error creating TLS context");
    TRACE_END_RESULT("no context");
    return false;
  }
  SSL_CTX_set_min_proto_version(m_ctx, TLS1_2_VERSION);
  SSL_CTX_set_timeout(m_ctx, 1000);
  std::string store = (trustDir.empty() ? std::string("./") : trustDir) + "parlavox.pem";
  TRACE_INFO("Load pem : %s", store.c_str());
  if (SSL_CTX_load_verify_locations(m_ctx, store.c_str(), nullptr) != 1) {
    TRACE_ERROR("error loading trust store");
    ERR_print_errors_fp(stderr);
    CloseLocked();
    TRACE_END_RESULT("no trust store");
    return false;
  }

  BIO* bio = nullptr;
  if (proxyHost) {
    TRACE_INFO("connect through %s:%d", proxyHost, proxyPort);
    bio = ConnectToProxy(proxyHost, proxyPort, host, port);
    if (!bio) {
      TRACE_ERROR("connection to proxy failed");
      CloseLocked();
      TRACE_END_RESULT("no tunnel");
      return false;
    }
  } else {
    TRACE_INFO("direct connection");
    int fd = OpenSocket(host, port, &error);
    if (fd >= 0) {
      m_socket = fd;
      bio = BIO_new_socket(fd, BIO_NOCLOSE);
    }
    if (!bio) {
      TRACE_ERROR("Error attempting to connect");
      ERR_print_errors_fp(stderr);
      CloseLocked();
      TRACE_END_RESULT("%s: %s", target, error.c_str());
      return false;
    }
  }

  m_ssl = SSL_new(m_ctx);
  if (!m_ssl) {
    BIO_free(bio);
    handle_error(__FILE_NAME__, __LINE__, "Error creating TLS state");
    CloseLocked();
    TRACE_END_RESULT("no TLS state");
    return false;
  }
  SSL_set_mode(m_ssl, SSL_MODE_AUTO_RETRY);
  SSL_set_bio(m_ssl, bio, bio);
  m_bio = bio;
  m_closed = false;
  if (!Handshake(&error)) {
    if (proxyHost) {
      TRACE_ERROR("erreur SSL_connect");
    } else {
      TRACE_ERROR("Error attempting to connect");
    }
    ERR_print_errors_fp(stderr);
    m_fatal = true;
    CloseLocked();
    TRACE_END_RESULT("%s", error.c_str());
    return false;
  }
  if (!CheckPeer(certName)) {
    CloseLocked();
    TRACE_END_RESULT("refused");
    return false;
  }
  TRACE_END_RESULT("OK");
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
  // The socket is kept at once, so that every failure below closes it with the connection.
  if (m_socket >= 0) close(m_socket);
  m_socket = fd;
  auto deadline = Clock::now() + std::chrono::milliseconds(GetConnectTimeout());

  char request[1200];
  int length = snprintf(request, sizeof request,
                        "CONNECT %s:%d HTTP/1.1\r\nProxy-Connection: keep-alive\r\nHost: %s\r\n\r\n",
                        host ? host : "", port, host ? host : "");
  if (length <= 0 || length >= static_cast<int>(sizeof request)) {
    TRACE_ERROR("SSLManager::ConnectToProxy : erreur de transmission : %s", strerror(ENAMETOOLONG));
    TRACE_END_RESULT("null");
    return nullptr;
  }
  int sent = 0;
  while (sent < length) {
    ssize_t r = send(fd, request + sent, length - sent, MSG_NOSIGNAL);
    if (r > 0) {
      sent += static_cast<int>(r);
    } else if (r < 0 && (errno == EAGAIN || errno == EINTR) && WaitFd(fd, POLLOUT, MillisecondsLeft(deadline))) {
      continue;
    } else {
      TRACE_ERROR("SSLManager::ConnectToProxy : erreur de transmission : %s",
                  strerror(r < 0 ? errno : ETIMEDOUT));
      TRACE_END_RESULT("null");
      return nullptr;
    }
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
    } else if (r < 0 && (errno == EAGAIN || errno == EINTR) && WaitFd(fd, POLLIN, MillisecondsLeft(deadline))) {
      continue;
    } else {
      reply[held] = '\0';
      TRACE_ERROR("erreur de réception : %s", r == 0 ? "connection closed" : strerror(r < 0 ? errno : ETIMEDOUT));
      TRACE_END_RESULT("null");
      return nullptr;
    }
  }
  reply[held] = '\0';
  TRACE_INFO("réception de la réponse : %s", reply);
  // Only a success status opens a tunnel; anything else would be handed to the handshake.
  int status = 0;
  if (sscanf(reply, "HTTP/%*d.%*d %d", &status) != 1 || status < 200 || status > 299) {
    TRACE_ERROR("proxy refused the tunnel (%d)", status);
    TRACE_END_RESULT("null");
    return nullptr;
  }
  BIO* bio = BIO_new_socket(fd, BIO_NOCLOSE);
  TRACE_END_RESULT("%p", static_cast<void*>(bio));
  return bio;
}

void SSLManager::CloseConnection() {
  TRACE_START_ARGS("%lx", reinterpret_cast<unsigned long>(this));
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
    // The socket is shut down first, so that a reader waiting on it wakes at once.
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
  ERR_clear_error();
  TRACE_END();
}

bool SSLManager::Write(const unsigned char* bytes, int length) {
  TRACE_START_ARGS("%d", length);
  std::lock_guard<std::mutex> lock(m_mutex);
  bool ok = WriteLocked(bytes, length);
  TRACE_END_RESULT("%d", ok);
  return ok;
}

bool SSLManager::WriteLocked(const unsigned char* bytes, int length) {
  if (length < 1) return true;
  int fd = m_socket;
  if (fd < 0 && m_bio) BIO_get_fd(m_bio, &fd);
  int done = 0;
  while (done < length) {
    if (m_ssl) {
      ERR_clear_error();
      int r = SSL_write(m_ssl, bytes + done, length - done);
      if (r > 0) {
        done += r;
        continue;
      }
      int err = SSL_get_error(m_ssl, r);
      short events = err == SSL_ERROR_WANT_WRITE ? POLLOUT : err == SSL_ERROR_WANT_READ ? POLLIN : 0;
      if (events && fd >= 0 && WaitFd(fd, events, GetConnectTimeout())) continue;
      if (err == SSL_ERROR_SYSCALL || err == SSL_ERROR_SSL) m_fatal = true;
    } else if (m_bio) {
      int r = BIO_write(m_bio, bytes + done, length - done);
      if (r > 0) {
        done += r;
        continue;
      }
      if (BIO_should_retry(m_bio) && fd >= 0 && WaitFd(fd, POLLOUT, GetConnectTimeout())) continue;
    }
    TRACE_ERROR("SSLManager::Write : error while sending");
    // A message cut short (a peer that stopped reading, a broken link) leaves the stream
    // unusable: the link is shut down, so that the reader sees it lost and no later message
    // follows half of this one.
    if (m_ssl || m_bio) {
      m_fatal = true;
      if (fd >= 0) shutdown(fd, SHUT_RDWR);
    }
    return false;
  }
  return true;
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
    WaitFd(fd, events, kReadSlice);
  }
}

bool SSLManager::GenericEncoder(asn_TYPE_descriptor_t* type, void* message) {
  TRACE_START_ARGS("%s", type->name);
  std::lock_guard<std::mutex> lock(m_mutex);
  std::string error;
  if (!asn1::CheckConstraints(type, message, &error)) {
    TRACE_ERROR("ASN.1 constraint check failed: %s\n", error.c_str());
    TRACE_END_RESULT("refused");
    return false;
  }
  // The encoding never runs past the encode buffer: one that would not fit fails.
  m_encoded = static_cast<int>(asn1::EncodeDer(type, message, m_encodeBuffer, kBufferSize, &error));
  TRACE_INFO("result : %d", m_encoded);
  if (m_encoded == -1) {
    const char* why = strerror(EMSGSIZE);
    fprintf(stderr, "Cannot encode %s: %s\n", type->name, why);
    TRACE_ERROR("Cannot encode %s: %s\n", type->name, why);
    TRACE_END_RESULT("not encoded");
    return false;
  }
  if (!WriteLocked(m_encodeBuffer, m_encoded)) {
    TRACE_END_RESULT("not written");
    return false;
  }
  if (m_bio) (void)BIO_flush(m_bio);
  TRACE_END_RESULT("sent");
  return true;
}

void* SSLManager::GenericDecoder(asn_TYPE_descriptor_t* type) {
  TRACE_START_ARGS("%s", type->name);
  asn1::BerDecoder decoder(type, kMaxMessageSize);
  // Every alternative of the wire messages carries a context tag: anything else is not a
  // message of ours, and waiting for the length it seems to announce would only stall.
  decoder.RequireContextTag();
  for (;;) {
    if (m_needRead) {
      int r = m_held < kBufferSize ? ReadSome(m_receiveBuffer + m_held, kBufferSize - m_held) : 0;
      if (r <= 0) {
        TRACE_ERROR("Lecture du buffer (pid %d) : %d -> %d", static_cast<int>(getpid()), r, m_held);
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
      TRACE_END_RESULT("decoded");
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
  TRACE_END_RESULT("empty request");
  return EmptyRequest(type);
}

void init_openssl() {
  TRACE_START();
  OPENSSL_init_ssl(OPENSSL_INIT_LOAD_SSL_STRINGS | OPENSSL_INIT_LOAD_CRYPTO_STRINGS, nullptr);
  ERR_print_errors_fp(stdout);
  sigpipe_conf();
  TRACE_END();
}

void clean_openssl() {
  TRACE_START();
  // OpenSSL 3 keeps its own locks and releases its state at exit.
  ERR_clear_error();
  TRACE_END();
}

void sigpipe_conf() {
  TRACE_START();
  TRACE_INFO("Ignore SIGPIPE");
  struct sigaction action;
  memset(&action, 0, sizeof action);
  action.sa_handler = SIG_IGN;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  if (sigaction(SIGPIPE, &action, nullptr) != 0) {
    fprintf(stderr, "Erreur %d \n", errno);
    exit(EXIT_FAILURE);
  }
  TRACE_END();
}

void handle_error(const char* file, int line, const char* message) {
  TRACE_START();
  TRACE_ERROR("SSL : Error %s:%i %s", file, line, message);
  ERR_print_errors_fp(stderr);
  TRACE_END();
}

void SetOctetString(OCTET_STRING_t* string, const void* bytes, int size) {
  TRACE_START_ARGS("%d", size);
  asn1::AssignOctetString(*string, bytes, size > 0 ? static_cast<size_t>(size) : 0);
  TRACE_END();
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
