#include "gui/startup.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "model/config.h"
#include "model/log.h"

namespace startup {

std::string DataDirectory(const char* value, const std::string& installed) {
  if (value && *value) return std::string(value) + "/";
  return installed;
}

std::string ConfiguredDataDirectory() {
  return PARLAVOX_INSTALLED_DATA;
}

std::string InstalledDataDirectory(const std::string& programPath) {
  const std::string fromBin = PARLAVOX_DATA_FROM_BINDIR;
  const size_t slash = programPath.rfind('/');
  if (fromBin.empty() || slash == std::string::npos) return ConfiguredDataDirectory();
  const std::string candidate = programPath.substr(0, slash + 1) + fromBin;
  char resolved[PATH_MAX];
  struct stat info;
  if (!realpath(candidate.c_str(), resolved) || stat(resolved, &info) != 0 || !S_ISDIR(info.st_mode)) {
    return ConfiguredDataDirectory();
  }
  std::string dir = resolved;
  if (dir.back() != '/') dir += '/';
  return dir;
}

std::string ProgramPath() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return std::string();
  return std::string(path, static_cast<size_t>(length));
}

namespace {

std::string Describe(const std::string& path, int error) {
  return "Cannot use the directory " + path + " for Parlavox's settings: " + strerror(error) + ".";
}

}  // namespace

UserDirectory MakeUserDirectory(const char* home) {
  UserDirectory result;
  if (!home || !*home) {
    result.error = "Please configure your HOME environement variable!";
    return result;
  }
  result.path = std::string(home) + "/.parlavox/";
  const std::string dir = result.path.substr(0, result.path.size() - 1);
  if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
    result.error = Describe(dir, errno);
    return result;
  }
  struct stat info;
  if (stat(dir.c_str(), &info) != 0) {
    result.error = Describe(dir, errno);
    return result;
  }
  if (!S_ISDIR(info.st_mode)) {
    result.error = Describe(dir, ENOTDIR);
    return result;
  }
  // The directory holds the settings with the enciphered password: owner only.
  if ((info.st_mode & 077) != 0 && info.st_uid == geteuid()) chmod(dir.c_str(), 0700);
  if (access(dir.c_str(), R_OK | W_OK | X_OK) != 0) result.error = Describe(dir, errno);
  return result;
}

bool LoadSettings(StartupPrompter& prompter) {
  TRACE_INFO("Load config");
  while (!Config::Load()) {
    const std::string userDir = Config::GetUserPath();
    TRACE_INFO("File : %s", userDir.c_str());
    if (!prompter.AskSetAside(userDir)) {
      TRACE_INFO("OK");
      return false;
    }
    int error = 0;
    while (!Config::BackupSettingsFile(&error)) {
      if (!prompter.AskRetryBackup(strerror(error))) {
        TRACE_INFO("No retry");
        return false;
      }
    }
  }
  return true;
}

Placement PlaceMainWindow(int x, int y, int width, int height, int screenWidth, int screenHeight,
                          const std::function<bool(int, int)>& onScreen) {
  // The title bar's middle must be on some display, or the window could never be reached.
  if (x != -1 && onScreen(x + width / 2, y + 10)) return {x, y, width, height};
  return {(screenWidth - width) / 2, (screenHeight - height) / 2, width, height};
}

}  // namespace startup
