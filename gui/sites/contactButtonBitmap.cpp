#include "gui/sites/contactButtonBitmap.h"

#include "core/application.h"

ContactButtonBitmap::ContactButtonBitmap(wxWindow* parent, Manager* manager, const ContactInfo& contact,
                                         const std::string& url)
    : wxStaticBitmap(parent, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize, 0),
      m_manager(manager),
      m_contact(contact),
      m_url(url) {}

// A site's avatars go with their panel, which traces that.
ContactButtonBitmap::~ContactButtonBitmap() = default;

void ContactButtonBitmap::UpdateContactInfo(const ContactInfo& contact) {
  const bool wasIn = m_contact.IsSubscribedTo(m_url);
  m_contact = contact;
  if (m_contact.IsSubscribedTo(m_url) != wasIn) Redraw(m_contact.IsBlocked());
}

void ContactButtonBitmap::ShowContact(const ContactInfo& contact, bool blocked) {
  m_contact = contact;
  Redraw(blocked);
}

void ContactButtonBitmap::Redraw(bool blocked) {
  const t_border_type border = m_contact.IsSubscribedTo(m_url) ? BORDER_THICK : BORDER_SIMPLE;
  SetBitmap(m_manager->GetAvatar(m_contact.GetLogin(), true, false, border, blocked));
}
