// The other messaging networks the stand-in offers, read from a file given on its command line:
// one protocol a line, its fields separated by tabs:
//
//   id <TAB> description [<TAB> key=value;key=value... [<TAB> icon file]]
//
// Lines that are empty or start with "#" are skipped. In the description, the keys and the
// values, "\t", "\n", "\\", "\;", "\=" and "\xNN" stand for a tab, a new line, a backslash, ";",
// "=" and the byte NN, so that tests can offer any text. No network is reached: an account is
// reported connected unless its password is "wrong".
#ifndef PARLAVOX_STANDIN_MESSENGERS_H
#define PARLAVOX_STANDIN_MESSENGERS_H

#include <map>
#include <string>
#include <vector>

namespace standin {

struct OfferedProtocol {
  std::string id;
  std::string description;
  std::map<std::string, std::string> parameters;
  std::string icon;  // the icon's bytes; empty: none sent
};

// False, with the line that is wrong, when the file cannot be read or a line is not as above.
bool LoadMessengersFile(const std::string& path, std::vector<OfferedProtocol>* offered, std::string* error);

// The password that the stand-in refuses, so that tests can see a failed connection.
inline const char* RefusedMessengerPassword() { return "wrong"; }

}  // namespace standin

#endif
