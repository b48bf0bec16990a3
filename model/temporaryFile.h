// A file written whole under a temporary name, to be renamed over the one it replaces: readers
// then see either the old file or the whole new one.
#ifndef PARLAVOX_MODEL_TEMPORARYFILE_H
#define PARLAVOX_MODEL_TEMPORARYFILE_H

#include <cstddef>
#include <string>

// Writes the bytes to a fresh file, readable by its owner only, in `directory` (ending in '/'),
// named `prefix` and six random characters, and flushes it to the disk. Its path, or an empty
// string when it could not be written in full (nothing is left then).
std::string WriteTemporaryFile(const std::string& directory, const char* prefix, const void* data, size_t length);

// Puts the bytes at `path` by way of such a file beside it, renamed over whatever stands there:
// a file, a link or a named pipe is replaced, never opened (a pipe that nobody reads would hold
// whoever opened it for writing) nor followed. False when it could not be done (nothing is left
// beside it then, and what stood at `path` is as it was).
bool ReplaceFile(const std::string& path, const void* data, size_t length);

#endif
