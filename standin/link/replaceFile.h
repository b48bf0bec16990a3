// Writing a whole file so that a reader never sees half of it.
#ifndef PARLAVOX_STANDIN_LINK_REPLACEFILE_H
#define PARLAVOX_STANDIN_LINK_REPLACEFILE_H

#include <sys/types.h>

#include <string>

namespace standin {

// Writes the bytes to a temporary file beside path, flushes it to disk and renames it over
// path, with the given mode. False (and the old file untouched) when any step fails.
bool ReplaceFile(const std::string& path, const std::string& bytes, mode_t mode);

}  // namespace standin

#endif
