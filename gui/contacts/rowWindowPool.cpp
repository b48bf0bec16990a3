#include "gui/contacts/rowWindowPool.h"

#include <utility>

#include "gui/contacts/contactEntry.h"

RowWindowPool::RowWindowPool(Maker maker) : m_maker(std::move(maker)) {}

ContactEntry* RowWindowPool::Take(const ContactInfo& contact, bool subscribed) {
  for (size_t i = m_spare.size(); i-- > 0;) {
    ContactEntry* spare = m_spare[i];
    if (!spare->CanShow(contact)) continue;
    m_spare.erase(m_spare.begin() + long(i));
    spare->ShowContact(contact, subscribed);
    return spare;
  }
  ContactEntry* window = m_maker(contact, subscribed);
  window->Hide();
  return window;
}

void RowWindowPool::Give(ContactEntry* window) {
  if (m_spare.size() >= kMaxSpare) return window->Discard();
  window->Hide();
  m_spare.push_back(window);
}

void RowWindowPool::ForgetListener() {
  for (ContactEntry* window : m_spare) window->ForgetListener();
}
