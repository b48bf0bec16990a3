// Settings file internals shared with the tests: the class versions written with each record and
// a way to make a save fail at a chosen step.
#ifndef PARLAVOX_MODEL_CONFIGFILE_H
#define PARLAVOX_MODEL_CONFIGFILE_H

#include <functional>
#include <string>

// Current class versions of the settings file.
const unsigned kConfigVersion = 1808;
const unsigned kContactInfoVersion = 960;
const unsigned kURLInfoVersion = 960;
const unsigned kMessengerInfoVersion = 1808;
const unsigned kMessengerProtocolInfoVersion = 1808;
const unsigned kSmileyVersion = 1808;

// File names in the user directory.
extern const char* const kConfigFileName;
extern const char* const kConfigBackupFileName;

// Test hook: called before each step of a save ("write", "sync", "close", "rename"); when it
// returns true the step is taken as failed. Empty in the program.
void SetConfigSaveFailureHook(std::function<bool(const std::string& step)> hook);

// For tests that start each case from the settings of a new user: the next use of the settings
// makes a default object. The one in use is kept alive, as a load keeps it.
void StartConfigAfresh();

// For programs that know nothing holds them any more (the fuzz target): frees the settings
// objects that loads replaced, with the records only they hold. The program never calls it.
void FreeReplacedConfigs();

#endif
