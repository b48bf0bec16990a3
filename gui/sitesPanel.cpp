#include "gui/sitesPanel.h"

#include <wx/intl.h>

SitesPanel::SitesPanel(Manager* manager, wxWindow* parent, SubscribeChatRoomListener* listener)
    : wxScrolledWindow(parent, wxID_ANY), m_manager(manager), m_listener(listener) {}
