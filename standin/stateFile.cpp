#include "standin/stateFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "standin/link/replaceFile.h"

namespace standin {

namespace {

const char* const kHeader = "parlavox-standin-state 1";

// Texts travel as hexadecimal, "-" for an empty one, so that every field is one word.
std::string Hex(const std::string& bytes) {
  if (bytes.empty()) return "-";
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

bool Unhex(const std::string& text, std::string* out) {
  out->clear();
  if (text == "-") return true;
  if (text.size() % 2 != 0) return false;
  for (size_t i = 0; i < text.size(); i += 2) {
    int value = 0;
    for (size_t j = i; j < i + 2; ++j) {
      char c = text[j];
      int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
      if (digit < 0) return false;
      value = value * 16 + digit;
    }
    out->push_back(static_cast<char>(value));
  }
  return true;
}

bool ReadHex(std::istream& in, std::string* out) {
  std::string word;
  return static_cast<bool>(in >> word) && Unhex(word, out);
}

bool ReadPicture(std::istream& in, Picture* picture) {
  return static_cast<bool>(in >> picture->type) && ReadHex(in, &picture->bytes);
}

bool ReadAccount(std::istream& in, Directory& directory, std::string* why) {
  Account account;
  std::string password;
  if (!(in >> account.login) || !ReadHex(in, &password) || !ReadHex(in, &account.nickname) ||
      !ReadHex(in, &account.mood) || !(in >> account.birthDay >> account.birthMonth >> account.birthYear) ||
      !ReadPicture(in, &account.avatar) || !ReadPicture(in, &account.smallAvatar)) {
    *why = "broken account";
    return false;
  }
  if (const Account* known = directory.Find(account.login)) {
    account.password = known->password;
  } else {
    account.password = password;
  }
  return directory.Add(account, why);
}

// A contact or a block of an account read earlier; lines about unknown logins are dropped.
bool ReadRelation(std::istream& in, const std::string& kind, Directory& directory, std::string* why) {
  std::string owner, login, group;
  if (!(in >> owner >> login) || (kind == "contact" && !ReadHex(in, &group))) {
    *why = "broken " + kind;
    return false;
  }
  Account* account = directory.Find(owner);
  if (!account || !directory.Find(login)) return true;
  if (kind == "contact") {
    account->contacts[login] = group;
  } else {
    account->blocked.insert(login);
  }
  return true;
}

}  // namespace

std::string StateText(const Directory& directory) {
  std::ostringstream out;
  out << kHeader << "\n";
  for (const auto& entry : directory.All()) {
    const Account& a = entry.second;
    if (a.scripted) continue;
    out << "account " << a.login << " " << Hex(a.password) << " " << Hex(a.nickname) << " " << Hex(a.mood) << " "
        << a.birthDay << " " << a.birthMonth << " " << a.birthYear << " " << a.avatar.type << " "
        << Hex(a.avatar.bytes) << " " << a.smallAvatar.type << " " << Hex(a.smallAvatar.bytes) << "\n";
  }
  for (const auto& entry : directory.All()) {
    const Account& a = entry.second;
    if (a.scripted) continue;
    for (const auto& contact : a.contacts) out << "contact " << a.login << " " << contact.first << " "
                                               << Hex(contact.second) << "\n";
    for (const std::string& blocked : a.blocked) out << "block " << a.login << " " << blocked << "\n";
  }
  return out.str();
}

bool ReadState(const std::string& text, Directory& directory, std::string* error) {
  std::istringstream in(text);
  std::string line;
  if (!std::getline(in, line) || line != kHeader) {
    *error = "line 1: not a state file of this server";
    return false;
  }
  for (int number = 2; std::getline(in, line); ++number) {
    std::istringstream fields(line);
    std::string kind, why;
    if (!(fields >> kind)) continue;
    bool ok = false;
    if (kind == "account") {
      ok = ReadAccount(fields, directory, &why);
    } else if (kind == "contact" || kind == "block") {
      ok = ReadRelation(fields, kind, directory, &why);
    } else {
      why = "unknown record \"" + kind + "\"";
    }
    if (!ok) {
      *error = "line " + std::to_string(number) + ": " + why;
      return false;
    }
  }
  return true;
}

bool LoadStateFile(const std::string& path, Directory& directory, std::string* error) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0 && errno == ENOENT) return true;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    *error = path + ": cannot be read";
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  if (!ReadState(text.str(), directory, error)) {
    *error = path + ": " + *error;
    return false;
  }
  return true;
}

bool SaveStateFile(const std::string& path, const Directory& directory) {
  return ReplaceFile(path, StateText(directory), 0600);
}

}  // namespace standin
