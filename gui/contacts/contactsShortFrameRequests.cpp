#include <string>

#include "gui/contacts/contactsShortFrame.h"
#include "model/contactEvent.h"

void ContactsShortFrame::BuildRequestsBox(wxSizer*) {}

void ContactsShortFrame::UpdateContactEvent(const ContactEvent& event) {
  Record("event " + std::to_string(event.GetId()) + " " + std::to_string(event.GetType()) + " " + event.GetLogin());
}

void ContactsShortFrame::RemoveContactEvent(long) {}

void ContactsShortFrame::RemoveContactEvents() {}

void ContactsShortFrame::OnRemoveContactEvents(wxCommandEvent&) { RemoveContactEvents(); }
