// Opens web pages in the user's browser, the one way the program does so.
#ifndef PARLAVOX_GUI_WEBBROWSER_H
#define PARLAVOX_GUI_WEBBROWSER_H

#include <functional>
#include <string>

namespace browser {

// Opens `url` in the user's default browser without waiting for it.
void Open(const std::string& url);

// Opens the user guide at the section `anchor` (without its "#").
void OpenUserGuide(const std::string& anchor);

// While set, each page asked for is handed to `recorder` instead of being opened. An empty
// function opens pages again.
void SetRecorder(std::function<void(const std::string&)> recorder);

}  // namespace browser

#endif
