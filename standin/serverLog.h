// The stand-in server's own log on standard error: warnings always, notes when verbose.
#ifndef PARLAVOX_STANDIN_SERVERLOG_H
#define PARLAVOX_STANDIN_SERVERLOG_H

namespace standin {

void SetVerbose(bool verbose);
bool IsVerbose();
void Warn(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Note(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace standin

#endif
