// Minimal forms of the operations the main window's handlers call, kept until the controller's
// own files (contacts, profile, sites, rooms) define them in full. Each does the least that
// keeps the windows consistent: nothing goes to the server from here.
#include "core/application.h"

ContactEvent* Manager::SendAddContact(const std::string&, const std::string&) { return nullptr; }
ContactEvent* Manager::SendBlockContact(const std::string&, const std::string&) { return nullptr; }
ContactEvent* Manager::SendUnblockContact(const std::string&, const std::string&) { return nullptr; }
ContactInfo* Manager::RemoveContact(const std::string&, const std::string&) { return nullptr; }

ContactInfo* Manager::UpdateGroup(const std::string& login, const std::string& group) {
  auto found = m_contacts.find(login);
  if (found == m_contacts.end()) return nullptr;
  found->second->SetGroup(group);
  return found->second;
}

void Manager::ChangeStatus(t_status status) { m_status = status; }
void Manager::ReportAbuse(const std::string&, const std::string&, const std::string&) {}
wxBitmap Manager::GetAvatar(const std::string&, bool, bool, t_border_type, bool) { return wxBitmap(); }

t_site_status Manager::SetSiteStatus(const std::string& url, t_site_status status) {
  URLInfo* record = GetURLInfo(url);
  if (record) record->SetStatus(status);
  return record ? record->GetStatus() : status;
}

bool Manager::SendComment(const std::string&, const std::string&, int) { return false; }

ExtensionStatus_t Manager::GetExtensionStatus(const std::string& name) {
  auto found = m_extensionStatus.find(name);
  return found == m_extensionStatus.end() ? ExtensionStatus_t(0) : found->second;
}

void Manager::SubscribeChatRoom(const std::string&) {}
void Manager::UnsubscribeChatRoom(const std::string&) {}

std::vector<ContactInfo*> Manager::GetSubscribedContacts(const std::string& room) const {
  auto found = m_roomMembers.find(room);
  return found == m_roomMembers.end() ? std::vector<ContactInfo*>() : found->second;
}

void Manager::KeyTyped(const std::string&, bool) {}
std::string Manager::IsPrivateChatRoom(const std::string&) const { return ""; }
bool Manager::IsMultiplePrivateChatRoom(const std::string&) const { return false; }
std::string Manager::GetPrivateChatRoomNameWith(const std::string& login) { return "private://" + login; }

std::string Manager::GetChatRoomName(const std::string& name) {
  size_t scheme = name.find("://");
  return scheme == std::string::npos ? name : name.substr(scheme + 3);
}
