// Contact lists: checks, requests and answers relayed between the two users, removals,
// blocks and groups.
#include "standin/server.h"
#include "standin/serverLog.h"

namespace standin {

namespace {

const std::string kContactList = "none";

// A login shown where a nickname must stand (1 to 40 characters).
std::string NicknameFor(const std::string& login) {
  if (login.empty()) return "?";
  return login.substr(0, 40);
}

}  // namespace

void Server::CheckContact(Session& s, const C2S_CheckContact_t& r) {
  const LoginOrEmail_t& asked = r.loginOrEmail;
  // Accounts have no e-mail address here: an address is looked up as a login.
  std::string text = Text(asked.present == LoginOrEmail_PR_email ? asked.choice.email : asked.choice.login);
  const Account* account = m_directory.Find(text);
  Outgoing ack(S2C_Request_PR_checkcontactack);
  S2C_CheckContactAck_t& a = ack->choice.checkcontactack;
  a.loginOrEmail.present = asked.present;
  Put(asked.present == LoginOrEmail_PR_email ? a.loginOrEmail.choice.email : a.loginOrEmail.choice.login, text);
  a.status = account ? 1 : 0;
  if (account) {
    PutOptional(a.login, account->login);
    PutOptional(a.nickname, account->nickname);
  }
  Deliver(s, ack);
}

void Server::AddContact(Session& s, const C2S_AddContact_t& r) {
  std::string login = Text(r.login);
  const Account* own = m_directory.Find(s.login);
  const Account* target = m_directory.Find(login);
  if (!target || login == s.login) {
    Outgoing refusal(S2C_Request_PR_addcontactanswer);
    S2C_AddContactAnswer_t& a = refusal->choice.addcontactanswer;
    Put(a.login, login);
    Put(a.nickname, NicknameFor(login));
    a.answer = 0;
    Put(a.message, target ? "You are always your own contact." : "No user has this login.");
    Deliver(s, refusal);
    return;
  }
  if (m_directory.Blocks(login, s.login)) {
    Tell("%s asks %s, who blocked them: the request goes no further", s.login.c_str(), login.c_str());
    return;
  }
  m_contactRequests.insert(std::make_pair(s.login, login));
  Outgoing ask(S2C_Request_PR_addcontactask);
  Put(ask->choice.addcontactask.login, s.login);
  Put(ask->choice.addcontactask.nickname, own->nickname);
  Put(ask->choice.addcontactask.message, Text(r.message));
  Notice(login, std::move(ask));
}

void Server::AnswerContact(Session& s, const C2S_AddContactAnswer_t& r) {
  std::string requester = Text(r.login);
  if (!m_contactRequests.erase(std::make_pair(requester, s.login))) {
    Tell("%s answers %s, who asked nothing", s.login.c_str(), requester.c_str());
    return;
  }
  const Account* other = m_directory.Find(requester);
  if (!other) return;
  bool accepted = r.answer != 0;
  if (accepted) m_directory.Link(s.login, requester);
  const Account* own = m_directory.Find(s.login);
  Outgoing answer(S2C_Request_PR_addcontactanswer);
  Put(answer->choice.addcontactanswer.login, s.login);
  Put(answer->choice.addcontactanswer.nickname, own->nickname);
  answer->choice.addcontactanswer.answer = accepted ? 1 : 0;
  Put(answer->choice.addcontactanswer.message, Text(r.message));
  Notice(requester, std::move(answer));
  if (!accepted) return;
  // Each now lists the other, with the other's presence.
  UpdateShape shape;
  shape.site = &kContactList;
  shape.viewer = own;
  Deliver(s, Update(*other, shape));
  if (Session* them = Online(requester)) {
    shape.viewer = other;
    Deliver(*them, Update(*own, shape));
  }
}

void Server::RemoveContact(Session& s, const C2S_DelContact_t& r) {
  std::string login = Text(r.login);
  if (!m_directory.Find(login)) return;
  m_directory.Unlink(s.login, login);
  m_contactRequests.erase(std::make_pair(s.login, login));
  m_contactRequests.erase(std::make_pair(login, s.login));
  Outgoing removal(S2C_Request_PR_delcontact);
  Put(removal->choice.delcontact.login, s.login);
  Put(removal->choice.delcontact.message, Text(r.message));
  Notice(login, std::move(removal));
}

void Server::SetBlocked(Session& s, const std::string& login, bool blocked) {
  Account* own = m_directory.Find(s.login);
  if (!own || !m_directory.Find(login)) return;
  if (blocked) {
    own->blocked.insert(login);
  } else {
    own->blocked.erase(login);
  }
  m_directory.Touch();
}

void Server::SetGroup(Session& s, const C2S_ContactGroup_t& r) {
  Account* own = m_directory.Find(s.login);
  auto contact = own ? own->contacts.find(Text(r.login)) : std::map<std::string, std::string>::iterator();
  if (!own || contact == own->contacts.end()) return;
  contact->second = Text(r.group);
  own->filed.insert(contact->first);
  m_directory.Touch();
}

}  // namespace standin
