// The questions and the error of start-up, asked with message boxes (and the error also
// written on the error stream, for a program started from a terminal).
#ifndef PARLAVOX_GUI_STARTUPPROMPTER_H
#define PARLAVOX_GUI_STARTUPPROMPTER_H

#include "gui/startup.h"

class DialogStartupPrompter : public startup::StartupPrompter {
 public:
  void ShowError(const std::string& text) override;
  bool AskSetAside(const std::string& userDir) override;
  bool AskRetryBackup(const std::string& reason) override;
};

#endif
