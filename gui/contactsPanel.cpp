#include "gui/contactsPanel.h"

#include <wx/intl.h>

ContactsPanel::ContactsPanel(Manager* manager, wxWindow* parent, wxFrame* mainWindow, SubscribeChatRoomListener* listener)
    : wxScrolledWindow(parent, wxID_ANY), m_manager(manager), m_mainWindow(mainWindow), m_listener(listener) {}
