// One line of a chat room as the controller hands it to the windows.
#ifndef PARLAVOX_MODEL_MESSAGE_H
#define PARLAVOX_MODEL_MESSAGE_H

#include <wx/object.h>

#include <ctime>
#include <string>

class Message : public wxObject {
 public:
  Message(const std::string& site, const std::string& login, const std::string& nickname, const std::string& text,
          time_t time, bool history);
  // A notice of the room: no sender, time 0, administrative.
  Message(const std::string& site, const std::string& text);
  ~Message() override;

  std::string GetLogin() const;
  std::string GetNickname() const;
  std::string GetText() const;
  std::string GetSite() const;
  time_t GetTime() const;
  bool IsAdminMessage() const;
  bool IsHistory() const;

 private:
  std::string login;
  std::string nickname;
  std::string text;
  std::string site;
  time_t time;
  bool admin;
  bool history;
};

#endif
