// The decisions of the program's start-up that need no window: where the data and the user's
// files live, setting aside a settings file that cannot be read, and where the main window
// opens. The application object calls them in order; tests call them directly.
#ifndef PARLAVOX_GUI_STARTUP_H
#define PARLAVOX_GUI_STARTUP_H

#include <functional>
#include <string>

namespace startup {

// The data directory from the value of PARLAVOX_DATA, with a '/' always appended; null or
// empty: `installed`.
std::string DataDirectory(const char* value, const std::string& installed);

// Where an installed program finds its data: for a program in "<prefix>/bin/", the directory
// "<prefix>/share/parlavox/" when it exists, whatever prefix it was installed under; else the
// one of the prefix the build was configured with.
std::string InstalledDataDirectory(const std::string& programPath);
std::string ConfiguredDataDirectory();

// The running program's own path (links resolved); empty when the system does not tell.
std::string ProgramPath();

// The user directory "<home>/.parlavox/", created with mode 0700 (and narrowed to 0700 when
// it exists with wider access). On failure `error` says why, in words for the user, and
// nothing has been written anywhere.
struct UserDirectory {
  std::string path;
  std::string error;
};
UserDirectory MakeUserDirectory(const char* home);

// What start-up asks of the user, and how it tells why it cannot go on.
class StartupPrompter {
 public:
  virtual ~StartupPrompter() {}
  // Start-up cannot go on: say why (the program then ends).
  virtual void ShowError(const std::string& text) = 0;
  // The file "<userDir>parlavox.xml" is too old or corrupted: set it aside and start afresh?
  // Only a clear yes agrees: a question closed unanswered is a no.
  virtual bool AskSetAside(const std::string& userDir) = 0;
  // Setting it aside failed with `reason`: try again? (As above, only a clear yes.)
  virtual bool AskRetryBackup(const std::string& reason) = 0;
};

// Loads the settings; a file that cannot be read is set aside as a backup when the user agrees
// (an earlier backup is kept, see Config::BackupSettingsFile), and the defaults apply. False
// when the user declined: the program must end and the file is left where it was.
bool LoadSettings(StartupPrompter& prompter);

// Where the main window opens. x == -1 (never saved), or a saved place that no display shows
// (`onScreen` answers for a point), centres it on the screen.
struct Placement {
  int x, y, width, height;
};
Placement PlaceMainWindow(int x, int y, int width, int height, int screenWidth, int screenHeight,
                          const std::function<bool(int, int)>& onScreen);

}  // namespace startup

#endif
