// What the system still holds of what the program wrote on a TCP connection.
#ifndef PARLAVOX_NETWORK_SOCKETQUEUE_H
#define PARLAVOX_NETWORK_SOCKETQUEUE_H

#include <cstdint>

namespace socketQueue {

// The bytes written on the connected socket fd that the peer's system has not acknowledged
// yet: those still waiting to leave this machine and those on their way. -1 when the system
// cannot tell.
int64_t Unsent(int fd);

}  // namespace socketQueue

#endif
