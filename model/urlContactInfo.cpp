#include "model/urlContactInfo.h"

#include "model/log.h"

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
      focus(focus_) {
  TRACE_START_ARGS("%s, %d", url_.c_str(), nbrUsers_);
  TRACE_END();
}

URLContactInfo::~URLContactInfo() = default;

std::string URLContactInfo::GetURL() const { TRACE_STARTEND(); return url; }
int URLContactInfo::GetNbrUsers() const { TRACE_STARTEND(); return nbrUsers; }
ContactInfo URLContactInfo::GetContactInfo() const { TRACE_STARTEND(); return contact; }
bool URLContactInfo::GetNotify() const { TRACE_STARTEND(); return notify; }
bool URLContactInfo::IsLogout() const { TRACE_STARTEND(); return logout; }
bool URLContactInfo::GetFocus() const { TRACE_STARTEND(); return focus; }

std::string URLContactInfo::GetLogin() const { TRACE_STARTEND(); return contact.GetLogin(); }
std::string URLContactInfo::GetNickname() const { TRACE_STARTEND(); return contact.GetNickname(); }
std::string URLContactInfo::GetMood() const { TRACE_STARTEND(); return contact.GetMood(); }
std::string URLContactInfo::GetCountry() const { TRACE_STARTEND(); return contact.GetCountry(); }
std::string URLContactInfo::GetGroup() const { TRACE_STARTEND(); return contact.GetGroup(); }
t_status URLContactInfo::GetStatus() const { TRACE_STARTEND(); return contact.GetStatus(); }
bool URLContactInfo::IsConnected() const { TRACE_STARTEND(); return contact.IsConnected(); }
bool URLContactInfo::IsBlocked() const { TRACE_STARTEND(); return contact.IsBlocked(); }
bool URLContactInfo::IsSubscribedTo(const std::string& u) const {
  TRACE_STARTEND();
  return contact.IsSubscribedTo(u);
}
