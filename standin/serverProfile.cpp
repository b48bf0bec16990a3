// Profiles, presence and avatars, and the contact update that carries them all.
#include "Date.h"
#include "standin/server.h"
#include "standin/serverLog.h"

namespace standin {

namespace {

Image_t* NewImage(const Picture& picture) {
  Image_t* image = asn1::Allocate<Image_t>();
  image->type = picture.type;
  Put(image->content, picture.bytes);
  return image;
}

const std::string kContactList = "none";

bool IsImageType(long type) {
  return type >= TypeImage_gif && type <= TypeImage_jpg;
}

}  // namespace

Outgoing Server::Update(const Account& subject, const UpdateShape& shape) {
  Outgoing out(S2C_Request_PR_updcontact);
  S2C_UpdateContactAll_t& u = out->choice.updcontact;
  Put(u.login, subject.login);
  if (shape.site) PutOptional(u.site, *shape.site);
  if (shape.status) {
    Session* online = Online(subject.login);
    u.status = asn1::NewValue<UserStatus_t>(shape.offline || !online ? static_cast<long>(UserStatus_offline) : online->status);
  }
  PutOptional(u.nickname, subject.nickname);
  PutOptional(u.mood, subject.mood);
  if (subject.birthDay != 0) {
    u.birthDate = asn1::Allocate<Date_t>();
    u.birthDate->day = subject.birthDay;
    u.birthDate->month = subject.birthMonth;
    u.birthDate->year = subject.birthYear;
  }
  if (shape.nbrUsers >= 0) u.nbrUsers = asn1::NewValue<long>(shape.nbrUsers);
  if (shape.hasSubscribed >= 0) u.hasSubscribed = asn1::NewValue<BOOLEAN_t>(shape.hasSubscribed);
  if (shape.largeAvatar && !subject.avatar.Empty()) u.avatar = NewImage(subject.avatar);
  if (!subject.smallAvatar.Empty()) u.smallavatar = NewImage(subject.smallAvatar);
  if (shape.connecting) u.connecting = asn1::NewValue<BOOLEAN_t>(1);
  if (shape.viewer) {
    auto contact = shape.viewer->contacts.find(subject.login);
    if (contact != shape.viewer->contacts.end() &&
        (!contact->second.empty() || shape.viewer->filed.count(contact->first)))
      PutOptional(u.group, contact->second);
    u.blocked = asn1::NewValue<BOOLEAN_t>(shape.viewer->blocked.count(subject.login) ? 1 : 0);
  }
  return out;
}

// Tells every user online who lists s as a contact.
void Server::PresenceChanged(Session& s, bool offline) {
  const Account* subject = m_directory.Find(s.login);
  if (!subject) return;
  for (auto& entry : m_sessions) {
    Session& viewer = *entry.second;
    const Account* account = m_directory.Find(viewer.login);
    if (&viewer == &s || !account || !account->contacts.count(s.login)) continue;
    UpdateShape shape;
    shape.site = &kContactList;
    shape.offline = offline;
    shape.viewer = account;
    Deliver(viewer, Update(*subject, shape));
  }
}

// The contacts and everyone in the user's rooms see the new profile or presence.
void Server::ProfileChanged(Session& s) {
  PresenceChanged(s, false);
  const Account* subject = m_directory.Find(s.login);
  for (const std::string& name : s.rooms) {
    Room* room = FindRoom(name);
    if (!room) continue;
    UpdateShape shape;
    shape.site = &name;
    shape.hasSubscribed = 1;
    shape.nbrUsers = UsersOn(*room);
    ToEveryoneOn(*room, Update(*subject, shape), &s);
  }
}

void Server::ChangeStatus(Session& s, long status) {
  if (status < UserStatus_offline || status > UserStatus_busy || status == s.status) return;
  s.status = status;
  ProfileChanged(s);
}

void Server::UpdateProfile(Session& s, const std::string& nickname, const std::string& mood, const Date_t* birth) {
  Account* account = m_directory.Find(s.login);
  if (!account) return;
  account->nickname = nickname;
  account->mood = mood;
  // A profile sent without a birth date keeps the one given before.
  if (birth) {
    account->birthDay = static_cast<int>(birth->day);
    account->birthMonth = static_cast<int>(birth->month);
    account->birthYear = static_cast<int>(birth->year);
  }
  m_directory.Touch();
  ProfileChanged(s);
}

void Server::NewAvatar(Session& s, const C2S_NewAvatar_t& r) {
  Account* account = m_directory.Find(s.login);
  if (!account || !IsImageType(r.avatar.type) || !IsImageType(r.smallavatar.type)) return;
  account->avatar = Picture{r.avatar.type, Text(r.avatar.content)};
  account->smallAvatar = Picture{r.smallavatar.type, Text(r.smallavatar.content)};
  m_directory.Touch();
  ProfileChanged(s);
}

// The large avatar alone: the client stores it without taking the update for a change of
// presence or profile.
void Server::AskAvatar(Session& s, const std::string& login) {
  const Account* account = m_directory.Find(login);
  if (!account || account->avatar.Empty()) return;
  UpdateShape shape;
  shape.status = false;
  shape.largeAvatar = true;
  Deliver(s, Update(*account, shape));
}

}  // namespace standin
