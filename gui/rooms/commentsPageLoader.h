// Fetches a site's comments page from the maker's comments server, on a thread of its own, so
// that a slow or silent server never holds up the windows. The wait and the page's size are
// bounded; the result comes back on the GUI thread.
#ifndef PARLAVOX_GUI_ROOMS_COMMENTSPAGELOADER_H
#define PARLAVOX_GUI_ROOMS_COMMENTSPAGELOADER_H

#include <functional>
#include <string>

namespace comments {

struct Limits {
  long connectSeconds = 10;
  long totalSeconds = 20;
  long long maxBytes = 1 << 20;
};

struct Page {
  bool ok = false;  // a success status and a whole body within the limits
  std::string body;
  std::string error;  // what went wrong, for the trace log
};

// The page's address for a site's comments identifier and the user's login, the values
// percent-encoded.
std::string PageAddress(const std::string& idComments, const std::string& login);
// The comments server's base address; tests set one on loopback (empty: the built-in one).
void SetBaseAddress(const std::string& base);
void SetLimits(const Limits& limits);

// Fetches `url` here and now (http and https only, redirections not followed).
Page Fetch(const std::string& url, const Limits& limits);
// Fetches `url` on a new thread and hands the page to `done` on the GUI thread. `done` is
// made and destroyed on the GUI thread only; the caller makes it check that whoever asked
// still wants the page.
void FetchInBackground(const std::string& url, std::function<void(const Page&)> done);
// Frees the callbacks of loads whose page never came back to the GUI thread; called there once
// the program's threads have ended.
void DropUndelivered();

}  // namespace comments

#endif
