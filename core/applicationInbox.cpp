#include "core/applicationInbox.h"

#include "core/application.h"
#include "model/log.h"

// The Manager's queueing operations are quick (they only post to its event queue), so they
// are called with the mailbox locked: Close then knows that no hand-over is under way.

void ManagerMailbox::Close() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_owner = nullptr;
}

void ManagerMailbox::ConnectionAck(uint64_t generation, bool ok) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_owner) m_owner->QueueConnectionAck(generation, ok);
}

void ManagerMailbox::ServerRequest(uint64_t generation, S2C_Request_t& request) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_owner) m_owner->QueueServerRequest(generation, TakeOver(request));
}

void ManagerMailbox::ExtensionRequest(E2C_Request_t& request) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_owner) m_owner->QueueExtensionRequest(TakeOver(request));
}

void ManagerMailbox::ListenerUnavailable() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_owner) m_owner->LocalServerUnavailable();
}

void ManagerMailbox::Transfer(const TransferReport& report) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_owner) m_owner->QueueTransfer(report);
}

void LinkPort::ConnectionAck(bool ok) {
  m_mailbox->ConnectionAck(m_generation, ok);
}

void LinkPort::LocalServerUnavailable() {
  m_mailbox->ListenerUnavailable();
}

void LinkPort::ProcessRequest(E2C_Request_t& request) {
  m_mailbox->ExtensionRequest(request);
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
  m_mailbox = mailbox;
}

void ProcessRelay::Unbind(const ManagerMailbox* mailbox) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_mailbox.get() == mailbox) m_mailbox.reset();
}

std::shared_ptr<ManagerMailbox> ProcessRelay::Bound() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_mailbox;
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
