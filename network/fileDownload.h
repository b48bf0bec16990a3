// Fetches one file offered by another client: connects to its file port, asks for the file
// and writes it under a temporary name beside the chosen path, renamed once every byte is in.
#ifndef PARLAVOX_NETWORK_FILEDOWNLOAD_H
#define PARLAVOX_NETWORK_FILEDOWNLOAD_H

#include <cstdint>
#include <string>

#include "network/fileServer.h"

class FileTransferLink;
class TransferSpeed;

class FileDownload {
 public:
  FileDownload(const std::string& ownLogin, const std::string& peerLogin, const std::string& site,
               const std::string& fileKey, int64_t size, const std::string& host, int port,
               const std::string& fileName, const std::string& localPath);
  // Stops the download at once (a wait for the sender ends); nothing is left under the local
  // path.
  void Cancel();
  void operator()();

  // Time-outs in milliseconds: reaching the sender, and waiting for each of its messages.
  static int connectTimeoutMs;
  static int readTimeoutMs;

 private:
  friend class FileServer;
  class TemporaryFile;
  void Report(t_fm_status status, int64_t transferred, int64_t size, double speed) const;
  // The steps of a download: reaching the sender (false when it cannot be reached or the
  // download was cancelled meanwhile); the exchange once connected, reported whatever its end;
  // asking for the file (FM_STARTED when the sender agreed, else the outcome to report, with
  // the size to report in *reportedSize); receiving its parts; writing one of them.
  bool Connect(FileTransferLink& link);
  void Transfer(FileTransferLink& link, TemporaryFile& file);
  t_fm_status AskForFile(FileTransferLink& link, int64_t* reportedSize);
  t_fm_status Receive(FileTransferLink& link, TemporaryFile& file, TransferSpeed& speed, int64_t* received);
  bool Store(const FileData_t& data, TemporaryFile& file, int64_t* received);

  std::string m_ownLogin;
  std::string m_peerLogin;
  std::string m_site;
  std::string m_fileKey;
  std::string m_host;
  int m_port;
  std::string m_fileName;
  std::string m_localPath;
  int64_t m_size;
  TransferToken m_running;
  uint64_t m_owner = 0;  // the server that runs it
};

#endif
