#include "model/message.h"

#include "model/log.h"

Message::Message(const std::string& site_, const std::string& login_, const std::string& nickname_,
                 const std::string& text_, time_t time_, bool history_)
    : login(login_), nickname(nickname_), text(text_), site(site_), time(time_), admin(false), history(history_) {
}

Message::Message(const std::string& site_, const std::string& text_)
    : text(text_), site(site_), time(0), admin(true), history(false) {
}

Message::~Message() = default;

std::string Message::GetLogin() const { return login; }
std::string Message::GetNickname() const { return nickname; }
std::string Message::GetText() const { return text; }
std::string Message::GetSite() const { return site; }
time_t Message::GetTime() const { return time; }
bool Message::IsAdminMessage() const { return admin; }
bool Message::IsHistory() const { return history; }
