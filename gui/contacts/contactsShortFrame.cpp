#include "gui/contacts/contactsShortFrame.h"

#include <wx/intl.h>
#include <wx/sizer.h>

ContactsShortFrame::ContactsShortFrame(wxWindow* parent, Manager* manager)
    : MyMiniFrame(parent, _("Parlavoxers management")), m_manager(manager) {
  BuildRequestsBox(GetSizer());
}

ContactsShortFrame::~ContactsShortFrame() = default;

bool ContactsShortFrame::Show(bool show) { return MyMiniFrame::Show(show); }

void ContactsShortFrame::UpdateGroups() { Record("groups"); }

void ContactsShortFrame::SetConnectionStatus(bool connected) { Record(connected ? "connected" : "disconnected"); }

wxString ContactsShortFrame::SelectToolTip(ContactInfo*, const std::string&, bool) { return wxString(); }
