#include "standin/server.h"

#include "standin/serverLog.h"
#include "standin/stateFile.h"

namespace standin {

namespace {

// What the server keeps for a user who is away, at most.
const size_t kMaxNotices = 100;

const char* KindName(int present) {
  if (present < 1 || present > static_cast<int>(asn_DEF_S2C_Request.elements_count)) return "request";
  return asn_DEF_S2C_Request.elements[present - 1].name;
}

}  // namespace

RoomKind KindOfRoom(const std::string& name, std::string* first, std::string* second) {
  const std::string prefix = "prv://";
  if (name.compare(0, prefix.size(), prefix) != 0) return name.empty() ? RoomKind::kInvalid : RoomKind::kSite;
  // "prv://" network "/" then "first:second" for two users, or "part/part" for a group.
  std::string rest = name.substr(prefix.size());
  size_t slash = rest.find('/');
  if (slash == 0 || slash == std::string::npos) return RoomKind::kInvalid;
  std::string logins = rest.substr(slash + 1);
  size_t colon = logins.find(':');
  if (colon != 0 && colon != std::string::npos) {
    if (first) *first = logins.substr(0, colon);
    if (second) *second = logins.substr(colon + 1);
    return RoomKind::kOneToOne;
  }
  size_t next = logins.find('/');
  return next != 0 && next != std::string::npos ? RoomKind::kGroup : RoomKind::kInvalid;
}

Server::Server(Directory& directory, Transport& transport, const ServerSettings& settings)
    : m_directory(directory), m_transport(transport), m_settings(settings) {
  m_nextBeat = Clock::now() + settings.heartbeat;
  m_lastSave = Clock::now();
  m_savedChanges = directory.Changes();
}

Server::~Server() = default;

void Server::Opened(ConnId conn, const std::string& peerAddress, Clock::time_point now) {
  m_pending[conn] = std::make_pair(peerAddress, now);
}

void Server::Received(ConnId conn, C2S_Request_t& request, Clock::time_point now) {
  auto it = m_byConn.find(conn);
  if (m_journal) m_journal->Write(it != m_byConn.end() ? it->second->login : "-", request);
  if (it != m_byConn.end()) {
    Session& s = *it->second;
    s.lastHeard = now;
    const OCTET_STRING_t* key = AuthKeyOf(request);
    if (!key) {
      Tell("%s: a second log-in on the same link is ignored", s.login.c_str());
    } else if (Text(*key) != s.authkey) {
      Tell("%s: a request with another log-in key is ignored", s.login.c_str());
    } else {
      Dispatch(s, request);
    }
    return;
  }
  auto pending = m_pending.find(conn);
  if (pending == m_pending.end()) return;
  if (request.present != C2S_Request_PR_connect) {
    Warn("%s: dropped, a request before logging in", pending->second.first.c_str());
    m_pending.erase(pending);
    m_transport.Close(conn, false);
    return;
  }
  LogIn(conn, request.choice.connect, now);
}

void Server::Closed(ConnId conn) {
  m_pending.erase(conn);
  auto it = m_byConn.find(conn);
  if (it == m_byConn.end()) return;
  Note("%s: link ended", it->second->login.c_str());
  LogOut(*it->second, true);
}

void Server::Tick(Clock::time_point now) {
  DropLateLinks(now);
  if (now >= m_nextBeat) Beat(now);
  if (m_script) m_script->Tick(now);
  if (m_directory.Changes() != m_savedChanges && now - m_lastSave >= std::chrono::seconds(1)) {
    m_lastSave = now;
    SaveState();
  }
}

void Server::LogInScripted(const std::string& login, long status, Clock::time_point now) {
  const Account* account = m_directory.Find(login);
  if (account && account->scripted && !Online(login)) StartSession(0, login, status, now);
}

void Server::Act(const std::string& login, C2S_Request_t& request, Clock::time_point now) {
  Session* s = Online(login);
  if (!s || s->conn != 0 || request.present == C2S_Request_PR_connect) return;
  s->lastHeard = now;
  Dispatch(*s, request);
}

bool Server::SaveState() {
  if (m_settings.statePath.empty()) return true;
  uint64_t changes = m_directory.Changes();
  if (!SaveStateFile(m_settings.statePath, m_directory)) {
    Warn("%s: the state could not be written", m_settings.statePath.c_str());
    return false;
  }
  m_savedChanges = changes;
  return true;
}

void Server::Dispatch(Session& s, const C2S_Request_t& r) {
  switch (r.present) {
    case C2S_Request_PR_disconnect:
      Disconnect(s);
      return;
    case C2S_Request_PR_heartbeatack:
      return;
    case C2S_Request_PR_changestatus:
      ChangeStatus(s, r.choice.changestatus.status);
      return;
    case C2S_Request_PR_changenickname:
      UpdateProfile(s, Text(r.choice.changenickname.nickname), Text(r.choice.changenickname.mood), nullptr);
      return;
    case C2S_Request_PR_updateprofile:
      UpdateProfile(s, Text(r.choice.updateprofile.nickname), Text(r.choice.updateprofile.mood),
                    r.choice.updateprofile.birthDate);
      return;
    case C2S_Request_PR_newavatar:
      NewAvatar(s, r.choice.newavatar);
      return;
    case C2S_Request_PR_askavatar:
      AskAvatar(s, Text(r.choice.askavatar.login));
      return;
    default:
      break;
  }
  if (!DispatchContacts(s, r) && !DispatchRooms(s, r)) DispatchOthers(s, r);
}

bool Server::DispatchContacts(Session& s, const C2S_Request_t& r) {
  switch (r.present) {
    case C2S_Request_PR_checkcontact:
      CheckContact(s, r.choice.checkcontact);
      return true;
    case C2S_Request_PR_addcontact:
      AddContact(s, r.choice.addcontact);
      return true;
    case C2S_Request_PR_addcontactanswer:
      AnswerContact(s, r.choice.addcontactanswer);
      return true;
    case C2S_Request_PR_delcontact:
      RemoveContact(s, r.choice.delcontact);
      return true;
    case C2S_Request_PR_blockcontact:
      SetBlocked(s, Text(r.choice.blockcontact.login), true);
      return true;
    case C2S_Request_PR_unblockcontact:
      SetBlocked(s, Text(r.choice.unblockcontact.login), false);
      return true;
    case C2S_Request_PR_contactgroup:
      SetGroup(s, r.choice.contactgroup);
      return true;
    default:
      return false;
  }
}

bool Server::DispatchRooms(Session& s, const C2S_Request_t& r) {
  switch (r.present) {
    case C2S_Request_PR_openurl:
      OpenSite(s, Text(r.choice.openurl.site));
      return true;
    case C2S_Request_PR_closeurl:
      CloseSite(s, Text(r.choice.closeurl.site));
      return true;
    case C2S_Request_PR_suburl:
      Subscribe(s, Text(r.choice.suburl.site));
      return true;
    case C2S_Request_PR_unsuburl:
      Unsubscribe(s, Text(r.choice.unsuburl.site), false);
      return true;
    case C2S_Request_PR_sendmessage:
      SendMessage(s, Text(r.choice.sendmessage.site), Text(r.choice.sendmessage.message));
      return true;
    case C2S_Request_PR_keytyped:
      KeyTyped(s, r.choice.keytyped);
      return true;
    case C2S_Request_PR_comment:
      Comment(s, r.choice.comment);
      return true;
    case C2S_Request_PR_addsmiley:
      AddSmiley(s, r.choice.addsmiley);
      return true;
    case C2S_Request_PR_delsmiley:
      DelSmiley(s, r.choice.delsmiley);
      return true;
    case C2S_Request_PR_invitechatroom:
      Invite(s, r.choice.invitechatroom);
      return true;
    case C2S_Request_PR_invitechatroomanswer:
      AnswerInvitation(s, r.choice.invitechatroomanswer);
      return true;
    default:
      return false;
  }
}

void Server::DispatchOthers(Session& s, const C2S_Request_t& r) {
  switch (r.present) {
    case C2S_Request_PR_sendfile:
      OfferFile(s, r.choice.sendfile);
      break;
    case C2S_Request_PR_cancelfile:
      CancelFile(s, r.choice.cancelfile);
      break;
    case C2S_Request_PR_askforfile:
    case C2S_Request_PR_askforfileack:
    case C2S_Request_PR_filepart:
    case C2S_Request_PR_filepartack:
      RelayTransfer(s, r);
      break;
    case C2S_Request_PR_askmessengerprotocols:
    case C2S_Request_PR_connectmessenger:
    case C2S_Request_PR_disconnectmessenger:
      AnswerMessengers(s, r);
      break;
    case C2S_Request_PR_abuse:
      Warn("%s reports %s in %s: %s", s.login.c_str(), Text(r.choice.abuse.login).c_str(),
           Text(r.choice.abuse.site).c_str(), Text(r.choice.abuse.message).c_str());
      ReportAbuse(s, r.choice.abuse);
      break;
    case C2S_Request_PR_error_messages:
      Note("%s's client reports: %s", s.login.c_str(), Text(r.choice.error_messages.message).c_str());
      break;
    default:
      // Client information and account additions that no one reads here.
      Note("%s: %s noted", s.login.c_str(), asn_DEF_C2S_Request.elements[r.present - 1].name);
      break;
  }
}

Session* Server::Online(const std::string& login) {
  auto it = m_sessions.find(login);
  return it == m_sessions.end() ? nullptr : it->second.get();
}

void Server::Deliver(Session& to, const Outgoing& out) {
  if (to.conn == 0) {
    if (m_script) m_script->Heard(to.login, out.Request(), Clock::now());
    return;
  }
  std::string error;
  const std::string& bytes = out.Bytes(&error);
  if (bytes.empty()) {
    Warn("a %s for %s cannot be sent: %s", KindName(out.Request().present), to.login.c_str(), error.c_str());
    return;
  }
  m_transport.Send(to.conn, bytes, out.KeyAt(), to.authkey);
}

void Server::Notice(const std::string& login, Outgoing out) {
  if (Session* s = Online(login)) {
    Deliver(*s, out);
    return;
  }
  std::vector<Outgoing>& kept = m_notices[login];
  if (kept.size() < kMaxNotices) {
    kept.push_back(std::move(out));
  } else {
    Warn("%s is away with %zu notices waiting: a %s is dropped", login.c_str(), kept.size(),
         KindName(out.Request().present));
  }
}

}  // namespace standin
