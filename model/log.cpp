#include "model/log.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

constexpr size_t kLineBufferSize = 100000;
constexpr size_t kStampSize = 200;
const char kTruncated[] = "[...]";

pthread_mutex_t g_mutex = PTHREAD_MUTEX_INITIALIZER;
FILE* g_file = nullptr;
// Unsigned so that it wraps; only its low byte reaches the file.
uint32_t g_key = LOG_KEY_START;
// Drawn once before main from the unseeded generator.
uint32_t g_step = static_cast<uint32_t>(rand() % 10 + 1);

// Line buffers, used only under the mutex.
char g_prefix[kLineBufferSize];
char g_message[kLineBufferSize];
char g_stamp[kStampSize];
unsigned char g_out[2 * kLineBufferSize + 1];

FILE* open_private(const char* path) {
  int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return nullptr;
  FILE* f = fdopen(fd, "wb");
  if (!f) ::close(fd);
  return f;
}

size_t scramble_into(unsigned char* out, const char* text, size_t len) {
  for (size_t i = 0; i < len; ++i) {
    out[i] = static_cast<unsigned char>(static_cast<unsigned char>(text[i]) + g_key);
    g_key += g_step;
  }
  return len;
}

// Formats into buf, marking a cut at the end when the text does not fit.
size_t format_bounded(char* buf, size_t size, const char* fmt, va_list ap) {
  int n = vsnprintf(buf, size, fmt, ap);
  if (n < 0) {
    buf[0] = '\0';
    return 0;
  }
  if (static_cast<size_t>(n) >= size) {
    size_t keep = size - sizeof(kTruncated);
    memcpy(buf + keep, kTruncated, sizeof(kTruncated));
    return size - 1;
  }
  return static_cast<size_t>(n);
}

size_t format_bounded(char* buf, size_t size, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
size_t format_bounded(char* buf, size_t size, const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  size_t n = format_bounded(buf, size, fmt, ap);
  va_end(ap);
  return n;
}

// Writes one whole line; the mutex is held and a file is open.
void write_line_locked(int level, const char* file, const char* function, int line, const char* fmt,
                       va_list ap) {
  unsigned long tid = static_cast<unsigned long>(pthread_self());
  get_timestamp(g_stamp);
  size_t plen = format_bounded(g_prefix, kLineBufferSize, "%lx:%d:%s:%s (<%s> ligne %d) : ", tid, level,
                               g_stamp, function ? function : "", file ? file : "", line);
  size_t mlen = format_bounded(g_message, kLineBufferSize, fmt ? fmt : "", ap);
  size_t n = scramble_into(g_out, g_prefix, plen);
  n += scramble_into(g_out + n, g_message, mlen);
  n += scramble_into(g_out + n, "\n", 1);
  fwrite(g_out, 1, n, g_file);
  fflush(g_file);
}

void write_line_locked(int level, const char* file, const char* function, int line, const char* fmt, ...)
    __attribute__((format(printf, 5, 6)));
void write_line_locked(int level, const char* file, const char* function, int line, const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  write_line_locked(level, file, function, line, fmt, ap);
  va_end(ap);
}

// Opens path when no log is open and writes the "Log start" line; the mutex is held.
bool open_log_locked(const char* path) {
  if (g_file) return true;
  g_file = open_private(path);
  if (!g_file) g_file = open_private("dranvel.log");
  if (!g_file) return false;
  write_line_locked(LOG_LEVEL_TRACE, "log.c", "void start_log(const char*)", 119, "Log start");
  return true;
}

}  // namespace

void write_log(int level, const char* file, const char* function, int line, const char* fmt, ...) {
  pthread_mutex_lock(&g_mutex);
  if (g_file || open_log_locked("dranvel.log")) {
    va_list ap;
    va_start(ap, fmt);
    write_line_locked(level, file, function, line, fmt, ap);
    va_end(ap);
  }
  pthread_mutex_unlock(&g_mutex);
}

void start_log(const char* path) {
  pthread_mutex_lock(&g_mutex);
  if (g_file) {
    printf("Counter : %d\n", static_cast<int>(g_step));
    fflush(stdout);
  } else {
    open_log_locked(path ? path : "dranvel.log");
  }
  pthread_mutex_unlock(&g_mutex);
}

char* get_timestamp(char* buffer) {
  buffer[0] = '\0';
  time_t now = time(nullptr);
  struct tm local;
  if (!localtime_r(&now, &local) || strftime(buffer, kStampSize, "%Y-%m-%d %H:%M:%S", &local) == 0) {
    buffer[0] = '\0';
    fputs("get_timestamp : ERROR\n", stderr);
  }
  return buffer;
}

void put_log_string(FILE* file, const char* text) {
  if (!file || !text) return;
  for (const char* p = text; *p; ++p) {
    fputc(static_cast<unsigned char>(static_cast<unsigned char>(*p) + g_key), file);
    g_key += g_step;
  }
}

int log_step() { return static_cast<int>(g_step); }

uint32_t log_unscramble(unsigned char* bytes, size_t size, uint32_t key, uint32_t step) {
  for (size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<unsigned char>(bytes[i] - key);
    key += step;
  }
  return key;
}

void log_reset_for_testing(uint32_t key, int step) {
  pthread_mutex_lock(&g_mutex);
  if (g_file) fclose(g_file);
  g_file = nullptr;
  g_key = key;
  g_step = static_cast<uint32_t>(step);
  pthread_mutex_unlock(&g_mutex);
}
