// A listening TCP socket for the program's own small servers.
#ifndef PARLAVOX_NETWORK_LISTENSOCKET_H
#define PARLAVOX_NETWORK_LISTENSOCKET_H

#include <cstdint>

// Opens a non-blocking, close-on-exec TCP socket that reuses its address and listens on the
// IPv4 address (host byte order, e.g. INADDR_LOOPBACK) and port (0: any free port). Returns the
// socket, with the port bound in *boundPort, or -1 with errno set.
int OpenListenSocket(uint32_t address, unsigned short port, int backlog, unsigned short* boundPort);

#endif
