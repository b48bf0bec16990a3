// A notice about one file transfer: an offer, or a later change of its state and progress.
#ifndef PARLAVOX_MODEL_FILEMESSAGE_H
#define PARLAVOX_MODEL_FILEMESSAGE_H

#include <string>

#include "model/message.h"

// State of a file transfer.
enum t_fm_status : int {
  FM_HOST_UNREACHABLE = 0,
  FM_NOT_AVAILABLE = 1,
  FM_OFFERED = 2,
  FM_STARTED = 3,
  FM_IN_PROGRESS = 4,
  FM_INTERRUPTED = 5,  // the sending side stopped it
  FM_FAILED = 6,       // it ended short
  FM_COMPLETE = 7,
  FM_CANCELLED = 8     // the receiver cancelled, or the offer was withdrawn
};

class FileMessage : public Message {
 public:
  // Sizes are byte counts (64-bit here, so files over 2 GiB are reported right).
  FileMessage(const std::string& site, const std::string& login, const std::string& nickname,
              const std::string& fileName, const std::string& fileKey, const std::string& transferKey,
              const std::string& host, int port, time_t time, bool isDownload, t_fm_status status,
              long transferred, long size, double speed);
  ~FileMessage() override;

  std::string GetFilename() const;
  std::string GetFileKey() const;
  std::string GetHost() const;
  int GetPort() const;
  bool IsDownload() const;
  t_fm_status GetStatus() const;
  long GetTransferredSize() const;
  long GetFileSize() const;
  double GetSpeed() const;
  std::string GetTransferKey() const;

 private:
  std::string fileKey;
  std::string host;
  int port;
  bool download;
  t_fm_status status;
  long transferred;
  long size;
  double speed;
  std::string transferKey;
};

#endif
