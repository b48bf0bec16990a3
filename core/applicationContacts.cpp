// Contacts: the records the Manager knows by login, and the contact requests from the server.
#include <wx/intl.h>

#include "core/application.h"
#include "model/config.h"
#include "model/log.h"
#include "model/stringConversion.h"
#include "model/urlContactInfo.h"

ContactInfo* Manager::GetContactInfo(const std::string& login) {
  MANAGER_GUI_THREAD_ONLY();
  if (login == GetLogin()) return Config::GetInstance()->GetContactInfo();
  if (login == "ADMIN") return m_adminContact;
  auto known = m_contacts.find(login);
  if (known != m_contacts.end()) return known->second;
  // A login met without a record gets one, kept, so that every caller sees the same.
  ContactInfo*& stranger = m_strangers[login];
  if (!stranger) {
    std::string unknown = wx2std(wxGetTranslation("(unknown)"));
    stranger = new ContactInfo(login, "<" + login + ">", "", "", STATUS_NONE, unknown, unknown, 0, 0, 0, "",
                               "parlavox", false);
  }
  return stranger;
}

std::string Manager::GetNickname(const std::string& login) {
  MANAGER_GUI_THREAD_ONLY();
  auto known = m_contacts.find(login);
  return known != m_contacts.end() ? known->second->GetNickname() : "<" + login + ">";
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

void Manager::CheckContactAck(const LoginOrEmail_t& loginOrEmail, const Login_t* login, const Nickname_t* nickname,
                              bool status) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_STARTEND();
}

void Manager::ReceiveAddContactAsk(const std::string& login, const std::string& nickname,
                                   const std::string& message) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s", login.c_str());
  TRACE_END();
}

void Manager::ReceiveAddContactAnswer(const std::string& login, const std::string& nickname, bool answer,
                                      const std::string& message) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %d", login.c_str(), answer ? 1 : 0);
  TRACE_END();
}

void Manager::ReceiveDelContact(const std::string& login, const std::string& message) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s", login.c_str());
  TRACE_END();
}
