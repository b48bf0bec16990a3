// How the file-transfer threads report to the controller: the one operation the controller
// implements to hear about every step of a transfer (its states are t_fm_status).
#ifndef PARLAVOX_NETWORK_FILETRANSFERLISTENER_H
#define PARLAVOX_NETWORK_FILETRANSFERLISTENER_H

#include <cstdint>
#include <ctime>
#include <string>

#include "model/fileMessage.h"

class FileTransferListener {
 public:
  virtual ~FileTransferListener() {}
  // Called from the transfer threads, without any lock of the file server held.
  virtual void MessageFile(t_fm_status status, const std::string& login, const std::string& site,
                           const std::string& fileName, const std::string& fileKey,
                           const std::string& transferKey, const std::string& host, int port, time_t time,
                           bool isDownload, int64_t transferred, int64_t size, double speed) = 0;
};

#endif
