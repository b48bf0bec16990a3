#include "tests/journeys/ownNetwork.h"

#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace journeys {

namespace {

bool WriteTo(const std::string& path, const std::string& text) {
  const int fd = open(path.c_str(), O_WRONLY);
  if (fd < 0) return false;
  const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  close(fd);
  return written;
}

}  // namespace

bool LoopbackUp() {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  ifreq request{};
  strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
  bool up = ioctl(fd, SIOCGIFFLAGS, &request) == 0;
  request.ifr_flags |= IFF_UP | IFF_RUNNING;
  up = up && ioctl(fd, SIOCSIFFLAGS, &request) == 0;
  close(fd);
  return up;
}

bool EnterOwnNetwork(std::string* why) {
  const std::string uid = std::to_string(getuid()), gid = std::to_string(getgid());
  if (unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) {
    *why = std::string("no namespaces: ") + strerror(errno);
    return false;
  }
  // The same user and group inside as outside: the files written are the user's own.
  if (!WriteTo("/proc/self/uid_map", uid + " " + uid + " 1\n") || !WriteTo("/proc/self/setgroups", "deny") ||
      !WriteTo("/proc/self/gid_map", gid + " " + gid + " 1\n")) {
    *why = "the user namespace's identity could not be set";
    return false;
  }
  if (!LoopbackUp()) {
    *why = std::string("the loopback could not be brought up: ") + strerror(errno);
    return false;
  }
  return true;
}

}  // namespace journeys
