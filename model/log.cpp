#include "model/log.h"

#include <fcntl.h>
#include <linux/futex.h>
#include <pthread.h>
#include <sched.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <ctime>

#include "model/logFile.h"
#include "model/logLine.h"
#include "model/logStream.h"

// Each line is formed by its own thread, in a buffer of that thread, without any lock. Writing
// is one thread's at a time (the writer role): it scrambles the line (the rolling key follows
// the file's byte order) and writes it. A thread that finds the role taken queues its line and
// waits until the writer has written it; the lines queued while a write was under way go to the
// kernel together, in order, in one write(). Either way every line is in the file, whole, when
// its write_log returns, and under contention the writing stays with one thread instead of a
// lock being handed from core to core for every line.
//
// The main thread (the GUI thread) is the exception: a window must not freeze while the disk is
// slow or while the thread that holds the writer role waits for a processor. It hands a copy of
// its line over, in the same queue, and goes on; the log's own writer thread (or whichever
// thread holds the role) writes it. Should handed lines pile up past a bound, the main thread
// waits as the others do.
//
// A log that is no regular file (a named pipe, a terminal) is a stream, whose writes never wait
// long (logStream.h): the lines it cannot take are dropped and counted, so that no thread waits
// behind a reader that stopped reading, and the first line it takes again says how many.

namespace {

using logline::LineBuffer;

constexpr size_t kStampSize = 200;
constexpr size_t kThreadBufferSize = 2048;

// The writer role; g_fd, g_path, g_size, g_key and g_step change only under it.
std::atomic<bool> g_writing{false};
int g_fd = -1;
// The open file's path, whether it is a regular file, and how many bytes it holds: past the
// bound a regular file starts over, and the previous one is kept beside it as "<path>.1". The
// path is no object with a destructor: threads may still trace while the program's statics go.
char g_path[4096];
bool g_regular = false;
size_t g_size = 0;
// The size of the file with its "Log start" line alone.
size_t g_startSize = 0;
size_t g_sizeLimit = LOG_DEFAULT_SIZE_LIMIT;
// Unsigned so that it wraps; only its low byte reaches the file.
uint32_t g_key = LOG_KEY_START;
// Drawn once before main from the unseeded generator.
uint32_t g_step = static_cast<uint32_t>(rand() % 10 + 1);

// Per thread: the buffer a line is formed in while it fits.
thread_local char t_buffer[kThreadBufferSize];

// Multiples of the step, modulo 256: only the key's low byte reaches the file, and it comes
// back to its value every 256 bytes. Made again when the step changes.
unsigned char g_stepMultiples[256];
uint32_t g_stepOfMultiples = 0;

// Scrambles n bytes of `from` into `to` (the same place, or another); the writer role is held.
void ScrambleInto(unsigned char* to, const unsigned char* from, size_t n) {
  if (g_stepOfMultiples != g_step) {
    for (unsigned i = 0; i < 256; ++i) g_stepMultiples[i] = static_cast<unsigned char>(i * g_step);
    g_stepOfMultiples = g_step;
  }
  const unsigned char* __restrict multiples = g_stepMultiples;
  for (size_t done = 0; done < n; done += 256) {
    const unsigned char key = static_cast<unsigned char>(g_key + static_cast<uint32_t>(done) * g_step);
    const size_t chunk = std::min<size_t>(256, n - done);
    for (size_t i = 0; i < chunk; ++i) to[done + i] = static_cast<unsigned char>(from[done + i] + key + multiples[i]);
  }
  g_key += static_cast<uint32_t>(n) * g_step;
}

// Scrambles the line in place; the writer role is held.
void Scramble(LineBuffer& line) {
  unsigned char* bytes = reinterpret_cast<unsigned char*>(line.data());
  ScrambleInto(bytes, bytes, line.size());
}

// The log when it is no regular file; its state changes only under the writer role.
logstream::Stream g_stream;

// Writes the bytes, all of them, with as few calls as the kernel allows, and returns how many
// reached the file: fewer when the disk is full or the file may grow no further, or when a
// stream could not take them in time. Output errors are not reported (the lines are lost). The
// writer role is held and a file is open.
size_t WriteAll(const char* bytes, size_t size) {
  if (!g_regular) return g_stream.Write(g_fd, bytes, size);
  size_t done = 0;
  while (done < size) {
    ssize_t written = ::write(g_fd, bytes + done, size - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) break;
    done += static_cast<size_t>(written);
  }
  return done;
}

// Brings the key and the size in step with the file after a write of `wanted` bytes scrambled
// from `keyBefore` on, of which `written` reached it; their first `whole` bytes are whole lines.
// The key of every byte is that of its place in the file, so lines that the disk refused must
// not move it: a reader replays the bytes that are there, and would read every later line with
// a wrong key. A line the disk cut short is lost, and so is the part of it that was written: a
// regular file is cut back to the end of the last whole line, where the next line starts. When
// it cannot be cut, the key follows the bytes left in it (the next line then runs on after
// them, and still reads).
void KeepInStep(uint32_t keyBefore, size_t wanted, size_t written, size_t whole) {
  if (written == wanted) {
    g_size += written;
    return;
  }
  size_t kept = written;
  if (g_regular && written > whole) {
    const off_t end = static_cast<off_t>(g_size + whole);
    if (::ftruncate(g_fd, end) == 0 && ::lseek(g_fd, end, SEEK_SET) == end) kept = whole;
  }
  g_size += kept;
  g_key = keyBefore + static_cast<uint32_t>(kept) * g_step;
}

// The same for a stream, which cannot be cut back: of the `wanted` bytes at `bytes`, scrambled
// from `keyBefore` on, `written` went, and the lines begun among them end at `begun`. The rest of
// the last of those is owed to the stream; the lines after it are dropped (the caller counts
// them). The writer role is held and a stream is open.
void KeepStreamInStep(uint32_t keyBefore, const char* bytes, size_t wanted, size_t written, size_t begun) {
  size_t kept = begun;
  // Without the memory to keep the rest in, the key follows the bytes the stream holds, and the
  // next line runs on after them.
  if (written < begun && !g_stream.Owe(bytes + written, begun - written)) kept = written;
  g_size += kept;
  if (kept != wanted) g_key = keyBefore + static_cast<uint32_t>(kept) * g_step;
}

// Forms a line as write_log does, for the log's own lines.
void FormOwnLine(LineBuffer& line, int level, const char* file, const char* function, int at, const char* fmt, ...)
    __attribute__((format(printf, 6, 7)));
void FormOwnLine(LineBuffer& line, int level, const char* file, const char* function, int at, const char* fmt, ...) {
  va_list args;
  va_start(args, fmt);
  logline::FormLine(line, level, file, function, at, fmt, args);
  va_end(args);
}

// Whether the stream may be given new lines now: first it gets the rest of a line it was given
// a part of, then the line that says how many it could not take, if any. The writer role is held
// and a stream is open.
bool StreamTakesLines() {
  if (!g_stream.PayOwed(g_fd)) return false;
  const size_t dropped = g_stream.Dropped();
  if (dropped == 0) return true;
  char fixed[512];
  LineBuffer line(fixed, sizeof fixed);
  FormOwnLine(line, LOG_LEVEL_ERROR, __FILE_NAME__, __PRETTY_FUNCTION__, __LINE__,
              "%zu lines dropped: the log could not take them", dropped);
  const uint32_t keyBefore = g_key;
  Scramble(line);
  const size_t written = g_stream.Write(g_fd, line.data(), line.size());
  KeepStreamInStep(keyBefore, line.data(), line.size(), written, written > 0 ? line.size() : 0);
  if (written > 0) g_stream.ClearDropped();
  return written == line.size();
}

// Scrambles the line and writes it; the writer role is held and a file is open. A stream that
// cannot take it drops it.
void WriteLocked(LineBuffer& line) {
  if (!g_regular && !StreamTakesLines()) return g_stream.Drop(1);
  const uint32_t keyBefore = g_key;
  Scramble(line);
  const size_t written = WriteAll(line.data(), line.size());
  if (g_regular) return KeepInStep(keyBefore, line.size(), written, 0);
  KeepStreamInStep(keyBefore, line.data(), line.size(), written, written > 0 ? line.size() : 0);
  if (written == 0) g_stream.Drop(1);
}

// The name the full file is kept under when the log starts over.
void KeptFileName(char (&name)[sizeof g_path + 2]) { snprintf(name, sizeof name, "%s.1", g_path); }

// Makes the file an earlier run kept, when there is one, readable by its owner only.
void MakeKeptFilePrivate() {
  char kept[sizeof g_path + 2];
  KeptFileName(kept);
  // Without waiting for a writer, should a named pipe stand there.
  int fd = ::open(kept, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return;
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) (void)fchmod(fd, 0600);
  ::close(fd);
}

// Writes the "Log start" line; the writer role is held and a file is open.
void WriteLogStart(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void WriteLogStart(const char* fmt, ...) {
  char fixed[512];
  LineBuffer line(fixed, sizeof fixed);
  va_list args;
  va_start(args, fmt);
  logline::FormLine(line, LOG_LEVEL_TRACE, "log.c", "void start_log(const char*)", 119, fmt, args);
  va_end(args);
  WriteLocked(line);
}

// Opens path when no log is open, else "dranvel.log" in the working directory, and writes the
// "Log start" line; the writer role is held.
bool OpenLogLocked(const char* path) {
  if (g_fd >= 0) return true;
  if (snprintf(g_path, sizeof g_path, "%s", path) < static_cast<int>(sizeof g_path)) g_fd = logfile::Open(g_path, &g_regular);
  if (g_fd < 0) {
    snprintf(g_path, sizeof g_path, "%s", "dranvel.log");
    g_fd = logfile::Open(g_path, &g_regular);
  }
  if (g_fd < 0) return false;
  if (g_regular) MakeKeptFilePrivate();
  g_stream.Reset();
  g_size = 0;
  WriteLogStart("Log start");
  g_startSize = g_size;
  return true;
}

// Keeps the full file as "<path>.1" (replacing an older one) and starts the log over in a new
// file, scrambled from the start key like any log so that it reads on its own; the writer role
// is held and a file is open. When no new file can be made, the next line opens a log as when
// none was ever opened.
void StartOver() {
  ::close(g_fd);
  g_fd = -1;
  char kept[sizeof g_path + 2];
  KeptFileName(kept);
  struct stat st;
  if (lstat(g_path, &st) == 0 && S_ISREG(st.st_mode)) (void)::rename(g_path, kept);
  g_key = LOG_KEY_START;
  g_fd = logfile::Open(g_path, &g_regular);
  g_stream.Reset();
  g_size = 0;
  if (g_fd >= 0) WriteLogStart("Log start");
  g_startSize = g_size;
}

// True when a line of `bytes` would take the open file past its bound; a file that holds no
// more than its first line takes any line, however long.
// `ahead` are bytes of a batch about to be written before the line.
bool Overflows(size_t bytes, size_t ahead = 0) {
  const size_t size = g_size + ahead;
  return g_regular && size > g_startSize && size + bytes > g_sizeLimit;
}

// A line waiting for the writer; each thread has one, queued while its write_log waits, and a
// line the main thread handed over is one too (`handed`: nobody waits for it, the writer frees it).
enum : int { kQueued, kSleeping, kWritten };
struct QueuedLine {
  LineBuffer* line;
  QueuedLine* next;
  std::atomic<int> state;
  bool handed;
};
thread_local QueuedLine t_queued{nullptr, nullptr, {kWritten}, false};

// A copy of a line that the main thread handed over. Once written it goes back to the main
// thread, which copies its next line into it: the writer frees nothing, so that it never
// contends with the main thread for the allocator's lock, line after line.
constexpr size_t kHandedLineBytes = 256;
struct HandedLine : QueuedLine {
  HandedLine() : QueuedLine{nullptr, nullptr, {kQueued}, true}, copy(bytes, sizeof bytes) { line = &copy; }
  void Take(LineBuffer& from) {
    state.store(kQueued, std::memory_order_relaxed);
    next = nullptr;
    copy.Truncate(0);
    copy.Append(from.data(), from.size());
  }
  char bytes[kHandedLineBytes];
  LineBuffer copy;
};

// The bytes handed over and not written yet, and the most there may be before the main thread
// waits like the others.
std::atomic<size_t> g_handedBytes{0};
constexpr size_t kMostHandedBytes = size_t(4) << 20;
// Lines queued for the writer, the last queued first.
std::atomic<QueuedLine*> g_queue{nullptr};
// Handed lines written, the last written first, on their way back to the main thread; and those
// the main thread holds for its next lines (its own, linked by `next`). It keeps at most
// kMostSpareLines, enough for a burst's worth of lines between two rounds of the writer: the
// copies a longer burst made are freed as soon as the main thread takes them back, at its next
// line or when it flushes the log, so that they do not stay allocated after the burst.
std::atomic<QueuedLine*> g_written{nullptr};
QueuedLine* g_spare = nullptr;
size_t g_spareCount = 0;
constexpr size_t kMostSpareLines = 1024;

// A writer gives the role up after this many rounds, so that no thread spends long writing the
// lines of others; a waiting thread then takes it.
constexpr int kWriterRounds = 8;
// A waiting thread looks this many times in a row (a few microseconds: a write or two), then
// sleeps until its line is written, or this long at most before it looks whether the role is
// free. It never calls sched_yield(): that is a system call per look, and on a busy machine it
// hands the processor to another program for a whole time slice, while its line was written.
constexpr int kSpins = 200;
constexpr long kSleepNanoseconds = 100 * 1000;

bool TakeWriterRole() {
  return !g_writing.load(std::memory_order_relaxed) && !g_writing.exchange(true, std::memory_order_acquire);
}

void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#endif
}

// Lines queued at the same moment go to the kernel together, in one write(): each is in the
// file, whole and in order, before its thread goes on. The writer scrambles them into a buffer of
// its own rather than in their threads' buffers: those stay in their own cores' caches, where
// their threads form their next lines, instead of travelling to the writer and back for every
// line. A line too long for the buffer is scrambled where it is and written by itself.
constexpr int kMostPerWrite = 64;
unsigned char g_batch[size_t(64) << 10];

// The handed lines of one write go back to the main thread together, newest first, and their
// bytes leave the count at once: one change to each word the main thread reads at every line,
// not one a line, so that its core keeps those words while the writer works through a burst.
struct GivenBack {
  QueuedLine* first = nullptr;
  QueuedLine* last = nullptr;
  size_t bytes = 0;

  void Add(QueuedLine* line) {
    line->next = first;
    first = line;
    if (!last) last = line;
    bytes += line->line->size();
  }
  void Hand() {
    if (!first) return;
    g_handedBytes.fetch_sub(bytes, std::memory_order_relaxed);
    QueuedLine* head = g_written.load(std::memory_order_relaxed);
    do {
      last->next = head;
    } while (!g_written.compare_exchange_weak(head, first, std::memory_order_release, std::memory_order_relaxed));
    *this = GivenBack();
  }
};

// The threads found asleep when their lines were marked written: they are woken once the role is
// given up, so that the next writer does not wait behind those system calls.
struct Sleepers {
  static constexpr int kMost = kMostPerWrite;
  std::atomic<int>* words[kMost];
  int count = 0;

  void Add(std::atomic<int>* word) {
    if (count == kMost) Wake();
    words[count++] = word;
  }
  // (A sleeper that woke by its time-out meanwhile may be gone: the wake then reaches no one, or
  // another waiter on that word, which waits again when it finds nothing changed.)
  void Wake() {
    for (int i = 0; i < count; ++i) syscall(SYS_futex, words[i], FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
    count = 0;
  }
};

// Scrambles the first of the `available` lines, oldest first, into the writer's buffer (or, for
// one line too long for it, where the line is): at most kMostPerWrite, and none past the file's
// bound but the first (the file starts over before it). Their number; what to write is `*bytes`
// bytes at `*start`. The writer role is held.
int Batch(QueuedLine* const* lines, int available, bool& open, const char** start, size_t* bytes) {
  int count = 0;
  *bytes = 0;
  *start = reinterpret_cast<const char*>(g_batch);
  for (; count < available && count < kMostPerWrite; ++count) {
    LineBuffer& line = *lines[count]->line;
    // A line that does not fit waits for the next round, which starts the file over.
    if (open && Overflows(line.size(), *bytes)) {
      if (count > 0) break;
      StartOver();
      open = g_fd >= 0;
    }
    if (*bytes + line.size() > sizeof g_batch) {
      if (count > 0) break;
      Scramble(line);
      *start = line.data();
      *bytes = line.size();
      return 1;
    }
    ScrambleInto(g_batch + *bytes, reinterpret_cast<const unsigned char*>(line.data()), line.size());
    *bytes += line.size();
  }
  return count;
}

// How many of the first `written` bytes of a batch of these lines are whole lines.
size_t WholeLines(QueuedLine* const* lines, int count, size_t written) {
  size_t whole = 0;
  for (int i = 0; i < count && whole + lines[i]->line->size() <= written; ++i) whole += lines[i]->line->size();
  return whole;
}

// How many of a batch of these lines the first `written` bytes begin (whole or in part); the
// bytes of those lines go to `*begun`.
int LinesBegun(QueuedLine* const* lines, int count, size_t written, size_t* begun) {
  int i = 0;
  for (*begun = 0; i < count && *begun < written; ++i) *begun += lines[i]->line->size();
  return i;
}

// Marks the lines written (or dropped): those handed over go back to the main thread, the others'
// threads go on.
void MarkWritten(QueuedLine* const* lines, int count, Sleepers& sleepers) {
  GivenBack given;
  for (int i = 0; i < count; ++i) {
    if (lines[i]->handed) {
      given.Add(lines[i]);
      continue;
    }
    // Once marked written, the line and its entry are its thread's again.
    if (lines[i]->state.exchange(kWritten, std::memory_order_acq_rel) == kSleeping) sleepers.Add(&lines[i]->state);
  }
  given.Hand();
}

// Writes the lines, oldest first, marking each written; the writer role is held. Those a stream
// cannot take are dropped, unscrambled, and counted.
void WriteInOrder(QueuedLine* const* lines, int count, bool& open, Sleepers& sleepers) {
  for (int done = 0, taken = 0; done < count; done += taken) {
    if (open && !g_regular && !StreamTakesLines()) {
      taken = count - done;
      g_stream.Drop(static_cast<size_t>(taken));
      MarkWritten(lines + done, taken, sleepers);
      continue;
    }
    const char* start = nullptr;
    size_t bytes = 0;
    taken = Batch(lines + done, count - done, open, &start, &bytes);
    // The key the batch's first byte was scrambled with (after the file started over, if it did).
    const uint32_t keyBefore = g_key - static_cast<uint32_t>(bytes) * g_step;
    const size_t written = open ? WriteAll(start, bytes) : 0;
    if (!open || g_regular) {
      KeepInStep(keyBefore, bytes, written, written == bytes ? bytes : WholeLines(lines + done, taken, written));
    } else {
      size_t begun = 0;
      const int begunLines = LinesBegun(lines + done, taken, written, &begun);
      KeepStreamInStep(keyBefore, start, bytes, written, begun);
      g_stream.Drop(static_cast<size_t>(taken - begunLines));
    }
    MarkWritten(lines + done, taken, sleepers);
  }
}

// Writes the queued lines, oldest first; the writer role is held. A waiting thread looks at its
// entry all the while, so the entries are read in their order, never written to, until marked
// written: each write would take the entry's memory away from that thread's core, and the
// thread's next look would fetch it back. Only a list too long for that (lines the main thread
// handed over, which nobody waits for) is turned round in place.
void WriteQueued(QueuedLine* newestFirst, Sleepers& sleepers) {
  constexpr int kInOrder = 256;
  QueuedLine* inOrder[kInOrder];
  int count = 0;
  for (QueuedLine* entry = newestFirst; entry && count <= kInOrder; entry = entry->next) ++count;
  QueuedLine* oldestFirst = nullptr;
  if (count > kInOrder) {
    while (newestFirst) {
      QueuedLine* next = newestFirst->next;
      newestFirst->next = oldestFirst;
      oldestFirst = newestFirst;
      newestFirst = next;
    }
  } else {
    for (int i = count; newestFirst; newestFirst = newestFirst->next) inOrder[--i] = newestFirst;
  }
  bool open = g_fd >= 0 || OpenLogLocked("dranvel.log");
  for (;;) {
    // The next entry is read before any of these is marked written, which gives it back.
    if (oldestFirst) {
      for (count = 0; oldestFirst && count < kInOrder; oldestFirst = oldestFirst->next) inOrder[count++] = oldestFirst;
    }
    WriteInOrder(inOrder, count, open, sleepers);
    if (!oldestFirst) return;
  }
}

// Writes what is queued, for a few rounds, then gives the role up; the writer role is held. The
// role is given up with a plain store, which costs a line nothing: a line queued just then is
// seen by its own thread, which looks for the role while it waits (also after a sleep).
void WriteAndLetGo() {
  Sleepers sleepers;
  for (int round = 0; round < kWriterRounds && g_queue.load(std::memory_order_relaxed); ++round) {
    WriteQueued(g_queue.exchange(nullptr, std::memory_order_acquire), sleepers);
  }
  g_writing.store(false, std::memory_order_release);
  sleepers.Wake();
}

// Holds the writer role for something other than a line (opening the log, the test hook).
void LockWriter() {
  while (!TakeWriterRole()) sched_yield();
}

// The log's own writer thread: it writes what the main thread hands over, and sleeps on
// g_wakeWord while nothing is queued. It never looks on without sleeping: right after lines it
// naps a millisecond at a time, and lines handed over meanwhile wait for the end of the nap
// unless a batch piled up; after a quiet spell it sleeps, with no time-out, until the next line
// or the log's end wakes it. So a burst costs the main thread one wake-up per batch, not one per
// line, and a program at rest no wake-up of the writer at all.
enum : int { kWriterBusy, kWriterNapping, kWriterAsleep };
std::atomic<uint32_t> g_wakeWord{0};
std::atomic<int> g_writerState{kWriterBusy};
std::once_flag g_writerStarted;
// Set by log_end: the writer stops once nothing is queued, and the main thread writes its own
// lines from then on. The thread is kept by pointer: no destructor of the log runs at the end.
std::atomic<bool> g_writerEnding{false};
std::thread* g_writerThread = nullptr;
constexpr long kWriterNapNanoseconds = 1000 * 1000;
// Naps in a row without a line before the writer sleeps for good.
constexpr int kNapsBeforeSleep = 20;
// Bytes handed over to a napping writer before the main thread wakes it.
constexpr size_t kBatchBytes = size_t(16) << 10;

// Waits on g_wakeWord as `state` says (asleep: until woken), unless a line was queued or the
// end came meanwhile. Whoever queues a line after the state is set sees it and wakes the writer
// (HandOver), and log_end wakes it after setting the end: a wake that came after `seen` was read
// changed the word, and the wait returns at once.
void WaitForLines(int state) {
  const uint32_t seen = g_wakeWord.load(std::memory_order_seq_cst);
  g_writerState.store(state, std::memory_order_seq_cst);
  if (!g_queue.load(std::memory_order_seq_cst) && !g_writerEnding.load(std::memory_order_seq_cst)) {
    struct timespec nap = {0, kWriterNapNanoseconds};
    syscall(SYS_futex, &g_wakeWord, FUTEX_WAIT_PRIVATE, seen, state == kWriterNapping ? &nap : nullptr, nullptr, 0);
  }
  g_writerState.store(kWriterBusy, std::memory_order_seq_cst);
}

void RunWriter() {
  // Named for whoever looks at the program's threads (a debugger, top, /proc).
  pthread_setname_np(pthread_self(), "trace log");
  int quietNaps = kNapsBeforeSleep;
  for (;;) {
    if (g_queue.load(std::memory_order_acquire)) {
      quietNaps = 0;
      if (TakeWriterRole()) {
        WriteAndLetGo();
      } else {
        // Another thread writes, the queued lines among others; it may be stuck in the kernel.
        struct timespec pause = {0, kSleepNanoseconds};
        nanosleep(&pause, nullptr);
      }
      continue;
    }
    if (g_writerEnding.load(std::memory_order_acquire)) return;
    if (quietNaps < kNapsBeforeSleep) {
      ++quietNaps;
      WaitForLines(kWriterNapping);
    } else {
      WaitForLines(kWriterAsleep);
    }
  }
}

void StartWriter() {
  // Joined by log_end, at the program's end or at the latest when the process exits.
  g_writerThread = new std::thread(RunWriter);
  std::atexit(log_end);
}

void WakeWriter() {
  g_wakeWord.fetch_add(1, std::memory_order_seq_cst);
  syscall(SYS_futex, &g_wakeWord, FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}

bool IsMainThread() {
  thread_local const bool main = syscall(SYS_gettid) == getpid();
  return main;
}

void Push(QueuedLine& entry) {
  QueuedLine* head = g_queue.load(std::memory_order_relaxed);
  do {
    entry.next = head;
  } while (!g_queue.compare_exchange_weak(head, &entry, std::memory_order_seq_cst, std::memory_order_relaxed));
}

// Takes the handed lines written since the main thread last looked into those it keeps, and
// frees those past what it keeps here, on the thread that made them. Main thread only.
void TakeWrittenBack() {
  if (!g_written.load(std::memory_order_relaxed)) return;
  QueuedLine* written = g_written.exchange(nullptr, std::memory_order_acquire);
  while (written) {
    QueuedLine* next = written->next;
    // One that had to grow for a long line is not kept with its large buffer.
    const LineBuffer& copy = static_cast<HandedLine*>(written)->copy;
    if (g_spareCount < kMostSpareLines && copy.size() + copy.room() <= kHandedLineBytes) {
      written->next = g_spare;
      g_spare = written;
      ++g_spareCount;
    } else {
      delete static_cast<HandedLine*>(written);
    }
    written = next;
  }
}

// A handed line for the main thread's next line: one it keeps (after taking back those written
// since it last looked), else a new one.
HandedLine* SpareLine() {
  TakeWrittenBack();
  if (!g_spare) return new HandedLine;
  HandedLine* spare = static_cast<HandedLine*>(g_spare);
  g_spare = spare->next;
  --g_spareCount;
  return spare;
}

// Hands a copy of the line to the writer; false when too much waits already. An asleep writer is
// woken once, and a napping one once a batch waits: the lines handed over until it runs again
// find it awake.
bool HandOver(LineBuffer& line) {
  if (g_writerEnding.load(std::memory_order_acquire)) return false;
  if (g_handedBytes.load(std::memory_order_relaxed) + line.size() > kMostHandedBytes) return false;
  std::call_once(g_writerStarted, StartWriter);
  g_handedBytes.fetch_add(line.size(), std::memory_order_relaxed);
  HandedLine* handed = SpareLine();
  handed->Take(line);
  Push(*handed);
  const int state = g_writerState.load(std::memory_order_seq_cst);
  if (state == kWriterBusy) return true;
  if (state == kWriterNapping && g_handedBytes.load(std::memory_order_relaxed) < kBatchBytes) return true;
  int expected = state;
  if (g_writerState.compare_exchange_strong(expected, kWriterBusy, std::memory_order_seq_cst)) WakeWriter();
  return true;
}

// Writes the line, or queues it and returns once it is written by the writer of the moment.
void WriteOrQueue(LineBuffer& line) {
  if (IsMainThread() && HandOver(line)) return;
  // With lines queued (the main thread's, handed over, are older than this one), this one
  // queues behind them.
  if (g_queue.load(std::memory_order_relaxed) == nullptr && TakeWriterRole()) {
    // Lines queued meanwhile go after this one: they were not written yet either.
    if (g_fd >= 0 || OpenLogLocked("dranvel.log")) {
      if (Overflows(line.size())) StartOver();
      if (g_fd >= 0) WriteLocked(line);
    }
    WriteAndLetGo();
    return;
  }
  QueuedLine& me = t_queued;
  me.line = &line;
  me.state.store(kQueued, std::memory_order_relaxed);
  Push(me);

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
  logline::FormLine(text, level, file, function, line, fmt, args);
  va_end(args);
  WriteOrQueue(text);
}

void log_flush() {
  // Whoever holds the role writes what is queued; a line taken off the queue is written once
  // the role is free again.
  while (g_queue.load(std::memory_order_acquire)) {
    if (TakeWriterRole()) WriteAndLetGo();
    else sched_yield();
  }
  LockWriter();
  // A stream gets the rest of a line it took a part of, and the count of the lines it could not
  // take, if it has room for them now.
  if (g_fd >= 0 && !g_regular) StreamTakesLines();
  g_writing.store(false, std::memory_order_release);
  // Every line handed over is written and back: the copies past those kept go now.
  if (IsMainThread()) TakeWrittenBack();
}

void log_end() {
  // Lines and hand-overs come from the main thread only, so after this nothing is handed over.
  if (!IsMainThread()) return log_flush();
  g_writerEnding.store(true, std::memory_order_seq_cst);
  if (g_writerThread) {
    WakeWriter();
    g_writerThread->join();
    delete g_writerThread;
    g_writerThread = nullptr;
  }
  log_flush();
}

void start_log(const char* path) {
  // Lines handed over before are written first, where they would have gone.
  log_flush();
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
  log_flush();
  LockWriter();
  if (g_fd >= 0) ::close(g_fd);
  g_fd = -1;
  g_key = key;
  g_step = static_cast<uint32_t>(step);
  g_sizeLimit = LOG_DEFAULT_SIZE_LIMIT;
  WriteAndLetGo();
}

void log_set_size_limit_for_testing(size_t bytes) {
  LockWriter();
  g_sizeLimit = bytes;
  WriteAndLetGo();
}
