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

wxBitmap Manager::GetAvatar(const std::string&, bool, bool, t_border_type, bool) { return wxBitmap(); }
