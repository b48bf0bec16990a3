// The preferences that the preferences window stores in the settings, taken as one value: the
// window keeps what the settings held before its Save and puts it back when the settings file
// cannot be written, so that a failed save changes nothing.
#ifndef PARLAVOX_GUI_STOREDPREFERENCES_H
#define PARLAVOX_GUI_STOREDPREFERENCES_H

#include <string>

#include "model/contactInfo.h"

class Config;

struct StoredPreferences {
  int noActivity = 0;
  std::string proxyHost;
  unsigned short proxyPort = 0;
  t_status defaultStatus = STATUS_ONLINE;
  bool rememberClose = false;
  bool close = false;
  bool visibleOnStart = true;
  bool retryOnFailure = false;
  bool proxy = false;
  bool alwaysTop = false;
  bool autoConnect = false;
  int filePort = 0;

  static StoredPreferences From(const Config& config);
  void StoreInto(Config& config) const;
};

#endif
