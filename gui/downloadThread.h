// The background download of a new version's archive. The body is written to "<target>.part"
// and becomes the target only once it arrived whole, with a success status, and reads as a
// bzip2 archive; on any failure nothing is left behind. The size and the time a download takes
// are bounded, so that a later one can always start. One download runs at a time.
#ifndef PARLAVOX_GUI_DOWNLOADTHREAD_H
#define PARLAVOX_GUI_DOWNLOADTHREAD_H

#include <string>

class wxEvtHandler;

namespace download {

// The outcome, carried in the int of the result event.
enum Result {
  kCannotSave = 0,      // the file could not be written; the event's string is the target path
  kTransferFailed = 1,  // no complete, verified archive came
  kStored = 2,          // the archive is at the target path, the event's string
  kProgress = 3         // still running; the event's extra long is the percentage (-1: unknown)
};

struct Request {
  std::string url;
  std::string target;
  // An existing file at the target is replaced only when the user agreed to it.
  bool replaceExisting = false;
  // Time-outs: connecting, a transfer slower than `lowSpeedBytes` per second for
  // `lowSpeedSeconds` seconds (a stall or a trickle), and the whole transfer.
  long connectSeconds = 30;
  long lowSpeedSeconds = 60;
  long lowSpeedBytes = 512;
  long totalSeconds = 3600;
  // Far above any archive of the program: a server that sends more, whether it announced the
  // length or not, is not sending one.
  long long maxBytes = 512LL << 20;
};

// Downloads synchronously. `progress`, when given, is called with the percentage received
// (-1 while the size is unknown) about twice a second, and may return false to stop.
using ProgressFn = bool (*)(void* context, int percent);
Result Fetch(const Request& request, ProgressFn progress = nullptr, void* context = nullptr);

}  // namespace download

// Runs on a thread of the program's (see programThreads.h): the end of the program stops the
// download at its next progress report, and joins it.
class DownloadThread {
 public:
  // Starts a download that reports to `sink` with wxEVT_RECEIVE_UPLOAD_INSTALLER events under
  // the controller's event id, unless one is running already: false then, and nothing starts.
  // The sink must outlive the thread (the controller does).
  static bool Launch(const download::Request& request, wxEvtHandler* sink);
  // True from a successful Launch until the result has been posted.
  static bool IsRunning();

 private:
  DownloadThread(const download::Request& request, wxEvtHandler* sink);
  void Entry();
  void Post(int result, long percent = 0);
  static bool OnProgress(void* context, int percent);

  download::Request m_request;
  wxEvtHandler* m_sink;
  int m_eventId;
};

#endif
