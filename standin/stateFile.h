// The optional state file: what users changed (profiles, avatars, contacts, groups, blocked
// users) kept across restarts, in one text file that is always replaced whole.
#ifndef PARLAVOX_STANDIN_STATEFILE_H
#define PARLAVOX_STANDIN_STATEFILE_H

#include <string>

#include "standin/directory.h"

namespace standin {

// The file's text for the directory (scripted users left out).
std::string StateText(const Directory& directory);
// Reads the text into the directory: accounts it holds are added or replaced, except that
// an account the directory already has keeps its password (the accounts file decides who
// logs in how). False, with the line at fault, when the text is not a state file; the
// directory may then hold part of it.
bool ReadState(const std::string& text, Directory& directory, std::string* error);

// A missing file is an empty state; an unreadable or broken one is an error.
bool LoadStateFile(const std::string& path, Directory& directory, std::string* error);
bool SaveStateFile(const std::string& path, const Directory& directory);

}  // namespace standin

#endif
