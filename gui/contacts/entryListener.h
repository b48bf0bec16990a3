// What a contact row asks of the window it stands in: the contacts panel for the rows of the
// contacts list, a chat room's page for its member rows. Every operation comes from a user's
// action on the row (a click, a menu command, a confirmed question).
#ifndef PARLAVOX_GUI_CONTACTS_ENTRYLISTENER_H
#define PARLAVOX_GUI_CONTACTS_ENTRYLISTENER_H

#include <string>

class EntryListener {
 public:
  virtual ~EntryListener() {}
  virtual void OnOpenPrivateChatRoom(const std::string& login) = 0;
  virtual void OnAddContact(const std::string& login, const std::string& message) = 0;
  virtual void OnRemoveContact(const std::string& login, const std::string& message) = 0;
  virtual void OnReportAbuse(const std::string& room, const std::string& login, const std::string& text) = 0;
  virtual void OnBlockContact(const std::string& login, const std::string& message) = 0;
  virtual void OnUnblockContact(const std::string& login, const std::string& message) = 0;
};

#endif
