// Accounts of the user on other messaging networks, which the server connects on request.
#include "core/application.h"
#include "core/clientSideRequest.h"
#include "model/config.h"
#include "model/log.h"

void Manager::ConnectMessenger(MessengerInfo* account) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START();
  ClientSideRequest* client = Client();
  if (!m_connected || !client || !account) {
    TRACE_END_RESULT("not connected");
    return;
  }
  account->SetStatus(MESSENGER_CONNECTING);
  client->ConnectMessenger(m_authKey, account->GetProtocol(), account->GetLogin(), account->GetPassword(),
                           account->GetParameters(), Config::GetInstance()->GetNickname(), GetStatus());
  PostKept(wxEVT_RECEIVE_MESSENGER_INFO, 0, account);
  TRACE_END();
}

void Manager::ReceiveAvailableMessengerProtocols(const MessengerProtocols_t& protocols) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%d", protocols.list.count);
  TRACE_END();
}

void Manager::ReceiveMessengerConnectionStatus(const std::string& protocol, const std::string& login, long status) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s, %ld", protocol.c_str(), login.c_str(), status);
  TRACE_END();
}
