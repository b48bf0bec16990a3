// One plain TCP connection between two clients during a file transfer: each message is one
// DER-encoded C2C-Request, checked against its constraints before it is sent and after it is
// received. Every wait has a time-out and every message has a size limit, since the peer may be
// anyone who can reach the file port.
#ifndef PARLAVOX_NETWORK_FILETRANSFERLINK_H
#define PARLAVOX_NETWORK_FILETRANSFERLINK_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "C2C-Request.h"
#include "asn1/berDecoder.h"

class FileTransferLink {
 public:
  // The largest message accepted from a peer (a file part carries 8192 bytes).
  static constexpr size_t kMaxMessage = 64 * 1024;

  // Takes ownership of a connected socket (-1 for none).
  explicit FileTransferLink(int fd = -1);
  ~FileTransferLink();
  FileTransferLink(const FileTransferLink&) = delete;
  FileTransferLink& operator=(const FileTransferLink&) = delete;

  // Connects to host:port (name or address) within timeoutMs. False when it cannot, or when
  // stopped (when given) turns true meanwhile: it is looked at every few tens of milliseconds.
  bool ConnectTo(const std::string& host, unsigned short port, int timeoutMs,
                 const std::function<bool()>& stopped = nullptr);
  bool IsOpen() const { return m_fd >= 0; }
  // The socket, -1 when none (to shut it down from another thread while it is open).
  int Descriptor() const { return m_fd; }
  void Close();
  // Closes at once, dropping what the system still holds to send: the peer is told by a reset
  // rather than after the queued bytes, which a slow peer may take many seconds to read.
  void Abort();
  // True when the peer reset the connection (it stopped the transfer without a word).
  bool PeerReset() const { return m_peerReset; }

  // Checks, encodes and writes one message; false when it fails the check or cannot be
  // written within the write time-out.
  bool Send(const C2C_Request_t& request);
  // Checks and encodes one message behind those already queued, without writing it; false
  // (and nothing queued) when it fails its check. Flush writes the queue in one go.
  bool Queue(const C2C_Request_t& request);
  bool Flush();
  // Writes give up as soon as stopped() is true (looked at while a slow peer keeps them
  // waiting), leaving the connection mid-message: WriteStopped tells, and only Abort is left.
  void StopWritesWhen(std::function<bool()> stopped) { m_stopped = std::move(stopped); }
  bool WriteStopped() const { return m_writeStopped; }
  // Sends one message within timeoutMs, whatever the stop condition says.
  bool SendWithin(const C2C_Request_t& request, int timeoutMs);
  // Waits up to timeoutMs until the peer has taken every byte written; false when it has not.
  bool DrainedWithin(int timeoutMs);
  // Waits until the peer has taken every byte written, however long it takes while it keeps
  // taking some. False when it takes nothing for the write time-out, when the connection fails
  // or is shut down, or as soon as the stop condition turns true.
  bool Drain();
  // Called every few tens of milliseconds while a write or Drain waits for the peer.
  void WhileWaiting(std::function<void()> tick) { m_tick = std::move(tick); }
  // Where the messages queued so far end, counted from the connection's first byte.
  int64_t QueuedEnd() const { return m_written + static_cast<int64_t>(m_out.size()); }
  // Of the bytes written, those the peer's system has acknowledged: the rest is still on this
  // machine or on its way. All of them when the system cannot tell.
  int64_t Taken() const;
  // Reads one message within timeoutMs. Null on time-out, end of stream, undecodable bytes, a
  // message over kMaxMessage or one that fails its constraints. The caller frees the result
  // with FreeRequest.
  C2C_Request_t* Receive(int timeoutMs);
  // True when bytes beyond the messages read so far have arrived (or the peer has closed):
  // the peer said something it should not have. Never waits.
  bool PeerSentMore();

  static void FreeRequest(C2C_Request_t* request);

  // The write time-out in milliseconds (a peer that stops reading ends the transfer).
  static int writeTimeoutMs;

 private:
  void MakeBlocking();
  bool SetReadTimeout(long long ms);
  bool WriteAll(const uint8_t* data, size_t size, int timeoutMs, bool stoppable);
  // Reads what is available into the buffer, waiting until deadline; false on end or error.
  bool Fill(long long deadline);

  int m_fd;
  std::vector<uint8_t> m_out;
  std::vector<uint8_t> m_in;
  size_t m_begin = 0;  // first unread byte of m_in
  size_t m_end = 0;    // one past the last received byte of m_in
  asn1::BerDecoder m_decoder;  // holds a message whose bytes arrive over several reads
  long long m_readTimeoutSet = -1;  // the socket's receive time-out in ms, -1 when unknown
  bool m_peerReset = false;
  std::function<bool()> m_stopped;
  bool m_writeStopped = false;
  std::function<void()> m_tick;
  int64_t m_written = 0;  // bytes handed to the system so far
};

#endif
