// Opening the trace log's file. The log is a file of its own, emptied and made readable by its
// owner only, or a stream that takes lines as they come: a device (/dev/null, a terminal) or a
// named pipe that someone reads. Anything else that stands at the path is refused, the log then
// going elsewhere: a link is followed only to such a stream, so that nothing outside the log's
// folder is ever emptied or written through one, and a pipe is never waited for.
#ifndef PARLAVOX_MODEL_LOGFILE_H
#define PARLAVOX_MODEL_LOGFILE_H

namespace logfile {

// Opens the log at path for writing: its descriptor, with *regular telling whether it is a file
// of its own (one that grows and may start over), or -1 when what stands there is refused or
// cannot be opened. A stream's descriptor does not wait (O_NONBLOCK): a write takes what it has
// room for; a file's writes wait for the disk as ever.
int Open(const char* path, bool* regular);

}  // namespace logfile

#endif
