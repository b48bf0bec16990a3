// How far an upload has gone, counted as the peer sees it: a file part counts once the peer's
// system has taken the whole of its message, not when it was handed to this machine's system,
// which may hold megabytes of it for a slow peer.
#ifndef PARLAVOX_NETWORK_UPLOADPROGRESS_H
#define PARLAVOX_NETWORK_UPLOADPROGRESS_H

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>

class FileTransferLink;

class UploadProgress {
 public:
  // report is given the file bytes gone whenever Tick finds them moved.
  UploadProgress(FileTransferLink& link, std::function<void(int64_t)> report);
  // A part of `bytes` file bytes has just been queued on the link.
  void Queued(int64_t bytes);
  // The file bytes of the parts the peer has taken whole.
  int64_t Gone();
  // Reports the bytes gone when they moved since the last report, at most ten times a second.
  void Tick();

  static constexpr std::chrono::milliseconds kInterval{100};

 private:
  struct Mark {
    int64_t wireEnd;  // where the part's message ends on the connection
    int64_t fileEnd;  // the file bytes up to the part's end
  };

  FileTransferLink& m_link;
  std::function<void(int64_t)> m_report;
  std::deque<Mark> m_marks;
  int64_t m_queued = 0;
  int64_t m_gone = 0;
  int64_t m_reported = 0;
  std::chrono::steady_clock::time_point m_lastReport;
};

#endif
