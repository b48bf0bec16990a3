// Opens web pages in the user's browser, the one way the program does so.
#ifndef PARLAVOX_GUI_WEBBROWSER_H
#define PARLAVOX_GUI_WEBBROWSER_H

#include <functional>
#include <string>

namespace browser {

// Opens `url` in the user's default browser without waiting for it.
void Open(const std::string& url);

// True for an http or https address without blanks or control characters: the only addresses
// from a list or a notice that go to the browser, since the system's opener would run anything
// else it knows a program for (files, other schemes).
bool IsWebAddress(const std::string& address);

// The value percent-encoded for a query string: letters, digits, "-._~" and "@" stay as they are.
std::string EscapeQueryValue(const std::string& value);

// Opens the user guide at the section `anchor` (without its "#").
void OpenUserGuide(const std::string& anchor);

// While set, each page asked for is handed to `recorder` instead of being opened. An empty
// function opens pages again.
void SetRecorder(std::function<void(const std::string&)> recorder);

}  // namespace browser

#endif
