// What a click on a notification does, carried by every notification of the pop-up.
#ifndef PARLAVOX_GUI_NOTIFYACTION_H
#define PARLAVOX_GUI_NOTIFYACTION_H

#include <string>

// Kinds of action; any other value does nothing besides hiding the pop-up.
enum t_notify_action : int {
  NOTIFY_ACTION_NONE = 0,
  NOTIFY_ACTION_PRIVATE_CHATROOM = 1,  // param: the contact's login
  NOTIFY_ACTION_FOCUS_CHATROOM = 2,    // param: the room's URL
  NOTIFY_ACTION_SUBSCRIBE = 3,         // param: the site's URL
  NOTIFY_ACTION_CONTACTS_MANAGER = 4,
  NOTIFY_ACTION_BROWSER = 5,           // param: a web address
  NOTIFY_ACTION_OWN_PROFILE = 6
};

class NotifyAction {
 public:
  NotifyAction(int type, const std::string& param) : m_type(type), m_param(param) {}
  explicit NotifyAction(int type) : m_type(type) {}

  int GetType() const { return m_type; }
  std::string GetParam() const { return m_param; }

 private:
  int m_type;
  std::string m_param;
};

#endif
