// The chat-room page's members as the conversation needs them: a colour for each member, taken
// from the page's pool when the member arrives and given back when the member leaves. The rows
// of the member column come with the member list.
#include "core/application.h"
#include "gui/rooms/chatRoomPanel.h"
#include "model/contactInfo.h"
#include "model/log.h"

void ChatRoomPanel::AddContacts(const std::vector<ContactInfo*>& contacts, bool notify) {
  for (const ContactInfo* contact : contacts)
    if (contact) UpdateContact(*contact, notify, true, true);
}

void ChatRoomPanel::AddContact(const ContactInfo& contact) { TakeColour(contact.GetLogin()); }

void ChatRoomPanel::RemoveContact(const std::string& login) { ReturnColour(login); }

void ChatRoomPanel::UpdateContact(const ContactInfo& contact, bool, bool add, bool) {
  const std::string login = contact.GetLogin();
  const bool member = m_contactColours.count(login) && m_contactColours[login].IsOk();
  const bool inRoom = contact.IsSubscribedTo(m_url) || login == m_manager->GetLogin();
  if (member && !inRoom) RemoveContact(login);
  else if (!member && add && inRoom) AddContact(contact);
}

void ChatRoomPanel::UpdateAvatar(const std::string&) {}

void ChatRoomPanel::TakeColour(const std::string& login) {
  if (login == m_manager->GetLogin()) return;
  auto found = m_contactColours.find(login);
  if (found != m_contactColours.end() && found->second.IsOk()) return;
  if (m_freeColours.empty()) {
    m_contactColours[login] = *wxBLACK;
    return;
  }
  m_contactColours[login] = m_freeColours.back();
  m_freeColours.pop_back();
}

void ChatRoomPanel::ReturnColour(const std::string& login) {
  if (login == m_manager->GetLogin()) return;
  auto found = m_contactColours.find(login);
  if (found == m_contactColours.end() || !found->second.IsOk()) return;
  // Black is what a member gets once the pool is empty; it is not one of the pool's.
  if (found->second != *wxBLACK) m_freeColours.push_back(found->second);
  found->second = wxColour();
}
