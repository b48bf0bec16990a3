#include <string>

#include "gui/contacts/contactsShortFrame.h"
#include "model/contactEvent.h"

void ContactsShortFrame::BuildRequestsBox(wxSizer*) {}

void ContactsShortFrame::UpdateContactEvent(const ContactEvent&) {}

void ContactsShortFrame::RemoveContactEvent(long) {}

void ContactsShortFrame::RemoveContactEvents() {}

void ContactsShortFrame::OnRemoveContactEvents(wxCommandEvent&) { RemoveContactEvents(); }
