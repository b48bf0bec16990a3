#include "gui/contactsShortFrame.h"

#include <wx/intl.h>

ContactsShortFrame::ContactsShortFrame(wxWindow* parent, Manager* manager)
    : MyMiniFrame(parent, _("Contacts")), m_manager(manager) {}
