// Reading a file of the user's folder that the program only ever reads whole: the settings, a
// stored picture. Whatever else stands at its name, or where a link there leads (a named pipe
// that nobody writes to, a device, a socket), is refused at once: opening it is never waited
// for, on the GUI thread least of all, where nothing else (the system's end included) would be
// dealt with while it waited.
#ifndef PARLAVOX_MODEL_REGULARFILE_H
#define PARLAVOX_MODEL_REGULARFILE_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace regularfile {

// The descriptor of the regular file at path, open for reading, or -1 with errno set: ENOENT
// when nothing is there, EINVAL when what is there is no regular file.
int Open(const std::string& path);

// The same as a stream, for reading ("rb"); null with errno set likewise.
FILE* OpenStream(const std::string& path);

// Reads the whole regular file at path into *bytes (replacing what it held). False with errno
// set when it cannot be opened (as Open), cannot be read, or holds more than `limit` bytes (EFBIG).
bool ReadWhole(const std::string& path, std::string* bytes, size_t limit = SIZE_MAX);

}  // namespace regularfile

#endif
