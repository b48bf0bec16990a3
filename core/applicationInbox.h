// How the network threads reach the controller. The controller runs on the GUI thread; the
// connection threads, the extension listener and the transfer threads only hand over what
// they received, and the controller handles it there, in arrival order.
//
// - ManagerMailbox: the one door into a live Manager from other threads. A thread that finds
//   it closed (its Manager is gone) drops what it brought.
// - LinkPort: what one connection client reports to. It stamps everything with the link's
//   generation, so that the Manager can drop what a superseded link still says.
// - ProcessRelay: the object the process-wide extension listener and file server report to;
//   it passes everything on to the Manager bound last.
#ifndef PARLAVOX_CORE_APPLICATIONINBOX_H
#define PARLAVOX_CORE_APPLICATIONINBOX_H

#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

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

class ManagerMailbox {
 public:
  explicit ManagerMailbox(Manager* owner) : m_owner(owner) {}
  // From now on nothing reaches the Manager; returns once no other thread is handing over.
  void Close();

  void ConnectionAck(uint64_t generation, bool ok);
  void ServerRequest(uint64_t generation, S2C_Request_t& request);
  void ExtensionRequest(E2C_Request_t& request);
  void ListenerUnavailable();
  void Transfer(const TransferReport& report);

 private:
  std::mutex m_mutex;
  Manager* m_owner;
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

  void Bind(const std::shared_ptr<ManagerMailbox>& mailbox);
  // Unbinds the mailbox when it is the one bound.
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
  std::shared_ptr<ManagerMailbox> m_mailbox;
};

#endif
