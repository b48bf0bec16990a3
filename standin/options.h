// The stand-in server's command line.
#ifndef PARLAVOX_STANDIN_OPTIONS_H
#define PARLAVOX_STANDIN_OPTIONS_H

#include <string>

#include "model/version.h"

namespace standin {

struct Options {
  unsigned short port = 0;
  std::string host = PARLAVOX_SERVER_HOST;
  std::string dataDir;  // empty: $PARLAVOX_DATA, else the working directory
  std::string accountsFile;
  std::string stateFile;
  std::string journalFile;
  std::string messengersFile;
  bool demo = false;
  std::string clientVersion = kProgramVersion;
  int heartbeatSeconds = 60;
  int loginTimeoutSeconds = 15;
  int maxConnections = 4096;
  bool verbose = false;
  bool help = false;
};

// False, with what is wrong, when the arguments are not a valid command line.
bool ParseOptions(int argc, const char* const* argv, Options* options, std::string* error);
const char* UsageText();

}  // namespace standin

#endif
