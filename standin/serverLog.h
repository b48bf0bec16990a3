// The stand-in server's own log on standard error. Warnings, log-ins, log-outs and refused
// requests are always written; the rest of what it notes only when verbose.
#ifndef PARLAVOX_STANDIN_SERVERLOG_H
#define PARLAVOX_STANDIN_SERVERLOG_H

namespace standin {

void SetVerbose(bool verbose);
bool IsVerbose();
void Warn(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A log-in, a log-out, or a request or link that was refused.
void Tell(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Note(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace standin

#endif
