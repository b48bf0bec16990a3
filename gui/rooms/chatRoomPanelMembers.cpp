// The chat-room page's members: one row per member in the column beside the conversation, in
// order of arrival, and a colour for each member's name and lines, taken from the page's pool
// when the member arrives and given back when the member leaves (the user's own login keeps a
// colour of its own). Arrivals and departures are written in the conversation and, as the
// user's settings say, raise a pop-up and a sound.
#include <wx/intl.h>

#include "core/application.h"
#include "core/guiEvents.h"
#include "gui/notifyFrame.h"
#include "gui/rooms/chatRoomPanel.h"
#include "gui/rooms/memberColumn.h"
#include "gui/soundPlayer.h"
#include "model/contactInfo.h"
#include "model/log.h"
#include "model/stringConversion.h"
#include "model/urlInfo.h"
#include "widgets/shownText.h"

namespace {

// Longest nickname and room name in a pop-up line.
const size_t kShownName = 48;

}  // namespace

void ChatRoomPanel::AddContacts(const std::vector<ContactInfo*>& contacts, bool notify) {
  TRACE_START_ARGS("%s, %d", m_url.c_str(), int(contacts.size()));
  for (const ContactInfo* contact : contacts)
    if (contact) ApplyContact(*contact, notify, true, true);
  TRACE_END();
}

ContactEntry* ChatRoomPanel::FindContact(const std::string& login) { return m_members->FindRow(login); }

std::vector<std::string> ChatRoomPanel::GetMemberLogins() const { return m_members->GetLogins(); }

size_t ChatRoomPanel::GetMemberCount() const { return m_members->GetCount(); }

void ChatRoomPanel::AddContact(const ContactInfo& contact) {
  TRACE_START_ARGS("%s", contact.GetLogin().c_str());
  AddRow(contact);
  TRACE_END();
}

void ChatRoomPanel::AddRow(const ContactInfo& contact) {
  m_members->Add(contact);
  TakeColour(contact.GetLogin());
}

void ChatRoomPanel::RemoveContact(const std::string& login) {
  TRACE_START_ARGS("%s", login.c_str());
  RemoveRow(login);
  TRACE_END();
}

// A row may have its menu or a question open: it goes from the screen now and is destroyed once
// those are closed.
void ChatRoomPanel::RemoveRow(const std::string& login) {
  m_members->Remove(login);
  ReturnColour(login);
}

void ChatRoomPanel::RemoveAllContacts() {
  TRACE_START_ARGS("%s, %zu", m_url.c_str(), m_members->GetCount());
  for (const std::string& login : m_members->GetLogins()) ReturnColour(login);
  m_members->RemoveAll();
  TRACE_END();
}

void ChatRoomPanel::UpdateContact(const ContactInfo& contact, bool notify, bool add, bool quiet) {
  TRACE_START_ARGS("%s, %s, %d%d%d", m_url.c_str(), contact.GetLogin().c_str(), int(notify), int(add), int(quiet));
  ApplyContact(contact, notify, add, quiet);
  TRACE_END();
}

void ChatRoomPanel::ApplyContact(const ContactInfo& contact, bool notify, bool add, bool quiet) {
  const std::string login = contact.GetLogin();
  // A closed room has no members to show, whatever the server says of the room meanwhile.
  if (m_closed) return;
  const bool inRoom = contact.IsSubscribedTo(m_url);
  if (m_members->Has(login)) {
    if (inRoom) {
      m_members->Update(contact);
    } else {
      RemoveRow(login);
      if (m_manager->HasSubscribedTo(m_url)) Announce(contact, false, notify);
    }
  } else if (add) {
    AddRow(contact);
    if (!quiet) {
      if (!inRoom) RemoveRow(login);
      else if (m_manager->HasSubscribedTo(m_url)) Announce(contact, true, notify);
    }
  }
}

void ChatRoomPanel::UpdateAvatar(const std::string& login) { m_members->UpdateAvatar(login); }

// The notice in the conversation; then, when asked and never in a one-to-one room, the pop-up
// and the sound, each as the contact's own setting, else the site's for its visitors, else the
// default says.
void ChatRoomPanel::Announce(const ContactInfo& contact, bool arrival, bool notify) {
  const wxString nickname = std2wx(contact.GetNickname());
  AddAdminMessage(nickname + (arrival ? _(" joins this chatroom") : _(" leaves this chatroom")), time(nullptr),
                  wxBLUE);
  if (!notify || !m_manager->IsPrivateChatRoom(m_url).empty()) return;
  const URLInfo* site = m_manager->GetURLInfo(m_url);
  const ContactInfo* defaults = m_manager->GetDefaultContactInfo();
  const bool visual =
      arrival ? IsNotificationOn(contact.GetSubscribeVisual(), site->GetSubscribeVisualContact(),
                                 defaults->GetSubscribeVisual())
              : IsNotificationOn(contact.GetUnsubscribeVisual(), site->GetUnsubscribeVisualContact(),
                                 defaults->GetUnsubscribeVisual());
  const bool bell = arrival ? IsNotificationOn(contact.GetSubscribeBell(), site->GetSubscribeBellContact(),
                                               defaults->GetSubscribeBell())
                            : IsNotificationOn(contact.GetUnsubscribeBell(), site->GetUnsubscribeBellContact(),
                                               defaults->GetUnsubscribeBell());
  if (visual) {
    // Drawn when shown: of many members coming at once, only the last few ever are.
    Manager* manager = m_manager;
    const NotifyPicture avatar = [manager, login = contact.GetLogin(), blocked = contact.IsBlocked()] {
      return manager->GetAvatar(login, false, false, BORDER_SIMPLE, blocked);
    };
    const wxString text = (arrival ? _("subscribes to") : _("unsubscribes from")) + "\n" +
                          shown::OneLine(m_manager->GetChatRoomName(m_url), kShownName);
    if (NotifyFrame* popup = NotifyFrame::AddNotification(
            NotifyAction(NOTIFY_ACTION_FOCUS_CHATROOM, m_url), arrival ? _("Enter chatroom") : _("Leave chatroom"),
            shown::OneLine(contact.GetNickname(), kShownName), avatar, text))
      popup->Popup();
  }
  if (bell) sound::Play(arrival ? "sounds/online.wav" : "sounds/offline.wav");
}

wxColour ChatRoomPanel::GetMemberColour(const std::string& login) const {
  auto found = m_contactColours.find(login);
  return found == m_contactColours.end() ? wxColour() : found->second;
}

// The user's own login keeps its colour: it neither takes one from the pool nor gives one
// back, however often the user's own row comes and goes with the connection.
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
