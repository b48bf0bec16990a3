#include "network/fileServerGate.h"

#include <linux/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>

#include "C2C-Request.h"
#include "asn1/berDecoder.h"
#include "model/log.h"
#include "network/socketQueue.h"

namespace {

long long NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// How often running uploads are looked at.
constexpr int kSampleMs = 500;

}  // namespace

void UploadSlot::Release() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_fd = -1;
}

bool UploadSlot::Released() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_fd < 0;
}

void UploadSlot::Evict() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_fd >= 0) shutdown(m_fd, SHUT_RDWR);
}

long long UploadSlot::Progress(long long now) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_fd < 0) return now;
  tcp_info info{};
  socklen_t length = sizeof info;
  // Progress is the peer acknowledging bytes; with nothing waiting to go, the peer is not the
  // one holding the upload up. Where the system cannot tell, the peer counts as taking bytes.
  if (getsockopt(m_fd, IPPROTO_TCP, TCP_INFO, &info, &length) != 0 ||
      length < offsetof(tcp_info, tcpi_bytes_acked) + sizeof info.tcpi_bytes_acked ||
      socketQueue::Unsent(m_fd) <= 0 || info.tcpi_bytes_acked != m_acked) {
    m_acked = info.tcpi_bytes_acked;
    m_lastProgressMs = now;
  }
  return m_lastProgressMs;
}

struct FileServerGate::Pending {
  int fd;
  uint32_t address;
  long long deadline;
  std::unique_ptr<asn1::BerDecoder> decoder;
  std::vector<uint8_t> bytes;
};

FileServerGate::FileServerGate() = default;

FileServerGate::~FileServerGate() {
  for (Pending& pending : m_pending) close(pending.fd);
}

void FileServerGate::Accept(int fd, uint32_t address) {
  size_t fromAddress = 0;
  auto oldestOfAddress = m_pending.end();
  for (auto it = m_pending.begin(); it != m_pending.end(); ++it) {
    if (it->address != address) continue;
    if (fromAddress++ == 0) oldestOfAddress = it;
  }
  if (fromAddress >= kMaxPendingPerAddress)
    Drop(oldestOfAddress, "too many connections from one address");
  else if (m_pending.size() >= kMaxPending)
    Drop(m_pending.begin(), "too many connections");
  Pending pending{fd, address, NowMs() + kRequestTimeoutMs,
                  std::unique_ptr<asn1::BerDecoder>(new asn1::BerDecoder(&asn_DEF_C2C_Request, kMaxRequest)), {}};
  pending.decoder->WaitForWholeValues();
  pending.decoder->RequireContextTag();
  m_pending.push_back(std::move(pending));
}

void FileServerGate::Drop(std::list<Pending>::iterator pending, const char* why) {
  TRACE_INFO("FileServer : connection dropped (%s)", why);
  close(pending->fd);
  m_pending.erase(pending);
}

int FileServerGate::Prepare(std::vector<pollfd>& fds) {
  if (m_pending.empty() && m_uploads.empty()) return -1;
  long long now = NowMs();
  long long wake = now + kRequestTimeoutMs;
  for (const Pending& pending : m_pending) {
    fds.push_back({pending.fd, POLLIN, 0});
    wake = std::min(wake, pending.deadline);
  }
  if (!m_uploads.empty()) wake = std::min(wake, m_nextSampleMs);
  return static_cast<int>(std::max<long long>(0, wake - now));
}

std::vector<FileServerGate::Admitted> FileServerGate::Serve(const std::vector<pollfd>& fds, size_t first) {
  std::vector<Admitted> admitted;
  long long now = NowMs();
  if (now >= m_nextSampleMs) Sample(now);
  size_t index = first;
  for (auto it = m_pending.begin(); it != m_pending.end();) {
    bool polled = index < fds.size() && fds[index].fd == it->fd;
    short revents = polled ? fds[index].revents : 0;
    if (polled) ++index;
    if ((revents & (POLLIN | POLLHUP | POLLERR)) && Read(*it, admitted)) {
      it = m_pending.erase(it);
    } else if (it->deadline <= now) {
      auto late = it++;
      Drop(late, "no request in time");
    } else {
      ++it;
    }
  }
  return admitted;
}

bool FileServerGate::Read(Pending& pending, std::vector<Admitted>& admitted) {
  uint8_t buffer[kMaxRequest];
  ssize_t got = recv(pending.fd, buffer, sizeof buffer, 0);
  if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return false;
  bool ended = got <= 0;
  if (got > 0) pending.bytes.insert(pending.bytes.end(), buffer, buffer + got);
  asn1::DecodeResult result{asn1::DecodeStatus::kNeedMore, 0};
  if (!pending.bytes.empty()) {
    result = pending.decoder->Decode(pending.bytes.data(), pending.bytes.size());
    pending.bytes.erase(pending.bytes.begin(), pending.bytes.begin() + static_cast<long>(result.consumed));
  }
  if (result.status == asn1::DecodeStatus::kNeedMore && !ended && pending.bytes.size() <= kMaxRequest) return false;
  C2C_Request_t* request = nullptr;
  if (result.status == asn1::DecodeStatus::kComplete)
    request = static_cast<C2C_Request_t*>(pending.decoder->Take());
  // Nothing, garbage, another message, or more than the one request a client sends.
  if (!request || request->present != C2C_Request_PR_askforfile || !pending.bytes.empty()) {
    TRACE(LOG_LEVEL_TRACE, "END (wrong request %d)", request ? static_cast<int>(request->present) : 0);
    if (request) ASN_STRUCT_FREE(asn_DEF_C2C_Request, request);
    close(pending.fd);
    return true;
  }
  const C2C_AskForFile_t& ask = request->choice.askforfile;
  Admitted entry{pending.fd, std::string(reinterpret_cast<const char*>(ask.login.buf), ask.login.size),
                 std::string(reinterpret_cast<const char*>(ask.fileKey.buf), ask.fileKey.size), nullptr};
  ASN_STRUCT_FREE(asn_DEF_C2C_Request, request);
  entry.slot = Admit(pending.fd, pending.address, NowMs());
  if (!entry.slot) {
    TRACE_ERROR("FileServer : too many uploads, connection refused");
    close(pending.fd);
    return true;
  }
  admitted.push_back(std::move(entry));
  return true;
}

std::shared_ptr<UploadSlot> FileServerGate::Admit(int fd, uint32_t address, long long now) {
  Sample(now);
  size_t fromAddress = 0;
  for (const auto& slot : m_uploads)
    if (slot->Address() == address) ++fromAddress;
  bool perAddress = fromAddress >= kMaxUploadsPerAddress;
  if (perAddress || m_uploads.size() >= kMaxUploads) {
    // The place of the upload that has waited longest on its peer, when that is long enough.
    auto stalest = m_uploads.end();
    long long stalestProgress = now - kStallMs;
    for (auto it = m_uploads.begin(); it != m_uploads.end(); ++it) {
      if (perAddress && (*it)->Address() != address) continue;
      long long progress = (*it)->Progress(now);
      if (progress <= stalestProgress) {
        stalest = it;
        stalestProgress = progress;
      }
    }
    if (stalest == m_uploads.end()) return nullptr;
    TRACE_INFO("FileServer : an upload stalled for %lld ms gives way", now - stalestProgress);
    (*stalest)->Evict();
    m_uploads.erase(stalest);
  }
  m_uploads.push_back(std::make_shared<UploadSlot>(fd, address, now));
  return m_uploads.back();
}

void FileServerGate::Sample(long long now) {
  m_nextSampleMs = now + kSampleMs;
  for (auto it = m_uploads.begin(); it != m_uploads.end();) {
    if ((*it)->Released()) {
      it = m_uploads.erase(it);
    } else if (now - (*it)->Progress(now) >= kProgressTimeoutMs) {
      TRACE_ERROR("FileServer : the peer of an upload took nothing for %d ms", kProgressTimeoutMs);
      (*it)->Evict();
      it = m_uploads.erase(it);
    } else {
      ++it;
    }
  }
}
