#include "standin/link/tlsEndpoint.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <openssl/err.h>
#include <openssl/pem.h>

#include <climits>
#include <stdexcept>

#include "network/listenSocket.h"

namespace standin {

namespace {

X509* ReadCertificate(const std::string& pem) {
  BIO* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
  X509* cert = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr);
  BIO_free(bio);
  return cert;
}

EVP_PKEY* ReadKey(const std::string& pem) {
  BIO* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
  EVP_PKEY* key = PEM_read_bio_PrivateKey(bio, nullptr, nullptr, nullptr);
  BIO_free(bio);
  return key;
}

// What an SSL call that returned r asks for.
TlsStep StepAfter(SSL* ssl, int r) {
  switch (SSL_get_error(ssl, r)) {
    case SSL_ERROR_WANT_READ:
      return TlsStep::kWantRead;
    case SSL_ERROR_WANT_WRITE:
      return TlsStep::kWantWrite;
    case SSL_ERROR_ZERO_RETURN:
      return TlsStep::kClosed;
    default:
      return TlsStep::kFailed;
  }
}

}  // namespace

TlsServerContext::TlsServerContext(const Identity& identity) {
  m_ctx = SSL_CTX_new(TLS_server_method());
  X509* cert = ReadCertificate(identity.certPem);
  EVP_PKEY* key = ReadKey(identity.keyPem);
  bool ok = m_ctx && cert && key && SSL_CTX_use_certificate(m_ctx, cert) == 1 &&
            SSL_CTX_use_PrivateKey(m_ctx, key) == 1;
  X509_free(cert);
  EVP_PKEY_free(key);
  if (!ok) {
    SSL_CTX_free(m_ctx);
    throw std::runtime_error("the server identity cannot be used");
  }
  SSL_CTX_set_min_proto_version(m_ctx, TLS1_2_VERSION);
  // Writes may stop part way and resume from a buffer that has moved; idle links give their
  // buffers back.
  SSL_CTX_set_mode(m_ctx, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER |
                              SSL_MODE_RELEASE_BUFFERS);
}

TlsServerContext::~TlsServerContext() {
  SSL_CTX_free(m_ctx);
}

SSL* TlsServerContext::NewSession(int fd) const {
  SSL* ssl = SSL_new(m_ctx);
  if (ssl && SSL_set_fd(ssl, fd) != 1) {
    SSL_free(ssl);
    return nullptr;
  }
  return ssl;
}

int ListenOnLoopback(unsigned short port, int backlog, unsigned short* bound) {
  return OpenListenSocket(INADDR_LOOPBACK, port, backlog, bound);
}

int AcceptConnection(int listenFd, std::string* peerAddress) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  int fd = accept4(listenFd, reinterpret_cast<sockaddr*>(&address), &length, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (fd < 0) return -1;
  char text[INET_ADDRSTRLEN] = "";
  if (peerAddress) {
    *peerAddress = inet_ntop(AF_INET, &address.sin_addr, text, sizeof text) ? text : "";
  }
  return fd;
}

TlsStep AcceptStep(SSL* ssl) {
  ERR_clear_error();
  int r = SSL_accept(ssl);
  return r == 1 ? TlsStep::kDone : StepAfter(ssl, r);
}

TlsStep ReadAvailable(SSL* ssl, std::string& out, size_t limit) {
  char buffer[16384];
  size_t taken = 0;
  while (taken < limit) {
    ERR_clear_error();
    int r = SSL_read(ssl, buffer, static_cast<int>(std::min(sizeof buffer, limit - taken)));
    if (r <= 0) return StepAfter(ssl, r);
    out.append(buffer, static_cast<size_t>(r));
    taken += static_cast<size_t>(r);
  }
  return TlsStep::kDone;
}

TlsStep WriteAvailable(SSL* ssl, const char* bytes, size_t size, size_t* written) {
  *written = 0;
  while (*written < size) {
    ERR_clear_error();
    int r = SSL_write(ssl, bytes + *written, static_cast<int>(std::min<size_t>(size - *written, INT_MAX)));
    if (r <= 0) return StepAfter(ssl, r);
    *written += static_cast<size_t>(r);
  }
  return TlsStep::kDone;
}

}  // namespace standin
