// The stand-in's one network thread: a poll loop over the listening socket and every client,
// all non-blocking. Each client has its own bounded queue of bytes to send; a client that
// stops reading only fills its own queue and is dropped when the queue is over its bound, so
// it never holds up anyone else.
#ifndef PARLAVOX_STANDIN_CONNECTIONLOOP_H
#define PARLAVOX_STANDIN_CONNECTIONLOOP_H

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>

#include "standin/link/messageStream.h"
#include "standin/link/tlsEndpoint.h"
#include "standin/transport.h"

namespace standin {

// Who hears what happens on the links; every call comes from the loop's thread.
class LinkHandler {
 public:
  virtual ~LinkHandler() {}
  // A client's TLS handshake succeeded.
  virtual void Opened(ConnId conn, const std::string& peerAddress, Clock::time_point now) = 0;
  virtual void Received(ConnId conn, C2S_Request_t& request, Clock::time_point now) = 0;
  // The link ended (by the client, a failure or a drop), unless the handler closed it itself.
  virtual void Closed(ConnId conn) = 0;
  // Called at least every 100 ms.
  virtual void Tick(Clock::time_point now) = 0;
};

struct LoopLimits {
  size_t maxQueued = 4 << 20;         // bytes waiting for one client before it is dropped
  size_t maxRequest = 1 << 20;        // longest request a client may send
  size_t maxConnections = 4096;       // further clients are turned away at once
  Clock::duration handshakeTimeout = std::chrono::seconds(15);
  Clock::duration closeTimeout = std::chrono::seconds(2);  // to send what is queued before closing
};

class ConnectionLoop : public Transport {
 public:
  // listenFd: a non-blocking listening socket, which the loop then owns.
  ConnectionLoop(const TlsServerContext& tls, int listenFd, const LoopLimits& limits);
  ~ConnectionLoop() override;
  ConnectionLoop(const ConnectionLoop&) = delete;
  ConnectionLoop& operator=(const ConnectionLoop&) = delete;

  void SetHandler(LinkHandler* handler) { m_handler = handler; }
  // Serves until stop is set (looked at every 100 ms at most).
  void Run(const std::atomic<bool>& stop);

  void Send(ConnId conn, const std::string& bytes, size_t keyAt, const std::string& key) override;
  void Close(ConnId conn, bool flush) override;

 private:
  struct Connection;

  void AcceptNew(Clock::time_point now);
  void Serve(Connection& c, short revents, Clock::time_point now);
  void Handshake(Connection& c, Clock::time_point now);
  void ReadFrom(Connection& c, Clock::time_point now);
  void WriteTo(Connection& c, Clock::time_point now);
  void Drop(Connection& c, const char* why);
  void Reap(Clock::time_point now);

  const TlsServerContext& m_tls;
  int m_listen;
  LoopLimits m_limits;
  LinkHandler* m_handler = nullptr;
  ConnId m_nextId = 1;
  std::unordered_map<ConnId, std::unique_ptr<Connection>> m_connections;
  Clock::time_point m_lastTick;
};

}  // namespace standin

#endif
