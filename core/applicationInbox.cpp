#include "core/applicationInbox.h"

#include "core/application.h"
#include "model/log.h"

#include <wx/thread.h>

#include <algorithm>
#include <utility>

namespace {

// The size a decoded request stands for: its encoded length (counted, nothing written).
size_t EncodedSize(S2C_Request_t& request) {
  asn_enc_rval_t r = der_encode(&asn_DEF_S2C_Request, &request, nullptr, nullptr);
  return r.encoded > 0 ? static_cast<size_t>(r.encoded) : sizeof(S2C_Request_t);
}

}  // namespace

// The Manager's AskDrain is quick (it only posts to its event queue), so it is called with the
// mailbox locked: Close then knows that no hand-over is under way.

void ManagerMailbox::Close() {
  std::deque<Entry> dropped;
  std::vector<Entry> spent;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_owner = nullptr;
    dropped.swap(m_entries);
    m_bytes = 0;
    spent.swap(m_spent);
    m_spentBytes = 0;
  }
  m_room.notify_all();
  // The requests are freed here, outside the lock.
}

void ManagerMailbox::SetCurrentLink(uint64_t generation) {
  std::deque<Entry> dropped;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_current = generation;
    for (auto it = m_entries.begin(); it != m_entries.end();) {
      if (IsStale(it->generation)) {
        m_bytes -= it->bytes;
        dropped.push_back(std::move(*it));
        it = m_entries.erase(it);
      } else {
        ++it;
      }
    }
  }
  m_room.notify_all();
  if (!dropped.empty()) TRACE_INFO("%zu hand-overs of an ended link dropped", dropped.size());
}

bool ManagerMailbox::Push(Entry entry, bool wait, bool droppable, std::vector<Entry>* spent) {
  std::unique_lock<std::mutex> lock(m_mutex);
  // The caller frees them once the lock is let go. Its vector, emptied, serves the GUI thread
  // next: no buffer is freed on a thread other than the one that made it, once they both have one.
  if (spent && !m_spent.empty()) {
    spent->swap(m_spent);
    m_spentBytes = 0;
  }
  if (wait && !wxIsMainThread()) {
    m_room.wait(lock, [&] {
      return !m_owner || IsStale(entry.generation) ||
             (m_entries.size() < kReaderEntries && (m_bytes < kReaderBytes || m_entries.empty()));
    });
  }
  if (!m_owner || IsStale(entry.generation)) return false;
  if (entry.beats && !m_entries.empty()) {
    Entry& last = m_entries.back();
    if (last.beats && last.generation == entry.generation && last.beats < kMaxBeatsPerEntry) {
      ++last.beats;
      return true;
    }
  }
  if (droppable && m_entries.size() >= kHardEntries) {
    // Traced at the first drop of a flood and then once in a thousand.
    size_t dropped = ++m_dropped;
    lock.unlock();
    if (dropped % 1000 == 1) TRACE_ERROR("inbox full: %zu hand-overs dropped so far", dropped);
    return false;
  }
  m_bytes += entry.bytes;
  m_entries.push_back(std::move(entry));
  if (!m_drainAsked) {
    m_drainAsked = true;
    m_owner->AskDrain();
  }
  return true;
}

bool ManagerMailbox::Take(Entry* entry) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_entries.empty()) {
      m_drainAsked = false;
      return false;
    }
    *entry = std::move(m_entries.front());
    m_entries.pop_front();
    m_bytes -= entry->bytes;
  }
  m_room.notify_one();
  return true;
}

bool ManagerMailbox::HasEntries() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_entries.empty()) m_drainAsked = false;
  return !m_entries.empty();
}

size_t ManagerMailbox::Size() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_entries.size();
}

size_t ManagerMailbox::Bytes() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_bytes;
}

void ManagerMailbox::Spent(Entry&& entry) {
  if (entry.generation == 0 || !entry.call) return;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_owner && m_spent.size() < kMostSpent && m_spentBytes + entry.bytes <= kMostSpentBytes) {
      m_spentBytes += entry.bytes;
      m_spent.push_back(std::move(entry));
      return;
    }
  }
  // Freed here, outside the lock, as the caller would have.
  Entry freed = std::move(entry);
}

size_t ManagerMailbox::SpentWaiting() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_spent.size();
}

void ManagerMailbox::ConnectionAck(uint64_t generation, bool ok) {
  Entry entry;
  entry.generation = generation;
  entry.call = [generation, ok](Manager& m) { m.HandleConnectionAck(generation, ok); };
  Push(std::move(entry), false, false);
}

void ManagerMailbox::ServerRequest(uint64_t generation, S2C_Request_t& request) {
  Entry entry;
  entry.generation = generation;
  if (request.present == S2C_Request_PR_heartbeat) {
    // Answered in turn, with the other requests; the caller frees the request.
    entry.beats = 1;
  } else {
    entry.bytes = EncodedSize(request);
    std::shared_ptr<S2C_Request_t> taken = TakeOver(request);
    entry.call = [generation, taken](Manager& m) { m.HandleServerRequest(generation, *taken); };
  }
  // Each reader keeps its vector for the requests it takes along to free.
  thread_local std::vector<Entry> spent;
  Push(std::move(entry), true, true, &spent);
  spent.clear();
}

void ManagerMailbox::ExtensionRequest(E2C_Request_t& request) {
  Entry entry;
  std::shared_ptr<E2C_Request_t> taken = TakeOver(request);
  entry.call = [taken](Manager& m) { m.HandleExtensionRequest(*taken); };
  Push(std::move(entry), false);
}

void ManagerMailbox::ListenerUnavailable() {
  Entry entry;
  entry.call = [](Manager& m) { m.HandleListenerUnavailable(); };
  Push(std::move(entry), false, false);
}

void ManagerMailbox::Transfer(const TransferReport& report) {
  Entry entry;
  entry.bytes = sizeof(TransferReport);
  entry.call = [report](Manager& m) { m.HandleTransfer(report); };
  // Only progress may be lost: a transfer's start and end always reach the windows.
  Push(std::move(entry), false, report.status == FM_IN_PROGRESS);
}

void LinkPort::ConnectionAck(bool ok) {
  m_mailbox->ConnectionAck(m_generation, ok);
}

// A link carries the server's requests and acknowledgements only: the extension listener
// reports through the process's relay.
void LinkPort::LocalServerUnavailable() {
  TRACE_ERROR("listener report by link %llu dropped", static_cast<unsigned long long>(m_generation));
}

void LinkPort::ProcessRequest(E2C_Request_t& request) {
  TRACE_ERROR("extension request by link %llu dropped", static_cast<unsigned long long>(m_generation));
}

void LinkPort::ProcessRequest(S2C_Request_t& request) {
  m_mailbox->ServerRequest(m_generation, request);
}

ProcessRelay& ProcessRelay::Get() {
  static ProcessRelay* relay = new ProcessRelay();
  return *relay;
}

void ProcessRelay::Bind(const std::shared_ptr<ManagerMailbox>& mailbox) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_mailboxes.erase(std::remove(m_mailboxes.begin(), m_mailboxes.end(), mailbox), m_mailboxes.end());
  if (mailbox) m_mailboxes.push_back(mailbox);
}

void ProcessRelay::Unbind(const ManagerMailbox* mailbox) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_mailboxes.erase(std::remove_if(m_mailboxes.begin(), m_mailboxes.end(),
                                   [mailbox](const std::shared_ptr<ManagerMailbox>& m) { return m.get() == mailbox; }),
                    m_mailboxes.end());
}

std::shared_ptr<ManagerMailbox> ProcessRelay::Bound() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_mailboxes.empty() ? nullptr : m_mailboxes.back();
}

void ProcessRelay::ConnectionAck(bool ok) {
  // Only connection clients acknowledge, and each reports to a port of its own.
  TRACE_ERROR("acknowledgement from no known link dropped (%d)", ok ? 1 : 0);
}

void ProcessRelay::LocalServerUnavailable() {
  if (auto mailbox = Bound()) mailbox->ListenerUnavailable();
}

void ProcessRelay::ProcessRequest(E2C_Request_t& request) {
  if (auto mailbox = Bound()) mailbox->ExtensionRequest(request);
}

void ProcessRelay::ProcessRequest(S2C_Request_t& request) {
  TRACE_ERROR("server request from no known link dropped (%d)", static_cast<int>(request.present));
}

void ProcessRelay::MessageFile(t_fm_status status, const std::string& login, const std::string& site,
                               const std::string& fileName, const std::string& fileKey,
                               const std::string& transferKey, const std::string& host, int port, time_t time,
                               bool isDownload, int64_t transferred, int64_t size, double speed) {
  if (auto mailbox = Bound())
    mailbox->Transfer(TransferReport{status, login, site, fileName, fileKey, transferKey, host, port, time, isDownload,
                                     transferred, size, speed});
}
