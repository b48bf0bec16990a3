// The contacts list: groups, contacts and the open chat rooms.
#ifndef PARLAVOX_GUI_CONTACTSPANEL_H
#define PARLAVOX_GUI_CONTACTSPANEL_H

#include <wx/scrolwin.h>

class Manager;
class SubscribeChatRoomListener;

class ContactsPanel : public wxScrolledWindow {
 public:
  ContactsPanel(Manager* manager, wxWindow* parent, wxFrame* mainWindow, SubscribeChatRoomListener* listener);

 private:
  Manager* m_manager;
  wxFrame* m_mainWindow;
  SubscribeChatRoomListener* m_listener;
};

#endif
