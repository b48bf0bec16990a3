// One default notification switch of the contacts manager: a picture of the key's state in the
// default record for contacts. A press on the picture goes to the contacts manager (its parent),
// which turns the key on or off.
#ifndef PARLAVOX_GUI_CONTACTS_CONTACTBUTTONBITMAPNOTIFIER2_H
#define PARLAVOX_GUI_CONTACTS_CONTACTBUTTONBITMAPNOTIFIER2_H

#include "gui/notificationSwitch.h"

class ContactsShortFrame;

class ContactButtonBitmapNotifier2 : public NotificationSwitch {
 public:
  ContactButtonBitmapNotifier2(ContactsShortFrame* parent, const wxBitmap& bitmap, const std::string& key);
};

#endif
