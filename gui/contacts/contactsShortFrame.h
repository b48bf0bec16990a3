// The contacts manager: every contact and the pending requests.
#ifndef PARLAVOX_GUI_CONTACTSSHORTFRAME_H
#define PARLAVOX_GUI_CONTACTSSHORTFRAME_H

#include "gui/callRecord.h"
#include "widgets/myMiniFrame.h"

class Manager;
class ContactEvent;

class ContactsShortFrame : public MyMiniFrame, public CallRecord {
 public:
  ContactsShortFrame(wxWindow* parent, Manager* manager);

  // Lists a request, an answer or an invitation, in place of the row of the same id.
  void UpdateContactEvent(const ContactEvent& event);
  void UpdateGroups();
  // Whether the user is connected: requests can be sent or not.
  void SetConnectionStatus(bool connected);

 private:
  Manager* m_manager;
};

#endif
