#include "core/guiEvents.h"

#include <typeinfo>

#include "model/contactEvent.h"
#include "model/contactInfo.h"
#include "model/fileMessage.h"
#include "model/message.h"
#include "model/messengerInfo.h"
#include "model/notificationMap.h"
#include "model/recommendedSite.h"
#include "model/urlContactInfo.h"
#include "model/urlInfo.h"

// Made once each when the program starts, in this order.
wxDEFINE_EVENT(wxEVT_CONNECTION_ACK, wxCommandEvent);
wxDEFINE_EVENT(wxEVT_RECEIVE_OPEN_CHATROOM_ACK, wxCommandEvent);
wxDEFINE_EVENT(wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT, wxCommandEvent);
wxDEFINE_EVENT(wxEVT_RECEIVE_NEW_MESSAGE, wxCommandEvent);
wxDEFINE_EVENT(wxEVT_RECEIVE_SUBSCRIBE_CHATROOM_ACK, wxCommandEvent);
wxDEFINE_EVENT(wxEVT_RECEIVE_CREATE_VIRTUAL_CHATROOM_ACK, wxCommandEvent);
wxDEFINE_EVENT(wxEVT_RECEIVE_CONTACT_EVENT, wxCommandEvent);
wxDEFINE_EVENT(wxEVT_RECEIVE_ADD_WEBSITE, wxCommandEvent);
wxDEFINE_EVENT(wxEVT_RECEIVE_KEY_TYPED, wxCommandEvent);
wxDEFINE_EVENT(wxEVT_RECEIVE_MESSAGE_FILE, wxCommandEvent);
wxDEFINE_EVENT(wxEVT_RECEIVE_CLOSE_CHATROOM, wxCommandEvent);
wxDEFINE_EVENT(wxEVT_RECEIVE_DEL_CONTACT, wxCommandEvent);
wxDEFINE_EVENT(wxEVT_RECEIVE_INVITE_CONTACT_IN_CHATROOM, wxCommandEvent);
wxDEFINE_EVENT(wxEVT_RECEIVE_INVITE_CHATROOM_ANSWER, wxCommandEvent);
wxDEFINE_EVENT(wxEVT_RECEIVE_UPDATE_AVATAR, wxCommandEvent);
wxDEFINE_EVENT(wxEVT_RECEIVE_UPDATE_COMMENTS, wxCommandEvent);
wxDEFINE_EVENT(wxEVT_RECEIVE_UPDATE_AD, wxCommandEvent);
wxDEFINE_EVENT(wxEVT_RECEIVE_RECOMMEND_SITE, wxCommandEvent);
wxDEFINE_EVENT(wxEVT_RECEIVE_BAN_SITE, wxCommandEvent);
wxDEFINE_EVENT(wxEVT_RECEIVE_REGISTER_EXTENSION, wxCommandEvent);
wxDEFINE_EVENT(wxEVT_RECEIVE_MESSENGER_INFO, wxCommandEvent);
wxDEFINE_EVENT(wxEVT_REMOVE_ALL_PRIVATE_CONTACTS, wxCommandEvent);
wxDEFINE_EVENT(wxEVT_RECEIVE_UPLOAD_INSTALLER, wxCommandEvent);

ManagerEvent::ManagerEvent(wxEventType type, int id) : wxCommandEvent(type, id) {}

wxEvent* ManagerEvent::Clone() const {
  return new ManagerEvent(*this);
}

void ManagerEvent::SetKeptObject(wxObject* record) {
  m_owned.reset();
  SetEventObject(record);
}

void ManagerEvent::SetOwnedObject(wxObject* object) {
  m_owned.reset(object);
  SetEventObject(object);
}

void ManagerEvent::SetStrings(const wxArrayString& strings) {
  m_strings = std::make_shared<const wxArrayString>(strings);
}

const wxArrayString& ManagerEvent::StringsOf(const wxEvent& event) {
  static const wxArrayString none;
  const ManagerEvent* own = dynamic_cast<const ManagerEvent*>(&event);
  return own && own->m_strings ? *own->m_strings : none;
}

namespace {

// The event's object when it is exactly of the kind asked for; a derived kind is another kind.
template <class Payload>
Payload* PayloadOf(const wxEvent& event) {
  wxObject* object = event.GetEventObject();
  if (!object || typeid(*object) != typeid(Payload)) return nullptr;
  return static_cast<Payload*>(object);
}

}  // namespace

ContactInfo* ManagerEvent::ContactOf(const wxEvent& event) {
  return PayloadOf<ContactInfo>(event);
}

URLInfo* ManagerEvent::SiteOf(const wxEvent& event) {
  return PayloadOf<URLInfo>(event);
}

RecommendedSite* ManagerEvent::RecommendedSiteOf(const wxEvent& event) {
  return PayloadOf<RecommendedSite>(event);
}

URLContactInfo* ManagerEvent::RoomContactOf(const wxEvent& event) {
  return PayloadOf<URLContactInfo>(event);
}

Message* ManagerEvent::MessageOf(const wxEvent& event) {
  return PayloadOf<Message>(event);
}

FileMessage* ManagerEvent::FileOf(const wxEvent& event) {
  return PayloadOf<FileMessage>(event);
}

ContactEvent* ManagerEvent::ContactEventOf(const wxEvent& event) {
  return PayloadOf<ContactEvent>(event);
}

MessengerInfo* ManagerEvent::MessengerOf(const wxEvent& event) {
  return PayloadOf<MessengerInfo>(event);
}

bool IsNotificationOn(int first, int second) {
  if (first == NOTIFICATION_ON) return true;
  return first == NOTIFICATION_NOT_SET && second == NOTIFICATION_ON;
}

bool IsNotificationOn(int first, int second, int third) {
  if (first == NOTIFICATION_ON) return true;
  return first == NOTIFICATION_NOT_SET && IsNotificationOn(second, third);
}
