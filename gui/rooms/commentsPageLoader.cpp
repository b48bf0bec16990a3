#include "gui/rooms/commentsPageLoader.h"

#include <curl/curl.h>
#include <wx/app.h>

#include <memory>
#include <mutex>
#include <set>

#include "model/log.h"
#include "model/programThreads.h"

namespace comments {
namespace {

std::mutex g_mutex;
std::string g_base;
Limits g_limits;

// The callbacks handed to a loading thread and not yet called (under g_mutex).
std::set<std::function<void(const Page&)>*>& Undelivered() {
  static std::set<std::function<void(const Page&)>*> undelivered;
  return undelivered;
}

struct Body {
  std::string bytes;
  long long max;
  bool overflow = false;
};

size_t Collect(char* data, size_t size, size_t count, void* user) {
  auto* body = static_cast<Body*>(user);
  const size_t n = size * count;
  if (static_cast<long long>(body->bytes.size() + n) > body->max) {
    body->overflow = true;
    return 0;  // ends the transfer
  }
  body->bytes.append(data, n);
  return n;
}

int StopWhenEnding(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return programThreads::Ending() ? 1 : 0;
}

std::string Encode(const std::string& value) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : value) {
    if (isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

}  // namespace

void SetBaseAddress(const std::string& base) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_base = base;
}

void SetLimits(const Limits& limits) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_limits = limits;
}

std::string PageAddress(const std::string& idComments, const std::string& login) {
  std::string base;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    base = g_base.empty() ? std::string(PARLAVOX_WEBSITE) + "comments" : g_base;
  }
  while (!base.empty() && base.back() == '/') base.pop_back();
  return base + "/index.php?site=" + Encode(idComments) + "&user=" + Encode(login);
}

Page Fetch(const std::string& url, const Limits& limits) {
  Page page;
  Body body{std::string(), limits.maxBytes};
  CURL* curl = curl_easy_init();
  if (!curl) {
    page.error = "no HTTP client";
    return page;
  }
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, limits.connectSeconds);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, limits.totalSeconds);
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &Collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
  // The end of the program stops a page still loading.
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &StopWhenEnding);
  const CURLcode code = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(curl);
  page.ok = code == CURLE_OK && status >= 200 && status < 300 && !body.overflow;
  if (page.ok) page.body = std::move(body.bytes);
  else page.error = body.overflow ? "page too large" : std::string(curl_easy_strerror(code)) + " (HTTP " + std::to_string(status) + ")";
  return page;
}

void FetchInBackground(const std::string& url, std::function<void(const Page&)> done) {
  Limits limits;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    limits = g_limits;
  }
  // The thread only carries `done` across; it is called and freed back on the GUI thread. One
  // that never comes back (the program ended first) is freed by DropUndelivered.
  auto* callback = new std::function<void(const Page&)>(std::move(done));
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    Undelivered().insert(callback);
  }
  auto deliver = [callback](const Page& page) {
    {
      std::lock_guard<std::mutex> lock(g_mutex);
      if (Undelivered().erase(callback) == 0) return;  // dropped at the end already
    }
    std::unique_ptr<std::function<void(const Page&)>> owned(callback);
    (*owned)(page);
  };
  programThreads::Start("comments page", [url, limits, deliver] {
    auto page = std::make_shared<Page>(Fetch(url, limits));
    if (!page->ok) TRACE_ERROR("comments page %s: %s", url.c_str(), page->error.c_str());
    if (!wxTheApp || programThreads::Ending()) return;  // nobody is left to show the page
    wxTheApp->CallAfter([deliver, page] { deliver(*page); });
  });
}

void DropUndelivered() {
  std::set<std::function<void(const Page&)>*> left;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    left.swap(Undelivered());
  }
  for (auto* callback : left) delete callback;
}

}  // namespace comments
