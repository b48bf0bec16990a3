// One notification switch of the profile window: a press on the picture goes to the profile
// window (its parent), which turns the state and the picture.
#ifndef PARLAVOX_GUI_PROFILES_CONTACTBUTTONBITMAPNOTIFIER_H
#define PARLAVOX_GUI_PROFILES_CONTACTBUTTONBITMAPNOTIFIER_H

#include "gui/notificationSwitch.h"

class ContactInfoFrame;

class ContactButtonBitmapNotifier : public NotificationSwitch {
 public:
  ContactButtonBitmapNotifier(ContactInfoFrame* parent, const wxBitmap& bitmap, const std::string& key);
};

#endif
