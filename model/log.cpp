#include "model/log.h"

#include <fcntl.h>
#include <linux/futex.h>
#include <pthread.h>
#include <sched.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

// Each line is formed by its own thread, in a buffer of that thread, without any lock. Writing
// is one thread's at a time (the writer role): it scrambles the line (the rolling key follows
// the file's byte order) and writes it. A thread that finds the role taken queues its line and
// waits until the writer has written it; the lines queued while a write was under way go to the
// kernel together, in order, in one writev(). Either way every line is in the file, whole, when
// its write_log returns, and under contention the writing stays with one thread instead of a
// lock being handed from core to core for every line.

namespace {

// The prefix and the message are each cut to this many bytes less one, "[...]" marking a cut.
constexpr size_t kPartLimit = 100000;
constexpr size_t kStampSize = 200;
const char kTruncated[] = "[...]";
constexpr size_t kThreadBufferSize = 2048;

// The writer role; g_fd, g_key and g_step change only under it.
std::atomic<bool> g_writing{false};
int g_fd = -1;
// Unsigned so that it wraps; only its low byte reaches the file.
uint32_t g_key = LOG_KEY_START;
// Drawn once before main from the unseeded generator.
uint32_t g_step = static_cast<uint32_t>(rand() % 10 + 1);

// Per thread: the buffer a line is formed in while it fits, and the start of its last line
// (thread id, level and time stamp) with the second and level it was formed for.
thread_local char t_buffer[kThreadBufferSize];
thread_local char t_head[256];
thread_local size_t t_headLength = 0;
thread_local time_t t_headSecond = -1;
thread_local int t_headLevel = 0;

// Most pieces of a line are a few bytes long: copied inline rather than by a call.
inline void CopyShortOrLong(char* to, const char* from, size_t n) {
  if (n > 16) {
    memcpy(to, from, n);
  } else if (n >= 8) {
    uint64_t head, tail;
    memcpy(&head, from, 8);
    memcpy(&tail, from + n - 8, 8);
    memcpy(to, &head, 8);
    memcpy(to + n - 8, &tail, 8);
  } else if (n >= 4) {
    uint32_t head, tail;
    memcpy(&head, from, 4);
    memcpy(&tail, from + n - 4, 4);
    memcpy(to, &head, 4);
    memcpy(to + n - 4, &tail, 4);
  } else if (n > 0) {
    to[0] = from[0];
    to[n / 2] = from[n / 2];
    to[n - 1] = from[n - 1];
  }
}

// A line being formed: in a fixed buffer while it fits, then on the heap.
class LineBuffer {
 public:
  LineBuffer(char* fixed, size_t capacity) : data_(fixed), capacity_(capacity) {}
  LineBuffer(const LineBuffer&) = delete;
  LineBuffer& operator=(const LineBuffer&) = delete;

  char* data() { return data_; }
  size_t size() const { return size_; }
  size_t room() const { return capacity_ - size_; }
  char* end() { return data_ + size_; }

  void Reserve(size_t more) {
    if (more > room()) Grow(size_ + more);
  }
  void Append(const char* text, size_t n) {
    Reserve(n);
    CopyShortOrLong(data_ + size_, text, n);
    size_ += n;
  }
  void Append(const char* text) { Append(text, strlen(text)); }
  void Append(char c) {
    Reserve(1);
    data_[size_++] = c;
  }
  void Commit(size_t n) { size_ += n; }
  void Truncate(size_t n) { size_ = n; }

 private:
  void Grow(size_t need) {
    size_t capacity = std::max(need, 2 * capacity_);
    std::unique_ptr<char[]> bigger(new char[capacity]);
    memcpy(bigger.get(), data_, size_);
    heap_ = std::move(bigger);
    data_ = heap_.get();
    capacity_ = capacity;
  }

  char* data_;
  size_t size_ = 0;
  size_t capacity_;
  std::unique_ptr<char[]> heap_;
};

// Digits are written straight into the line, from the last one back.
void AppendUnsigned(LineBuffer& out, unsigned long long value, unsigned base) {
  static const char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  size_t count = 1;
  if (base == 10) {
    for (unsigned long long bound = 10; count < 20 && value >= bound; bound *= 10) ++count;
  } else {
    for (unsigned long long rest = value >> 4; rest != 0; rest >>= 4) ++count;
  }
  out.Reserve(count);
  char* p = out.end() + count;
  if (base == 10) {
    while (value >= 100) {
      unsigned pair = static_cast<unsigned>(value % 100) * 2;
      value /= 100;
      *--p = kPairs[pair + 1];
      *--p = kPairs[pair];
    }
    if (value >= 10) {
      unsigned pair = static_cast<unsigned>(value) * 2;
      *--p = kPairs[pair + 1];
      *--p = kPairs[pair];
    } else {
      *--p = static_cast<char>('0' + value);
    }
  } else {
    do {
      *--p = "0123456789abcdef"[value & 15];
      value >>= 4;
    } while (value != 0);
  }
  out.Commit(count);
}

void AppendSigned(LineBuffer& out, long long value) {
  if (value < 0) {
    out.Append('-');
    AppendUnsigned(out, 0ull - static_cast<unsigned long long>(value), 10);
  } else {
    AppendUnsigned(out, static_cast<unsigned long long>(value), 10);
  }
}

enum class Length { kInt, kLong, kLongLong, kSize };

long long SignedArgument(va_list& args, Length length) {
  switch (length) {
    case Length::kLong:
      return va_arg(args, long);
    case Length::kLongLong:
      return va_arg(args, long long);
    case Length::kSize:
      return va_arg(args, ssize_t);
    default:
      return va_arg(args, int);
  }
}

unsigned long long UnsignedArgument(va_list& args, Length length) {
  switch (length) {
    case Length::kLong:
      return va_arg(args, unsigned long);
    case Length::kLongLong:
      return va_arg(args, unsigned long long);
    case Length::kSize:
      return va_arg(args, size_t);
    default:
      return va_arg(args, unsigned int);
  }
}

// Appends the text of fmt when every conversion in it is a plain %s, %c, %d, %i, %u or %x (with
// l, ll or z) or %%: what the traces use, formatted here byte for byte as printf would. Any
// other format (flags, width, precision, other conversions) gives false; the caller then drops
// what was appended and formats with vsnprintf.
bool AppendPlainFormat(LineBuffer& out, const char* fmt, va_list& args) {
  const char* p = fmt;
  for (;;) {
    const char* percent = strchr(p, '%');
    if (!percent) {
      out.Append(p);
      return true;
    }
    out.Append(p, static_cast<size_t>(percent - p));
    p = percent + 1;
    Length length = Length::kInt;
    if (*p == 'l') {
      ++p;
      length = Length::kLong;
      if (*p == 'l') {
        ++p;
        length = Length::kLongLong;
      }
    } else if (*p == 'z') {
      ++p;
      length = Length::kSize;
    }
    char conversion = *p++;
    if (length != Length::kInt && (conversion == '%' || conversion == 's' || conversion == 'c')) return false;
    switch (conversion) {
      case '%':
        out.Append('%');
        break;
      case 's': {
        const char* text = va_arg(args, const char*);
        out.Append(text ? text : "(null)");
        break;
      }
      case 'c':
        out.Append(static_cast<char>(va_arg(args, int)));
        break;
      case 'd':
      case 'i':
        AppendSigned(out, SignedArgument(args, length));
        break;
      case 'u':
        AppendUnsigned(out, UnsignedArgument(args, length), 10);
        break;
      case 'x':
        AppendUnsigned(out, UnsignedArgument(args, length), 16);
        break;
      default:
        return false;
    }
  }
}

// Appends the text of fmt through vsnprintf; returns its whole length, of which at most
// kPartLimit - 1 bytes are appended.
size_t AppendPrintf(LineBuffer& out, const char* fmt, va_list args) {
  out.Reserve(256);
  va_list first;
  va_copy(first, args);
  int n = vsnprintf(out.end(), out.room(), fmt, first);
  va_end(first);
  if (n < 0) return 0;
  size_t length = static_cast<size_t>(n);
  if (length >= out.room()) {
    size_t keep = std::min(length, kPartLimit - 1);
    out.Reserve(keep + 1);
    va_list second;
    va_copy(second, args);
    vsnprintf(out.end(), keep + 1, fmt, second);
    va_end(second);
    out.Commit(keep);
  } else {
    out.Commit(length);
  }
  return length;
}

// Cuts the text appended since `start` to kPartLimit - 1 bytes, ending in "[...]", when its
// whole length reached kPartLimit.
void Bound(LineBuffer& out, size_t start, size_t length) {
  if (length < kPartLimit) return;
  out.Truncate(start + kPartLimit - sizeof kTruncated);
  out.Append(kTruncated, sizeof kTruncated - 1);
}

bool NeedsEscape(unsigned char c) { return c < 0x20 || c == 0x7f || c == '\\'; }

// Whether any byte needs an escape, eight bytes at a time: nearly every text has none.
bool HasEscapable(const unsigned char* text, size_t n) {
  const uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t x;
    memcpy(&x, text + i, 8);
    uint64_t del = x ^ (ones * 0x7f);
    uint64_t backslash = x ^ (ones * '\\');
    // A byte below 0x20, or a byte equal to 0x7f or '\\' (one that the xor made zero).
    if (((x - ones * 0x20) & ~x & highs) | ((del - ones) & ~del & highs) | ((backslash - ones) & ~backslash & highs))
      return true;
  }
  if (n >= 8 && i < n) return HasEscapable(text + n - 8, 8);  // the last bytes, some again
  for (; i < n; ++i) {
    if (NeedsEscape(text[i])) return true;
  }
  return false;
}

// Writes control bytes and backslashes of the text appended since `start` as escapes ("\n",
// "\r", "\t", "\\", "\x1b"), so that a traced text never ends its line or starts another one.
void Escape(LineBuffer& out, size_t start) {
  const unsigned char* text = reinterpret_cast<const unsigned char*>(out.data());
  if (!HasEscapable(text + start, out.size() - start)) return;
  size_t first = start;
  while (!NeedsEscape(text[first])) ++first;
  std::string rest(out.data() + first, out.size() - first);
  out.Truncate(first);
  for (char ch : rest) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (!NeedsEscape(c)) {
      out.Append(ch);
      continue;
    }
    out.Append('\\');
    switch (c) {
      case '\n':
        out.Append('n');
        break;
      case '\r':
        out.Append('r');
        break;
      case '\t':
        out.Append('t');
        break;
      case '\\':
        out.Append('\\');
        break;
      default:
        out.Append('x');
        out.Append("0123456789abcdef"[c >> 4]);
        out.Append("0123456789abcdef"[c & 15]);
    }
  }
}

// The start of the line, "<thread>:<level>:<stamp>:", formed again only when the second or
// the level changes.
void AppendHead(LineBuffer& out, int level) {
  time_t now = time(nullptr);
  if (now != t_headSecond || level != t_headLevel || t_headLength == 0) {
    // At most 16 + 1 + 11 + 1 + 199 + 1 bytes: the buffer never grows.
    LineBuffer head(t_head, sizeof t_head);
    AppendUnsigned(head, static_cast<unsigned long>(pthread_self()), 16);
    head.Append(':');
    AppendSigned(head, level);
    head.Append(':');
    char stamp[kStampSize];
    head.Append(get_timestamp(stamp));
    head.Append(':');
    t_headLength = head.size();
    t_headSecond = now;
    t_headLevel = level;
  }
  out.Append(t_head, t_headLength);
}

// Forms one whole line: "<thread>:<level>:<stamp>:<function> (<<file>> ligne <line>) : " (cut
// at kPartLimit), the message (cut likewise, then escaped) and the newline.
void FormLine(LineBuffer& out, int level, const char* file, const char* function, int line, const char* fmt,
              va_list args) {
  AppendHead(out, level);
  out.Append(function ? function : "");
  out.Append(" (<", 3);
  out.Append(file ? file : "");
  out.Append("> ligne ", 8);
  AppendSigned(out, line);
  out.Append(") : ", 4);
  Bound(out, 0, out.size());

  size_t start = out.size();
  va_list plain;
  va_copy(plain, args);
  bool done = AppendPlainFormat(out, fmt ? fmt : "", plain);
  va_end(plain);
  size_t length = out.size() - start;
  if (!done) {
    out.Truncate(start);
    length = AppendPrintf(out, fmt, args);
  }
  Bound(out, start, length);
  Escape(out, start);
  out.Append('\n');
}

// Multiples of the step, modulo 256: only the key's low byte reaches the file, and it comes
// back to its value every 256 bytes. Made again when the step changes.
unsigned char g_stepMultiples[256];
uint32_t g_stepOfMultiples = 0;

// Scrambles the line in place; the writer role is held.
void Scramble(LineBuffer& line) {
  if (g_stepOfMultiples != g_step) {
    for (unsigned i = 0; i < 256; ++i) g_stepMultiples[i] = static_cast<unsigned char>(i * g_step);
    g_stepOfMultiples = g_step;
  }
  unsigned char* bytes = reinterpret_cast<unsigned char*>(line.data());
  const size_t n = line.size();
  const unsigned char* __restrict multiples = g_stepMultiples;
  for (size_t done = 0; done < n; done += 256) {
    const unsigned char key = static_cast<unsigned char>(g_key + static_cast<uint32_t>(done) * g_step);
    const size_t chunk = std::min<size_t>(256, n - done);
    unsigned char* __restrict part = bytes + done;
    for (size_t i = 0; i < chunk; ++i) part[i] = static_cast<unsigned char>(part[i] + key + multiples[i]);
  }
  g_key += static_cast<uint32_t>(n) * g_step;
}

// Writes the pieces in order, all of them, with as few calls as the kernel allows; output
// errors are not reported (the lines are lost). The writer role is held and a file is open.
void WriteAll(struct iovec* pieces, int count) {
  while (count > 0) {
    ssize_t written =
        count == 1 ? ::write(g_fd, pieces->iov_base, pieces->iov_len) : ::writev(g_fd, pieces, count);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    size_t left = static_cast<size_t>(written);
    while (count > 0 && left >= pieces->iov_len) {
      left -= pieces->iov_len;
      ++pieces;
      --count;
    }
    if (count > 0) {
      pieces->iov_base = static_cast<char*>(pieces->iov_base) + left;
      pieces->iov_len -= left;
    }
  }
}

// Scrambles the line and writes it; the writer role is held and a file is open.
void WriteLocked(LineBuffer& line) {
  Scramble(line);
  struct iovec piece = {line.data(), line.size()};
  WriteAll(&piece, 1);
}

// Opens (creating or emptying) a log file readable and writable by its owner only, whatever
// mode a file already there had.
int OpenPrivate(const char* path) {
  int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return -1;
  if (fchmod(fd, 0600) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Writes the "Log start" line; the writer role is held and a file is open.
void WriteLogStart(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void WriteLogStart(const char* fmt, ...) {
  char fixed[512];
  LineBuffer line(fixed, sizeof fixed);
  va_list args;
  va_start(args, fmt);
  FormLine(line, LOG_LEVEL_TRACE, "log.c", "void start_log(const char*)", 119, fmt, args);
  va_end(args);
  WriteLocked(line);
}

// Opens path when no log is open, else "dranvel.log" in the working directory, and writes the
// "Log start" line; the writer role is held.
bool OpenLogLocked(const char* path) {
  if (g_fd >= 0) return true;
  g_fd = OpenPrivate(path);
  if (g_fd < 0) g_fd = OpenPrivate("dranvel.log");
  if (g_fd < 0) return false;
  WriteLogStart("Log start");
  return true;
}

// A line waiting for the writer; each thread has one, queued while its write_log waits.
enum : int { kQueued, kSleeping, kWritten };
struct QueuedLine {
  LineBuffer* line;
  QueuedLine* next;
  std::atomic<int> state;
};
thread_local QueuedLine t_queued{nullptr, nullptr, {kWritten}};
// Lines queued for the writer, the last queued first.
std::atomic<QueuedLine*> g_queue{nullptr};

// A writer gives the role up after this many rounds, so that no thread spends long writing the
// lines of others; a waiting thread then takes it.
constexpr int kWriterRounds = 8;
// A waiting thread looks this many times in a row, then this many times more letting other
// threads run in between (the writer among them, on a busy machine), before it sleeps; it
// sleeps this long at most before it looks whether the role is free.
constexpr int kSpins = 200;
constexpr int kYields = 50;
constexpr long kSleepNanoseconds = 100 * 1000;

bool TakeWriterRole() {
  return !g_writing.load(std::memory_order_relaxed) && !g_writing.exchange(true, std::memory_order_acquire);
}

void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

// Lines queued at the same moment go to the kernel together, in one writev(): each is in the
// file, whole and in order, before its thread goes on.
constexpr int kMostPerWrite = 64;

// Writes the queued lines, oldest first, marking each written; the writer role is held.
void WriteQueued(QueuedLine* newestFirst) {
  QueuedLine* oldestFirst = nullptr;
  while (newestFirst) {
    QueuedLine* next = newestFirst->next;
    newestFirst->next = oldestFirst;
    oldestFirst = newestFirst;
    newestFirst = next;
  }
  bool open = g_fd >= 0 || OpenLogLocked("dranvel.log");
  while (oldestFirst) {
    QueuedLine* lines[kMostPerWrite];
    struct iovec pieces[kMostPerWrite];
    int count = 0;
    for (; oldestFirst && count < kMostPerWrite; oldestFirst = oldestFirst->next, ++count) {
      lines[count] = oldestFirst;
      Scramble(*oldestFirst->line);
      pieces[count] = {oldestFirst->line->data(), oldestFirst->line->size()};
    }
    if (open) WriteAll(pieces, count);
    for (int i = 0; i < count; ++i) {
      // Once marked written, the line and its entry are its thread's again. (A sleeper that
      // woke by its time-out just then may be gone before the wake: the wake then reaches no
      // one, or another waiter on that word, which waits again when it finds nothing changed.)
      if (lines[i]->state.exchange(kWritten, std::memory_order_acq_rel) == kSleeping) {
        syscall(SYS_futex, &lines[i]->state, FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
      }
    }
  }
}

// Writes what is queued, for a few rounds, then gives the role up; the writer role is held. The
// role is given up with a plain store, which costs a line nothing: a line queued just then is
// seen by its own thread, which looks for the role while it waits (also after a sleep).
void WriteAndLetGo() {
  for (int round = 0; round < kWriterRounds && g_queue.load(std::memory_order_relaxed); ++round) {
    WriteQueued(g_queue.exchange(nullptr, std::memory_order_acquire));
  }
  g_writing.store(false, std::memory_order_release);
}

// Holds the writer role for something other than a line (opening the log, the test hook).
void LockWriter() {
  while (!TakeWriterRole()) sched_yield();
}

// Writes the line, or queues it and returns once it is written by the writer of the moment.
void WriteOrQueue(LineBuffer& line) {
  if (TakeWriterRole()) {
    // Lines queued meanwhile go after this one: they were not written yet either.
    if (g_fd >= 0 || OpenLogLocked("dranvel.log")) WriteLocked(line);
    WriteAndLetGo();
    return;
  }
  QueuedLine& me = t_queued;
  me.line = &line;
  me.state.store(kQueued, std::memory_order_relaxed);
  QueuedLine* head = g_queue.load(std::memory_order_relaxed);
  do {
    me.next = head;
  } while (!g_queue.compare_exchange_weak(head, &me, std::memory_order_seq_cst, std::memory_order_relaxed));

  for (int look = 0;; ++look) {
    if (me.state.load(std::memory_order_acquire) == kWritten) return;
    if (TakeWriterRole()) {
      WriteAndLetGo();
      continue;
    }
    if (look < kSpins) {
      CpuRelax();
      continue;
    }
    if (look < kSpins + kYields) {
      sched_yield();
      continue;
    }
    int expected = kQueued;
    if (me.state.load(std::memory_order_relaxed) == kSleeping ||
        me.state.compare_exchange_strong(expected, kSleeping, std::memory_order_acq_rel)) {
      struct timespec timeout = {0, kSleepNanoseconds};
      syscall(SYS_futex, &me.state, FUTEX_WAIT_PRIVATE, kSleeping, &timeout, nullptr, 0);
    }
  }
}

}  // namespace

void write_log(int level, const char* file, const char* function, int line, const char* fmt, ...) {
  LineBuffer text(t_buffer, sizeof t_buffer);
  va_list args;
  va_start(args, fmt);
  FormLine(text, level, file, function, line, fmt, args);
  va_end(args);
  WriteOrQueue(text);
}

void start_log(const char* path) {
  LockWriter();
  if (g_fd >= 0) {
    printf("Counter : %d\n", static_cast<int>(g_step));
    fflush(stdout);
  } else {
    OpenLogLocked(path ? path : "dranvel.log");
  }
  WriteAndLetGo();
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
  LockWriter();
  if (g_fd >= 0) ::close(g_fd);
  g_fd = -1;
  g_key = key;
  g_step = static_cast<uint32_t>(step);
  WriteAndLetGo();
}
