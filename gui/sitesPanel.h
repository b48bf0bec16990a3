// The sites open in the browser, shown below the contacts once connected.
#ifndef PARLAVOX_GUI_SITESPANEL_H
#define PARLAVOX_GUI_SITESPANEL_H

#include <wx/scrolwin.h>

class Manager;
class SubscribeChatRoomListener;

class SitesPanel : public wxScrolledWindow {
 public:
  SitesPanel(Manager* manager, wxWindow* parent, SubscribeChatRoomListener* listener);

 private:
  Manager* m_manager;
  SubscribeChatRoomListener* m_listener;
};

#endif
