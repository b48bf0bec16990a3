// The avatar of one Parlavoxer on a site, in the grid of the site's panel: a thick frame while the
// person is in the site's room, a thin one otherwise, crossed out when blocked.
#ifndef PARLAVOX_GUI_SITES_CONTACTBUTTONBITMAP_H
#define PARLAVOX_GUI_SITES_CONTACTBUTTONBITMAP_H

#include <wx/statbmp.h>

#include <string>

#include "model/contactInfo.h"

class Manager;

class ContactButtonBitmap : public wxStaticBitmap {
 public:
  ContactButtonBitmap(wxWindow* parent, Manager* manager, const ContactInfo& contact, const std::string& url);
  ~ContactButtonBitmap() override;

  // Takes the person's newer record; the picture is drawn again only when the person entered or
  // left the site's room.
  void UpdateContactInfo(const ContactInfo& contact);
  // Draws the picture again, the frame from the record held, crossed when `blocked`.
  void Redraw(bool blocked);
  // Shows another person in the same place (one who waited for a cell takes the cell of one who
  // left): the person's record and picture.
  void ShowContact(const ContactInfo& contact, bool blocked);

  const ContactInfo& GetContact() const { return m_contact; }
  std::string GetLogin() const { return m_contact.GetLogin(); }
  const std::string& GetURL() const { return m_url; }

 private:
  Manager* m_manager;
  ContactInfo m_contact;
  std::string m_url;
};

#endif
