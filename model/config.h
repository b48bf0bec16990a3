// The process-wide settings object.
#ifndef PARLAVOX_MODEL_CONFIG_H
#define PARLAVOX_MODEL_CONFIG_H

#include <string>

class Config {
 public:
  static Config* GetInstance();

  // Data directory (read-only resources) and user directory (settings, log, images); both end in '/'.
  static void SetPath(const std::string& path);
  static std::string GetPath();
  static void SetUserPath(const std::string& path);
  static std::string GetUserPath();
  // The data directory's "img/" + name.
  static std::string GetImagePath(const std::string& name);

 private:
  Config();
};

#endif
