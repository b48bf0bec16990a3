// Listening sockets of the test servers: loopback only, on a port chosen by the system.
#ifndef PARLAVOX_TESTS_TESTSERVER_LOOPBACK_H
#define PARLAVOX_TESTS_TESTSERVER_LOOPBACK_H

namespace testserver {

// A socket listening on 127.0.0.1; its port in *port. Throws std::runtime_error on failure.
int ListenOnLoopback(unsigned short* port);

}  // namespace testserver

#endif
