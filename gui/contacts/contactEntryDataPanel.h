// The details under a contact's nickname: gender and age, location (or the contact's network),
// and a sentence telling the contact's presence.
#ifndef PARLAVOX_GUI_CONTACTS_CONTACTENTRYDATAPANEL_H
#define PARLAVOX_GUI_CONTACTS_CONTACTENTRYDATAPANEL_H

#include <wx/panel.h>

#include <string>

#include "model/contactInfo.h"

class ContactEntry;
class Manager;
class wxStaticBitmap;
class wxStaticText;

class ContactEntryDataPanel : public wxPanel {
 public:
  // Built hidden; the row shows it.
  ContactEntryDataPanel(ContactEntry* row, Manager* manager, const ContactInfo& info);
  ~ContactEntryDataPanel() override;

  void SetStatus(t_status status);
  void UpdateContactInfo(const ContactInfo& info);

  // The texts, whole however they are cut on the screen (for the row's accessible name and for
  // tests).
  wxString GetAgeText() const { return m_age; }
  wxString GetLocationText() const { return m_location; }
  wxString GetStatusText() const { return m_status; }

  // Fits each line in `width` pixels, a text too long for it cut with an ellipsis; -1 shows the
  // texts whole.
  void FitTo(int width);

  // The name the presence sentence uses: an external contact's login without its "@" part.
  static std::string ShownName(const std::string& login, const std::string& imType);

 private:
  wxString AgeText(const ContactInfo& info) const;
  wxString LocationText(const ContactInfo& info) const;
  wxStaticText* AddText(wxWindow* row, const wxString& label);
  // Shows `whole` in `text`, cut to the width last given.
  void ShowText(wxStaticText* text, const wxString& whole);

  Manager* m_manager;
  std::string m_login;
  std::string m_shownName;
  wxStaticText* m_statusText = nullptr;
  wxStaticText* m_ageText = nullptr;
  wxStaticText* m_locationText = nullptr;
  wxStaticBitmap* m_genderBitmap = nullptr;
  wxString m_age;
  wxString m_location;
  wxString m_status;
  int m_width = -1;
};

#endif
