#include "standin/serverLog.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <ctime>

namespace standin {

namespace {

std::atomic<bool> g_verbose{false};

void Write(const char* format, va_list args) {
  char stamp[32];
  time_t now = time(nullptr);
  struct tm local;
  strftime(stamp, sizeof stamp, "%H:%M:%S", localtime_r(&now, &local));
  char line[1024];
  vsnprintf(line, sizeof line, format, args);
  fprintf(stderr, "parlavox-standin %s %s\n", stamp, line);
}

}  // namespace

void SetVerbose(bool verbose) {
  g_verbose = verbose;
}

bool IsVerbose() {
  return g_verbose;
}

void Warn(const char* format, ...) {
  va_list args;
  va_start(args, format);
  Write(format, args);
  va_end(args);
}

void Note(const char* format, ...) {
  if (!g_verbose) return;
  va_list args;
  va_start(args, format);
  Write(format, args);
  va_end(args);
}

}  // namespace standin
