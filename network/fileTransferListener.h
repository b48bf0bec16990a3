// How the file-transfer threads report to the controller: the state of a transfer and the one
// operation the controller implements to hear about every step.
#ifndef PARLAVOX_NETWORK_FILETRANSFERLISTENER_H
#define PARLAVOX_NETWORK_FILETRANSFERLISTENER_H

#include <cstdint>
#include <ctime>
#include <string>

#ifndef PARLAVOX_T_FM_STATUS_DEFINED
#define PARLAVOX_T_FM_STATUS_DEFINED
// The state of a file transfer as the controller and the windows see it.
enum t_fm_status {
  FM_HOST_UNREACHABLE = 0,  // the download could not reach the sender
  FM_NOT_AVAILABLE = 1,     // the sender refused, or answered wrongly
  FM_OFFERED = 2,           // an offer arrived from the server
  FM_STARTED = 3,           // the sender accepted; data starts to flow
  FM_IN_PROGRESS = 4,       // one more part has moved
  FM_INTERRUPTED = 5,       // the sending side stopped the transfer
  FM_FAILED = 6,            // the transfer ended short
  FM_COMPLETE = 7,          // every byte has moved
  FM_CANCELLED = 8          // the receiver cancelled, or the offer was withdrawn
};
#endif

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
