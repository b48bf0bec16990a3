// How the network threads reach the controller. The controller runs on the GUI thread; the
// connection threads, the extension listener and the transfer threads only hand over what
// they received, and the controller handles it there, in arrival order.
//
// - ManagerMailbox: the one door into a live Manager from other threads, and the Manager's
//   inbox: a bounded queue that the GUI thread handles in slices. A thread that finds it
//   closed (its Manager is gone) drops what it brought.
// - LinkPort: what one connection client reports to. It stamps everything with the link's
//   generation, so that the Manager can drop what a superseded link still says.
// - ProcessRelay: the object the process-wide extension listener and file server report to;
//   it passes everything on to the live Manager bound last. A Manager that goes gives the way
//   back to the one bound before it, so nothing made or ended beside the process's controller
//   (a link, a client, another Manager) can leave the listener without its way in.
#ifndef PARLAVOX_CORE_APPLICATIONINBOX_H
#define PARLAVOX_CORE_APPLICATIONINBOX_H

#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "asn1/request.h"
#include "network/fileTransferListener.h"
#include "network/stateMachine.h"

class Manager;
class ClientSideRequest;

// Takes the content of a decoded request over from its caller: the copy on the heap gets the
// alternative's members and the caller's value keeps its selector with its members zeroed, so
// that the caller may free it as usual without touching what was taken.
template <typename T>
std::shared_ptr<T> TakeOver(T& request) {
  T* copy = asn1::Allocate<T>();
  std::memcpy(static_cast<void*>(copy), &request, sizeof(T));
  std::memset(static_cast<void*>(&request.choice), 0, sizeof(request.choice));
  return std::shared_ptr<T>(copy, asn1::RequestDeleter<T>());
}

// One step of a file transfer, as a transfer thread reports it.
struct TransferReport {
  t_fm_status status;
  std::string login;
  std::string site;
  std::string fileName;
  std::string fileKey;
  std::string transferKey;
  std::string host;
  int port;
  time_t time;
  bool isDownload;
  int64_t transferred;
  int64_t size;
  double speed;
};

// One hand-over: the link it came from (0: none), and what the GUI thread runs for it, or the
// number of heart-beats it stands for.
struct InboxEntry {
  uint64_t generation = 0;
  size_t bytes = 0;
  unsigned beats = 0;
  std::function<void(Manager&)> call;
};

// What the other threads hand over, queued in arrival order for the GUI thread.
//
// Bounds: a connection thread (a link's reader) that finds the inbox holding kReaderEntries
// entries or kReaderBytes bytes waits for room, so that a server sending faster than the
// window handles feels a slow reader instead of growing the program's memory. It is let go,
// and drops what it brought, as soon as its link stops being the current one or the mailbox
// closes, so that no close, abort or exit can wait on it. Other threads never wait: past
// kHardEntries their hand-overs are dropped (the listener calls in under its own lock, and a
// transfer report is not worth a stalled transfer). Heart-beats that follow each other are
// kept as one entry with a count.
//
// What a link's reader decoded is freed by a reader, not by the GUI thread: the GUI thread
// gives each server request it handled back (Spent), and the next request a reader hands over
// takes them along and frees them on its own thread. Memory goes back to the allocator arena of
// the thread that took it, so that the GUI thread never waits for that arena's lock while a
// reader decodes the rest of a burst. Past kMostSpent entries or kMostSpentBytes the GUI thread
// frees them itself (a reader gone quiet keeps nothing large).
class ManagerMailbox {
 public:
  static constexpr size_t kReaderEntries = 1024;
  static constexpr size_t kReaderBytes = 32 * 1024 * 1024;
  static constexpr size_t kHardEntries = 4096;
  // Heart-beats one entry stands for at most.
  static constexpr unsigned kMaxBeatsPerEntry = 256;
  static constexpr size_t kMostSpent = 1024;
  static constexpr size_t kMostSpentBytes = 4 * 1024 * 1024;

  using Entry = InboxEntry;

  explicit ManagerMailbox(Manager* owner) : m_owner(owner) {}
  // From now on nothing reaches the Manager; returns once no other thread is handing over.
  // What waits in the inbox is dropped, and every waiting reader let go.
  void Close();
  // GUI thread: the link whose hand-overs are awaited from now on (0: none). What other links
  // left in the inbox is dropped, and their readers waiting for room are let go.
  void SetCurrentLink(uint64_t generation);

  void ConnectionAck(uint64_t generation, bool ok);
  void ServerRequest(uint64_t generation, S2C_Request_t& request);
  void ExtensionRequest(E2C_Request_t& request);
  void ListenerUnavailable();
  void Transfer(const TransferReport& report);

  // GUI thread: takes the oldest entry; false when there is none, and the next hand-over then
  // asks the Manager to drain again.
  bool Take(Entry* entry);
  // GUI thread: whether entries wait; when none does, the next hand-over asks for a drain.
  bool HasEntries();
  size_t Size();
  size_t Bytes();
  // GUI thread: an entry taken and handled. A server request goes back to be freed by a reader;
  // anything else, or past the bounds, is freed here and now.
  void Spent(Entry&& entry);
  // Entries given back and not freed yet.
  size_t SpentWaiting();

 private:
  // Queues an entry (waiting for room when wait is true and this is not the GUI thread; past
  // the hard bound dropped when droppable, which a link's acknowledgement never is); tells the
  // Manager when it has no drain asked for yet. False when the entry was dropped.
  bool Push(Entry entry, bool wait, bool droppable = true, std::vector<Entry>* spent = nullptr);
  bool IsStale(uint64_t generation) const { return generation != 0 && generation != m_current; }

  std::mutex m_mutex;
  std::condition_variable m_room;
  Manager* m_owner;
  std::deque<Entry> m_entries;
  size_t m_bytes = 0;
  uint64_t m_current = 0;
  // A drain is asked for (and not yet found the inbox empty).
  bool m_drainAsked = false;
  size_t m_dropped = 0;
  // Server requests handled by the GUI thread, for the next reader to free.
  std::vector<Entry> m_spent;
  size_t m_spentBytes = 0;
};

class LinkPort : public StateMachine {
 public:
  LinkPort(std::shared_ptr<ManagerMailbox> mailbox, uint64_t generation)
      : m_mailbox(std::move(mailbox)), m_generation(generation) {}
  void ConnectionAck(bool ok) override;
  void LocalServerUnavailable() override;
  void ProcessRequest(E2C_Request_t& request) override;
  void ProcessRequest(S2C_Request_t& request) override;

 private:
  std::shared_ptr<ManagerMailbox> m_mailbox;
  uint64_t m_generation;
};

// One connection attempt: its client and the port the client reports to. The connection
// thread holds it as long as the client runs, so the port outlives every call into it.
struct ServerLink {
  uint64_t generation = 0;
  std::unique_ptr<LinkPort> port;
  std::shared_ptr<ClientSideRequest> client;
};

class ProcessRelay : public StateMachine, public FileTransferListener {
 public:
  // Lives as long as the process: the listener and the file server keep its address.
  static ProcessRelay& Get();

  // The mailbox bound last is the one reported to.
  void Bind(const std::shared_ptr<ManagerMailbox>& mailbox);
  // Takes the mailbox out wherever it stands; when it was the last bound, the one bound before
  // it that is still bound is reported to again.
  void Unbind(const ManagerMailbox* mailbox);

  void ConnectionAck(bool ok) override;
  void LocalServerUnavailable() override;
  void ProcessRequest(E2C_Request_t& request) override;
  void ProcessRequest(S2C_Request_t& request) override;
  void MessageFile(t_fm_status status, const std::string& login, const std::string& site,
                   const std::string& fileName, const std::string& fileKey, const std::string& transferKey,
                   const std::string& host, int port, time_t time, bool isDownload, int64_t transferred,
                   int64_t size, double speed) override;

 private:
  ProcessRelay() = default;
  std::shared_ptr<ManagerMailbox> Bound();

  std::mutex m_mutex;
  // Every mailbox bound and not unbound, the last bound last.
  std::vector<std::shared_ptr<ManagerMailbox>> m_mailboxes;
};

#endif
