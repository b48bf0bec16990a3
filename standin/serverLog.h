// The stand-in server's own log on standard error. Warnings, log-ins, log-outs and refused
// requests are always written; the rest of what it notes only when verbose.
#ifndef PARLAVOX_STANDIN_SERVERLOG_H
#define PARLAVOX_STANDIN_SERVERLOG_H

#include <string>

namespace standin {

// Logins, room names and messages come from the clients: a backslash and control characters
// (and quotes, when asked) are written as escapes, so that one line written is one line read.
std::string Escaped(const std::string& text, bool quotes);

void SetVerbose(bool verbose);
bool IsVerbose();
void Warn(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A log-in, a log-out, or a request or link that was refused.
void Tell(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Note(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace standin

#endif
