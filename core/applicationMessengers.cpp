// Accounts of the user on other messaging networks, which the server connects on request: the
// protocols the server offers, the accounts, and their connection state.
#include <algorithm>

#include "MessengerProtocols.h"
#include "core/application.h"
#include "asn1/octetString.h"
#include "core/clientSideRequest.h"
#include "model/config.h"
#include "model/imImage.h"
#include "model/log.h"

namespace {

// The largest protocol icon stored; the windows show it the size of a letter.
const size_t kMaxIconBytes = 256 * 1024;

bool IsProtocolId(const std::string& id) {
  if (id.empty() || id.size() > 64) return false;
  for (char c : id)
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
          c == '@' || c == '_'))
      return false;
  return true;
}

}  // namespace

std::vector<MessengerInfo*> Manager::GetMessengers() const {
  return Config::GetInstance()->GetMessengers();
}

std::vector<MessengerProtocolInfo*> Manager::GetMessengerProtocols() const {
  return Config::GetInstance()->GetMessengerProtocols();
}

MessengerProtocolInfo* Manager::GetMessengerProtocol(const std::string& protocol) const {
  return Config::GetInstance()->GetMessengerProtocol(protocol);
}

MessengerInfo* Manager::CreateMessengerInfo(const std::string& protocol) const {
  MessengerProtocolInfo* offered = GetMessengerProtocol(protocol);
  if (!offered) return nullptr;
  return new MessengerInfo(offered->GetProtocol(), offered->GetDescription(), "", "", true,
                           offered->GetParameters());
}

void Manager::AddMessenger(MessengerInfo* account) {
  MANAGER_GUI_THREAD_ONLY();
  if (account) Config::GetInstance()->AddMessenger(account);
}

void Manager::RemoveMessenger(MessengerInfo* account) {
  MANAGER_GUI_THREAD_ONLY();
  if (!account) return;
  TRACE_START_ARGS("%s, %s", account->GetProtocol().c_str(), account->GetLogin().c_str());
  ClientSideRequest* client = Client();
  if (m_connected && client) client->DisconnectMessenger(m_authKey, account->GetProtocol(), account->GetLogin());
  std::vector<MessengerInfo*> accounts = GetMessengers();
  bool listed = std::find(accounts.begin(), accounts.end(), account) != accounts.end();
  Config::GetInstance()->RemoveMessenger(account);
  // Queued events and open panels may still point to the account: it stays allocated.
  if (listed) m_removedMessengers.emplace_back(account);
  TRACE_END();
}

void Manager::ConnectMessenger(MessengerInfo* account) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START();
  ClientSideRequest* client = Client();
  if (!m_connected || !client || !account) {
    TRACE_END_RESULT("not connected");
    return;
  }
  account->SetStatus(MESSENGER_CONNECTING);
  if (!client->ConnectMessenger(m_authKey, account->GetProtocol(), account->GetLogin(), account->GetPassword(),
                                account->GetParameters(), GetNickname(), GetStatus()))
    account->SetStatus(MESSENGER_FAILED);
  PostKept(wxEVT_RECEIVE_MESSENGER_INFO, 0, account);
  TRACE_END_RESULT("%d", account->GetStatus());
}

void Manager::DisconnectMessenger(MessengerInfo* account) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START();
  ClientSideRequest* client = Client();
  if (!m_connected || !client || !account) {
    TRACE_END_RESULT("not connected");
    return;
  }
  account->SetStatus(MESSENGER_DISCONNECTING);
  client->DisconnectMessenger(m_authKey, account->GetProtocol(), account->GetLogin());
  PostKept(wxEVT_RECEIVE_MESSENGER_INFO, 0, account);
  TRACE_END();
}

void Manager::ReceiveAvailableMessengerProtocols(const MessengerProtocols_t& protocols) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%d", protocols.list.count);
  Config* config = Config::GetInstance();
  // Panels may still hold the protocols of the last list.
  for (MessengerProtocolInfo* dropped : config->GetMessengerProtocols()) m_droppedProtocols.emplace_back(dropped);
  config->ClearMessengerProtocols();
  for (int i = 0; i < protocols.list.count; ++i) {
    const MessengerProtocol_t* protocol = protocols.list.array[i];
    if (!protocol) continue;
    std::string id = asn1::ToString(protocol->protocol);
    if (!IsProtocolId(id)) {
      TRACE_ERROR("protocol refused (%zu bytes, not a protocol id)", id.size());
      continue;
    }
    std::map<std::string, std::string> parameters;
    for (int k = 0; k < protocol->parameters.list.count; ++k) {
      const MessengerProtocolParameter_t* parameter = protocol->parameters.list.array[k];
      if (parameter) parameters[asn1::ToString(parameter->key)] = asn1::ToString(parameter->value);
    }
    if (protocol->icon) {
      const OCTET_STRING_t& icon = *protocol->icon;
      if (icon.size <= 0 || static_cast<size_t>(icon.size) > kMaxIconBytes)
        TRACE_ERROR("icon of %s refused (%d bytes)", id.c_str(), icon.size);
      else
        IMImage::StoreMessengerIcon(id, icon.buf, static_cast<unsigned long>(icon.size));
    }
    config->AddMessengerProtocol(new MessengerProtocolInfo(id, asn1::ToString(protocol->description), parameters));
  }
  TRACE_END();
}

void Manager::ReceiveMessengerConnectionStatus(const std::string& protocol, const std::string& login, long status) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s, %ld", protocol.c_str(), login.c_str(), status);
  MessengerInfo* account = Config::GetInstance()->GetMessenger(protocol, login);
  if (!account) {
    TRACE_END_RESULT("no such account");
    return;
  }
  if (status == 0)
    account->SetStatus(account->GetStatus() == MESSENGER_CONNECTING ? MESSENGER_FAILED : MESSENGER_DISCONNECTED);
  else if (status == 1)
    account->SetStatus(MESSENGER_CONNECTED);
  PostKept(wxEVT_RECEIVE_MESSENGER_INFO, 0, account);
  TRACE_END_RESULT("%d", account->GetStatus());
}
