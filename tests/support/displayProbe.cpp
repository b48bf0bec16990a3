#include "tests/support/displayProbe.h"

#include <X11/Xlib.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace testsupport {

namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string("\"") + value + "\"" : std::string("unset");
}

// One connection to the display, closed at once: empty when it was taken, else why not.
std::string TryConnecting(bool& taken) {
  errno = 0;
  Display* display = XOpenDisplay(nullptr);
  const int error = errno;
  taken = display != nullptr;
  if (display) XCloseDisplay(display);
  return error ? std::strerror(error) : "no reason given";
}

}  // namespace

std::string DescribeDisplay() {
  std::string text = "DISPLAY=" + Variable("DISPLAY") + ", XAUTHORITY=" + Variable("XAUTHORITY");
  // A few tries apart, since a server that is resetting refuses a moment and then answers.
  const int tries = 3;
  std::string refusals;
  for (int i = 1; i <= tries; ++i) {
    bool taken = false;
    const std::string why = TryConnecting(taken);
    if (taken) {
      text += "; the display takes a connection now (at try " + std::to_string(i) + " of " +
              std::to_string(tries);
      if (!refusals.empty()) text += ", refused before: " + refusals;
      return text + "), so the start met a passing fault of the X server";
    }
    refusals += (refusals.empty() ? "" : "; ") + why;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  return text + "; the display takes no connection either (" + refusals + ")";
}

}  // namespace testsupport
