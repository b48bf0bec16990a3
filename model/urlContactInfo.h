// One contact's update in a chat room, or in the contact list itself when the URL is "none".
#ifndef PARLAVOX_MODEL_URLCONTACTINFO_H
#define PARLAVOX_MODEL_URLCONTACTINFO_H

#include <wx/object.h>

#include <string>

#include "model/contactInfo.h"

class URLContactInfo : public wxObject {
 public:
  URLContactInfo(const std::string& url, int nbrUsers, const ContactInfo& contact, bool notify, bool logout,
                 bool focus);
  // The form the contacts panel uses; `second` is kept and read by nothing.
  URLContactInfo(const std::string& url, int nbrUsers, int second, const ContactInfo& contact, bool notify,
                 bool logout, bool focus);
  ~URLContactInfo() override;

  std::string GetURL() const;
  int GetNbrUsers() const;
  ContactInfo GetContactInfo() const;
  bool GetNotify() const;
  bool IsLogout() const;
  bool GetFocus() const;

  std::string GetLogin() const;
  std::string GetNickname() const;
  std::string GetMood() const;
  std::string GetCountry() const;
  std::string GetGroup() const;
  t_status GetStatus() const;
  bool IsConnected() const;
  bool IsBlocked() const;
  bool IsSubscribedTo(const std::string& url) const;

 private:
  std::string url;
  int nbrUsers;
  int second;
  ContactInfo contact;
  bool notify;
  bool logout;
  bool focus;
};

#endif
