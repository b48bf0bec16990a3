#include "model/fileMessage.h"

#include "model/log.h"

FileMessage::FileMessage(const std::string& site, const std::string& login, const std::string& nickname,
                         const std::string& fileName, const std::string& fileKey_, const std::string& transferKey_,
                         const std::string& host_, int port_, time_t time, bool isDownload, t_fm_status status_,
                         long transferred_, long size_, double speed_)
    : Message(site, login, nickname, fileName, time, false),
      fileKey(fileKey_),
      host(host_),
      port(port_),
      download(isDownload),
      status(status_),
      transferred(transferred_),
      size(size_),
      speed(speed_),
      transferKey(transferKey_) {
  TRACE_START_ARGS("%s, %s, %d", fileKey_.c_str(), transferKey_.c_str(), static_cast<int>(status_));
  TRACE_END();
}

FileMessage::~FileMessage() = default;

std::string FileMessage::GetFilename() const { return GetText(); }
std::string FileMessage::GetFileKey() const { return fileKey; }
std::string FileMessage::GetHost() const { return host; }
int FileMessage::GetPort() const { return port; }
bool FileMessage::IsDownload() const { return download; }
t_fm_status FileMessage::GetStatus() const { return status; }
long FileMessage::GetTransferredSize() const { return transferred; }
long FileMessage::GetFileSize() const { return size; }
double FileMessage::GetSpeed() const { return speed; }
std::string FileMessage::GetTransferKey() const { return transferKey; }
