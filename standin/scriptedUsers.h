// The demonstration's scripted users: online inside the server, seated in one site's chat
// room; they answer what is said to them, accept contact requests and invitations.
#ifndef PARLAVOX_STANDIN_SCRIPTEDUSERS_H
#define PARLAVOX_STANDIN_SCRIPTEDUSERS_H

#include <string>
#include <vector>

#include "standin/server.h"

namespace standin {

class ScriptedUsers : public ScriptListener {
 public:
  // Adds their accounts (which nobody can log in to).
  static void AddAccounts(Directory& directory);

  ScriptedUsers(Server& server, Directory& directory, const std::string& site);
  // Logs them in and seats them in the site's room.
  void Start(Clock::time_point now);

  void Heard(const std::string& login, const S2C_Request_t& request, Clock::time_point now) override;
  void Tick(Clock::time_point now) override;

 private:
  struct Action {
    Clock::time_point when;
    std::string login;
    C2SPtr request;
  };
  // A message waiting for one of the users who heard it to answer.
  struct Reply {
    Clock::time_point when;
    std::string room;
    std::string to;
    long time;
    std::vector<std::string> hearers;
  };

  void Later(Clock::time_point when, const std::string& login, C2SPtr request);
  void HeardMessage(const std::string& login, const S2C_Message_t& message, Clock::time_point now);
  void Answer(Reply& reply, Clock::time_point now);

  Server& m_server;
  Directory& m_directory;
  std::string m_site;
  std::vector<Action> m_actions;
  std::vector<Reply> m_replies;
  size_t m_turn = 0;
};

}  // namespace standin

#endif
