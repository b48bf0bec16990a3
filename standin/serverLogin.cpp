// Logging in and out, the heart-beat and the links that never log in.
#include <vector>

#include "standin/server.h"
#include "standin/serverLog.h"

namespace standin {

namespace {

// A client silent for this many heart-beats is taken for gone.
const int kSilentBeats = 3;

}  // namespace

void Server::LogIn(ConnId conn, const C2S_Connect_t& connect, Clock::time_point now) {
  std::string peer = m_pending[conn].first;
  m_pending.erase(conn);
  std::string login = Text(connect.login);
  const Account* account = m_directory.Find(login);
  if (!account || account->scripted || account->password != Text(connect.password)) {
    Tell("%s: log-in refused for \"%s\"", peer.c_str(), login.c_str());
    Refuse(conn, ConnectionError_invalid_login);
    return;
  }
  if (Text(connect.version) != m_settings.clientVersion) {
    Tell("%s: log-in refused for version %s", login.c_str(), Text(connect.version).c_str());
    Refuse(conn, ConnectionError_invalid_version);
    return;
  }
  if (Session* old = Online(login)) {
    Tell("%s logs in again: the first link is told to go", login.c_str());
    Outgoing bye(S2C_Request_PR_goaway);
    bye->choice.goaway.status = ConnectionError_already_connected;
    Deliver(*old, bye);
    m_transport.Close(old->conn, true);
    // The user stays online: the contacts hear of the new status only.
    LogOut(*old, false);
  }
  long status = connect.status;
  if (status < UserStatus_offline || status > UserStatus_busy) status = UserStatus_online;
  Session& s = StartSession(conn, login, status, now);
  s.peerAddress = peer;
}

void Server::Refuse(ConnId conn, long error) {
  Outgoing refusal(S2C_Request_PR_goaway);
  refusal->choice.goaway.status = error;
  PutOptional(refusal->choice.goaway.version, m_settings.clientVersion);
  m_transport.Send(conn, refusal.Bytes(), std::string::npos, "");
  m_transport.Close(conn, true);
}

Session& Server::StartSession(ConnId conn, const std::string& login, long status, Clock::time_point now) {
  auto made = std::make_unique<Session>();
  Session& s = *made;
  s.conn = conn;
  s.login = login;
  s.authkey = NewAuthKey();
  s.status = status;
  s.lastHeard = now;
  m_sessions[login] = std::move(made);
  if (conn) m_byConn[conn] = &s;

  Outgoing ack(S2C_Request_PR_connect_ack);
  Put(ack->choice.connect_ack.version, m_settings.clientVersion);
  Deliver(s, ack);
  SendOwnRecords(s);
  auto kept = m_notices.find(login);
  if (kept != m_notices.end()) {
    std::vector<Outgoing> notices = std::move(kept->second);
    m_notices.erase(kept);
    for (const Outgoing& notice : notices) Deliver(s, notice);
  }
  PresenceChanged(s, false);
  Tell("%s logged in (%zu online)", login.c_str(), m_sessions.size());
  return s;
}

// The user's own record, then every contact, each with its presence, before anything else.
void Server::SendOwnRecords(Session& s) {
  const Account& own = *m_directory.Find(s.login);
  UpdateShape self;
  self.largeAvatar = true;
  Deliver(s, Update(own, self));
  static const std::string kNone = "none";
  for (const auto& contact : own.contacts) {
    const Account* other = m_directory.Find(contact.first);
    if (!other) continue;
    UpdateShape shape;
    shape.site = &kNone;
    shape.connecting = true;
    shape.viewer = &own;
    Deliver(s, Update(*other, shape));
  }
}

void Server::LogOut(Session& s, bool tellContacts) {
  std::string login = s.login;
  std::set<std::string> sites = s.sites;
  for (const std::string& site : sites) CloseSite(s, site);
  std::set<std::string> rooms = s.rooms;
  for (const std::string& room : rooms) Unsubscribe(s, room, true);
  if (tellContacts) PresenceChanged(s, true);
  if (s.conn) m_byConn.erase(s.conn);
  m_sessions.erase(login);
  Tell("%s logged out (%zu online)", login.c_str(), m_sessions.size());
}

void Server::Disconnect(Session& s) {
  Outgoing goodbye(S2C_Request_PR_disconnect);
  goodbye->choice.disconnect.recoflag = 0;
  Deliver(s, goodbye);
  if (s.conn) m_transport.Close(s.conn, true);
  LogOut(s, true);
}

void Server::Beat(Clock::time_point now) {
  m_nextBeat = now + m_settings.heartbeat;
  Outgoing beat(S2C_Request_PR_heartbeat);
  std::vector<Session*> silent;
  for (auto& entry : m_sessions) {
    Session& s = *entry.second;
    if (s.conn == 0) continue;
    if (now - s.lastHeard > m_settings.heartbeat * kSilentBeats) {
      silent.push_back(&s);
    } else {
      Deliver(s, beat);
    }
  }
  for (Session* s : silent) {
    Warn("%s: dropped, silent for %d heart-beats", s->login.c_str(), kSilentBeats);
    m_transport.Close(s->conn, false);
    LogOut(*s, true);
  }
}

void Server::DropLateLinks(Clock::time_point now) {
  for (auto it = m_pending.begin(); it != m_pending.end();) {
    if (now - it->second.second > m_settings.loginTimeout) {
      Tell("%s: dropped, no log-in in time", it->second.first.c_str());
      m_transport.Close(it->first, false);
      it = m_pending.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace standin
