#include "gui/downloadThread.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>
#include <wx/event.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>

#include "core/application.h"
#include "core/guiEvents.h"
#include "model/log.h"
#include "model/programThreads.h"

namespace download {

namespace {

constexpr auto kProgressInterval = std::chrono::milliseconds(500);
// A bzip2 stream starts so; an error page served with a success status does not.
const char kArchiveMagic[] = "BZh";

struct Transfer {
  int fd = -1;
  bool writeFailed = false;
  // The body outgrew the bound: the transfer stops there.
  bool tooLarge = false;
  long long received = 0;
  long long maxBytes = 0;
  std::string head;
  ProgressFn progress = nullptr;
  void* context = nullptr;
  std::chrono::steady_clock::time_point lastReport{};
};

size_t WriteBody(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const size_t n = size * count;
  // The announced length is checked by the library; a body without one is checked as it comes.
  if (static_cast<long long>(n) > t->maxBytes - t->received) {
    t->tooLarge = true;
    return 0;
  }
  t->received += static_cast<long long>(n);
  if (t->head.size() < 3) t->head.append(data, std::min(n, 3 - t->head.size()));
  for (size_t done = 0; done < n;) {
    const ssize_t w = write(t->fd, data + done, n - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) {
      t->writeFailed = true;
      return 0;
    }
    done += static_cast<size_t>(w);
  }
  return n;
}

int OnTransferInfo(void* user, curl_off_t total, curl_off_t now, curl_off_t, curl_off_t) {
  auto* t = static_cast<Transfer*>(user);
  if (!t->progress) return 0;
  const auto clock = std::chrono::steady_clock::now();
  if (clock - t->lastReport < kProgressInterval) return 0;
  t->lastReport = clock;
  const int percent = total > 0 ? static_cast<int>(now * 100 / total) : -1;
  return t->progress(t->context, percent) ? 0 : 1;
}

// Moves the finished file into place; an existing target stays unless replacing was agreed.
bool Install(const std::string& part, const std::string& target, bool replace) {
  if (replace) return rename(part.c_str(), target.c_str()) == 0;
  if (renameat2(AT_FDCWD, part.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without the no-replace rename: a hard link fails the same way on an existing name.
  if (link(part.c_str(), target.c_str()) != 0) return false;
  unlink(part.c_str());
  return true;
}

CURLcode Perform(const Request& request, Transfer& t, long& status) {
  CURL* curl = curl_easy_init();
  if (!curl) return CURLE_FAILED_INIT;
  curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, request.connectSeconds);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, request.lowSpeedSeconds);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, request.lowSpeedBytes);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, request.totalSeconds);
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(request.maxBytes));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &WriteBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &t);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &OnTransferInfo);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &t);
  const CURLcode code = curl_easy_perform(curl);
  status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(curl);
  return code;
}

}  // namespace

Result Fetch(const Request& request, ProgressFn progress, void* context) {
  TRACE_START();
  TRACE_INFO("Download : %s -> %s", request.url.c_str(), request.target.c_str());
  const std::string part = request.target + ".part";
  // A leftover of an interrupted run goes first; unlink removes a planted link, never its target.
  unlink(part.c_str());
  Transfer t;
  t.progress = progress;
  t.context = context;
  t.maxBytes = request.maxBytes;
  t.fd = open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (t.fd < 0) {
    TRACE_ERROR("Erreur : %s", strerror(errno));
    TRACE_END_RESULT("cannot save");
    return kCannotSave;
  }
  long status = 0;
  const CURLcode code = Perform(request, t, status);
  const bool synced = fsync(t.fd) == 0;
  const bool closed = close(t.fd) == 0;

  Result result = kStored;
  if (t.writeFailed || !synced || !closed) {
    TRACE_ERROR("Erreur : cannot write %s", part.c_str());
    result = kCannotSave;
  } else if (t.tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
    TRACE_INFO("Erreur : more than %lld bytes", request.maxBytes);
    result = kTransferFailed;
  } else if (code != CURLE_OK) {
    TRACE_INFO("Erreur : %d %s (HTTP %ld)", static_cast<int>(code), curl_easy_strerror(code), status);
    result = kTransferFailed;
  } else if (status < 200 || status > 299 || t.head != kArchiveMagic) {
    TRACE_INFO("Erreur : HTTP %ld, not an archive", status);
    result = kTransferFailed;
  } else if (!Install(part, request.target, request.replaceExisting)) {
    TRACE_ERROR("Erreur : %s", strerror(errno));
    result = kCannotSave;
  }
  if (result != kStored) unlink(part.c_str());
  else TRACE_INFO("Downloaded");
  TRACE_END_RESULT("%d", static_cast<int>(result));
  return result;
}

}  // namespace download

namespace {
std::atomic<bool> g_running{false};
}  // namespace

bool DownloadThread::Launch(const download::Request& request, wxEvtHandler* sink) {
  TRACE_START();
  bool idle = false;
  if (!g_running.compare_exchange_strong(idle, true)) {
    TRACE_END_RESULT("a download is running");
    return false;
  }
  std::shared_ptr<DownloadThread> thread(new DownloadThread(request, sink));
  if (!programThreads::Start("update download", [thread] { thread->Entry(); })) {
    g_running = false;
    TRACE_END_RESULT("no thread");
    return false;
  }
  TRACE_END();
  return true;
}

bool DownloadThread::IsRunning() { return g_running; }

DownloadThread::DownloadThread(const download::Request& request, wxEvtHandler* sink)
    : m_request(request), m_sink(sink), m_eventId(Manager::GetEventId()) {}

void DownloadThread::Entry() {
  Post(download::Fetch(m_request, &DownloadThread::OnProgress, this));
  g_running = false;
}

bool DownloadThread::OnProgress(void* context, int percent) {
  auto* self = static_cast<DownloadThread*>(context);
  // The program is ending: give up at once rather than hold its exit.
  if (programThreads::Ending()) return false;
  self->Post(download::kProgress, percent);
  return true;
}

void DownloadThread::Post(int result, long percent) {
  if (!m_sink) return;
  auto* event = new wxCommandEvent(wxEVT_RECEIVE_UPLOAD_INSTALLER, m_eventId);
  event->SetInt(result);
  event->SetExtraLong(percent);
  if (result == download::kCannotSave || result == download::kStored)
    event->SetString(wxString::FromUTF8(m_request.target));
  wxQueueEvent(m_sink, event);
}
