// Fetches one file offered by another client: connects to its file port, asks for the file
// and writes it under a temporary name beside the chosen path, renamed once every byte is in.
#ifndef PARLAVOX_NETWORK_FILEDOWNLOAD_H
#define PARLAVOX_NETWORK_FILEDOWNLOAD_H

#include <cstdint>
#include <string>

#include "network/fileServer.h"

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
  void Report(t_fm_status status, int64_t transferred, int64_t size, double speed) const;

  std::string ownLogin_;
  std::string peerLogin_;
  std::string site_;
  std::string fileKey_;
  std::string host_;
  int port_;
  std::string fileName_;
  std::string localPath_;
  int64_t size_;
  TransferToken running_;
  uint64_t m_owner = 0;  // the server that runs it
};

#endif
