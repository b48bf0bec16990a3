#include "tests/support/displayProbe.h"

#include <X11/Xlib.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace testsupport {

namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string("\"") + value + "\"" : std::string("unset");
}

}  // namespace

std::string DescribeDisplay() {
  std::string text = "DISPLAY=" + Variable("DISPLAY") + ", XAUTHORITY=" + Variable("XAUTHORITY");
  errno = 0;
  Display* display = XOpenDisplay(nullptr);
  const int error = errno;
  if (display) {
    text += "; the display takes a connection now (" + std::string(ServerVendor(display)) + ", " +
            std::to_string(VendorRelease(display)) + "), so the start met a passing fault";
    XCloseDisplay(display);
  } else {
    text += "; the display takes no connection either";
    if (error) text += std::string(" (") + std::strerror(error) + ")";
  }
  return text;
}

}  // namespace testsupport
