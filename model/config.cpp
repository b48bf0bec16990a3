#include "model/config.h"

#include <mutex>

#include "model/log.h"

namespace {
std::mutex g_pathMutex;
std::string g_dataPath;
std::string g_userPath;
Config* g_instance = nullptr;
}  // namespace

Config::Config() {}

Config* Config::GetInstance() {
  if (!g_instance) g_instance = new Config;
  return g_instance;
}

void Config::SetPath(const std::string& path) {
  TRACE_START_ARGS("%s", path.c_str());
  std::lock_guard<std::mutex> lock(g_pathMutex);
  g_dataPath = path;
}

std::string Config::GetPath() {
  std::lock_guard<std::mutex> lock(g_pathMutex);
  return g_dataPath;
}

void Config::SetUserPath(const std::string& path) {
  TRACE_START_ARGS("%s", path.c_str());
  std::lock_guard<std::mutex> lock(g_pathMutex);
  g_userPath = path;
}

std::string Config::GetUserPath() {
  std::lock_guard<std::mutex> lock(g_pathMutex);
  return g_userPath;
}

std::string Config::GetImagePath(const std::string& name) { return GetPath() + "img/" + name; }
