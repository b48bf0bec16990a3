// The accounts the stand-in server knows: who may log in, each user's profile, contact list
// (with groups) and blocked users.
#ifndef PARLAVOX_STANDIN_DIRECTORY_H
#define PARLAVOX_STANDIN_DIRECTORY_H

#include <cstdint>
#include <map>
#include <set>
#include <string>

namespace standin {

// An image as the schema carries it: its type (gif 0, png 1, jpg 2) and its bytes.
struct Picture {
  long type = 0;
  std::string bytes;
  bool Empty() const { return bytes.empty(); }
};

struct Account {
  std::string login;
  std::string password;
  std::string nickname;
  std::string mood;
  int birthDay = 0;  // 0: no birth date given
  int birthMonth = 0;
  int birthYear = 0;
  Picture avatar;
  Picture smallAvatar;
  std::map<std::string, std::string> contacts;  // login to group ("" for none)
  // The contacts this user filed into a group or out of one: their group is told even when empty.
  std::set<std::string> filed;
  std::set<std::string> blocked;
  // A scripted user of the demonstration: online inside the server, nobody logs in as it.
  bool scripted = false;
};

class Directory {
 public:
  // Adds the account or replaces the one with its login; false (with the reason) when the
  // login or the nickname could not travel on the wire.
  bool Add(const Account& account, std::string* error);
  Account* Find(const std::string& login);
  const std::map<std::string, Account>& All() const { return m_accounts; }

  // Puts each of the two in the other's contact list (a group already set is kept).
  void Link(const std::string& a, const std::string& b);
  // Takes each out of the other's contact list.
  void Unlink(const std::string& a, const std::string& b);
  bool Blocks(const std::string& who, const std::string& whom) const;

  // Counts changes worth saving; the state file is written when it moved.
  void Touch() { ++m_changes; }
  uint64_t Changes() const { return m_changes; }

 private:
  std::map<std::string, Account> m_accounts;
  uint64_t m_changes = 0;
};

bool IsValidLogin(const std::string& login);
// 1 to 40 characters of valid UTF-8.
bool IsValidNickname(const std::string& nickname);

// Reads an accounts file: one account a line, "login password nickname", the nickname being
// the rest of the line (the login when absent); blank lines and lines starting with "#" are
// skipped. False, with the line at fault, when a line is not a valid account.
bool LoadAccountsFile(const std::string& path, Directory& directory, std::string* error);
// The accounts a server started without an accounts file offers.
void AddDefaultAccounts(Directory& directory);

}  // namespace standin

#endif
