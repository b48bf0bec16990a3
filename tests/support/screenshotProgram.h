// The start and the end of the programs that take the review pictures of `make screenshots`.
#ifndef PARLAVOX_TESTS_SUPPORT_SCREENSHOTPROGRAM_H
#define PARLAVOX_TESTS_SUPPORT_SCREENSHOTPROGRAM_H

#include <string>

namespace screenshots {

// Takes the output directory from the first argument when there is one (else leaves `dir` as it
// is), turns the trace log off, starts the tool kit on X11 and makes the directory. False, with
// a message, when the tool kit cannot start (no X display).
bool Start(int argc, char** argv, std::string& dir);

// A fresh home directory of the user's own (0700) for the settings, and the program's data taken
// from the source tree.
void UseFreshHome(const std::string& sourceDir);

// Says what went wrong and counts it.
void Fail(const std::string& what);

// Shuts the tool kit down; the program's exit status: 1 after a failure, else 0.
int Stop();

}  // namespace screenshots

#endif
