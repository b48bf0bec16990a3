// Sites and chat rooms: presence on a site, membership, messages with a short history for
// newcomers, typing, comments and grades, custom smileys.
#include <algorithm>
#include <ctime>

#include "standin/server.h"
#include "standin/serverLog.h"

namespace standin {

namespace {

const size_t kHistoryLines = 20;
// Members of a site's room who must report the same user before the user is banned from it.
const size_t kReportsForBan = 2;
const size_t kSmileysPerRoom = 50;
const long kMostUsersShown = 1000000;
const size_t kMostRecommended = 20;

}  // namespace

Server::Room* Server::FindRoom(const std::string& name) {
  auto it = m_rooms.find(name);
  return it == m_rooms.end() ? nullptr : &it->second;
}

Server::Room* Server::RoomOf(Session& s, const std::string& name) {
  Room* room = FindRoom(name);
  // The second user of a one-to-one room hears its lines without subscribing (see Recipients),
  // and may answer in it, also once the other left: speaking places him in the room.
  if ((!room || !room->members.count(s.login)) && KindOfRoom(name) == RoomKind::kOneToOne && Admission(s, name) < 0) {
    room = &MakeRoom(name, RoomKind::kOneToOne);
    room->members[s.login] = &s;
    s.rooms.insert(name);
  }
  if (!room || !room->members.count(s.login)) {
    Tell("%s speaks in %s without being in it", s.login.c_str(), name.c_str());
    return nullptr;
  }
  return room;
}

Server::Room& Server::MakeRoom(const std::string& name, RoomKind kind) {
  auto made = m_rooms.emplace(name, Room());
  if (made.second) {
    made.first->second.kind = kind;
    made.first->second.commentsId = std::to_string(m_nextRoomId++);
  }
  return made.first->second;
}

// A room nobody is in and no invitation waits for is forgotten, with its history, smileys and
// comments: what the server holds stays in proportion to the users on line.
void Server::ForgetIfIdle(const std::string& name) {
  Room* room = FindRoom(name);
  if (!room || !room->members.empty() || !room->present.empty()) return;
  auto invitation = m_invitations.lower_bound(std::make_pair(name, std::string()));
  if (invitation != m_invitations.end() && invitation->first.first == name) return;
  m_rooms.erase(name);
}

long Server::UsersOn(const Room& room) const {
  long users = static_cast<long>(room.present.size());
  for (const auto& member : room.members) users += room.present.count(member.first) ? 0 : 1;
  return std::min(users, kMostUsersShown);
}

// Who hears what one member says: the other members, or in a one-to-one room the other user
// (the server places the second user in it); never a user who blocked the speaker.
std::vector<Session*> Server::Recipients(const std::string& name, const Room& room, const std::string& from) {
  std::vector<Session*> out;
  std::string first, second;
  if (KindOfRoom(name, &first, &second) == RoomKind::kOneToOne) {
    for (const std::string& login : {first, second}) {
      Session* s = login == from ? nullptr : Online(login);
      if (s && !m_directory.Blocks(login, from)) out.push_back(s);
    }
    return out;
  }
  for (const auto& member : room.members) {
    if (member.first != from && !m_directory.Blocks(member.first, from)) out.push_back(member.second);
  }
  return out;
}

void Server::ToRecipients(const std::string& name, const Room& room, const Session& from, const Outgoing& out) {
  for (Session* to : Recipients(name, room, from.login)) Deliver(*to, out);
}

void Server::ToEveryoneOn(const Room& room, const Outgoing& out, const Session* except) {
  for (const auto& member : room.members) {
    if (member.second != except) Deliver(*member.second, out);
  }
  for (const auto& visitor : room.present) {
    if (visitor.second != except && !room.members.count(visitor.first)) Deliver(*visitor.second, out);
  }
}

// The sites that the others on `room` have open besides `site`, each weighed by how many of them
// have it open, heaviest first: what Parlavoxers recommend together with the site.
std::vector<std::pair<std::string, long>> Server::Recommended(const Session& s, const std::string& site,
                                                              const Room& room) const {
  std::map<std::string, long> weights;
  std::set<std::string> counted;
  for (const auto* people : {&room.members, &room.present}) {
    for (const auto& person : *people) {
      if (person.second == &s || !counted.insert(person.first).second) continue;
      for (const std::string& other : person.second->sites)
        if (other != site && KindOfRoom(other) == RoomKind::kSite) ++weights[other];
    }
  }
  std::vector<std::pair<std::string, long>> out(weights.begin(), weights.end());
  std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
  if (out.size() > kMostRecommended) out.resize(kMostRecommended);
  return out;
}

void Server::PutRecommended(S2C_OpenURLOk_t& ok, const std::vector<std::pair<std::string, long>>& sites) {
  if (sites.empty()) return;
  ok.recommendedSites = asn1::Allocate<NRecommendedSites_t>();
  for (const auto& recommended : sites) {
    NRecommendedSite_t* entry = asn1::Allocate<NRecommendedSite_t>();
    Put(entry->site, recommended.first);
    entry->weight = recommended.second;
    ASN_SEQUENCE_ADD(&ok.recommendedSites->list, entry);
  }
}

void Server::OpenSite(Session& s, const std::string& site) {
  // A private room opens only to those who may enter it.
  RoomKind kind = KindOfRoom(site);
  if (Admission(s, site) >= 0) {
    Outgoing refusal(S2C_Request_PR_openurlfail);
    Put(refusal->choice.openurlfail.site, site);
    refusal->choice.openurlfail.error = OpenError_failed;
    Deliver(s, refusal);
    return;
  }
  Room& room = MakeRoom(site, kind);
  bool arriving = room.present.emplace(s.login, &s).second;
  s.sites.insert(site);
  long users = UsersOn(room);
  Outgoing ok(S2C_Request_PR_openurlok);
  S2C_OpenURLOk_t& o = ok->choice.openurlok;
  Put(o.site, site);
  o.nbrUsers = users;
  o.nbrMessages = static_cast<long>(room.comments.size());
  Put(o.idcomments, room.commentsId);
  if (!room.comments.empty()) {
    double sum = 0;
    for (const auto& comment : room.comments) sum += comment.second.second;
    o.averageGrade = asn1::NewValue<RealGrade_t>(sum / room.comments.size());
  }
  auto own = room.comments.find(s.login);
  if (own != room.comments.end()) {
    PutOptional(o.userMessage, own->second.first);
    o.userGrade = asn1::NewValue<Grade_t>(own->second.second);
  }
  if (kind == RoomKind::kSite) PutRecommended(o, Recommended(s, site, room));
  Deliver(s, ok);
  if (!arriving) return;
  // The newcomer sees who is on the site, and they see the newcomer arrive.
  auto tell = [&](const std::map<std::string, Session*>& people, bool members) {
    for (const auto& person : people) {
      if (person.second == &s || (!members && room.members.count(person.first))) continue;
      UpdateShape shape;
      shape.site = &site;
      shape.connecting = true;
      shape.hasSubscribed = room.members.count(person.first) ? 1 : 0;
      shape.nbrUsers = users;
      Deliver(s, Update(*m_directory.Find(person.first), shape));
    }
  };
  tell(room.members, true);
  tell(room.present, false);
  UpdateShape shape;
  shape.site = &site;
  shape.hasSubscribed = room.members.count(s.login) ? 1 : 0;
  shape.nbrUsers = users;
  ToEveryoneOn(room, Update(*m_directory.Find(s.login), shape), &s);
}

void Server::CloseSite(Session& s, const std::string& site) {
  Room* room = FindRoom(site);
  if (!room || !s.sites.erase(site)) return;
  room->present.erase(s.login);
  // Leaving the site leaves its chat room too.
  if (room->members.erase(s.login)) s.rooms.erase(site);
  UpdateShape shape;
  shape.site = &site;
  shape.offline = true;
  shape.hasSubscribed = 0;
  shape.nbrUsers = UsersOn(*room);
  ToEveryoneOn(*room, Update(*m_directory.Find(s.login), shape), &s);
  ForgetIfIdle(site);
}

long Server::Admission(const Session& s, const std::string& name) {
  std::string first, second;
  switch (KindOfRoom(name, &first, &second)) {
    case RoomKind::kSite: {
      Room* room = FindRoom(name);
      return room && room->banned.count(s.login) ? SubscribeStatus_banned : -1;
    }
    case RoomKind::kOneToOne: {
      std::string other = s.login == first ? second : first;
      if ((s.login != first && s.login != second) || other == s.login || !m_directory.Find(other)) {
        return SubscribeStatus_failed;
      }
      bool blocked = m_directory.Blocks(other, s.login) || m_directory.Blocks(s.login, other);
      return blocked ? SubscribeStatus_blocked : -1;
    }
    case RoomKind::kGroup: {
      Room* room = FindRoom(name);
      return room && room->allowed.count(s.login) ? -1 : SubscribeStatus_failed;
    }
    default:
      return SubscribeStatus_failed;
  }
}

void Server::Subscribe(Session& s, const std::string& name) {
  long refusal = Admission(s, name);
  Room* room = refusal < 0 ? &MakeRoom(name, KindOfRoom(name)) : nullptr;
  if (room && !room->members.count(s.login)) {
    Join(s, name, *room);
    return;
  }
  Outgoing ack(S2C_Request_PR_suburlack);
  Put(ack->choice.suburlack.site, name);
  ack->choice.suburlack.answer = refusal < 0 ? static_cast<long>(SubscribeStatus_subscribed) : refusal;
  Deliver(s, ack);
}

void Server::Join(Session& s, const std::string& name, Room& room) {
  room.members[s.login] = &s;
  s.rooms.insert(name);
  Outgoing ack(S2C_Request_PR_suburlack);
  Put(ack->choice.suburlack.site, name);
  ack->choice.suburlack.answer = SubscribeStatus_subscribed;
  Deliver(s, ack);
  long users = UsersOn(room);
  for (const auto& member : room.members) {
    if (member.second == &s) continue;
    UpdateShape shape;
    shape.site = &name;
    shape.connecting = true;
    shape.hasSubscribed = 1;
    shape.nbrUsers = users;
    Deliver(s, Update(*m_directory.Find(member.first), shape));
  }
  UpdateShape shape;
  shape.site = &name;
  shape.hasSubscribed = 1;
  shape.nbrUsers = users;
  ToEveryoneOn(room, Update(*m_directory.Find(s.login), shape), &s);
  // The smileys the history may use, then the history itself.
  for (const auto& smiley : room.smileys) {
    Outgoing out(S2C_Request_PR_addsmiley);
    Put(out->choice.addsmiley.login, smiley.first.first);
    Put(out->choice.addsmiley.codesmiley, smiley.first.second);
    out->choice.addsmiley.smiley.type = smiley.second.type;
    Put(out->choice.addsmiley.smiley.content, smiley.second.bytes);
    Deliver(s, out);
  }
  for (const Line& line : room.history) {
    Outgoing out(S2C_Request_PR_message);
    S2C_Message_t& m = out->choice.message;
    m.time = line.time;
    Put(m.site, name);
    Put(m.login, line.login);
    Put(m.message, line.text);
    m.history = asn1::NewValue<BOOLEAN_t>(1);
    Deliver(s, out);
  }
}

void Server::Unsubscribe(Session& s, const std::string& name, bool loggingOut) {
  s.rooms.erase(name);
  Room* room = FindRoom(name);
  if (!room || !room->members.erase(s.login)) return;
  UpdateShape shape;
  shape.site = &name;
  shape.offline = loggingOut;
  shape.hasSubscribed = 0;
  shape.nbrUsers = UsersOn(*room);
  ToEveryoneOn(*room, Update(*m_directory.Find(s.login), shape), &s);
  ForgetIfIdle(name);
}

void Server::SendMessage(Session& s, const std::string& name, const std::string& text) {
  Room* room = RoomOf(s, name);
  if (!room) return;
  Line line{static_cast<long>(time(nullptr)), s.login, text};
  room->history.push_back(line);
  if (room->history.size() > kHistoryLines) room->history.pop_front();
  Outgoing out(S2C_Request_PR_message);
  S2C_Message_t& m = out->choice.message;
  m.time = line.time;
  Put(m.site, name);
  Put(m.login, s.login);
  Put(m.message, text);
  ToRecipients(name, *room, s, out);
}

void Server::ReportAbuse(Session& s, const C2S_Abuse_t& r) {
  const std::string name = Text(r.site);
  const std::string login = Text(r.login);
  Room* room = FindRoom(name);
  if (!room || room->kind != RoomKind::kSite || !room->members.count(s.login) || login == s.login) return;
  std::set<std::string>& reporters = room->reports[login];
  reporters.insert(s.login);
  if (reporters.size() < kReportsForBan || !room->banned.insert(login).second) return;
  Tell("%s is banned from %s", login.c_str(), name.c_str());
  auto member = room->members.find(login);
  if (member == room->members.end()) return;
  Session& banned = *member->second;
  Outgoing out(S2C_Request_PR_bansite);
  Put(out->choice.bansite.site, name);
  Deliver(banned, out);
  // The room may be forgotten as the user leaves it: nothing of it is used after.
  Unsubscribe(banned, name, false);
}

void Server::KeyTyped(Session& s, const C2S_KeyTyped_t& r) {
  std::string name = Text(r.site);
  Room* room = RoomOf(s, name);
  if (!room) return;
  Outgoing out(S2C_Request_PR_keytyped);
  Put(out->choice.keytyped.site, name);
  Put(out->choice.keytyped.login, s.login);
  if (r.enabled) out->choice.keytyped.enabled = asn1::NewValue<BOOLEAN_t>(*r.enabled ? 1 : 0);
  ToRecipients(name, *room, s, out);
}

// One comment and grade per user and site; everyone on the site sees the new counts. A site
// nobody is on has no room to hold the comment: it is refused.
void Server::Comment(Session& s, const C2S_Comment_t& r) {
  std::string site = Text(r.site);
  Room* found = KindOfRoom(site) == RoomKind::kSite ? FindRoom(site) : nullptr;
  if (!found) {
    Tell("%s comments on %s, which nobody is on", s.login.c_str(), site.c_str());
    return;
  }
  Room& room = *found;
  room.comments[s.login] = std::make_pair(Text(r.text), r.grade);
  double sum = 0;
  for (const auto& comment : room.comments) sum += comment.second.second;
  Outgoing out(S2C_Request_PR_comments);
  Put(out->choice.comments.site, site);
  out->choice.comments.nbrComments = static_cast<long>(room.comments.size());
  out->choice.comments.meanGrade = sum / room.comments.size();
  ToEveryoneOn(room, out, nullptr);
  if (!room.present.count(s.login) && !room.members.count(s.login)) Deliver(s, out);
}

void Server::AddSmiley(Session& s, const C2S_AddSmiley_t& r) {
  std::string name = Text(r.site);
  Room* room = RoomOf(s, name);
  if (!room || r.smiley.type < TypeImage_gif || r.smiley.type > TypeImage_jpg) return;
  auto key = std::make_pair(s.login, Text(r.codesmiley));
  room->smileys[key] = Picture{r.smiley.type, Text(r.smiley.content)};
  if (room->smileys.size() > kSmileysPerRoom) room->smileys.erase(room->smileys.begin()->first == key
                                                                      ? std::next(room->smileys.begin())
                                                                      : room->smileys.begin());
  Outgoing out(S2C_Request_PR_addsmiley);
  Put(out->choice.addsmiley.login, s.login);
  Put(out->choice.addsmiley.codesmiley, key.second);
  out->choice.addsmiley.smiley.type = r.smiley.type;
  Put(out->choice.addsmiley.smiley.content, Text(r.smiley.content));
  ToRecipients(name, *room, s, out);
}

void Server::DelSmiley(Session& s, const C2S_DelSmiley_t& r) {
  std::string name = Text(r.site);
  Room* room = RoomOf(s, name);
  if (!room) return;
  room->smileys.erase(std::make_pair(s.login, Text(r.codesmiley)));
  Outgoing out(S2C_Request_PR_delsmiley);
  Put(out->choice.delsmiley.login, s.login);
  Put(out->choice.delsmiley.codesmiley, Text(r.codesmiley));
  ToRecipients(name, *room, s, out);
}

}  // namespace standin
