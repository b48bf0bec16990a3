// Contacts: the records the Manager knows by login, the user's requests about contacts (add,
// answer, check, remove, block, groups) and the server's requests about them.
#include <wx/intl.h>

#include <algorithm>

#include "LoginOrEmail.h"
#include "core/application.h"
#include "asn1/octetString.h"
#include "core/clientSideRequest.h"
#include "model/config.h"
#include "model/log.h"
#include "model/stringConversion.h"
#include "model/urlContactInfo.h"

namespace {

// The longest login taken from the server; longer ones cannot name a file of the user directory.
const size_t kMaxLogin = 128;

const char* const kOwnNetwork = "parlavox";

bool IsLoginByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '@' || c == '_';
}

std::string Unknown(const std::string& login) {
  return "<" + login + ">";
}

}  // namespace

// ---- Look-ups

ContactInfo* Manager::GetContactInfo(const std::string& login) {
  MANAGER_GUI_THREAD_ONLY();
  if (login == GetLogin()) return Config::GetInstance()->GetContactInfo();
  if (login == "ADMIN") return m_adminContact;
  auto known = m_contacts.find(login);
  if (known != m_contacts.end() && known->second) {
    m_unlentRecords.erase(known->second);
    return known->second;
  }
  // A login met without a record gets one, kept, so that every caller sees the same.
  ContactInfo*& stranger = m_strangers[login];
  if (!stranger) {
    std::string unknown = wx2std(wxGetTranslation("(unknown)"));
    stranger = new ContactInfo(login, Unknown(login), "", "", STATUS_NONE, unknown, unknown, 0, 0, 0, "",
                               kOwnNetwork, false);
  }
  return stranger;
}

void Manager::ForgetUnseenStranger(const std::string& login) {
  auto known = m_contacts.find(login);
  if (known == m_contacts.end() || !known->second) return;
  ContactInfo* record = known->second;
  // The sites panel shows a person on a site's page without a room: the profile it opens reads
  // the record, so the record must be there.
  if (!m_unlentRecords.count(record) || !record->GetSubscriptions().empty() || m_siteVisitors.Shows(login) ||
      Config::GetInstance()->HasContact(login))
    return;
  for (const auto& room : m_roomMembers)
    if (room.second.Has(record)) return;
  TRACE_INFO("record of %s freed: in no room, on no site, no contact, never handed out", login.c_str());
  m_contacts.erase(known);
  m_unlentRecords.erase(record);
  delete record;
}

void Manager::ForgetUnseenStrangers(const std::vector<std::string>& logins) {
  for (const std::string& login : logins) ForgetUnseenStranger(login);
}

std::string Manager::GetNickname(const std::string& login) {
  MANAGER_GUI_THREAD_ONLY();
  auto known = m_contacts.find(login);
  return known != m_contacts.end() && known->second ? known->second->GetNickname() : Unknown(login);
}

bool Manager::HasContact(const std::string& login) const {
  return Config::GetInstance()->HasContact(login);
}

ContactEvent* Manager::GetContactEvent(long id) const {
  auto found = m_contactEvents.find(id);
  return found != m_contactEvents.end() ? found->second : nullptr;
}

bool Manager::AcceptLogin(const std::string& login, const char* what) {
  const char* fault = nullptr;
  if (login.empty())
    fault = "empty";
  else if (login.size() > kMaxLogin)
    fault = "too long";
  else
    for (char c : login)
      if (!IsLoginByte(c)) fault = "not a login";
  if (!fault) return true;
  TRACE_ERROR("%s: login refused (%s, %zu bytes)", what, fault, login.size());
  return false;
}

ContactEvent* Manager::StoreContactEvent(int type, const std::string& url, const std::string& login,
                                         const std::string& nickname, const std::string& message) {
  long id = m_eventCounter++;
  ContactEvent* event = new ContactEvent(id, type, url, login, nickname, message);
  m_contactEvents[id] = event;
  return event;
}

void Manager::SwitchContactsOffline() {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START();
  for (ContactInfo* contact : Config::GetInstance()->GetContacts()) {
    contact->SetStatus(STATUS_OFFLINE);
    PostOwned(wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT, GUI_UPDATE_CONTACT,
              new URLContactInfo("none", 0, *contact, false, false, false));
  }
  TRACE_END();
}

// ---- The user's requests

ContactEvent* Manager::SendContactEvent(int type, const std::string& login, const std::string& message,
                                        bool (ClientSideRequest::*send)(const std::string&, const std::string&,
                                                                        const std::string&)) {
  ClientSideRequest* client = Client();
  if (!m_connected || !client) {
    TRACE_END_RESULT("not connected");
    return nullptr;
  }
  if (!(client->*send)(m_authKey, login, message)) {
    TRACE_END_RESULT("refused");
    return nullptr;
  }
  if (type == CE_BLOCKED || type == CE_UNBLOCKED) GetContactInfo(login)->SetBlocked(type == CE_BLOCKED);
  if (type == CE_ADD_ASKED) m_removedContacts.erase(login);
  ContactEvent* event = StoreContactEvent(type, "none", login, GetNickname(login), message);
  TRACE_END_RESULT("%ld", event->GetId());
  return event;
}

ContactEvent* Manager::SendAddContact(const std::string& login, const std::string& message) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s", login.c_str());
  return SendContactEvent(CE_ADD_ASKED, login, message, &ClientSideRequest::AddContact);
}

ContactEvent* Manager::SendBlockContact(const std::string& login, const std::string& message) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s", login.c_str());
  return SendContactEvent(CE_BLOCKED, login, message, &ClientSideRequest::BlockContact);
}

ContactEvent* Manager::SendUnblockContact(const std::string& login, const std::string& message) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s", login.c_str());
  return SendContactEvent(CE_UNBLOCKED, login, message, &ClientSideRequest::UnblockContact);
}

ContactEvent* Manager::SendAddContactAnswer(long id, bool accept, const std::string& message) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%ld, %d", id, accept ? 1 : 0);
  ClientSideRequest* client = Client();
  ContactEvent* asked = GetContactEvent(id);
  if (!m_connected || !client || !asked) {
    TRACE_END_RESULT("%s", asked ? "not connected" : "no such request");
    return nullptr;
  }
  std::string login = asked->GetLogin();
  if (!client->AddContactAnswer(m_authKey, login, accept, message)) {
    TRACE_END_RESULT("refused");
    return nullptr;
  }
  if (accept) m_removedContacts.erase(login);
  ContactEvent* event =
      StoreContactEvent(accept ? CE_ADD_ACCEPTED : CE_ADD_REFUSED, "none", login, GetNickname(login), message);
  TRACE_END_RESULT("%ld", event->GetId());
  return event;
}

ContactEvent* Manager::CheckContact(const std::string& loginOrEmail) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s", loginOrEmail.c_str());
  ClientSideRequest* client = Client();
  if (!m_connected || !client || !client->CheckContact(m_authKey, loginOrEmail)) {
    TRACE_END_RESULT("not sent");
    return nullptr;
  }
  ContactEvent* event = StoreContactEvent(CE_CHECKING, "none", loginOrEmail, GetNickname(loginOrEmail), "");
  TRACE_END_RESULT("%ld", event->GetId());
  return event;
}

ContactInfo* Manager::RemoveContact(const std::string& login, const std::string& message) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s", login.c_str());
  ClientSideRequest* client = Client();
  if (!m_connected || !client || !client->RemoveContact(m_authKey, login, message)) {
    TRACE_END_RESULT("not sent");
    return nullptr;
  }
  // The record stays in the table: windows and queued events may still point to it.
  ContactInfo* removed = Config::GetInstance()->RemoveContact(login);
  m_removedContacts.insert(login);
  // The row of the removal names the contact as the list did.
  const std::string nickname = removed ? removed->GetNickname() : GetNickname(login);
  PostOwned(wxEVT_RECEIVE_DEL_CONTACT, 0, new ContactEvent(-1, CE_REMOVED, "none", login, nickname, message));
  TRACE_END_RESULT("%s", removed ? "removed" : "was not saved");
  return removed;
}

// ---- Groups

bool Manager::IsSectionName(const std::string& name) {
  return name.empty() || name == "    OFFLINE" || name == "     ONLINE";
}

void Manager::RenameGroup(const std::string& oldName, const std::string& newName) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s", oldName.c_str(), newName.c_str());
  if (IsSectionName(oldName) || IsSectionName(newName)) {
    TRACE_END_RESULT("a section of the contacts panel, not a group");
    return;
  }
  ClientSideRequest* client = m_connected ? Client() : nullptr;
  for (ContactInfo* contact : Config::GetInstance()->GetContactsOfGroup(oldName)) {
    contact->SetGroup(newName);
    if (client) client->UpdateGroup(m_authKey, contact->GetLogin(), newName);
  }
  TRACE_END();
}

bool Manager::RemoveGroup(const std::string& name) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s", name.c_str());
  if (IsSectionName(name)) {
    TRACE_END_RESULT("a section of the contacts panel, not a group");
    return false;
  }
  ClientSideRequest* client = m_connected ? Client() : nullptr;
  bool stayed = false;
  for (ContactInfo* contact : Config::GetInstance()->GetContactsOfGroup(name)) {
    if (contact->GetImType() != kOwnNetwork) {
      stayed = true;
      continue;
    }
    contact->SetGroup("");
    if (client) client->UpdateGroup(m_authKey, contact->GetLogin(), "");
  }
  if (!stayed) Config::GetInstance()->RemoveGroup(name);
  TRACE_END_RESULT("%d", stayed ? 0 : 1);
  return !stayed;
}

ContactInfo* Manager::UpdateGroup(const std::string& login, const std::string& group) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s", login.c_str(), group.c_str());
  ContactInfo* contact = GetContactInfo(login);
  if (contact->GetImType() != kOwnNetwork) {
    TRACE_END_RESULT("a contact of another network");
    return nullptr;
  }
  ClientSideRequest* client = Client();
  if (m_connected && client && client->UpdateGroup(m_authKey, login, group)) contact->SetGroup(group);
  TRACE_END();
  return contact;
}

bool Manager::CanModifyGroup(const std::string& name) {
  MANAGER_GUI_THREAD_ONLY();
  if (IsSectionName(name)) return false;
  for (ContactInfo* contact : Config::GetInstance()->GetContactsOfGroup(name))
    if (contact->GetImType() != kOwnNetwork) return false;
  return true;
}

// ---- The server's requests

void Manager::CheckContactAck(const LoginOrEmail_t& loginOrEmail, const Login_t* login, const Nickname_t* nickname,
                              bool status) {
  MANAGER_GUI_THREAD_ONLY();
  std::string asked = loginOrEmail.present == LoginOrEmail_PR_email ? asn1::ToString(loginOrEmail.choice.email)
                                                                    : asn1::ToString(loginOrEmail.choice.login);
  std::string found = status ? (login ? asn1::ToString(*login) : "") : asked;
  std::string name = status && nickname ? asn1::ToString(*nickname) : "";
  TRACE_START_ARGS("%s, %s, %d", asked.c_str(), found.c_str(), status ? 1 : 0);
  if (!AcceptLogin(found, "checkcontactack")) {
    TRACE_END();
    return;
  }
  int type = status ? CE_REGISTERED : CE_NOT_REGISTERED;
  ContactEvent* event = nullptr;
  for (auto& entry : m_contactEvents)
    if (entry.second->GetType() == CE_CHECKING && entry.second->GetLogin() == found) {
      event = entry.second;
      break;
    }
  if (event) {
    event->SetType(type);
    event->SetLogin(found);
    event->SetNickname(name);
  } else {
    event = StoreContactEvent(type, "none", found, name, "");
  }
  PostKept(wxEVT_RECEIVE_CONTACT_EVENT, 0, event);
  TRACE_END_RESULT("%ld", event->GetId());
}

void Manager::ReceiveAddContactAsk(const std::string& login, const std::string& nickname,
                                   const std::string& message) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s", login.c_str());
  if (AcceptLogin(login, "addcontactask"))
    PostKept(wxEVT_RECEIVE_CONTACT_EVENT, 0, StoreContactEvent(CE_ADD_RECEIVED, "none", login, nickname, message));
  TRACE_END();
}

void Manager::ReceiveAddContactAnswer(const std::string& login, const std::string& nickname, bool answer,
                                      const std::string& message) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %d", login.c_str(), answer ? 1 : 0);
  if (!AcceptLogin(login, "addcontactanswer")) {
    TRACE_END();
    return;
  }
  int type = answer ? CE_ANSWER_ACCEPTED : CE_ANSWER_REFUSED;
  if (answer) m_removedContacts.erase(login);
  for (auto& entry : m_contactEvents) {
    ContactEvent* asked = entry.second;
    if (asked->GetType() != CE_ADD_ASKED || asked->GetLogin() != login) continue;
    asked->SetType(type);
    asked->SetNickname(nickname);
    asked->SetMessage(message);
    PostKept(wxEVT_RECEIVE_CONTACT_EVENT, 0, asked);
    TRACE_END_RESULT("%ld", asked->GetId());
    return;
  }
  PostOwned(wxEVT_RECEIVE_CONTACT_EVENT, 0, new ContactEvent(-1, type, "", login, nickname, message));
  TRACE_END_RESULT("not asked");
}

void Manager::ReceiveDelContact(const std::string& login, const std::string& message) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s", login.c_str());
  if (!AcceptLogin(login, "delcontact")) {
    TRACE_END();
    return;
  }
  ContactInfo* removed = Config::GetInstance()->RemoveContact(login);
  m_removedContacts.insert(login);
  PostOwned(wxEVT_RECEIVE_DEL_CONTACT, 0,
            new ContactEvent(-1, CE_REMOVED_BY_OTHER, "none", removed ? removed->GetLogin() : login,
                             removed ? removed->GetNickname() : GetNickname(login), message));
  TRACE_END_RESULT("%s", removed ? "removed" : "was not saved");
}
