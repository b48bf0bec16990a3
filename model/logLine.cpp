#include "model/logLine.h"

#include <pthread.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "model/log.h"

namespace logline {

namespace {

// The prefix and the message are each cut to this many bytes less one, "[...]" marking a cut.
constexpr size_t kPartLimit = 100000;
constexpr size_t kStampSize = 200;
const char kTruncated[] = "[...]";

// Per thread: the start of its last line (thread id, level and time stamp) with the second and
// the level it was formed for.
thread_local char t_head[256];
thread_local size_t t_headLength = 0;
thread_local time_t t_headSecond = -1;
thread_local int t_headLevel = 0;

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

}  // namespace

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

}  // namespace logline
