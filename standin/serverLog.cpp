#include "standin/serverLog.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <string>

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
  fprintf(stderr, "parlavox-standin %s %s\n", stamp, Escaped(line, false).c_str());
}

}  // namespace

std::string Escaped(const std::string& text, bool quotes) {
  std::string out;
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte == '\\' || (quotes && byte == '"')) {
      out += '\\';
      out += c;
    } else if (byte < 0x20 || byte == 0x7f) {
      char escape[8];
      snprintf(escape, sizeof escape, "\\x%02x", byte);
      out += escape;
    } else {
      out += c;
    }
  }
  return out;
}

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

void Tell(const char* format, ...) {
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
