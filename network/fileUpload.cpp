#include "network/fileUpload.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "model/log.h"
#include "network/fileTransferLink.h"

namespace {

double Speed(int64_t bytes, time_t start) {
  double seconds = difftime(time(nullptr), start);
  return seconds >= 1 ? static_cast<double>(bytes) / seconds : 0;
}

bool SendAck(FileTransferLink& link, bool accepted, long size) {
  C2C_Request_t request;
  std::memset(&request, 0, sizeof request);
  request.present = C2C_Request_PR_askforfile_ack;
  request.choice.askforfile_ack.status = accepted ? 1 : 0;
  request.choice.askforfile_ack.size = accepted ? &size : nullptr;
  return link.Send(request);
}

// Reads up to size bytes, fewer only at the end of the file. -1 on a read error.
ssize_t ReadPart(int fd, uint8_t* buffer, size_t size) {
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

}  // namespace

FileUpload::FileUpload(int connection) : connection_(connection), running_(std::make_shared<std::atomic<bool>>(false)) {}

void FileUpload::Cancel() {
  TRACE_STARTEND();
  *running_ = false;
}

void FileUpload::operator()() {
  TRACE_START();
  FileTransferLink link(connection_);
  C2C_Request_t* request = link.Receive(FileServer::kRequestTimeoutMs);
  if (!request || request->present != C2C_Request_PR_askforfile || link.PeerSentMore()) {
    // Nothing, garbage, another message, or more than the one request a client sends.
    int kind = request ? static_cast<int>(request->present) : 0;
    FileTransferLink::FreeRequest(request);
    link.Close();
    TRACE(LOG_LEVEL_TRACE, "END (wrong request %d)", kind);
    return;
  }
  const C2C_AskForFile_t& ask = request->choice.askforfile;
  std::string login(reinterpret_cast<const char*>(ask.login.buf), ask.login.size);
  fileKey_.assign(reinterpret_cast<const char*>(ask.fileKey.buf), ask.fileKey.size);
  FileTransferLink::FreeRequest(request);

  std::shared_ptr<const FileInfo> offer = FileServer::GetFileInfo(fileKey_);
  if (!offer) {
    TRACE_INFO("File not found in download list");
    SendAck(link, false, 0);
    link.Close();
    TRACE_END();
    return;
  }
  int file = open(offer->path.c_str(), O_RDONLY | O_CLOEXEC);
  if (file < 0) {
    TRACE_INFO("File not found");
    SendAck(link, false, 0);
    link.Close();
    TRACE_END();
    return;
  }
  const int64_t size = offer->size;
  if (!SendAck(link, true, static_cast<long>(size))) {
    TRACE_ERROR("Erreur de transfert");
    close(file);
    link.Close();
    TRACE_END();
    return;
  }
  const std::string transferKey = login + "@@@" + fileKey_;
  *running_ = true;
  FileServer::RegisterUpload(transferKey, running_);
  FileServer::Report(FM_STARTED, login, offer->site, offer->path, fileKey_, transferKey, "", 0, false, 0, size, 0);

  TRACE_INFO("send data");
  time_t start = time(nullptr);
  int64_t remaining = size;
  bool shortRead = false;
  uint8_t buffer[FileServer::kPartSize];
  C2C_Request_t part;
  std::memset(&part, 0, sizeof part);
  part.present = C2C_Request_PR_file;
  for (unsigned count = 1; remaining >= 1; ++count) {
    ssize_t got = ReadPart(file, buffer, sizeof buffer);
    if (got <= 0) {
      // The file shrank (or cannot be read) since it was offered: the peer cannot get it whole.
      TRACE_ERROR("file shorter than offered");
      shortRead = true;
      break;
    }
    part.choice.file.fileData.buf = buffer;
    part.choice.file.fileData.size = static_cast<int>(got);
    if (!link.Send(part)) {
      TRACE_ERROR("Erreur de transfert");
      break;
    }
    remaining -= got;
    FileServer::Report(FM_IN_PROGRESS, login, offer->site, offer->path, fileKey_, transferKey, "", 0, false,
                       size - remaining, size, Speed(size - remaining, start));
    if (remaining < 1 || !*running_) break;
    // A client sends nothing after its request; anything else (or its leaving) ends the upload.
    if (count % 64 == 0 && link.PeerSentMore()) {
      TRACE_ERROR("peer spoke or left during the transfer");
      break;
    }
  }
  TRACE_INFO("send end");
  if (remaining == 0 && !shortRead) {
    TRACE_INFO("send ok");
    FileServer::Report(FM_COMPLETE, login, offer->site, offer->path, fileKey_, transferKey, "", 0, false, size, size,
                       Speed(size, start));
  } else if (!*running_) {
    TRACE_ERROR("send interrupt");
    C2C_Request_t interrupt;
    std::memset(&interrupt, 0, sizeof interrupt);
    interrupt.present = C2C_Request_PR_interrupt;
    TRACE_INFO("Send request");
    if (!link.Send(interrupt)) TRACE_ERROR("Erreur de transfert");
    TRACE_INFO("Send request ok");
    FileServer::Report(FM_INTERRUPTED, login, offer->site, offer->path, fileKey_, transferKey, "", 0, false,
                       size - remaining, size, Speed(size, start));
  } else {
    TRACE_ERROR("send error");
    FileServer::Report(FM_FAILED, login, offer->site, offer->path, fileKey_, transferKey, "", 0, false,
                       size - remaining, size, Speed(size, start));
  }
  TRACE_INFO("delete filetransfert");
  link.Close();
  FileServer::UnregisterUpload(transferKey, running_);
  TRACE_INFO("close file");
  close(file);
  TRACE_END();
}
