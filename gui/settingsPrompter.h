// The questions of start-up asked with message boxes: a settings file that cannot be read,
// and a backup that cannot be made.
#ifndef PARLAVOX_GUI_SETTINGSPROMPTER_H
#define PARLAVOX_GUI_SETTINGSPROMPTER_H

#include "gui/startup.h"

class DialogSettingsPrompter : public startup::SettingsPrompter {
 public:
  bool AskSetAside(const std::string& userDir) override;
  bool AskRetryBackup(const std::string& reason) override;
};

#endif
