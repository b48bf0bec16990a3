// A scriptable messaging server for tests: it listens on a loopback port chosen at run time,
// speaks TLS with a test certificate (or plays a server that is not TLS), decodes every
// client request and sends what the test tells it to, byte for byte when needed.
#ifndef PARLAVOX_TESTS_TESTSERVER_TESTSERVER_H
#define PARLAVOX_TESTS_TESTSERVER_TESTSERVER_H

#include <openssl/ssl.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "asn1/berDecoder.h"
#include "asn1/request.h"
#include "standin/link/messageStream.h"
#include "standin/link/tlsEndpoint.h"
#include "tests/testServer/testPki.h"

namespace testserver {

using Millis = std::chrono::milliseconds;

using C2SPtr = asn1::Request<C2S_Request_t>;
using S2CPtr = asn1::Request<S2C_Request_t>;

// A zeroed server request of the given kind, to be filled by the test.
S2CPtr NewS2C(S2C_Request_PR kind);
// Fills a string member (IA5String, UTF8String, OCTET STRING) of a request being built.
void Fill(OCTET_STRING_t* member, const std::string& bytes);
// The bytes of a string member.
std::string Text(const OCTET_STRING_t& member);
// The DER encoding of a server request, unchecked so that tests can send values that break
// their constraints (empty when it cannot be encoded).
std::string EncodeS2C(const S2C_Request_t& request);

// One received client request: its bytes as they came and its decoded value.
using Received = standin::ReceivedRequest;

// One accepted client. Every call is safe from any thread; one thread of its own does all
// the reading and writing.
class TestConnection {
 public:
  ~TestConnection();

  // The next request, whatever its kind; null after the time-out or when the link ended first.
  std::unique_ptr<Received> Next(Millis timeout = Millis(5000));
  // The next request when it is of the given kind; null otherwise (the request is dropped).
  C2SPtr Expect(C2S_Request_PR kind, Millis timeout = Millis(5000));
  // True when nothing arrives within the time.
  bool NothingWithin(Millis time);

  void Send(const S2C_Request_t& request);
  void SendBytes(const std::string& bytes);
  // Sends the bytes in pieces of the given size, pausing between them.
  void SendInPieces(const std::string& bytes, size_t piece, Millis pause);
  // Ends the link (with a TLS close notification when orderly is true).
  void Close(bool orderly = true);
  // Stops reading from the client (its writes then fill the socket buffers), or reads again.
  void Stall(bool stalled);

  // Waits until the client closed its side (or the link ended); true when it did.
  bool WaitClosed(Millis timeout = Millis(5000));
  size_t ReceivedCount();
  // Bytes that could not be decoded as a client request (empty when all decoded).
  std::string UndecodedBytes();

 private:
  friend class TestServer;
  TestConnection(int fd, SSL* ssl);
  void Start();
  void Loop();
  void ReadAvailable();
  bool WriteAll(const std::string& bytes);
  void Decode();
  void Finish();
  void Wake();

  struct Command {
    enum Kind { kSend, kClose, kCloseAbrupt } kind;
    std::string bytes;
    size_t piece;
    Millis pause;
  };

  int m_fd;
  SSL* m_ssl;
  int m_wake[2] = {-1, -1};
  std::thread m_thread;
  std::mutex m_mutex;
  std::condition_variable m_cond;
  std::deque<Command> m_commands;
  std::deque<std::unique_ptr<Received>> m_received;
  bool m_ended = false;
  bool m_stop = false;
  std::atomic<bool> m_stalled{false};
  size_t m_count = 0;
  // Decoder state, used only by the connection's thread.
  standin::RequestReader m_reader;
  std::string m_undecoded;
};

class TestServer {
 public:
  enum class Mode {
    kTls,     // a TLS server with the given identity
    kReply,   // plain TCP: writes the reply text on accept, then closes
    kSilent,  // plain TCP: accepts and never says anything
  };
  struct Options {
    Mode mode = Mode::kTls;
    Identity identity;
    std::string reply;
    // A pause before the TLS handshake is answered.
    Millis handshakeDelay{0};
  };

  explicit TestServer(const Options& options);
  ~TestServer();
  TestServer(const TestServer&) = delete;
  TestServer& operator=(const TestServer&) = delete;

  unsigned short Port() const { return m_port; }
  // The next client whose TLS handshake succeeded; null after the time-out.
  std::shared_ptr<TestConnection> Accept(Millis timeout = Millis(5000));
  // Number of TCP connections accepted so far (handshake or not).
  int AcceptedCount() const { return m_acceptedCount; }
  // Number of TLS handshakes that failed.
  int FailedHandshakes() const { return m_failedHandshakes; }

 private:
  void AcceptLoop();
  void Serve(int fd);

  Options m_options;
  std::unique_ptr<standin::TlsServerContext> m_context;
  int m_listen = -1;
  unsigned short m_port = 0;
  std::atomic<bool> m_stop{false};
  std::atomic<int> m_acceptedCount{0};
  std::atomic<int> m_failedHandshakes{0};
  std::thread m_thread;
  std::mutex m_mutex;
  std::condition_variable m_cond;
  std::deque<std::shared_ptr<TestConnection>> m_pending;
  std::vector<std::shared_ptr<TestConnection>> m_all;
  std::vector<int> m_plain;
  std::vector<std::thread> m_handshakes;
};

}  // namespace testserver

#endif
