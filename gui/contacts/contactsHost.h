// What the contact rows, the group headers and the contacts manager ask of the main window: the
// window that owns what outlives single rows (the tip the member rows share), a contact's profile
// opened, every view of the groups rebuilt, and a group's new name passed to the windows that
// hold the old one.
//
// The contacts manager is handed its host when it is made. Rows and group headers are made in
// too many places for that: they find the main window's face through Current(), set while the
// main window stands and null before and after.
#ifndef PARLAVOX_GUI_CONTACTS_CONTACTSHOST_H
#define PARLAVOX_GUI_CONTACTS_CONTACTSHOST_H

#include <string>

class wxWindow;

class ContactsHost {
 public:
  virtual ~ContactsHost() {}
  virtual wxWindow* GetTipOwner() = 0;
  // Shows the profile window of `login`, made when there is none.
  virtual void OpenProfile(const std::string& login) = 0;
  virtual void UpdatePrivateContactsGroups() = 0;
  virtual void GroupRenamed(const std::string& oldName, const std::string& newName) = 0;

  static ContactsHost* Current();
  // GUI thread only; the main window sets itself once made and null as it goes.
  static void SetCurrent(ContactsHost* host);
};

#endif
