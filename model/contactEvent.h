// One entry of the contact-requests list: an add request or its answer, a removal, a block or
// unblock, a registration check, or an invitation to a private chat room.
#ifndef PARLAVOX_MODEL_CONTACTEVENT_H
#define PARLAVOX_MODEL_CONTACTEVENT_H

#include <wx/object.h>

#include <string>

enum t_contact_event_type : int {
  CE_ADD_ASKED = 0,         // the user asked to add someone
  CE_ADD_ACCEPTED = 1,      // the user accepted someone's add request
  CE_ADD_REFUSED = 2,       // the user refused someone's add request
  CE_ADD_RECEIVED = 3,      // someone asks to add the user
  CE_ANSWER_ACCEPTED = 4,   // the other user accepted the user's request or invitation
  CE_ANSWER_REFUSED = 5,    // the other user refused it
  CE_REMOVED = 6,           // the user removed a contact
  CE_REMOVED_BY_OTHER = 7,  // the other user removed the user
  CE_INVITED = 8,           // invitation to a private chat room received
  CE_CHECKING = 9,          // registration check under way
  CE_REGISTERED = 10,       // the check found a registered user
  CE_NOT_REGISTERED = 11,   // the check found none
  CE_BLOCKED = 12,          // the user blocked a contact
  CE_UNBLOCKED = 13         // the user unblocked a contact
};

class ContactEvent : public wxObject {
 public:
  ContactEvent(long id, int type, const std::string& url, const std::string& login,
               const std::string& nickname, const std::string& message);
  ContactEvent(const ContactEvent& other);
  ContactEvent& operator=(const ContactEvent& other);
  ~ContactEvent() override;

  long GetId() const;
  int GetType() const;
  std::string GetURL() const;
  std::string GetLogin() const;
  std::string GetNickname() const;
  std::string GetMessage() const;
  bool IsAnswered() const;

  void SetType(int type);
  void SetLogin(const std::string& login);
  void SetNickname(const std::string& nickname);
  void SetMessage(const std::string& message);
  void SetAnswered(bool answered);

 private:
  long id;
  int type;
  std::string url;
  std::string login;
  std::string nickname;
  std::string message;
  bool answered;
};

#endif
