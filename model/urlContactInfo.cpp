#include "model/urlContactInfo.h"

URLContactInfo::URLContactInfo(const std::string& url_, int nbrUsers_, const ContactInfo& contact_, bool notify_,
                               bool logout_, bool focus_)
    : URLContactInfo(url_, nbrUsers_, 0, contact_, notify_, logout_, focus_) {}

URLContactInfo::URLContactInfo(const std::string& url_, int nbrUsers_, int second_, const ContactInfo& contact_,
                               bool notify_, bool logout_, bool focus_)
    : url(url_),
      nbrUsers(nbrUsers_),
      second(second_),
      contact(contact_),
      notify(notify_),
      logout(logout_),
      focus(focus_) {}

URLContactInfo::~URLContactInfo() = default;

std::string URLContactInfo::GetURL() const { return url; }
int URLContactInfo::GetNbrUsers() const { return nbrUsers; }
ContactInfo URLContactInfo::GetContactInfo() const { return contact; }
bool URLContactInfo::GetNotify() const { return notify; }
bool URLContactInfo::IsLogout() const { return logout; }
bool URLContactInfo::GetFocus() const { return focus; }

std::string URLContactInfo::GetLogin() const { return contact.GetLogin(); }
std::string URLContactInfo::GetNickname() const { return contact.GetNickname(); }
std::string URLContactInfo::GetMood() const { return contact.GetMood(); }
std::string URLContactInfo::GetCountry() const { return contact.GetCountry(); }
std::string URLContactInfo::GetGroup() const { return contact.GetGroup(); }
t_status URLContactInfo::GetStatus() const { return contact.GetStatus(); }
bool URLContactInfo::IsConnected() const { return contact.IsConnected(); }
bool URLContactInfo::IsBlocked() const { return contact.IsBlocked(); }
bool URLContactInfo::IsSubscribedTo(const std::string& u) const {
  return contact.IsSubscribedTo(u);
}
