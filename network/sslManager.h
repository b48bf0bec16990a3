// One connection of the program, plain TCP or TLS (directly or through an HTTP proxy),
// and the stream of ASN.1 messages carried on it. Every message goes out through the link's
// queue and its writer thread, which runs from the moment the link is open: no sender ever
// waits on the network.
#ifndef PARLAVOX_NETWORK_SSLMANAGER_H
#define PARLAVOX_NETWORK_SSLMANAGER_H

#include <openssl/bio.h>
#include <openssl/ssl.h>

#include <atomic>
#include <cstdint>
#include <ctime>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "OCTET_STRING.h"
#include "asn_application.h"
#include "network/sendQueue.h"
#include "network/sslLibrary.h"

struct Date;
typedef struct Date Date_t;

class SSLManager {
 public:
  // Size of the encode buffer and of the receive buffer; no message sent may be larger.
  static const int kBufferSize = 65536;
  // A message that announces or takes more bytes than this is refused as a failed read.
  static const long kMaxMessageSize = 16L * 1024 * 1024;
  // Bounds of the outgoing queue once the writer runs: past either, a message is refused.
  static const size_t kMaxQueuedMessages = 8192;
  static const size_t kMaxQueuedBytes = 16 * 1024 * 1024;
  // How long CloseWhenSent lets the queued messages go out before it closes anyway (ms).
  static const int kCloseGrace = 2000;

  SSLManager();
  // Wraps a connection that is already made (an accepted socket); plain, no TLS. Its writer
  // runs at once.
  explicit SSLManager(BIO* bio);
  virtual ~SSLManager();
  SSLManager(const SSLManager&) = delete;
  SSLManager& operator=(const SSLManager&) = delete;

  // A newly allocated request of the given type with no alternative selected, or null.
  virtual void* EmptyRequest(asn_TYPE_descriptor_t* type) = 0;

  // Opens the connection; true when connected. certName is the common name the server's
  // certificate must carry; trustDir holds "parlavox.pem" ("./" when empty); proxyHost null
  // means a direct connection. It holds no lock while it waits on the network: a close from
  // another thread ends it at once, and it fails on an object that was closed before. Once
  // connected, the link's writer runs.
  bool ConnectTo(const char* host, unsigned short port, const char* certName, bool tls,
                 const std::string& trustDir, const char* proxyHost, unsigned short proxyPort);
  // Opens a TCP tunnel to host:port through an HTTP proxy; the socket's BIO (which does not
  // close the socket), or null.
  BIO* ConnectToProxy(const char* proxyHost, unsigned short proxyPort, const char* host,
                      unsigned short port);
  // Closes and releases the connection now, dropping what is queued; a later send fails
  // cleanly, a waiting read or connection attempt ends. Safe from any thread; never waits
  // on the network.
  void CloseConnection();
  // Closes once the messages queued so far went out, or kCloseGrace later at most; returns
  // at once. Without an open link it is CloseConnection.
  void CloseWhenSent();
  // Waits until the link is closed (by CloseWhenSent once its messages went out, by a failure
  // or by CloseConnection), at most `milliseconds`; true once it is.
  bool WaitClosed(int milliseconds) const;
  // Queues the bytes for the link's writer and returns at once: true when queued; false when
  // the link is not open (yet, or any more) or the queue is over its bound.
  bool Write(const unsigned char* bytes, int length);
  // Checks the message against its constraints and DER-encodes it on the caller's thread,
  // then queues it as Write does: false also when it breaks a constraint or its encoding
  // is larger than kBufferSize.
  bool GenericEncoder(asn_TYPE_descriptor_t* type, void* message);
  // The next message of the type read from the connection; an empty request on any failure.
  void* GenericDecoder(asn_TYPE_descriptor_t* type);

  const std::string& GetPeerAddress() const { return m_peerAddress; }

  // Longest wait for a TCP connection, a proxy answer, a TLS handshake, or the writer's wait
  // on a socket that takes nothing (the link is then closed), in milliseconds.
  static void SetConnectTimeout(int milliseconds);
  static int GetConnectTimeout();

  // How the system watches each link it connects for a peer that is gone (a network that
  // dropped the way, a laptop woken elsewhere), with no timer or message of ours. A peer whose
  // system still answers is never cut, however long it stays silent. The program sends nothing
  // of its own accord at rest (it answers the server's heart-beats, at the server's pace), so
  // at rest the system's probes may be all that crosses the link. Linux applies the figures so:
  // - At rest, it probes the peer idleSeconds after the last thing received (an answered probe
  //   counts), then every intervalSeconds, and at a probe time ends the link once nothing came
  //   for unacknowledgedMs (the count of probes then no longer matters): probes 30, 40, ... 90 s
  //   after the last receipt, the end at 100 s. An outage over by the last probe is survived.
  //   The last receipt may precede an outage by up to the idle time, so every outage of up to
  //   60 s is survived (up to 90 s at best), and a link silent for good is seen lost 70 to 100 s
  //   into the silence.
  // - With data unacknowledged there are no probes: the system sends the data again after a
  //   first wait (0.2 s on loopback, longer on slow networks), each wait twice the one before
  //   (0.2, 0.6, 1.4, ... 25, 51, 102 s after the send on loopback), and ends the link
  //   unacknowledgedMs after the send, its last wait cut short to end there. The last try thus
  //   comes at least halfway to the end, less the first wait: with 100 s, every outage of up to
  //   49 s that begins as data is sent is survived (for a first wait of up to 2 s; 51 s on
  //   loopback), and a link silent for good is seen lost 100 s after a send. A bound under twice
  //   the outage to survive falls between two tries for some first waits (50 s falls between the
  //   tries at 25 and 51 s); one near two minutes would leave no room for the system's
  //   timers, which may end the link 2 or 3 s late.
  // The probe count is what a system without the bound on unacknowledged time goes by: it ends
  // the link at the same 100 s.
  struct LinkWatch {
    int idleSeconds = 30;
    int intervalSeconds = 10;
    int probes = 7;
    int unacknowledgedMs = 100000;
  };
  // Taken by the links connected from then on.
  static void SetLinkWatch(const LinkWatch& watch);
  static LinkWatch GetLinkWatch();

 protected:
  // Reads some bytes into buffer; the result of the read (0 or less is a failure).
  int ReadSome(unsigned char* buffer, int size);

 private:
  enum class Wait { kReady, kTimedOut, kClosed };
  // What a connection attempt opens, kept apart until the attempt succeeds.
  struct Opening;

  // Waits until fd is ready for events, the time is up (-1: never) or the link is closed.
  Wait WaitFor(int fd, short events, int timeout) const;
  bool ConnectPlain(Opening& opening, const char* host, unsigned short port);
  bool ConnectTls(Opening& opening, const char* host, unsigned short port, const char* certName,
                  const std::string& trustDir, const char* proxyHost, unsigned short proxyPort);
  // Makes what the attempt opened the link's, and starts its writer.
  bool Publish(Opening& opening);
  // Starts the writer thread (the lock held, the link open).
  void StartWriterLocked();
  int OpenSocket(const char* host, unsigned short port, std::string* error);
  // Asks the system to watch the connected socket as GetLinkWatch says.
  static void WatchLink(int fd);
  // Whether the link was closed on purpose (a close asked for, not a failure).
  bool ClosedOnPurpose();
  // Asks the proxy on fd for a tunnel to host:port; true when it answered with success.
  bool OpenTunnel(int fd, const char* host, unsigned short port);
  bool Handshake(SSL* ssl, int fd, std::string* error);
  bool CheckPeer(SSL* ssl, const char* certName);
  void CloseLocked();
  bool Encode(asn_TYPE_descriptor_t* type, void* message, std::vector<uint8_t>* out);
  void WriterLoop();
  // The writer's write of a batch: all the bytes, waiting for the socket without the lock
  // (at most the send time-out between two steps); a failure closes the link.
  bool WriteAll(const unsigned char* bytes, int length);
  // One write step under the lock: bytes written, 0 to wait for events, -1 on failure.
  int WriteStep(const unsigned char* bytes, int length, int* fd, short* events);

  BIO* m_bio = nullptr;
  SSL_CTX* m_ctx = nullptr;
  SSL* m_ssl = nullptr;
  unsigned char m_receiveBuffer[kBufferSize];
  int m_held = 0;
  int m_needRead = 1;
  // The connection's socket; closed by the destructor only, so that a reader waiting on it
  // never waits on a descriptor that was reused.
  int m_socket = -1;
  // Readable from the moment the link is closed, so that every wait on it ends at once.
  int m_closedEvent = -1;
  bool m_closed = false;
  // Set after a fatal TLS error: the close then sends no close notification.
  bool m_fatal = false;
  std::string m_peerAddress;
  // Guards the connection (BIO, TLS state, flags) for one short step at a time; nothing
  // waits on the network while holding it.
  std::mutex m_mutex;
  SendQueue m_queue{kMaxQueuedMessages, kMaxQueuedBytes};
  std::thread m_writer;
  // Set once the link is open and its writer runs; senders refuse before.
  std::atomic<bool> m_writerStarted{false};
  // When CloseWhenSent gives up on the queue (steady clock, nanoseconds; 0: not asked).
  std::atomic<int64_t> m_closeBy{0};
};

// Traces an error with its place and prints OpenSSL's error queue to standard error.
void handle_error(const char* file, int line, const char* message);

// Sets an OCTET STRING (or IA5String, UTF8String) to a fresh malloc'ed copy of the bytes.
void SetOctetString(OCTET_STRING_t* string, const void* bytes, int size);
void SetOctetString(OCTET_STRING_t* string, const std::string& text);
// Frees only the copy, leaving the value empty.
void FreeOctetString(OCTET_STRING_t* string);
std::string OctetStringToString(const OCTET_STRING_t& string);
// Local time of the date at midnight; each non-null out-parameter gets its field.
time_t DateToTime(const Date_t& date, int* day, int* month, int* year);

#endif
