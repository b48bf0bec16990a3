#include "core/roomMembers.h"

#include "model/contactInfo.h"

bool RoomMembers::Add(ContactInfo* contact) {
  auto added = m_byLogin.emplace(contact->GetLogin(), m_order.end());
  if (!added.second) return false;
  added.first->second = m_order.insert(m_order.end(), contact);
  return true;
}

void RoomMembers::Remove(const std::string& login) {
  auto found = m_byLogin.find(login);
  if (found == m_byLogin.end()) return;
  m_order.erase(found->second);
  m_byLogin.erase(found);
}

bool RoomMembers::Has(const ContactInfo* contact) const {
  auto found = m_byLogin.find(contact->GetLogin());
  return found != m_byLogin.end() && *found->second == contact;
}
