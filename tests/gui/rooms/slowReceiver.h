// A peer fetching an offer on a slow line, on plain sockets: a small receive buffer read at a
// bounded rate, and held still on demand as a line that stops would be. It counts every byte
// that reaches its side, read or still waiting in its socket.
#ifndef PARLAVOX_TESTS_GUI_ROOMS_SLOWRECEIVER_H
#define PARLAVOX_TESTS_GUI_ROOMS_SLOWRECEIVER_H

#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "network/fileTransferLink.h"

namespace roomstest {

// Points an octet string of a message at text, which must outlive the message.
inline void SetText(OCTET_STRING_t* field, const std::string& text) {
  field->buf = reinterpret_cast<uint8_t*>(const_cast<char*>(text.data()));
  field->size = static_cast<int>(text.size());
}

class SlowReceiver {
 public:
  using Clock = std::chrono::steady_clock;

  SlowReceiver(unsigned short port, const std::string& fileKey, long bytesPerSecond) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int buffer = 64 * 1024;
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    m_connected = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    m_link.reset(new FileTransferLink(fd));
    C2C_Request_t ask;
    std::memset(&ask, 0, sizeof ask);
    ask.present = C2C_Request_PR_askforfile;
    const std::string login = "bob";
    SetText(&ask.choice.askforfile.login, login);
    SetText(&ask.choice.askforfile.fileKey, fileKey);
    m_connected = m_connected && m_link->Send(ask);
    m_thread = std::thread([this, bytesPerSecond] { Read(bytesPerSecond); });
  }
  ~SlowReceiver() {
    m_stop = true;
    m_thread.join();
  }
  bool Connected() const { return m_connected; }
  long Read() const { return m_read; }
  bool Ended() const { return m_ended; }
  Clock::time_point EndedAt() const { return m_endedAt; }
  // What has reached bob so far: read, or waiting in his socket.
  long Arrived() const {
    int waiting = 0;
    ioctl(m_link->Descriptor(), FIONREAD, &waiting);
    return m_read + waiting;
  }
  // Stops reading (after the read under way), or reads again at the rate from where it stands.
  void Hold(bool held) { m_held = held; }
  // Stops reading by itself once it has read `bytes`, as a line that stops there would: a test
  // whose own looks come late on a loaded machine still finds it held where it asked.
  void HoldAt(long bytes) { m_holdAt = bytes; }

 private:
  void Read(long bytesPerSecond) {
    Clock::time_point start = Clock::now();
    long paced = 0;  // bytes read since start
    char buffer[4096];
    while (!m_stop) {
      if (m_held) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        start = Clock::now();
        paced = 0;
        continue;
      }
      pollfd p{m_link->Descriptor(), POLLIN, 0};
      if (poll(&p, 1, 50) != 1) continue;
      const ssize_t got = recv(m_link->Descriptor(), buffer, sizeof buffer, 0);
      if (got <= 0) break;
      m_read += got;
      paced += got;
      if (m_holdAt > 0 && m_read >= m_holdAt) {
        m_holdAt = 0;
        m_held = true;
      }
      // The line's pace: no faster than the rate.
      std::this_thread::sleep_until(start + std::chrono::microseconds(paced * 1000000 / bytesPerSecond));
    }
    m_endedAt = Clock::now();
    m_ended = true;
  }

  std::unique_ptr<FileTransferLink> m_link;
  bool m_connected = false;
  std::atomic<long> m_read{0};
  std::atomic<bool> m_ended{false};
  std::atomic<bool> m_stop{false};
  std::atomic<bool> m_held{false};
  std::atomic<long> m_holdAt{0};
  Clock::time_point m_endedAt;
  std::thread m_thread;
};

}  // namespace roomstest

#endif
