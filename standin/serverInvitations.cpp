// Private rooms of several users, made by invitation.
#include "standin/server.h"
#include "standin/serverLog.h"

namespace standin {

// Without a site (or from a one-to-one room) the invitation makes a new private room, which
// the inviter enters at once; the invited users enter it when they accept.
void Server::Invite(Session& s, const C2S_InviteChatroom_t& r) {
  std::string name = r.site ? Text(*r.site) : std::string();
  RoomKind kind = KindOfRoom(name);
  if (kind == RoomKind::kOneToOne || kind == RoomKind::kInvalid) {
    name = "prv://parlavox/" + s.login + "/" + std::to_string(m_nextRoomId);
    Room& room = MakeRoom(name, RoomKind::kGroup);
    room.allowed.insert(s.login);
    Join(s, name, room);
  } else if (!RoomOf(s, name)) {
    return;
  }
  for (int i = 0; i < r.logins.list.count; ++i) {
    std::string login = Text(*r.logins.list.array[i]);
    Session* invited = login == s.login || m_directory.Blocks(login, s.login) ? nullptr : Online(login);
    if (!invited) continue;
    m_invitations[std::make_pair(name, login)] = s.login;
    Outgoing invitation(S2C_Request_PR_invitechatroom);
    Put(invitation->choice.invitechatroom.site, name);
    Put(invitation->choice.invitechatroom.login, s.login);
    Deliver(*invited, invitation);
  }
}

void Server::AnswerInvitation(Session& s, const C2S_InviteChatroomAnswer_t& r) {
  std::string name = Text(r.site);
  std::string inviter = Text(r.login);
  auto invitation = m_invitations.find(std::make_pair(name, s.login));
  if (invitation == m_invitations.end() || invitation->second != inviter) {
    Tell("%s answers an invitation to %s it did not get", s.login.c_str(), name.c_str());
    return;
  }
  m_invitations.erase(invitation);
  bool accepted = r.status != 0;
  Room* room = FindRoom(name);
  if (accepted && room) room->allowed.insert(s.login);
  Outgoing answer(S2C_Request_PR_invitechatroomanswer);
  Put(answer->choice.invitechatroomanswer.site, name);
  Put(answer->choice.invitechatroomanswer.login, s.login);
  Put(answer->choice.invitechatroomanswer.message, Text(r.message));
  answer->choice.invitechatroomanswer.answer = accepted ? 1 : 0;
  if (Session* them = Online(inviter)) Deliver(*them, answer);
  if (accepted) {
    Subscribe(s, name);
  } else {
    ForgetIfIdle(name);
  }
}

}  // namespace standin
