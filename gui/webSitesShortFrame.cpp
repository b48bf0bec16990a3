#include "gui/webSitesShortFrame.h"

#include <wx/intl.h>

WebSitesShortFrame::WebSitesShortFrame(wxWindow* parent, Manager* manager)
    : MyMiniFrame(parent, _("Sites")), m_manager(manager) {}
