#include "gui/rooms/chatRoomsNotebook.h"

#include <wx/intl.h>

#include "core/guiEvents.h"
#include "model/contactInfo.h"
#include "model/fileMessage.h"
#include "model/stringConversion.h"
#include "model/urlContactInfo.h"

ChatRoomsNotebook::ChatRoomsNotebook(Manager* manager, wxWindow* parent)
    : wxFrame(parent, wxID_ANY, _("Chat rooms")), m_manager(manager) {}

void ChatRoomsNotebook::UpdateContact(const URLContactInfo& update) {
  Record("contact " + update.GetURL() + " " + update.GetLogin());
}

void ChatRoomsNotebook::OnSubscribeChatRoomAck(wxCommandEvent& event) {
  const wxArrayString& strings = ManagerEvent::StringsOf(event);
  if (strings.size() < 2) return;
  m_rooms.insert(wx2std(strings[0]));
  Record("subscribed " + wx2std(strings[0]) + " " + wx2std(strings[1]));
}

void ChatRoomsNotebook::OnCreateVirtualChatRoomAck(wxCommandEvent& event) {
  auto* room = dynamic_cast<URLContactInfo*>(event.GetEventObject());
  if (!room) return;
  m_rooms.insert(room->GetURL());
  Record("private room " + room->GetURL() + " " + room->GetLogin());
}

void ChatRoomsNotebook::AddContacts(const std::string& url, std::vector<ContactInfo*> contacts, bool) {
  std::string line = "members " + url;
  for (ContactInfo* contact : contacts) line += " " + contact->GetLogin();
  Record(line);
}

void ChatRoomsNotebook::AddContact(const std::string& url, const ContactInfo& contact) {
  Record("member " + url + " " + contact.GetLogin());
}

void ChatRoomsNotebook::AddMessage(Message* message) {
  Record("message " + message->GetSite() + " " + message->GetLogin() + ": " + message->GetText());
}

void ChatRoomsNotebook::AddFileMessage(FileMessage* message) {
  Record("file " + message->GetSite() + " " + std::to_string(int(message->GetStatus())));
}

void ChatRoomsNotebook::FocusOnChatRoom(const std::string& url) { Record("focus " + url); }

wxWindow* ChatRoomsNotebook::CreateChatRoom(const std::string& url, const wxString& name, const wxString& notice) {
  m_rooms.insert(url);
  Record("open " + url + " " + wx2std(name) + " " + wx2std(notice));
  return nullptr;
}

void ChatRoomsNotebook::SetKeyTyped(const std::string& url, const std::string& login, const std::string&,
                                    bool typing) {
  Record("typing " + url + " " + login + (typing ? " yes" : " no"));
}

void ChatRoomsNotebook::BanChatRoom(const std::string& url) { Record("banned " + url); }
void ChatRoomsNotebook::UpdateAvatar(const std::string& login) { Record("avatar " + login); }
void ChatRoomsNotebook::CloseChatRoom(const std::string& url) { m_rooms.erase(url); }

void ChatRoomsNotebook::SetConnectionStatus(bool connected) { Record(connected ? "connected" : "disconnected"); }
