// Linux layer of the system report: machine values read by name, and a command run with a
// time-out.
#ifndef PARLAVOX_MODEL_SYSTEMINFOPLATFORM_H
#define PARLAVOX_MODEL_SYSTEMINFOPLATFORM_H

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

// Reads one machine value into the caller's buffer of *size bytes and sets *size to the bytes
// used. Returns 0, or -1 with errno set: ENOENT for a value that cannot be read, ENOMEM for one
// that does not fit. Names and forms:
//   "kern.ostype", "kern.osrelease"  text with its NUL (the kernel's name and release)
//   "hw.model"                       text with its NUL (the processor's model name)
//   "hw.clockrate"                   int, the processor's clock in MHz
//   "hw.physmem"                     uint64_t, the physical memory in bytes
int ReadSystemValue(const char* name, void* buffer, size_t* size);

// Runs argv[0] (looked up on PATH) with stdin and stderr on /dev/null and collects what it writes
// on stdout (at most 64 KiB). The command gets `timeout` to finish; past it, the command and
// everything it started are killed. Returns false when it could not be started or was killed.
// Takes no lock.
bool RunCommand(const std::vector<std::string>& argv, std::chrono::milliseconds timeout,
                std::string* output);

#endif
