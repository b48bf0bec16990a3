// File transfers: the user's offers and downloads, the steps the transfer threads report, and
// the transfers relayed through the server.
#include <openssl/rand.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "FileData.h"
#include "core/application.h"
#include "core/applicationInbox.h"
#include "core/clientSideRequest.h"
#include "model/config.h"
#include "model/log.h"
#include "network/fileServer.h"

namespace {

// Progress of one transfer reaches the windows at most this often; changes of state always.
constexpr std::chrono::milliseconds kProgressInterval(100);

// A number no peer can guess from earlier keys.
uint32_t UnpredictableNumber() {
  uint32_t value = 0;
  if (RAND_bytes(reinterpret_cast<unsigned char*>(&value), sizeof value) != 1) {
    std::random_device device;
    value = device();
  }
  return value;
}

void FreePart(FileData_t* part) {
  if (!part) return;
  free(part->buf);
  free(part);
}

}  // namespace

std::string Manager::NewFileKey() {
  // The time in seconds, then a seven-digit number (while the counter is small) made of the
  // counter and a random part: digits only, as the protocol's file keys must be.
  long number = static_cast<long>(m_fileKeyCounter++) + 1000000L + static_cast<long>(UnpredictableNumber() % 9000000U);
  return GetTimeKey() + std::to_string(number);
}

std::string Manager::SendFile(const std::string& site, const std::string& path, const std::string& fileName) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s, %s", site.c_str(), path.c_str(), fileName.c_str());
  std::string key = NewFileKey();
  ClientSideRequest* client = Client();
  if (!m_connected || !client || !m_fileServer) {
    TRACE_END_RESULT("not connected");
    return "";
  }
  int64_t size = m_fileServer->AddFile(site, GetLogin(), path, fileName, key);
  if (size < 0) {
    TRACE_END_RESULT("not a readable file");
    return "";
  }
  // The protocol's sizes are 32-bit on the peers' side.
  unsigned short port = m_fileServer->GetBoundPort();
  bool sent = size <= INT32_MAX &&
              client->SendFile(m_authKey, site, fileName, key, static_cast<long>(size),
                               port ? port : Config::GetInstance()->GetFilePort());
  if (!sent) {
    m_fileServer->CancelFile(key);
    TRACE_END_RESULT("refused (%lld bytes)", static_cast<long long>(size));
    return "";
  }
  TRACE_END_RESULT("%s", key.c_str());
  return key;
}

void Manager::DownloadFile(const std::string& fileKey, const std::string& localPath) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s", fileKey.c_str(), localPath.c_str());
  auto offer = m_fileMessages.find(fileKey);
  if (offer == m_fileMessages.end() || !offer->second || !m_fileServer) {
    TRACE_END_RESULT("no such offer");
    return;
  }
  const FileMessage& message = *offer->second;
  m_fileServer->DownloadFile(GetLogin(), message.GetLogin(), message.GetSite(), fileKey, message.GetFileSize(),
                             message.GetHost(), static_cast<unsigned short>(message.GetPort() & 0xFFFF),
                             message.GetFilename(), localPath);
  TRACE_END();
}

bool Manager::HasFileOffer(const std::string& fileKey) const {
  auto offer = m_fileMessages.find(fileKey);
  return offer != m_fileMessages.end() && offer->second;
}

void Manager::CancelUploadFile(const std::string& fileKey) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s", fileKey.c_str());
  std::shared_ptr<const FileInfo> offer = FileServer::GetFileInfo(fileKey);
  if (!offer || !m_fileServer) {
    TRACE_END_RESULT("not offered");
    return;
  }
  m_fileServer->CancelFile(fileKey);
  ClientSideRequest* client = Client();
  if (m_connected && client) client->CancelFile(m_authKey, offer->site, fileKey);
  TRACE_END();
}

void Manager::CancelDownload(const std::string& transferKey) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s", transferKey.c_str());
  if (m_fileServer) m_fileServer->CancelDownload(transferKey);
  TRACE_END();
}

void Manager::CancelUpload(const std::string& transferKey) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s", transferKey.c_str());
  if (m_fileServer) m_fileServer->CancelUpload(transferKey);
  TRACE_END();
}

bool Manager::PaceAllows(const TransferReport& report) {
  std::string key = (report.isDownload ? "d|" : "u|") + report.transferKey + "|" + report.fileKey + "|" + report.login;
  if (report.status != FM_IN_PROGRESS) {
    m_progressPosted.erase(key);
    m_progressHeld.erase(key);
    return true;
  }
  auto now = std::chrono::steady_clock::now();
  auto last = m_progressPosted.find(key);
  if (last != m_progressPosted.end() && now - last->second < kProgressInterval) {
    // Held, not lost: a transfer whose progress then pauses still shows its newest count.
    m_progressHeld[key] = std::make_shared<const TransferReport>(report);
    if (!m_progressTimer.IsRunning()) {
      auto wait = std::chrono::ceil<std::chrono::milliseconds>(last->second + kProgressInterval - now);
      m_progressTimer.StartOnce(static_cast<int>(wait.count()) + 1);
    }
    return false;
  }
  m_progressPosted[key] = now;
  m_progressHeld.erase(key);
  return true;
}

void Manager::OnProgressTimer(wxTimerEvent&) {
  std::map<std::string, std::shared_ptr<const TransferReport>> held;
  held.swap(m_progressHeld);
  // One that is still early is held again, and the timer started again.
  for (const auto& report : held) HandleTransfer(*report.second);
}

void Manager::HandleTransfer(const TransferReport& report) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%d, %s, %s, %lld", static_cast<int>(report.status), report.login.c_str(), report.fileKey.c_str(),
                   static_cast<long long>(report.transferred));
  if (!m_connected) {
    TRACE_END_RESULT("not connected");
    return;
  }
  if (!PaceAllows(report)) {
    TRACE_END_RESULT("progress posted less than %lld ms ago", static_cast<long long>(kProgressInterval.count()));
    return;
  }
  std::string nickname = GetNickname(report.login);
  auto makeMessage = [&] {
    return new FileMessage(report.site, report.login, nickname, report.fileName, report.fileKey, report.transferKey,
                           report.host, report.port, report.time, report.isDownload, report.status,
                           static_cast<long>(report.transferred), static_cast<long>(report.size), report.speed);
  };
  // A download of an offer (any step of it, its withdrawal too) makes the offer taken.
  if (report.isDownload && report.status != FM_OFFERED) m_offersTaken.insert(report.fileKey);
  // The first report of a key stays: a download of an offer reads it later.
  FileMessage*& first = m_fileMessages[report.fileKey];
  if (!first) first = makeMessage();
  PostOwned(wxEVT_RECEIVE_MESSAGE_FILE, 0, makeMessage());
  TRACE_END();
}

// ---- Transfers relayed through the server: this client sends its own offers in parts

void Manager::SendNextPart(const std::string& login, const std::string& fileKey) {
  ClientSideRequest* client = Client();
  FileData_t* part = m_fileServer->ReadPart(login, fileKey);
  // A part without bytes (a file whose size is a multiple of the part size) is the end too.
  if (part && part->size <= 0) {
    FreePart(part);
    part = nullptr;
  }
  if (!part) m_relayedUploads.erase(login + " " + fileKey);
  if (client) client->FilePart(m_authKey, login, fileKey, part);
  FreePart(part);
}

void Manager::AskForFile(const std::string& login, const std::string& fileKey) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s", login.c_str(), fileKey.c_str());
  ClientSideRequest* client = Client();
  if (!m_connected || !client || !m_fileServer) {
    TRACE_END_RESULT("not connected");
    return;
  }
  std::shared_ptr<const FileInfo> offer = FileServer::GetFileInfo(fileKey);
  if (!offer || !m_fileServer->Register(login, fileKey, false)) {
    client->AskForFileAck(m_authKey, login, fileKey, offer ? offer->fileName : "", false, 0);
    TRACE_END_RESULT("not offered");
    return;
  }
  m_relayedUploads.insert(login + " " + fileKey);
  client->AskForFileAck(m_authKey, login, fileKey, offer->fileName, true, static_cast<long>(offer->size));
  SendNextPart(login, fileKey);
  TRACE_END();
}

void Manager::FilePartAck(const std::string& login, const std::string& fileKey) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s", login.c_str(), fileKey.c_str());
  std::shared_ptr<const FileInfo> offer = FileServer::GetFileInfo(fileKey);
  if (!m_connected || !m_fileServer || !offer || !m_relayedUploads.count(login + " " + fileKey)) {
    TRACE_END_RESULT("no relayed upload of this key");
    return;
  }
  HandleTransfer(TransferReport{FM_IN_PROGRESS, login, offer->site, offer->fileName, fileKey, "", "", 0, time(nullptr),
                                false, m_fileServer->GetPosition(login, fileKey), offer->size, 0});
  SendNextPart(login, fileKey);
  TRACE_END();
}

// This client never asks the server for a file: a relayed file arriving unasked is not written.
void Manager::AskForFileAck(const std::string& login, const std::string& fileKey, bool status, const long* size) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s, %d", login.c_str(), fileKey.c_str(), status ? 1 : 0);
  (void)size;
  TRACE_ERROR("unsolicited relayed file %s dropped", fileKey.c_str());
  TRACE_END();
}

void Manager::FilePart(const std::string& login, const std::string& fileKey, const FileData_t* data) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s, %d", login.c_str(), fileKey.c_str(), data ? static_cast<int>(data->size) : -1);
  TRACE_ERROR("unsolicited relayed part %s dropped", fileKey.c_str());
  TRACE_END();
}

void Manager::ReceiveCancelFile(const std::string& site, const std::string& fileKey) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s", site.c_str(), fileKey.c_str());
  auto offer = m_fileMessages.find(fileKey);
  if (offer == m_fileMessages.end() || !offer->second) {
    TRACE_END_RESULT("no such offer");
    return;
  }
  // Once the user has fetched the offer, its transfer tells its own end (a running one goes on:
  // the sender's running uploads are not stopped by a withdrawal). A cancelled, ended or removed
  // transfer must not come back as a new row and a second notice.
  if (m_offersTaken.count(fileKey)) {
    TRACE_END_RESULT("offer already taken: its transfer tells its own end");
    return;
  }
  TRACE_INFO("ok");
  const FileMessage& message = *offer->second;
  // Keyed as a download of the offer is, so that nothing else can match it.
  HandleTransfer(TransferReport{FM_CANCELLED, message.GetLogin(), site, message.GetFilename(), fileKey, fileKey, "",
                                0, time(nullptr), true, message.GetTransferredSize(), message.GetFileSize(), 0});
  TRACE_END();
}
