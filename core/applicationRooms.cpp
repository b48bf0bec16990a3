// Chat rooms: who is in them and what is said and typed there, private rooms, invitations and
// the smileys that users send.
#include <wx/intl.h>

#include <boost/regex.hpp>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "S2C-UpdateContactAll.h"
#include "SubscribeStatus.h"
#include "core/application.h"
#include "asn1/imageType.h"
#include "asn1/octetString.h"
#include "core/applicationInbox.h"
#include "core/clientSideRequest.h"
#include "model/config.h"
#include "model/imImage.h"
#include "model/log.h"
#include "model/message.h"
#include "model/strangerAvatars.h"
#include "model/stringConversion.h"
#include "model/urlContactInfo.h"

namespace {

bool HasPrivatePrefix(const std::string& name) {
  return name.compare(0, 6, kPrivateRoomPrefix) == 0;
}

const boost::regex& OneToOneForm() {
  static const boost::regex form("prv://([^/]+)/([^:]+):(.*)$", boost::regex::perl);
  return form;
}

const boost::regex& MultipleForm() {
  static const boost::regex form("prv://([^/]+)/([^/]+)/(.*)$", boost::regex::perl);
  return form;
}

// The first entry that holds the value, taken out; false when there was none.
template <typename T, typename V>
bool EraseFirst(std::vector<T>& list, const V& value) {
  auto it = std::find(list.begin(), list.end(), value);
  if (it == list.end()) return false;
  list.erase(it);
  return true;
}

// White space in the C locale only: a byte of a multi-byte character never counts.
bool IsAsciiSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The number of characters of a UTF-8 text, or -1 when it is not valid UTF-8 (overlong forms,
// surrogates and values past U+10FFFF included).
long Utf8Length(const std::string& text) {
  long count = 0;
  for (size_t i = 0; i < text.size(); ++count) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 9;
    if (extra == 9 || i + extra >= text.size()) return -1;
    unsigned long value = extra == 0 ? c : c & (0x3F >> extra);
    for (size_t k = 1; k <= extra; ++k) {
      unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return -1;
      value = (value << 6) | (next & 0x3F);
    }
    static const unsigned long kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (value < kLeast[extra] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return -1;
    i += extra + 1;
  }
  return count;
}

}  // namespace

// ---- Membership

bool Manager::HasSubscribedTo(const std::string& room) const {
  return std::find(m_subscribedRooms.begin(), m_subscribedRooms.end(), room) != m_subscribedRooms.end();
}

void Manager::SubscribeChatRoom(const std::string& room) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s", room.c_str());
  ClientSideRequest* client = Client();
  if (!m_connected || !client || HasSubscribedTo(room) || IsSubscribing(room)) {
    TRACE_END_RESULT("(skip)");
    return;
  }
  if (client->SendSubscribeChatRoom(m_authKey, room)) m_subscribing.insert(room);
  TRACE_END();
}

void Manager::SubscribeChatRoomAck(const std::string& site, long answer) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %ld", site.c_str(), answer);
  m_subscribing.erase(site);
  if (HasSubscribedTo(site)) {
    TRACE_END_RESULT("(skip)");
    return;
  }
  std::string other = IsPrivateChatRoom(site);
  if (!other.empty() && (answer == SubscribeStatus_subscribed || answer == SubscribeStatus_blocked)) {
    CreateVirtualChatRoomAck(other, site, answer);
    TRACE_END();
    return;
  }
  // A one-to-one room refused otherwise is said like any other room (its page may wait for it).
  int code = GUI_SUBSCRIBE_CHATROOM_FAILED;  // also for an answer this client does not know
  if (answer == SubscribeStatus_subscribed) {
    code = GUI_SUBSCRIBE_CHATROOM_OK;
    GetOwnContactInfo()->SubscribeTo(site);
    m_subscribedRooms.push_back(site);
  } else if (answer == SubscribeStatus_banned) {
    code = GUI_SUBSCRIBE_CHATROOM_BANNED;
  } else if (answer == SubscribeStatus_blocked) {
    code = 0;
  }
  wxArrayString texts;
  texts.Add(std2wx(site));
  ManagerEvent* event = NewEvent(wxEVT_RECEIVE_SUBSCRIBE_CHATROOM_ACK, code);
  event->SetStrings(texts);
  PostForSession(event);
  TRACE_END();
}

void Manager::UnsubscribeChatRoom(const std::string& room) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s", room.c_str());
  EraseFirst(m_subscribedRooms, room);
  m_subscribing.erase(room);
  ClientSideRequest* client = Client();
  if (m_connected && client) client->SendUnsubscribeChatRoom(m_authKey, room);
  std::string other = IsPrivateChatRoom(room);
  if (!other.empty()) {
    TRACE_INFO("Unsubscribe %s", other.c_str());
    GetContactInfo(other)->UnsubscribeFrom(room);
  }
  // A site open in the browser still hears of who is in its room; any other room is done with.
  const std::vector<std::string>& opened = OpenedRooms();
  if (std::find(opened.begin(), opened.end(), room) == opened.end()) ForgetRoom(room);
  TRACE_END();
}

void Manager::ForgetRoom(const std::string& room) {
  auto members = m_roomMembers.find(room);
  std::vector<std::string> logins;
  if (members != m_roomMembers.end()) {
    TRACE_INFO("members of %s forgotten", room.c_str());
    for (ContactInfo* member : members->second.List()) {
      member->UnsubscribeFrom(room);
      logins.push_back(member->GetLogin());
    }
    m_roomMembers.erase(members);
  }
  GetOwnContactInfo()->UnsubscribeFrom(room);
  ForgetUnseenStrangers(logins);
}

std::vector<ContactInfo*> Manager::GetSubscribedContacts(const std::string& room) const {
  auto members = m_roomMembers.find(room);
  if (members == m_roomMembers.end()) return std::vector<ContactInfo*>();
  std::vector<ContactInfo*> list = members->second.List();
  for (const ContactInfo* member : list) m_unlentRecords.erase(member);
  return list;
}

void Manager::SubscribeContactToChatRoom(const std::string& room, ContactInfo* contact) {
  MANAGER_GUI_THREAD_ONLY();
  std::string login = contact->GetLogin();
  TRACE_START_ARGS("%s => %s", login.c_str(), room.c_str());
  if (!m_roomMembers[room].Add(contact)) {
    TRACE_END_RESULT("(Already there)");
    return;
  }
  TRACE_END();
}

void Manager::UnsubscribeContactFromChatRoom(const std::string& room, const std::string& login) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s =/=> %s", login.c_str(), room.c_str());
  auto members = m_roomMembers.find(room);
  if (members != m_roomMembers.end()) {
    members->second.Remove(login);
    if (members->second.Empty()) m_roomMembers.erase(members);
  }
  TRACE_END();
}

// ---- Updates of members and contacts

ContactInfo* Manager::RoomMemberRecord(const std::string& login) {
  ContactInfo*& held = m_contacts[login];
  if (held) return held;
  // A record already handed out for the login stays the one: windows may hold it.
  auto stranger = m_strangers.find(login);
  if (stranger != m_strangers.end()) {
    held = stranger->second;
    m_strangers.erase(stranger);
  } else {
    held = new ContactInfo(login, "", "", "", STATUS_OFFLINE, "", "", 0, 0, 0, "", "parlavox", false);
    m_unlentRecords.insert(held);
  }
  return held;
}

namespace {

// Copies the profile fields the update carries; true when one that marks the profile changed
// (blocked, gender) was among them.
bool CopyProfile(ContactInfo* record, const S2C_UpdateContactAll_t& update) {
  if (update.nickname) record->SetNickname(asn1::ToString(*update.nickname));
  if (update.mood) record->SetMood(asn1::ToString(*update.mood));
  if (update.country) record->SetCountry(asn1::ToString(*update.country));
  if (update.city) record->SetCity(asn1::ToString(*update.city));
  if (update.birthDate) {
    const Date_t& date = *update.birthDate;
    record->SetBirth(static_cast<int>(date.day), static_cast<int>(date.month), static_cast<int>(date.year));
  }
  if (update.im_type) record->SetImType(asn1::ToString(*update.im_type));
  if (update.group) {
    std::string group = asn1::ToString(*update.group);
    record->SetGroup(group);
    Config::GetInstance()->AddGroup(group);
  }
  bool changed = false;
  if (update.blocked) {
    record->SetBlocked(*update.blocked != 0);
    changed = true;
  }
  if (update.gender && (*update.gender == Gender_man || *update.gender == Gender_woman)) {
    bool man = *update.gender == Gender_man;
    TRACE_INFO("Gender %s : %s", record->GetLogin().c_str(), man ? "MAN" : "WOMAN");
    record->SetGender(man ? GENDER_MAN : GENDER_WOMAN);
    changed = true;
  }
  return changed;
}

int Count(const long* value) {
  return value ? static_cast<int>(std::max(0L, std::min(*value, 1L << 30))) : 0;
}

}  // namespace

void Manager::UpdateChatRoomContact(int code, const S2C_UpdateContactAll_t& update) {
  MANAGER_GUI_THREAD_ONLY();
  std::string login = asn1::ToString(update.login);
  TRACE_STARTEND_ARGS("%s", login.c_str());
  if (!AcceptLogin(login, "updcontact")) return;
  bool own = login == GetLogin();
  ContactInfo* record = own ? GetOwnContactInfo() : RoomMemberRecord(login);
  bool profileChanged = CopyProfile(record, update);
  // A status this client does not know counts as none.
  bool statusValid = update.status && *update.status >= STATUS_OFFLINE && *update.status <= STATUS_BUSY;
  std::string site = update.site ? asn1::ToString(*update.site) : "";
  if (own) {
    if (statusValid) record->SetStatus(static_cast<t_status>(*update.status));
    PostOwned(wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT, code, new URLContactInfo("none", 0, *record, false, false, false));
  } else if (update.site && site != "none") {
    UpdateRoomMember(code, site, record, update, statusValid);
  } else {
    UpdateListedContact(code, record, update, statusValid, profileChanged);
  }
  UpdateAvatars(login, update);
  if (!own) ForgetUnseenStranger(login);
}

void Manager::UpdateRoomMember(int code, const std::string& room, ContactInfo* record,
                               const S2C_UpdateContactAll_t& update, bool statusValid) {
  // Leaving the room is shown as such; the presence the member had stays.
  bool logout = false;
  if (statusValid) {
    if (*update.status != STATUS_OFFLINE)
      record->SetStatus(static_cast<t_status>(*update.status));
    else
      logout = true;
  }
  if (update.hasSubscribed) {
    if (*update.hasSubscribed) {
      record->SubscribeTo(room);
      SubscribeContactToChatRoom(room, record);
    } else {
      record->UnsubscribeFrom(room);
      UnsubscribeContactFromChatRoom(room, record->GetLogin());
    }
  }
  // The sites panel shows the person on an open site while on its page or in its room.
  const std::vector<std::string>& opened = OpenedRooms();
  if (std::find(opened.begin(), opened.end(), room) != opened.end())
    m_siteVisitors.Set(room, record->GetLogin(), !logout || record->IsSubscribedTo(room));
  int users = Count(update.nbrUsers);
  PostOwned(wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT, code,
            new URLContactInfo(room, users, *record, !update.connecting, logout, false));
  AnswerExtension(room, users);
}

void Manager::UpdateListedContact(int code, ContactInfo* record, const S2C_UpdateContactAll_t& update,
                                  bool statusValid, bool profileChanged) {
  if (statusValid) record->SetStatus(static_cast<t_status>(*update.status));
  if (!statusValid && !profileChanged) return;
  Config* config = Config::GetInstance();
  // Without a room, only a contact the settings already hold is shown; one the user (or the other
  // user) removed is not brought back by an update that was already on its way.
  bool listed = config->HasContact(record->GetLogin());
  if (listed || (update.site && !IsRemovedContact(record->GetLogin()))) {
    config->UpdateContact(record);
    m_unlentRecords.erase(record);
    bool logout = statusValid && record->GetStatus() == STATUS_OFFLINE &&
                  record->GetPreviousStatus() != STATUS_OFFLINE;
    PostOwned(wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT, code,
              new URLContactInfo("none", 0, *record, statusValid && !update.connecting, logout, false));
  }
}

void Manager::UpdateAvatars(const std::string& login, const S2C_UpdateContactAll_t& update) {
  bool smallChanged = false;
  if (update.smallavatar) {
    TRACE_INFO("Update small avatar");
    unsigned int length = 0;
    unsigned char* before = IMImage::GenerateHash(IMImage::AvatarName(login), true, &length);
    const Image_t& image = *update.smallavatar;
    t_image_type type;
    if (asn1::ImageTypeFromWire(image.type, &type) &&
        !StrangerAvatars::Instance()
             .StoreAvatar(login, true, type, image.content.buf, static_cast<unsigned long>(image.content.size))
             .empty()) {
      unsigned char* after = IMImage::GenerateHash(IMImage::AvatarName(login), true, &length);
      smallChanged = std::memcmp(before, after, 20) != 0;
      TRACE_INFO("%s", smallChanged ? "Remove" : "Do not Remove");
      // The large picture cached for the old one no longer matches it.
      if (smallChanged) IMImage::RemoveAvatar(login, false, true);
      free(after);
    }
    free(before);
  }
  bool largeStored = false;
  if (update.avatar) {
    TRACE_INFO("Update avatar");
    const Image_t& image = *update.avatar;
    t_image_type type;
    const unsigned long length = static_cast<unsigned long>(image.content.size);
    largeStored = asn1::ImageTypeFromWire(image.type, &type) &&
                  !StrangerAvatars::Instance().StoreAvatar(login, false, type, image.content.buf, length).empty();
    if (largeStored) m_avatarRequests[login] = false;
  }
  bool own = login == GetLogin();
  if (own && !largeStored) TRACE_INFO("No avatar for me");
  if (largeStored || own || smallChanged) PostText(wxEVT_RECEIVE_UPDATE_AVATAR, 0, login);
}

// ---- Messages and typing

void Manager::ReceiveMessage(const std::string& site, const std::string& login, const std::string& text, time_t time,
                             bool history) {
  MANAGER_GUI_THREAD_ONLY();
  // One line per message: a burst brings thousands.
  TRACE_STARTEND_ARGS("%s, %s", site.c_str(), login.c_str());
  std::string nickname = GetContactInfo(login)->GetNickname();
  // The first word in a one-to-one room the other user opened opens it here too.
  if (HasPrivatePrefix(site) && !HasSubscribedTo(site) && login != GetLogin() && !IsPrivateChatRoom(site).empty())
    CreateVirtualChatRoomAck(login, site, SubscribeStatus_subscribed);
  PostOwned(wxEVT_RECEIVE_NEW_MESSAGE, 0, new Message(site, login, nickname, text, time, history));
}

bool Manager::SendMessage(const std::string& room, const std::string& text) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s", room.c_str());
  ClientSideRequest* client = Client();
  if (!m_connected || !client) {
    TRACE_END_RESULT("not connected");
    return false;
  }
  // Checked before anything goes out, so that a refused text sends no smiley either.
  long length = Utf8Length(text);
  if (length < 0 || length > static_cast<long>(Config::GetInstance()->GetMessageMaxLength())) {
    TRACE_ERROR("message refused (%ld characters)", length);
    TRACE_END_RESULT("refused");
    return false;
  }
  if (!HasSubscribedTo(room)) SubscribeChatRoom(room);
  SendSmileysOf(room, text);
  if (!client->SendMessage(m_authKey, room, text)) {
    TRACE_END_RESULT("not sent");
    return false;
  }
  ReceiveMessage(room, GetLogin(), text, time(nullptr), false);
  TRACE_END();
  return true;
}

void Manager::SendSmileysOf(const std::string& room, const std::string& text) {
  ClientSideRequest* client = Client();
  std::string own = GetLogin();
  std::string rest = text;
  for (;;) {
    unsigned int position = 0;
    unsigned int index = 0;
    Smiley* smiley = FindFirstSmiley(rest, own, &position, &index);
    if (!smiley) break;
    std::string shortcut = smiley->GetShortcut(static_cast<int>(index));
    rest.erase(0, position + shortcut.size());
    if (smiley->IsDefault()) continue;
    t_image_type type = IMAGE_PNG;
    unsigned long length = 0;
    unsigned char* bytes = IMImage::GetImageBuffer(smiley->GetFilename(), &type, &length);
    if (!bytes) {
      TRACE_ERROR("smiley %s unreadable", smiley->GetFilename().c_str());
      continue;
    }
    client->AddSmiley(m_authKey, room, shortcut, type, static_cast<long>(length), bytes);
    free(bytes);
  }
}

void Manager::KeyTyped(const std::string& room, bool typing) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %d", room.c_str(), typing ? 1 : 0);
  ClientSideRequest* client = Client();
  if (m_connected && client) {
    if (!HasSubscribedTo(room)) SubscribeChatRoom(room);
    client->KeyTyped(m_authKey, room, typing);
  }
  TRACE_END();
}

void Manager::KeyTypedInChatRoom(const std::string& site, const std::string& login, bool enabled) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s, %d", site.c_str(), login.c_str(), enabled ? 1 : 0);
  if (!HasSubscribedTo(site) && !IsPrivateChatRoom(site).empty()) {
    TRACE_END_RESULT("private room left");
    return;
  }
  wxArrayString texts;
  texts.Add(std2wx(site));
  texts.Add(std2wx(login));
  texts.Add(std2wx(GetNickname(login)));
  texts.Add(enabled ? "1" : "");
  PostTexts(wxEVT_RECEIVE_KEY_TYPED, 0, texts);
  TRACE_END();
}

// ---- Private rooms

std::string Manager::IsPrivateChatRoom(const std::string& name) const {
  boost::smatch parts;
  if (!HasPrivatePrefix(name) || !boost::regex_match(name, parts, OneToOneForm())) return "";
  std::string own = GetLogin();
  if (parts[2] == own) return parts[3];
  if (parts[3] == own) return parts[2];
  return "";
}

bool Manager::IsMultiplePrivateChatRoom(const std::string& name) const {
  return HasPrivatePrefix(name) && boost::regex_match(name, MultipleForm());
}

std::string Manager::GetPrivateChatRoomNameWith(const std::string& login) {
  MANAGER_GUI_THREAD_ONLY();
  ContactInfo* contact = GetContactInfo(login);
  std::string network = contact->GetImType().empty() ? "parlavox" : contact->GetImType();
  std::string own = GetLogin();
  std::string ownFirst = kPrivateRoomPrefix + network + "/" + own + ":" + login;
  std::string otherFirst = kPrivateRoomPrefix + network + "/" + login + ":" + own;
  if (contact->IsSubscribedTo(ownFirst)) return ownFirst;
  if (contact->IsSubscribedTo(otherFirst)) return otherFirst;
  // Both sides derive the same name: the smaller login first.
  return own < login ? ownFirst : otherFirst;
}

std::string Manager::GetPrivateChatRoomText(const std::string& name) {
  MANAGER_GUI_THREAD_ONLY();
  std::string& text = m_privateRoomTexts[name];
  if (text.empty()) text = wx2std(wxString::Format(wxGetTranslation("Private chatroom #%d"), ++m_privateRoomCounter));
  return text;
}

std::string Manager::GetChatRoomName(const std::string& name) {
  MANAGER_GUI_THREAD_ONLY();
  std::string other = IsPrivateChatRoom(name);
  if (!other.empty()) return GetContactInfo(other)->GetNickname();
  if (IsMultiplePrivateChatRoom(name)) return GetPrivateChatRoomText(name);
  size_t scheme = name.find("://");
  return scheme == std::string::npos ? name : name.substr(scheme + 3);
}

std::string Manager::CreateVirtualChatRoom(const std::string& login, bool* existed) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s", login.c_str());
  if (existed) *existed = false;
  ClientSideRequest* client = Client();
  ContactInfo* contact = GetContactInfo(login);
  if (!m_connected || !client || !contact->IsConnected()) {
    TRACE_END_RESULT("(empty)");
    return "";
  }
  std::string name = GetPrivateChatRoomNameWith(login);
  if (contact->IsSubscribedTo(name)) {
    if (existed) *existed = true;
    TRACE_END_RESULT("existed");
    return name;
  }
  if (IsSubscribing(name)) {
    m_virtualRoomRequests[login] = true;
    TRACE_END_RESULT("asked already");
    return name;
  }
  if (!client->SendSubscribeChatRoom(m_authKey, name)) {
    TRACE_END_RESULT("refused");
    return "";
  }
  m_subscribing.insert(name);
  m_virtualRoomRequests[login] = true;
  TRACE_END();
  return name;
}

void Manager::CreateVirtualChatRoomAck(const std::string& login, const std::string& room, long answer) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s, %ld", login.c_str(), room.c_str(), answer);
  m_subscribing.erase(room);
  bool focus = false;
  auto asked = m_virtualRoomRequests.find(login);
  if (asked != m_virtualRoomRequests.end()) {
    focus = asked->second;
    m_virtualRoomRequests.erase(asked);
  }
  if (answer == SubscribeStatus_subscribed) {
    std::string other = IsPrivateChatRoom(room);
    if (other.empty()) other = login;
    if (!HasSubscribedTo(room)) {
      TRACE_INFO("subscribed");
      m_subscribedRooms.push_back(room);
      GetOwnContactInfo()->SubscribeTo(room);
    }
    ContactInfo* contact = GetContactInfo(other);
    contact->SubscribeTo(room);
    SubscribeContactToChatRoom(room, contact);
    ManagerEvent* event = NewEvent(wxEVT_RECEIVE_CREATE_VIRTUAL_CHATROOM_ACK, GUI_SUBSCRIBE_CHATROOM_OK);
    event->SetOwnedObject(new URLContactInfo(room, 2, *contact, false, false, focus));
    PostForSession(event);
  } else if (answer == SubscribeStatus_blocked) {
    TRACE_INFO("blocked");
    wxArrayString texts;
    texts.Add(std2wx(room));
    texts.Add(std2wx(login));
    texts.Add(std2wx(GetNickname(login)));
    ManagerEvent* event = NewEvent(wxEVT_RECEIVE_SUBSCRIBE_CHATROOM_ACK, GUI_SUBSCRIBE_CHATROOM_BLOCKED);
    event->SetStrings(texts);
    PostForSession(event);
  }
  TRACE_END();
}

// ---- Invitations

ContactEvent* Manager::StoreRoomEvent(int type, const std::string& site, const std::string& login,
                                      const std::string& message) {
  long id = m_eventCounter++;
  ContactEvent* event = new ContactEvent(id, type, site, login, GetNickname(login), message);
  m_contactEvents[id] = event;
  return event;
}

bool Manager::InviteContactInChatRoom(const std::string& room, const std::string& login) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s", room.c_str(), login.c_str());
  ClientSideRequest* client = Client();
  if (!m_connected || !client) {
    TRACE_END_RESULT("not connected");
    return false;
  }
  std::vector<std::string> logins{login};
  std::string other = IsPrivateChatRoom(room);
  bool sent;
  if (!other.empty()) {
    // The server makes a new room for the three.
    logins.push_back(other);
    sent = client->InviteContactInChatRoom(m_authKey, nullptr, logins);
  } else {
    sent = client->InviteContactInChatRoom(m_authKey, &room, logins);
  }
  TRACE_END_RESULT("%d", sent ? 1 : 0);
  return sent;
}

void Manager::ReceiveInviteContactInChatRoom(const std::string& site, const std::string& login) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s", site.c_str(), login.c_str());
  ContactEvent* event = StoreRoomEvent(CE_INVITED, site, login, wx2std(wxGetTranslation("in a private chatroom")));
  PostKept(wxEVT_RECEIVE_INVITE_CONTACT_IN_CHATROOM, 0, event);
  TRACE_END();
}

bool Manager::InviteContactInChatRoomAck(long id, bool accept, const std::string& message) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%ld, %d", id, accept ? 1 : 0);
  ClientSideRequest* client = Client();
  auto stored = m_contactEvents.find(id);
  if (!m_connected || !client || stored == m_contactEvents.end() || stored->second->GetType() != CE_INVITED) {
    TRACE_END_RESULT("not connected, or no such invitation");
    return false;
  }
  const ContactEvent* invitation = stored->second;
  bool sent = client->InviteContactInChatRoomAck(m_authKey, invitation->GetURL(), invitation->GetLogin(), message,
                                                 accept);
  TRACE_END_RESULT("%d", sent ? 1 : 0);
  return sent;
}

void Manager::ReceiveInviteContactInChatRoomAnswer(const std::string& site, const std::string& login,
                                                   const std::string& message, bool answer) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s, %d", site.c_str(), login.c_str(), answer ? 1 : 0);
  TRACE_INFO("nickname=%s", GetNickname(login).c_str());
  if (answer) {
    for (ContactInfo* member : GetSubscribedContacts(site))
      PostOwned(wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT, GUI_UPDATE_CONTACT,
                new URLContactInfo(site, 0, *member, true, false, false));
  }
  ContactEvent* event = StoreRoomEvent(answer ? CE_ANSWER_ACCEPTED : CE_ANSWER_REFUSED, site, login, message);
  PostKept(wxEVT_RECEIVE_INVITE_CHATROOM_ANSWER, 0, event);
  TRACE_END();
}

// ---- Smileys

std::vector<Smiley*>& Manager::OwnSmileys() {
  // Before the first session the settings' list is taken in; each log-in takes it in anew.
  std::string own = GetLogin();
  auto list = m_customSmileys.find(own);
  if (list == m_customSmileys.end()) list = m_customSmileys.emplace(own, Config::GetInstance()->GetSmileys()).first;
  return list->second;
}

std::vector<Smiley*> Manager::GetSmileys(const std::string& login) {
  MANAGER_GUI_THREAD_ONLY();
  std::vector<Smiley*> all = m_builtinSmileys;
  const std::vector<Smiley*>* custom = nullptr;
  if (login == GetLogin()) {
    custom = &OwnSmileys();
  } else {
    auto list = m_customSmileys.find(login);
    if (list != m_customSmileys.end()) custom = &list->second;
  }
  if (custom) all.insert(all.end(), custom->begin(), custom->end());
  return all;
}

Smiley* Manager::FindFirstSmiley(const std::string& text, const std::string& login, unsigned int* position,
                                 unsigned int* shortcutIndex) {
  MANAGER_GUI_THREAD_ONLY();
  size_t bestPosition = text.size();
  size_t bestLength = text.size();
  Smiley* found = nullptr;
  for (Smiley* smiley : GetSmileys(login)) {
    for (int i = 0; i < smiley->GetNbrShortcuts(); ++i) {
      std::string shortcut = smiley->GetShortcut(i);
      // An empty shortcut (a damaged settings file) would be found everywhere and match nothing.
      if (shortcut.empty()) continue;
      size_t at = text.find(shortcut);
      if (at == std::string::npos || (at > 0 && !IsAsciiSpace(text[at - 1]))) continue;
      if (at > bestPosition || (at == bestPosition && shortcut.size() <= bestLength)) continue;
      bestPosition = at;
      bestLength = shortcut.size();
      if (shortcutIndex) *shortcutIndex = static_cast<unsigned int>(i);
      found = smiley;
    }
  }
  if (position) *position = static_cast<unsigned int>(bestPosition);
  return found;
}

Smiley* Manager::AddSmiley(Smiley* smiley) {
  MANAGER_GUI_THREAD_ONLY();
  OwnSmileys().push_back(smiley);
  Config::GetInstance()->AddSmiley(smiley);
  return smiley;
}

void Manager::RemoveSmiley(Smiley* smiley) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s", smiley->GetName().c_str());
  EraseFirst(OwnSmileys(), smiley);
  ClientSideRequest* client = Client();
  if (m_connected && client) {
    for (const std::string& room : m_subscribedRooms)
      for (int i = 0; i < smiley->GetNbrShortcuts(); ++i) client->DelSmiley(m_authKey, room, smiley->GetShortcut(i));
  }
  Config::GetInstance()->RemoveSmiley(smiley);
  TRACE_END();
}

bool Manager::IsSmileyShortcutUsed(const std::string& shortcut, const Smiley* except) {
  MANAGER_GUI_THREAD_ONLY();
  for (Smiley* smiley : m_builtinSmileys)
    if (smiley->HasShortcut(shortcut)) return true;
  for (Smiley* smiley : OwnSmileys())
    if (smiley != except && smiley->HasShortcut(shortcut)) return true;
  return false;
}

void Manager::ReceiveAddSmiley(const std::string& login, const std::string& code, TypeImage_t type,
                               const unsigned char* bytes, long length) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s", login.c_str(), code.c_str());
  t_image_type stored;
  std::string file = length > 0 && asn1::ImageTypeFromWire(type, &stored)
                         ? IMImage::StoreSmiley(login, code, stored, bytes, static_cast<unsigned long>(length))
                         : std::string();
  if (file.empty()) {
    TRACE_END_RESULT("image refused");
    return;
  }
  std::vector<Smiley*>& list = m_customSmileys[login];
  auto same = std::find_if(list.begin(), list.end(), [&](Smiley* s) { return s->HasShortcut(code); });
  if (same != list.end()) list.erase(same);
  // Every message that uses the smiley brings it again: one object per login and code serves.
  std::unique_ptr<Smiley>& kept = m_receivedSmileys[{login, code}];
  if (kept)
    kept->SetFilename(file);
  else
    kept.reset(new Smiley(code, code, file, false));
  list.push_back(kept.get());
  TRACE_END();
}

void Manager::ReceiveDelSmiley(const std::string& login, const std::string& code) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s", login.c_str(), code.c_str());
  auto list = m_customSmileys.find(login);
  if (list != m_customSmileys.end()) {
    auto same = std::find_if(list->second.begin(), list->second.end(), [&](Smiley* s) { return s->HasShortcut(code); });
    if (same != list->second.end()) list->second.erase(same);
  }
  TRACE_END();
}
