#include "gui/contacts/contactsShortFrame.h"

#include <wx/intl.h>

ContactsShortFrame::ContactsShortFrame(wxWindow* parent, Manager* manager)
    : MyMiniFrame(parent, _("Contacts")), m_manager(manager) {}

#include "model/contactEvent.h"

void ContactsShortFrame::UpdateContactEvent(const ContactEvent& event) {
  Record("event " + std::to_string(event.GetId()) + " " + std::to_string(event.GetType()) + " " + event.GetLogin());
}
void ContactsShortFrame::UpdateGroups() { Record("groups"); }

void ContactsShortFrame::SetConnectionStatus(bool connected) { Record(connected ? "connected" : "disconnected"); }
