#include "model/contactEvent.h"

#include "model/log.h"

ContactEvent::ContactEvent(long id_, int type_, const std::string& url_, const std::string& login_,
                           const std::string& nickname_, const std::string& message_)
    : id(id_), type(type_), url(url_), login(login_), nickname(nickname_), message(message_), answered(false) {
  TRACE_START_ARGS("%ld, %d, %s, %s", id_, type_, url_.c_str(), login_.c_str());
  TRACE_END();
}

ContactEvent::ContactEvent(const ContactEvent& other) = default;
ContactEvent& ContactEvent::operator=(const ContactEvent& other) = default;
ContactEvent::~ContactEvent() = default;

long ContactEvent::GetId() const { return id; }
int ContactEvent::GetType() const { return type; }
std::string ContactEvent::GetURL() const { return url; }
std::string ContactEvent::GetLogin() const { return login; }
std::string ContactEvent::GetNickname() const { return nickname; }
std::string ContactEvent::GetMessage() const { return message; }
bool ContactEvent::IsAnswered() const { return answered; }

void ContactEvent::SetType(int v) { TRACE_STARTEND(); type = v; }
void ContactEvent::SetLogin(const std::string& v) { TRACE_STARTEND(); login = v; }
void ContactEvent::SetNickname(const std::string& v) { TRACE_STARTEND(); nickname = v; }
void ContactEvent::SetMessage(const std::string& v) { TRACE_STARTEND(); message = v; }
void ContactEvent::SetAnswered(bool v) { TRACE_STARTEND(); answered = v; }
