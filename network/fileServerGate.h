// Who may use the file port, and for how long. The port is open to anyone who can reach it, so
// neither a handful of addresses nor peers that make no progress may take every place:
// - a connection first waits here, on the listener's thread, until its request has come whole,
//   within a short time; such connections are few per address, and past the limit the oldest
//   is dropped;
// - an upload then takes one of a bounded number of places, a few per address. When all are
//   taken, an upload whose peer has taken no bytes for a while gives its place to the newcomer;
//   one whose peer takes nothing for long is ended in any case.
#ifndef PARLAVOX_NETWORK_FILESERVERGATE_H
#define PARLAVOX_NETWORK_FILESERVERGATE_H

#include <poll.h>

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace asn1 {
class BerDecoder;
}

// One upload's place, shared by the gate and the upload's thread.
class UploadSlot {
 public:
  UploadSlot(int fd, uint32_t address, long long now) : m_fd(fd), m_address(address), m_lastProgressMs(now) {}
  // The upload lets go of its connection (before it closes it).
  void Release();
  bool Released();
  // Ends the upload: its connection is shut down, so its next write fails at once.
  void Evict();
  uint32_t Address() const { return m_address; }
  // Looks whether the peer has taken more bytes since the last look (noting when it did).
  // Returns the time of the last progress seen.
  long long Progress(long long now);

 private:
  std::mutex m_mutex;
  int m_fd;  // -1 once released
  uint32_t m_address;
  long long m_lastProgressMs;
  uint64_t m_acked = 0;
};

class FileServerGate {
 public:
  // How long a peer may take to send its request after connecting.
  static constexpr int kRequestTimeoutMs = 5000;
  static constexpr size_t kMaxPending = 256;
  static constexpr size_t kMaxPendingPerAddress = 16;
  static constexpr size_t kMaxUploads = 64;
  static constexpr size_t kMaxUploadsPerAddress = 8;
  // An upload whose peer has taken nothing for this long gives way when every place is taken.
  static constexpr int kStallMs = 2000;
  // An upload whose peer takes nothing for this long is ended.
  static constexpr int kProgressTimeoutMs = 30000;
  // The largest first request read (a login and a file key).
  static constexpr size_t kMaxRequest = 4096;

  // A peer whose request came whole and that has its place: the upload takes it from here.
  struct Admitted {
    int fd;
    std::string login;
    std::string fileKey;
    std::shared_ptr<UploadSlot> slot;
  };

  FileServerGate();
  ~FileServerGate();
  FileServerGate(const FileServerGate&) = delete;
  FileServerGate& operator=(const FileServerGate&) = delete;

  // A new connection (non-blocking) from an IPv4 address in host order.
  void Accept(int fd, uint32_t address);
  // Appends what to wait for to fds; returns the longest wait in milliseconds, or -1 when
  // nothing is due (no connection pending, no upload to follow): only a new one ends the wait.
  int Prepare(std::vector<pollfd>& fds);
  // After the wait: reads what came on the connections of fds from index first, drops those
  // that are over time or wrong, and returns the requests admitted.
  std::vector<Admitted> Serve(const std::vector<pollfd>& fds, size_t first);

 private:
  struct Pending;

  void Drop(std::list<Pending>::iterator pending, const char* why);
  // Reads a connection's bytes; true when it is done with (admitted or dropped).
  bool Read(Pending& pending, std::vector<Admitted>& admitted);
  std::shared_ptr<UploadSlot> Admit(int fd, uint32_t address, long long now);
  // Forgets released places and ends uploads stalled past kProgressTimeoutMs.
  void Sample(long long now);

  std::list<Pending> m_pending;
  std::vector<std::shared_ptr<UploadSlot>> m_uploads;
  long long m_nextSampleMs = 0;
};

#endif
