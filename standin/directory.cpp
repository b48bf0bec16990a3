#include "standin/directory.h"

#include <fstream>
#include <sstream>

#include "Login.h"
#include "Nickname.h"
#include "asn1/constraintCheck.h"
#include "asn1/octetString.h"

namespace standin {

namespace {

// Checks a text against a string type of the schema.
bool FitsType(asn_TYPE_descriptor_t* type, const std::string& text) {
  OCTET_STRING_t value{};
  if (!asn1::AssignOctetString(value, text)) return false;
  bool ok = asn1::CheckConstraints(type, &value);
  asn1::ClearOctetString(value);
  return ok;
}

}  // namespace

bool IsValidLogin(const std::string& login) {
  return !login.empty() && FitsType(&asn_DEF_Login, login);
}

bool IsValidNickname(const std::string& nickname) {
  return FitsType(&asn_DEF_Nickname, nickname);
}

bool Directory::Add(const Account& account, std::string* error) {
  if (!IsValidLogin(account.login)) {
    *error = "invalid login \"" + account.login + "\"";
    return false;
  }
  if (!IsValidNickname(account.nickname)) {
    *error = "invalid nickname \"" + account.nickname + "\" (1 to 40 characters)";
    return false;
  }
  m_accounts[account.login] = account;
  Touch();
  return true;
}

Account* Directory::Find(const std::string& login) {
  auto it = m_accounts.find(login);
  return it == m_accounts.end() ? nullptr : &it->second;
}

void Directory::Link(const std::string& a, const std::string& b) {
  Account* first = Find(a);
  Account* second = Find(b);
  if (!first || !second || a == b) return;
  first->contacts.emplace(b, "");
  second->contacts.emplace(a, "");
  Touch();
}

void Directory::Unlink(const std::string& a, const std::string& b) {
  if (Account* first = Find(a)) first->contacts.erase(b);
  if (Account* second = Find(b)) second->contacts.erase(a);
  Touch();
}

bool Directory::Blocks(const std::string& who, const std::string& whom) const {
  auto it = m_accounts.find(who);
  return it != m_accounts.end() && it->second.blocked.count(whom) > 0;
}

bool LoadAccountsFile(const std::string& path, Directory& directory, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = path + ": cannot be read";
    return false;
  }
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream fields(line);
    Account account;
    if (!(fields >> account.login) || account.login[0] == '#') continue;
    std::string why;
    if (!(fields >> account.password)) {
      why = "no password";
    } else {
      std::getline(fields >> std::ws, account.nickname);
      if (account.nickname.empty()) account.nickname = account.login;
      directory.Add(account, &why);
    }
    if (!why.empty()) {
      *error = path + ":" + std::to_string(number) + ": " + why;
      return false;
    }
  }
  return true;
}

void AddDefaultAccounts(Directory& directory) {
  // Each logs in with its login as password.
  const char* const kUsers[][2] = {{"alice", "Alice"}, {"bob", "Bob"}, {"carol", "Carol"}, {"dave", "Dave"}};
  for (const auto& user : kUsers) {
    Account account;
    account.login = user[0];
    account.password = user[0];
    account.nickname = user[1];
    std::string unused;
    directory.Add(account, &unused);
  }
}

}  // namespace standin
