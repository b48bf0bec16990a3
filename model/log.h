// Trace log: one scrambled file, bounded in size, that every thread writes to in turn.
#ifndef PARLAVOX_MODEL_LOG_H
#define PARLAVOX_MODEL_LOG_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#define LOG_LEVEL_TRACE 1
#define LOG_LEVEL_ERROR 3

// Start value of the rolling scramble key; fixed forever, readers depend on it.
#define LOG_KEY_START 7

// Writes one line: prefix, the formatted message and a newline, all scrambled, with one write().
// On every thread but the program's main one (the GUI thread) the line is in the file when the
// call returns. The main thread never waits for the disk nor for another thread's writing: it
// hands its line to the log's own writer thread, which writes it at once, in order (log_flush
// waits for that). Control bytes and backslashes of the message are written as escapes ("\n",
// "\\", "\x1b"...), so that text from the network cannot end or forge a line. A line the disk
// has no room for is lost, all of it; the lines written once there is room again read as ever.
// A log that is a stream (a named pipe, a terminal) is never waited for long: the lines it has
// no room for within a fraction of a second are dropped, whole, and counted, and the next line
// it takes says how many ("<n> lines dropped: the log could not take them", level 3).
void write_log(int level, const char* file, const char* function, int line, const char* fmt, ...)
    __attribute__((format(printf, 5, 6)));

// A log file grows to this many bytes; then it is kept as "<path>.1" (replacing the one kept
// before) and the log starts over in a new file at path, with its own "Log start" line.
#define LOG_DEFAULT_SIZE_LIMIT (size_t(64) << 20)

// Returns once every line handed over so far is in the file, or dropped by a stream that could
// not take it (at the process's end, and for whoever reads the log it writes).
void log_flush();

// Writes what was handed over and joins the log's writer thread; the main thread writes its own
// lines from then on. Called at the program's end (and, at the latest, when the process exits).
void log_end();

// Opens the log file at path if no log is open yet; otherwise prints "Counter : <step>".
void start_log(const char* path);

// Fills buffer (at least 200 bytes) with the local time stamp and returns it.
char* get_timestamp(char* buffer);

// Writes a NUL-terminated text through the scramble.
void put_log_string(FILE* file, const char* text);

// The step drawn once for this process (1 to 10).
int log_step();

// Undoes the scramble of `size` bytes in place, starting from `key` and advancing by `step`;
// returns the key after the last byte.
uint32_t log_unscramble(unsigned char* bytes, size_t size, uint32_t key, uint32_t step);

// Test hook: closes the log file (if any), restarts the scramble at key with the given step and
// puts the size bound back to its default.
void log_reset_for_testing(uint32_t key, int step);
// Test hook: the size past which the log starts over.
void log_set_size_limit_for_testing(size_t bytes);

// Traces from our own functions. TRACE formats like printf and is checked at compile time.
#define TRACE(level, fmt, ...) \
  write_log((level), __FILE_NAME__, __PRETTY_FUNCTION__, __LINE__, fmt, ##__VA_ARGS__)
#define TRACE_START() TRACE(LOG_LEVEL_TRACE, "START")
#define TRACE_START_ARGS(fmt, ...) TRACE(LOG_LEVEL_TRACE, "START (" fmt ")", ##__VA_ARGS__)
#define TRACE_END() TRACE(LOG_LEVEL_TRACE, "END")
#define TRACE_END_RESULT(fmt, ...) TRACE(LOG_LEVEL_TRACE, "END : " fmt, ##__VA_ARGS__)
#define TRACE_STARTEND() TRACE(LOG_LEVEL_TRACE, "START/END")
// One line for an operation called so often that a START and an END each would cost too much.
#define TRACE_STARTEND_ARGS(fmt, ...) TRACE(LOG_LEVEL_TRACE, "START/END (" fmt ")", ##__VA_ARGS__)
#define TRACE_INFO(fmt, ...) TRACE(LOG_LEVEL_TRACE, fmt, ##__VA_ARGS__)
#define TRACE_ERROR(fmt, ...) TRACE(LOG_LEVEL_ERROR, fmt, ##__VA_ARGS__)

#endif
