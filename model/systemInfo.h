// The system report: short texts on the machine, values separated by "|", "??" for a value
// that cannot be read. Nothing is cached: each call reads the system again.
#ifndef PARLAVOX_MODEL_SYSTEMINFO_H
#define PARLAVOX_MODEL_SYSTEMINFO_H

#include <cstddef>
#include <string>

// The environment the client runs in: "linux".
std::string GetArchi();
// Kernel name and release, e.g. "Linux|6.1.0-18-amd64".
std::string GetOSVersion();
// Processor model, clock rate in MHz and physical memory in bytes.
std::string GetHardInfo();
// Current screen width and height as "xrandr" reports them, then "??". The command gets two
// seconds; a missing, failing or hanging "xrandr" gives "??|??|??".
std::string GetScreenInfo();

// Where the report reads machine values (the form of ReadSystemValue in systemInfoPlatform.h).
// Tests put a stand-in here; null restores the machine's own.
typedef int (*SystemValueReader)(const char* name, void* buffer, size_t* size);
void SetSystemValueReader(SystemValueReader reader);

#endif
