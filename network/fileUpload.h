// Serves one peer that connected to the file port: reads its request, answers it and sends
// the offered file in parts.
#ifndef PARLAVOX_NETWORK_FILEUPLOAD_H
#define PARLAVOX_NETWORK_FILEUPLOAD_H

#include <string>

#include "network/fileServer.h"

class FileUpload {
 public:
  // Takes the accepted connection; the thread that runs operator() closes it.
  explicit FileUpload(int connection);
  // Asks the running upload to stop after its current part.
  void Cancel();
  void operator()();

 private:
  int connection_;
  TransferToken running_;
  std::string fileKey_;
};

#endif
