// Serves one peer that connected to the file port: reads its request, answers it and sends
// the offered file in parts.
#ifndef PARLAVOX_NETWORK_FILEUPLOAD_H
#define PARLAVOX_NETWORK_FILEUPLOAD_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "network/fileServer.h"

class FileTransferLink;
class UploadProgress;
class UploadSlot;

class FileUpload {
 public:
  // Takes the accepted connection, whose request (login and file key) the listener has read,
  // and its place among the uploads; the thread that runs operator() closes the connection
  // and gives the place back. owner names the server that serves it.
  FileUpload(int connection, const std::string& login, const std::string& fileKey,
             std::shared_ptr<UploadSlot> slot, uint64_t owner);
  // Asks the running upload to stop after its current part.
  void Cancel();
  void operator()();

 private:
  // The steps of an upload once the peer has been told yes: the sending and its report;
  // sending the file's parts, batch by batch (true when the file turned out shorter than
  // offered); queueing one batch (the lengths of the parts queued). Progress counts what the
  // peer has taken.
  void Upload(FileTransferLink& link, const FileInfo& offer, int file, const std::string& transferKey);
  bool SendParts(FileTransferLink& link, UploadProgress& progress, int file, int64_t* remaining);
  std::vector<size_t> SendBatch(FileTransferLink& link, UploadProgress& progress, const uint8_t* data, size_t count);
  void Report(t_fm_status status, const FileInfo& offer, const std::string& transferKey, int64_t sent,
              double speed) const;

  int m_connection;
  TransferToken m_running;
  std::string m_login;
  std::string m_fileKey;
  std::shared_ptr<UploadSlot> m_slot;
  uint64_t m_owner;
};

#endif
