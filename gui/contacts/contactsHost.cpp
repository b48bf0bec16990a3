#include "gui/contacts/contactsHost.h"

namespace {
ContactsHost* g_current = nullptr;
}  // namespace

ContactsHost* ContactsHost::Current() { return g_current; }

void ContactsHost::SetCurrent(ContactsHost* host) { g_current = host; }
