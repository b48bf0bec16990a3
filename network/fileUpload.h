// Serves one peer that connected to the file port: reads its request, answers it and sends
// the offered file in parts.
#ifndef PARLAVOX_NETWORK_FILEUPLOAD_H
#define PARLAVOX_NETWORK_FILEUPLOAD_H

#include <cstdint>
#include <memory>
#include <string>

#include "network/fileServer.h"

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
  int m_connection;
  TransferToken m_running;
  std::string m_login;
  std::string m_fileKey;
  std::shared_ptr<UploadSlot> m_slot;
  uint64_t m_owner;
};

#endif
