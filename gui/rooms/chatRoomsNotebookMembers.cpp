// What the chat-rooms window does with the controller's news of rooms and members: the
// subscription's and the private room's acknowledgements and each member's update, passed to
// the pages concerned.
#include <wx/intl.h>

#include "core/application.h"
#include "core/guiEvents.h"
#include "gui/rooms/chatRoomPanel.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "model/contactInfo.h"
#include "model/log.h"
#include "model/stringConversion.h"
#include "model/urlContactInfo.h"

void ChatRoomsNotebook::OnSubscribeChatRoomAck(wxCommandEvent& event) {
  const wxArrayString& strings = ManagerEvent::StringsOf(event);
  if (strings.size() < 2) return;
  const std::string url = wx2std(strings[0]);
  TRACE_START_ARGS("%s", url.c_str());
  ChatRoomPanel* page = GetChatRoom(url);
  if (!page) page = CreateChatRoom(url, std2wx(m_manager->GetChatRoomName(url)), _("Chatroom opened..."));
  page->RoomAccepted();
  if (strings[1] == "0")
    page->AddAdminMessage(_("Welcome ! There is no Parlavoxer yet."), time(nullptr), wxBLUE);
  else
    page->AddAdminMessage(wxString::Format(_("Welcome ! There are already %s Parlavoxer(s) here."), strings[1]),
                          time(nullptr), wxBLUE);
  TRACE_END();
}

void ChatRoomsNotebook::OnCreateVirtualChatRoomAck(wxCommandEvent& event) {
  const URLContactInfo* room = ManagerEvent::RoomContactOf(event);
  if (!room) return;
  TRACE_START_ARGS("%s", room->GetURL().c_str());
  if (GetChatRoomIndex(room->GetURL()) < 0) {
    const int selected = m_notebook->GetSelection();
    CreateChatRoom(room->GetURL(), std2wx(m_manager->GetChatRoomName(room->GetURL())), _("Chatroom opened ..."));
    if (selected >= 0) m_notebook->SetSelection(size_t(selected));
  }
  if (event.GetInt() == GUI_SUBSCRIBE_CHATROOM_OK) {
    if (ChatRoomPanel* page = GetChatRoom(room->GetURL())) page->RoomAccepted();
    UpdateContact(*room);
  }
  TRACE_END();
}

void ChatRoomsNotebook::RoomRefused(const std::string& url, const wxString& reason) {
  if (ChatRoomPanel* page = GetChatRoom(url)) page->RoomRefused(reason);
}

// Called for each update of a contact: the main window's handler traces the update.
void ChatRoomsNotebook::UpdateContact(const URLContactInfo& update) {
  const std::string url = update.GetURL();
  // A contact gone offline, logged out or out of the room types no more.
  const bool gone = update.GetStatus() == STATUS_OFFLINE || update.IsLogout();
  if (gone && (url == "__ALL__" || url == "none")) StopTypingEverywhere(update.GetLogin());
  else if (gone || !update.IsSubscribedTo(url)) StopTyping(update.GetLogin(), url);
  const ContactInfo contact = update.GetContactInfo();
  if (url == "__ALL__") {
    for (int i = 0; i < m_notebook->GetPageCount(); ++i)
      dynamic_cast<ChatRoomPanel*>(m_notebook->GetPage(size_t(i)))->UpdateContact(contact, update.GetNotify(), false,
                                                                                 false);
  } else if (ChatRoomPanel* page = GetChatRoom(url)) {
    page->UpdateContact(contact, update.GetNotify(), true, false);
  } else if (url != "none" &&
             (!m_manager->IsPrivateChatRoom(url).empty() || m_manager->HasSubscribedTo(url))) {
    CreateChatRoom(url, std2wx(m_manager->GetChatRoomName(url)), _("Chatroom opened"))
        ->UpdateContact(contact, update.GetNotify(), true, false);
  }
}

void ChatRoomsNotebook::AddContacts(const std::string& url, std::vector<ContactInfo*> contacts, bool notify) {
  if (ChatRoomPanel* page = GetChatRoom(url)) page->AddContacts(contacts, notify);
}

void ChatRoomsNotebook::AddContact(const std::string& url, const ContactInfo& contact) {
  if (ChatRoomPanel* page = GetChatRoom(url)) page->AddContact(contact);
  else TRACE_INFO("url not found: %s", url.c_str());
}

void ChatRoomsNotebook::RemoveContact(const std::string& url, const std::string& login) {
  if (ChatRoomPanel* page = GetChatRoom(url)) page->RemoveContact(login);
}

void ChatRoomsNotebook::RemoveContact(const std::string& login) {
  for (int i = 0; i < m_notebook->GetPageCount(); ++i)
    dynamic_cast<ChatRoomPanel*>(m_notebook->GetPage(size_t(i)))->RemoveContact(login);
}

void ChatRoomsNotebook::UpdateAvatar(const std::string& login) {
  for (int i = 0; i < m_notebook->GetPageCount(); ++i)
    dynamic_cast<ChatRoomPanel*>(m_notebook->GetPage(size_t(i)))->UpdateAvatar(login);
}
