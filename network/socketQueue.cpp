#include "network/socketQueue.h"

#include <linux/sockios.h>
#include <sys/ioctl.h>

namespace socketQueue {

int64_t Unsent(int fd) {
  int queued = 0;
  if (fd < 0 || ioctl(fd, SIOCOUTQ, &queued) != 0 || queued < 0) return -1;
  return queued;
}

}  // namespace socketQueue
