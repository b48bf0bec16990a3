#include "standin/options.h"

#include <cerrno>
#include <cstdlib>

namespace standin {

namespace {

bool ToNumber(const std::string& text, long low, long high, long* out) {
  char* end = nullptr;
  errno = 0;
  long value = strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || value < low || value > high) return false;
  *out = value;
  return true;
}

}  // namespace

const char* UsageText() {
  static const std::string text = std::string("Usage: parlavox-standin [options]\n"
         "A stand-in Parlavox messaging server on 127.0.0.1, for running and testing the program on\n"
         "one machine. It prints the port it listens on, then serves until stopped (SIGINT, SIGTERM).\n"
         "\n"
         "  --port N             port to listen on (default 0: a free port)\n"
         "  --host NAME          host name the server's certificate is made for (default " PARLAVOX_SERVER_HOST ")\n"
         "  --data DIR           where the client's trust store parlavox.pem is written\n"
         "                       (default: $PARLAVOX_DATA, else the working directory)\n"
         "  --accounts FILE      accounts, one a line: login password nickname (default: alice, bob,\n"
         "                       carol and dave, each with its login as password)\n"
         "  --state FILE         keep profiles, avatars, contacts, groups and blocked users in FILE\n"
         "                       across restarts (default: nothing is kept)\n"
         "  --journal FILE       write each request received from a client to FILE, one a line\n"
         "                       (passwords hidden), for tests to read what reached the server\n"
         "  --messengers FILE    offer the other messaging networks listed in FILE (see\n"
         "                       standin/messengers.h); an account connects unless its password\n"
         "                       is \"wrong\" (default: none offered)\n"
         "  --demo               three scripted users sit in the chat room of " PARLAVOX_WEBSITE "\n"
         "                       and answer messages, contact requests and invitations\n"
         "  --client-version V   the client version let in (default ") + kProgramVersion + ")\n"
         "  --heartbeat S        seconds between heart-beats; a client silent for three is dropped\n"
         "                       (default 60)\n"
         "  --login-timeout S    seconds a new connection has to log in (default 15)\n"
         "  --max-connections N  connections served at once (default 4096)\n"
         "  --verbose            also log every link's end and what clients report; log-ins,\n"
         "                       log-outs and refused requests are always logged on standard error\n"
         "  --help               this text\n";
  return text.c_str();
}

bool ParseOptions(int argc, const char* const* argv, Options* options, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    std::string name = argv[i];
    bool flag = name == "--demo" || name == "--verbose" || name == "--help";
    if (!flag && i + 1 >= argc) {
      *error = name.compare(0, 2, "--") == 0 ? name + " needs a value" : "unknown argument " + name;
      return false;
    }
    std::string value = flag ? std::string() : argv[++i];
    long number = 0;
    bool ok = true;
    if (name == "--demo") {
      options->demo = true;
    } else if (name == "--verbose") {
      options->verbose = true;
    } else if (name == "--help") {
      options->help = true;
    } else if (name == "--port") {
      ok = ToNumber(value, 0, 65535, &number);
      options->port = static_cast<unsigned short>(number);
    } else if (name == "--host") {
      ok = !value.empty();
      options->host = value;
    } else if (name == "--data") {
      options->dataDir = value;
    } else if (name == "--accounts") {
      options->accountsFile = value;
    } else if (name == "--state") {
      options->stateFile = value;
    } else if (name == "--journal") {
      ok = !value.empty();
      options->journalFile = value;
    } else if (name == "--messengers") {
      ok = !value.empty();
      options->messengersFile = value;
    } else if (name == "--client-version") {
      // It travels as a Version: letters, digits, "." and "-".
      ok = !value.empty() && value.find_first_not_of("-.0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") ==
                                 std::string::npos;
      options->clientVersion = value;
    } else if (name == "--heartbeat") {
      ok = ToNumber(value, 1, 86400, &number);
      options->heartbeatSeconds = static_cast<int>(number);
    } else if (name == "--login-timeout") {
      ok = ToNumber(value, 1, 3600, &number);
      options->loginTimeoutSeconds = static_cast<int>(number);
    } else if (name == "--max-connections") {
      ok = ToNumber(value, 1, 1000000, &number);
      options->maxConnections = static_cast<int>(number);
    } else {
      *error = "unknown option " + name;
      return false;
    }
    if (!ok) {
      *error = "bad value for " + name + ": \"" + value + "\"";
      return false;
    }
  }
  return true;
}

}  // namespace standin
