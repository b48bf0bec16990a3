// libFuzzer target: the settings file reader, on whatever bytes "parlavox.xml" holds. A file that
// loads must save, load again and save the same bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "model/config.h"
#include "model/configFile.h"
#include "model/log.h"

namespace {

std::string g_dir;

void RemoveDir() {
  unlink((g_dir + kConfigFileName).c_str());
  rmdir(g_dir.c_str());
}

// A user directory of its own, removed at exit; traces go nowhere.
const std::string& SettingsPath() {
  static const std::string path = [] {
    start_log("/dev/null");
    const char* tmp = getenv("TMPDIR");
    std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/parlavox-config-fuzz-XXXXXX";
    if (!mkdtemp(&dir[0])) abort();
    g_dir = dir + "/";
    atexit(RemoveDir);
    Config::SetUserPath(g_dir);
    return g_dir + kConfigFileName;
  }();
  return path;
}

bool WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = fwrite(data, 1, size, f) == size;
  return fclose(f) == 0 && ok;
}

std::string ReadFile(const std::string& path) {
  std::string bytes;
  if (FILE* f = fopen(path.c_str(), "rb")) {
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
    fclose(f);
  }
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = SettingsPath();
  if (!WriteFile(path, data, size)) abort();
  if (Config::Load()) {
    if (!Config::GetInstance()->Save()) __builtin_trap();
    const std::string first = ReadFile(path);
    if (!Config::Load() || !Config::GetInstance()->Save() || ReadFile(path) != first) __builtin_trap();
  }
  FreeReplacedConfigs();
  return 0;
}
