// The journeys' programs on a loopback network of their own, where the system allows it: the
// program's extension listener has a fixed port (and its file server a default one), which
// another program on the machine, or another test, may hold.
#ifndef PARLAVOX_TESTS_JOURNEYS_OWNNETWORK_H
#define PARLAVOX_TESTS_JOURNEYS_OWNNETWORK_H

#include <string>

namespace journeys {

// Moves this process, while it is still single-threaded, into a network namespace of its own
// (inside a user namespace of its own, keeping its user id) with the loopback up; every child
// started later shares it. False, with the reason, when the system does not allow it: the
// journeys then run on the machine's own loopback.
bool EnterOwnNetwork(std::string* why);

// Brings the loopback interface of the current network namespace up.
bool LoopbackUp();

}  // namespace journeys

#endif
