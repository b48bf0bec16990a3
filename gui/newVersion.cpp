#include "gui/newVersion.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "model/log.h"

namespace newversion {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::vector<std::string> Components(const std::string& version) {
  std::vector<std::string> parts;
  std::string::size_type start = 0;
  for (;;) {
    const auto dot = version.find('.', start);
    parts.push_back(version.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
    if (dot == std::string::npos) return parts;
    start = dot + 1;
  }
}

// One component: its leading number (without its leading zeros, so that it compares by length
// then by digits, whatever its size), then the rest.
int CompareComponent(const std::string& a, const std::string& b) {
  auto split = [](const std::string& c, std::string& number, std::string& rest) {
    std::string::size_type i = 0;
    while (i < c.size() && IsDigit(c[i])) ++i;
    std::string::size_type z = 0;
    while (z < i && c[z] == '0') ++z;
    number = c.substr(z, i - z);
    rest = c.substr(i);
  };
  std::string na, ra, nb, rb;
  split(a, na, ra);
  split(b, nb, rb);
  if (na.size() != nb.size()) return na.size() < nb.size() ? -1 : 1;
  if (const int c = na.compare(nb)) return c < 0 ? -1 : 1;
  if (const int c = ra.compare(rb)) return c < 0 ? -1 : 1;
  return 0;
}

}  // namespace

bool IsAcceptable(const std::string& version) {
  if (version.empty() || version.size() > 32 || !IsDigit(version[0])) return false;
  for (char c : version)
    if (!IsDigit(c) && !IsLetter(c) && c != '.') return false;
  return version.find("..") == std::string::npos && version.back() != '.';
}

int Compare(const std::string& a, const std::string& b) {
  const std::vector<std::string> pa = Components(a), pb = Components(b);
  for (size_t i = 0; i < pa.size() || i < pb.size(); ++i) {
    const std::string ca = i < pa.size() ? pa[i] : "0";
    const std::string cb = i < pb.size() ? pb[i] : "0";
    if (const int c = CompareComponent(ca, cb)) return c;
  }
  return 0;
}

bool IsNewer(const std::string& candidate, const std::string& current) {
  return IsAcceptable(candidate) && Compare(candidate, current) > 0;
}

std::string ArchiveName(const std::string& version) { return "parlavox_v" + version + "-linux-gtk.tar.bz2"; }

namespace {
std::string g_downloadBase;
}  // namespace

void SetDownloadBase(const std::string& base) { g_downloadBase = base; }

std::string DownloadAddress(const std::string& archiveName) {
  return (g_downloadBase.empty() ? std::string(PARLAVOX_WEBSITE) : g_downloadBase) + "download/" + archiveName;
}

std::string DownloadPageAddress() { return std::string(PARLAVOX_WEBSITE) + "download"; }

std::string TargetDirectory() {
  const char* home = getenv("HOME");
  if (home && *home) return std::string(home) + (home[strlen(home) - 1] == '/' ? "" : "/");
  TRACE_ERROR("No env variable for home.");
  if (const struct passwd* pw = getpwuid(getuid()))
    if (pw->pw_dir && *pw->pw_dir) return std::string(pw->pw_dir) + "/";
  return "/tmp/";
}

}  // namespace newversion
