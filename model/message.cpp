#include "model/message.h"

#include "model/log.h"

Message::Message(const std::string& site_, const std::string& login_, const std::string& nickname_,
                 const std::string& text_, time_t time_, bool history_)
    : login(login_), nickname(nickname_), text(text_), site(site_), time(time_), admin(false), history(history_) {
  TRACE_START_ARGS("%s, %s", site_.c_str(), login_.c_str());
  TRACE_END();
}

Message::Message(const std::string& site_, const std::string& text_)
    : text(text_), site(site_), time(0), admin(true), history(false) {
  TRACE_START_ARGS("%s", site_.c_str());
  TRACE_END();
}

Message::~Message() = default;

std::string Message::GetLogin() const { TRACE_STARTEND(); return login; }
std::string Message::GetNickname() const { TRACE_STARTEND(); return nickname; }
std::string Message::GetText() const { TRACE_STARTEND(); return text; }
std::string Message::GetSite() const { TRACE_STARTEND(); return site; }
time_t Message::GetTime() const { TRACE_STARTEND(); return time; }
bool Message::IsAdminMessage() const { TRACE_STARTEND(); return admin; }
bool Message::IsHistory() const { TRACE_STARTEND(); return history; }
