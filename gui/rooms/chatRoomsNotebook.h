// The frame of chat-room tabs, one page per open room.
#ifndef PARLAVOX_GUI_CHATROOMSNOTEBOOK_H
#define PARLAVOX_GUI_CHATROOMSNOTEBOOK_H

#include <wx/frame.h>

#include <set>
#include <string>
#include <vector>

class Manager;

#include "gui/callRecord.h"

class ContactInfo;
class FileMessage;
class Message;
class URLContactInfo;

class ChatRoomsNotebook : public wxFrame, public CallRecord {
 public:
  ChatRoomsNotebook(Manager* manager, wxWindow* parent);

  void UpdateContact(const URLContactInfo& update);
  // The subscription's strings: the room's URL, then the number of members as a decimal text.
  void OnSubscribeChatRoomAck(wxCommandEvent& event);
  // The payload is the new private room's URLContactInfo.
  void OnCreateVirtualChatRoomAck(wxCommandEvent& event);
  void AddContacts(const std::string& url, std::vector<ContactInfo*> contacts, bool notify);
  void AddContact(const std::string& url, const ContactInfo& contact);
  // Shows a message in its room; the caller keeps ownership of the message.
  void AddMessage(Message* message);
  void AddFileMessage(FileMessage* message);
  void FocusOnChatRoom(const std::string& url);
  int GetNbrChatRooms() const { return int(m_rooms.size()); }
  bool IsChatRoomOpened(const std::string& url) const { return m_rooms.count(url) > 0; }
  // Creates the room's page; returns it once pages exist.
  wxWindow* CreateChatRoom(const std::string& url, const wxString& name, const wxString& notice);
  void SetKeyTyped(const std::string& url, const std::string& login, const std::string& nickname, bool typing);
  void BanChatRoom(const std::string& url);
  void UpdateAvatar(const std::string& login);
  // The page of a room closes.
  void CloseChatRoom(const std::string& url);
  // Whether the user is connected: rooms can be written in or not.
  void SetConnectionStatus(bool connected);

 private:
  Manager* m_manager;
  std::set<std::string> m_rooms;
};

#endif
