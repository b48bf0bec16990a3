// The messaging server named by the PARLAVOX_SERVER environment variable (local servers, tests).
#ifndef PARLAVOX_MODEL_SERVEROVERRIDE_H
#define PARLAVOX_MODEL_SERVEROVERRIDE_H

#include <string>

// Puts PARLAVOX_SERVER ("host" or "host:port") over the given host and port. A value whose port
// is not one (1 to 65535) is ignored whole, and so is an empty or unset variable.
void ApplyServerOverride(std::string& host, int& port);

#endif
