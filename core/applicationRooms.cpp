// Chat rooms: who is in them and what is said and typed there, private rooms, invitations and
// the smileys that users send.
#include "asn1/octetString.h"
#include "core/application.h"
#include "model/config.h"
#include "model/log.h"
#include "model/message.h"
#include "model/urlContactInfo.h"

void Manager::UpdateChatRoomContact(int code, const S2C_UpdateContactAll_t& update) {
  MANAGER_GUI_THREAD_ONLY();
  std::string login = asn1::ToString(update.login);
  TRACE_START_ARGS("%s", login.c_str());
  Config* config = Config::GetInstance();
  std::string site = update.site ? asn1::ToString(*update.site) : "";
  bool own = login == GetLogin();
  if (!own && !site.empty() && site != "none") {
    TRACE_END_RESULT("room member");
    return;
  }
  ContactInfo* record = config->GetContactInfo();
  if (!own) {
    ContactInfo*& held = m_contacts[login];
    if (!held)
      held = new ContactInfo(login, "", "", "", STATUS_OFFLINE, "", "", 0, 0, 0, "", "parlavox", false);
    record = held;
  }
  if (update.nickname) record->SetNickname(asn1::ToString(*update.nickname));
  if (update.mood) record->SetMood(asn1::ToString(*update.mood));
  if (update.country) record->SetCountry(asn1::ToString(*update.country));
  if (update.city) record->SetCity(asn1::ToString(*update.city));
  bool statusValid = update.status && *update.status >= STATUS_OFFLINE && *update.status <= STATUS_BUSY;
  if (statusValid) record->SetStatus(static_cast<t_status>(*update.status));
  if (own) {
    PostOwned(wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT, code, new URLContactInfo("none", 0, *record, false, false, false));
    TRACE_END();
    return;
  }
  bool changed = update.blocked || update.gender;
  if (statusValid || changed) {
    if (site == "none" || config->HasContact(login)) {
      config->UpdateContact(record);
      bool logout = statusValid && record->GetStatus() == STATUS_OFFLINE &&
                    record->GetPreviousStatus() != STATUS_OFFLINE;
      PostOwned(wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT, code,
                new URLContactInfo("none", 0, *record, statusValid && !update.connecting, logout, false));
    }
  }
  TRACE_END();
}

void Manager::ReceiveMessage(const std::string& site, const std::string& login, const std::string& text, time_t time,
                             bool history) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s", site.c_str(), login.c_str());
  PostOwned(wxEVT_RECEIVE_NEW_MESSAGE, 0,
            new Message(site, login, GetContactInfo(login)->GetNickname(), text, time, history));
  TRACE_END();
}

void Manager::SubscribeChatRoomAck(const std::string& site, long answer) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %ld", site.c_str(), answer);
  TRACE_END();
}

void Manager::KeyTypedInChatRoom(const std::string& site, const std::string& login, bool enabled) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s, %d", site.c_str(), login.c_str(), enabled ? 1 : 0);
  TRACE_END();
}

void Manager::ReceiveInviteContactInChatRoom(const std::string& site, const std::string& login) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s", site.c_str(), login.c_str());
  TRACE_END();
}

void Manager::ReceiveInviteContactInChatRoomAnswer(const std::string& site, const std::string& login,
                                                   const std::string& message, bool answer) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s, %d", site.c_str(), login.c_str(), answer ? 1 : 0);
  TRACE_END();
}

void Manager::ReceiveAddSmiley(const std::string& login, const std::string& code, TypeImage_t type,
                               const unsigned char* bytes, long length) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s", login.c_str(), code.c_str());
  TRACE_END();
}

void Manager::ReceiveDelSmiley(const std::string& login, const std::string& code) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s", login.c_str(), code.c_str());
  TRACE_END();
}
