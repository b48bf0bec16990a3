// The contacts list: groups, contacts and the open chat rooms.
#ifndef PARLAVOX_GUI_CONTACTSPANEL_H
#define PARLAVOX_GUI_CONTACTSPANEL_H

#include "gui/callRecord.h"
#include <string>
#include <wx/scrolwin.h>

class Manager;
class URLContactInfo;
class SubscribeChatRoomListener;

class ContactsPanel : public wxScrolledWindow, public CallRecord {
 public:
  ContactsPanel(Manager* manager, wxWindow* parent, wxFrame* mainWindow, SubscribeChatRoomListener* listener);

  void SwitchSubscribeChatRoom(const std::string& url, bool subscribed);
  void UpdateContact(const URLContactInfo& update);
  void RemoveContact(const std::string& login);
  void RemoveAllPrivateContacts();
  // The session ended: the open rooms leave the list.
  void Disconnection();
  void InitPrivateContactsGroups();
  void UpdateAvatar(const std::string& login);
  // Marks the contact whose private room received a message or a file notice.
  void NotifyNewMessage(const std::string& login);

 private:
  Manager* m_manager;
  wxFrame* m_mainWindow;
  SubscribeChatRoomListener* m_listener;
};

#endif
