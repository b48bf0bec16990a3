// The server side of a TLS link on non-blocking sockets: a context holding one identity, a
// loopback listening socket, and the handshake, read and write steps that never wait.
#ifndef PARLAVOX_STANDIN_LINK_TLSENDPOINT_H
#define PARLAVOX_STANDIN_LINK_TLSENDPOINT_H

#include <openssl/ssl.h>

#include <cstddef>
#include <string>

#include "standin/link/certificateAuthority.h"

namespace standin {

// What a step reached.
enum class TlsStep {
  kDone,       // finished (handshake made; for a read: bytes remain to be read)
  kWantRead,   // the socket must become readable before the next step
  kWantWrite,  // the socket must become writable before the next step
  kClosed,     // the peer ended the link in order
  kFailed      // the link is broken
};

class TlsServerContext {
 public:
  // Throws std::runtime_error when the identity cannot be used.
  explicit TlsServerContext(const Identity& identity);
  ~TlsServerContext();
  TlsServerContext(const TlsServerContext&) = delete;
  TlsServerContext& operator=(const TlsServerContext&) = delete;

  // A server-side TLS session on the (non-blocking) socket; the caller frees it.
  SSL* NewSession(int fd) const;

 private:
  SSL_CTX* m_ctx = nullptr;
};

// A non-blocking socket listening on 127.0.0.1 (port 0: a free port, written in *bound), or
// -1 with errno set.
int ListenOnLoopback(unsigned short port, int backlog, unsigned short* bound);
// One waiting connection as a non-blocking socket with its peer's address, or -1 when none.
int AcceptConnection(int listenFd, std::string* peerAddress);

// One step of the server's handshake.
TlsStep AcceptStep(SSL* ssl);
// Appends what can be read now to out, at most limit bytes. kDone means the limit was reached
// and more may be waiting; kWantRead or kWantWrite that nothing more can be read for now.
TlsStep ReadAvailable(SSL* ssl, std::string& out, size_t limit);
// Writes as much of the bytes as the socket takes now; *written tells how many went.
// kDone when all went.
TlsStep WriteAvailable(SSL* ssl, const char* bytes, size_t size, size_t* written);

}  // namespace standin

#endif
