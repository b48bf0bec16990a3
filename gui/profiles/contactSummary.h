// A contact shown in short inside the profile form and the contact tool tip: avatar, nickname in
// the colour of the presence, mood, and a line of gender, age and location.
#ifndef PARLAVOX_GUI_PROFILES_CONTACTSUMMARY_H
#define PARLAVOX_GUI_PROFILES_CONTACTSUMMARY_H

#include <wx/panel.h>

#include "model/contactInfo.h"

class Manager;
class wxStaticBitmap;
class wxStaticText;

class ContactSummary : public wxPanel {
 public:
  ContactSummary(Manager* manager, wxWindow* parent, const ContactInfo& info);
  void UpdateContactInfo(const ContactInfo& info);
  void UpdateAvatar(bool ask);
  const ContactInfo& GetContactInfo() const { return m_info; }

 private:
  Manager* m_manager;
  ContactInfo m_info;
  wxStaticBitmap* m_avatar;
  wxStaticText* m_nickname;
  wxStaticText* m_mood;
  wxStaticText* m_details;
};

#endif
