// The contacts manager: every contact and the pending requests.
#ifndef PARLAVOX_GUI_CONTACTSSHORTFRAME_H
#define PARLAVOX_GUI_CONTACTSSHORTFRAME_H

#include "widgets/myMiniFrame.h"

class Manager;

class ContactsShortFrame : public MyMiniFrame {
 public:
  ContactsShortFrame(wxWindow* parent, Manager* manager);

 private:
  Manager* m_manager;
};

#endif
