#include "model/stringConversion.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

wxString std2wx(const std::string& s) {
  // Stop at the first NUL as the C string would.
  size_t len = strnlen(s.data(), s.size());
  if (len == 0) return wxString();
  return wxString::FromUTF8(s.data(), len);
}

std::string wx2std(const wxString& s) {
  if (s.empty()) return std::string();
  wxScopedCharBuffer buf = s.utf8_str();
  if (!buf.data()) return std::string();
  return std::string(buf.data(), buf.length());
}

std::string IntToString(int n) {
  char buf[16];
  snprintf(buf, sizeof buf, "%d", n);
  return buf;
}

std::string ULongToString(unsigned long n) {
  char buf[32];
  snprintf(buf, sizeof buf, "%lu", n);
  return buf;
}

int StringToInt(const std::string& s) {
  const char* p = s.c_str();
  char* end = nullptr;
  errno = 0;
  long v = strtol(p, &end, 10);
  if (end == p) return 0;
  if (errno == ERANGE || v > 2147483647L || v < -2147483647L - 1) return 0;
  return static_cast<int>(v);
}

char AsciiToUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

char AsciiToLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string AsciiLower(const std::string& s) {
  std::string r(s);
  for (char& c : r) c = AsciiToLower(c);
  return r;
}

int CompareNoCase(const std::string& a, const std::string& b) {
  size_t common = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < common; ++i) {
    int ca = static_cast<signed char>(AsciiToUpper(a[i]));
    int cb = static_cast<signed char>(AsciiToUpper(b[i]));
    if (ca != cb) return ca > cb ? 1 : -1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}
