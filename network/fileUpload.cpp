#include "network/fileUpload.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <vector>
#include <algorithm>

#include "model/log.h"
#include "network/fileServerGate.h"
#include "network/fileTransferLink.h"
#include "network/transferSpeed.h"
#include "network/uploadProgress.h"

namespace {


bool SendAck(FileTransferLink& link, bool accepted, long size) {
  C2C_Request_t request;
  std::memset(&request, 0, sizeof request);
  request.present = C2C_Request_PR_askforfile_ack;
  request.choice.askforfile_ack.status = accepted ? 1 : 0;
  request.choice.askforfile_ack.size = accepted ? &size : nullptr;
  return link.Send(request);
}

// Reads up to size bytes, fewer only at the end of the file. -1 on a read error.
ssize_t ReadFull(int fd, uint8_t* buffer, size_t size) {
  size_t total = 0;
  while (total < size) {
    ssize_t got = read(fd, buffer + total, size - total);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    total += static_cast<size_t>(got);
  }
  return static_cast<ssize_t>(total);
}

// A cancelled upload ends within a second whatever the peer's pace: the interrupt goes when
// the last part went whole, and counts as told once the peer has taken everything in time.
bool TellInterrupt(FileTransferLink& link) {
  if (link.WriteStopped()) return false;
  C2C_Request_t interrupt;
  std::memset(&interrupt, 0, sizeof interrupt);
  interrupt.present = C2C_Request_PR_interrupt;
  return link.SendWithin(interrupt, 250) && link.DrainedWithin(500);
}

}  // namespace

FileUpload::FileUpload(int connection, const std::string& login, const std::string& fileKey,
                       std::shared_ptr<UploadSlot> slot, uint64_t owner)
    : m_connection(connection),
      m_running(std::make_shared<TransferControl>(false)),
      m_login(login),
      m_fileKey(fileKey),
      m_slot(std::move(slot)),
      m_owner(owner) {}

void FileUpload::Cancel() {
  TRACE_STARTEND();
  m_running->Stop();
}

void FileUpload::operator()() {
  TRACE_START();
  FileTransferLink link(m_connection);
  // The connection is given back before it is closed, so that the listener never shuts down
  // a descriptor that has been reused meanwhile.
  struct GiveBack {
    FileTransferLink& link;
    UploadSlot* slot;
    void Now() {
      if (slot) slot->Release();
      link.Close();
    }
    ~GiveBack() { Now(); }
  } giveBack{link, m_slot.get()};
  // A client sends nothing after its one request.
  if (link.PeerSentMore()) {
    TRACE(LOG_LEVEL_TRACE, "END (wrong request %d)", static_cast<int>(C2C_Request_PR_askforfile));
    return;
  }
  std::shared_ptr<const FileInfo> offer = FileServer::GetFileInfo(m_fileKey);
  int file = offer ? open(offer->path.c_str(), O_RDONLY | O_CLOEXEC) : -1;
  if (file < 0) {
    TRACE_INFO(offer ? "File not found" : "File not found in download list");
    SendAck(link, false, 0);
    giveBack.Now();
    TRACE_END();
    return;
  }
  if (!SendAck(link, true, static_cast<long>(offer->size))) {
    TRACE_ERROR("Erreur de transfert");
    close(file);
    giveBack.Now();
    TRACE_END();
    return;
  }
  const std::string transferKey = m_login + "@@@" + m_fileKey;
  Upload(link, *offer, file, transferKey);
  TRACE_INFO("delete filetransfert");
  giveBack.Now();
  FileServer::UnregisterUpload(transferKey, m_running);
  TRACE_INFO("close file");
  close(file);
  TRACE_END();
}

void FileUpload::Report(t_fm_status status, const FileInfo& offer, const std::string& transferKey, int64_t sent,
                        double speed) const {
  FileServer::Report(status, m_login, offer.site, offer.path, m_fileKey, transferKey, "", 0, false, sent, offer.size,
                     speed);
}

void FileUpload::Upload(FileTransferLink& link, const FileInfo& offer, int file, const std::string& transferKey) {
  const int64_t size = offer.size;
  m_running->Start();
  // A cancel ends a write that waits for a slow peer, not only the next batch.
  TransferToken running = m_running;
  link.StopWritesWhen([running] { return !running->Running(); });
  FileServer::RegisterUpload(transferKey, m_running, m_owner);
  Report(FM_STARTED, offer, transferKey, 0, 0);

  TRACE_INFO("send data");
  TransferSpeed speed;
  UploadProgress progress(link, [&](int64_t gone) {
    Report(FM_IN_PROGRESS, offer, transferKey, gone, speed.Running(gone));
  });
  // The count moves while a slow peer keeps the writes waiting, and while it takes the last
  // bytes once all have been handed over.
  link.WhileWaiting([&progress] { progress.Tick(); });
  int64_t remaining = size;
  const bool shortRead = SendParts(link, progress, file, &remaining);
  TRACE_INFO("send end");
  // What was handed over still goes to the peer: the count is final, and the file complete,
  // once the peer has taken it. Until then this machine holds what has not reached it.
  const bool drained = (remaining == 0 || shortRead) && m_running->Running() && link.Drain();
  link.WhileWaiting(nullptr);
  if (drained && remaining == 0 && !shortRead) {
    TRACE_INFO("send ok");
    Report(FM_COMPLETE, offer, transferKey, size, speed.Final(size));
  } else if (!m_running->Running()) {
    TRACE_ERROR("send interrupt");
    TRACE_INFO("Send request");
    const bool told = TellInterrupt(link);
    const int64_t gone = progress.Gone();
    if (!told) {
      // The peer has not taken what went before (or a part was cut short): what the system
      // still holds for it is dropped, and the reset tells it the transfer is over.
      TRACE_ERROR("Erreur de transfert");
      if (m_slot) m_slot->Release();
      link.Abort();
    }
    TRACE_INFO("Send request ok");
    Report(FM_INTERRUPTED, offer, transferKey, gone, speed.Final(gone));
  } else {
    TRACE_ERROR("send error");
    const int64_t gone = progress.Gone();
    Report(FM_FAILED, offer, transferKey, gone, speed.Final(gone));
  }
}

bool FileUpload::SendParts(FileTransferLink& link, UploadProgress& progress, int file, int64_t* remaining) {
  // Several parts are read, encoded and written together (one system call each way for up
  // to eight parts); each is still its own message.
  const size_t batchParts = 8;
  std::vector<uint8_t> buffer(batchParts * FileServer::kPartSize);
  while (*remaining >= 1) {
    // Never read ahead of the recorded size by more than the part that crosses it.
    int64_t wanted = std::min<int64_t>(static_cast<int64_t>(buffer.size()),
                                       (*remaining + FileServer::kPartSize - 1) / FileServer::kPartSize *
                                           static_cast<int64_t>(FileServer::kPartSize));
    ssize_t got = ReadFull(file, buffer.data(), static_cast<size_t>(wanted));
    if (got <= 0) {
      // The file shrank (or cannot be read) since it was offered: the peer cannot get it whole.
      TRACE_ERROR("file shorter than offered");
      return true;
    }
    std::vector<size_t> lengths = SendBatch(link, progress, buffer.data(), static_cast<size_t>(got));
    if (lengths.empty() || !link.Flush()) {
      TRACE_ERROR("Erreur de transfert");
      return false;
    }
    for (size_t length : lengths) *remaining -= static_cast<int64_t>(length);
    progress.Tick();
    if (*remaining < 1 || !m_running->Running()) return false;
    // A client sends nothing after its request; anything else (or its leaving) ends the upload.
    if (link.PeerSentMore()) {
      TRACE_ERROR("peer spoke or left during the transfer");
      return false;
    }
    // A short read that did not reach the recorded size: the file shrank.
    if (static_cast<size_t>(got) < static_cast<size_t>(wanted)) {
      TRACE_ERROR("file shorter than offered");
      return true;
    }
  }
  return false;
}

std::vector<size_t> FileUpload::SendBatch(FileTransferLink& link, UploadProgress& progress, const uint8_t* data,
                                          size_t count) {
  // The stop flag is looked at before every part but the first of a batch, so a stop that
  // arrives between two batches lets exactly one more part go; one that arrives while a batch
  // is written lets the rest of that batch go.
  C2C_Request_t part;
  std::memset(&part, 0, sizeof part);
  part.present = C2C_Request_PR_file;
  std::vector<size_t> lengths;
  for (size_t offset = 0; offset < count; offset += FileServer::kPartSize) {
    if (!lengths.empty() && !m_running->Running()) break;
    size_t length = std::min(count - offset, FileServer::kPartSize);
    part.choice.file.fileData.buf = const_cast<uint8_t*>(data + offset);
    part.choice.file.fileData.size = static_cast<int>(length);
    if (!link.Queue(part)) break;
    progress.Queued(static_cast<int64_t>(length));
    lengths.push_back(length);
  }
  return lengths;
}
