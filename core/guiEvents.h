// The events through which the controller tells the windows what changed: one custom event
// type per kind of change, the codes carried in an event's int, the event class that carries
// the payload, and the notification tests the windows' handlers make.
//
// Two kinds of payload travel as the event object:
// - records that the controller or the settings keep (a site, a stored contact request, an
//   account on another network, a recommended site, the user's own profile) go by pointer; a
//   handler reads them and never frees them;
// - objects made only for the event (a chat message, a file notice, a contact's update, a
//   contact request that is only shown) are owned by the event and freed once its last copy
//   is gone, that is after it was handled.
// Texts travel as the event's string; lists of texts as the event's string list.
#ifndef PARLAVOX_CORE_GUIEVENTS_H
#define PARLAVOX_CORE_GUIEVENTS_H

#include <wx/arrstr.h>
#include <wx/event.h>

#include <cstdint>
#include <memory>

class ContactEvent;
class ContactInfo;
class FileMessage;
class Message;
class MessengerInfo;
class RecommendedSite;
class URLContactInfo;
class URLInfo;

wxDECLARE_EVENT(wxEVT_CONNECTION_ACK, wxCommandEvent);
wxDECLARE_EVENT(wxEVT_RECEIVE_OPEN_CHATROOM_ACK, wxCommandEvent);
wxDECLARE_EVENT(wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT, wxCommandEvent);
wxDECLARE_EVENT(wxEVT_RECEIVE_NEW_MESSAGE, wxCommandEvent);
wxDECLARE_EVENT(wxEVT_RECEIVE_SUBSCRIBE_CHATROOM_ACK, wxCommandEvent);
wxDECLARE_EVENT(wxEVT_RECEIVE_CREATE_VIRTUAL_CHATROOM_ACK, wxCommandEvent);
wxDECLARE_EVENT(wxEVT_RECEIVE_CONTACT_EVENT, wxCommandEvent);
wxDECLARE_EVENT(wxEVT_RECEIVE_ADD_WEBSITE, wxCommandEvent);
wxDECLARE_EVENT(wxEVT_RECEIVE_KEY_TYPED, wxCommandEvent);
wxDECLARE_EVENT(wxEVT_RECEIVE_MESSAGE_FILE, wxCommandEvent);
wxDECLARE_EVENT(wxEVT_RECEIVE_CLOSE_CHATROOM, wxCommandEvent);
wxDECLARE_EVENT(wxEVT_RECEIVE_DEL_CONTACT, wxCommandEvent);
wxDECLARE_EVENT(wxEVT_RECEIVE_INVITE_CONTACT_IN_CHATROOM, wxCommandEvent);
wxDECLARE_EVENT(wxEVT_RECEIVE_INVITE_CHATROOM_ANSWER, wxCommandEvent);
wxDECLARE_EVENT(wxEVT_RECEIVE_UPDATE_AVATAR, wxCommandEvent);
wxDECLARE_EVENT(wxEVT_RECEIVE_UPDATE_COMMENTS, wxCommandEvent);
wxDECLARE_EVENT(wxEVT_RECEIVE_UPDATE_AD, wxCommandEvent);
wxDECLARE_EVENT(wxEVT_RECEIVE_RECOMMEND_SITE, wxCommandEvent);
wxDECLARE_EVENT(wxEVT_RECEIVE_BAN_SITE, wxCommandEvent);
wxDECLARE_EVENT(wxEVT_RECEIVE_REGISTER_EXTENSION, wxCommandEvent);
wxDECLARE_EVENT(wxEVT_RECEIVE_MESSENGER_INFO, wxCommandEvent);
wxDECLARE_EVENT(wxEVT_REMOVE_ALL_PRIVATE_CONTACTS, wxCommandEvent);
wxDECLARE_EVENT(wxEVT_RECEIVE_UPLOAD_INSTALLER, wxCommandEvent);

// Codes carried in an event's int.
enum {
  GUI_CONNECTION__START = 1000,            // the main window's own; never posted
  GUI_CONNECTED_TO_SERVER = 1001,          // the TLS link stands, the log-in is under way
  GUI_CONNECTION__OK = 1002,               // the server accepted the log-in
  GUI_CONNECTION__INVALID_LOGIN = 1003,    // refused: invalid login
  GUI_CONNECTION__TOO_MANY_USERS = 1004,   // refused: too many users
  GUI_CONNECTION__INVALID_VERSION = 1005,  // refused: this version is not accepted
  GUI_CONNECTION__SERVER_FAILED = 1006,    // the link could not be made (or the server failed)
  GUI_DISCONNECT = 1007,                   // the server's disconnect when no longer connected
  GUI_NOTASKED_DISCONNECT = 1008,          // the server ended the session
  GUI_CONNECTION__REFRESH = 1009,          // the main window's own; never posted
  GUI_SOCKET_ERROR = 1010,                 // the link broke
  GUI_OPEN_CHATROOM_OK = 1011,
  GUI_OPEN_CHATROOM_FAILED = 1012,
  GUI_SUBSCRIBE_CHATROOM_OK = 1013,
  GUI_SUBSCRIBE_CHATROOM_FAILED = 1014,
  GUI_SUBSCRIBE_CHATROOM_BANNED = 1015,
  GUI_SUBSCRIBE_CHATROOM_BLOCKED = 1016,
  GUI_UPDATE_CONTACT = 1017
};

// Every event the controller posts is one of these. Copies share the owned payload.
class ManagerEvent : public wxCommandEvent {
 public:
  ManagerEvent(wxEventType type, int id);
  ManagerEvent(const ManagerEvent& other) = default;
  wxEvent* Clone() const override;

  // A record kept by its owner: the handler only reads it.
  void SetKeptObject(wxObject* record);
  // An object made for this event: the event owns it from now on.
  void SetOwnedObject(wxObject* object);
  bool OwnsObject() const { return static_cast<bool>(m_owned); }

  void SetStrings(const wxArrayString& strings);
  // The string list of a controller event; empty for any other event.
  static const wxArrayString& StringsOf(const wxEvent& event);

  // News that holds only within the session it came in (a room's answer) names that session's
  // link; 0 for news that holds whatever came since.
  void SetSession(uint64_t link) { m_session = link; }
  uint64_t GetSession() const { return m_session; }

  // The payload of an event, read as the one kind it may be: null when the event carries
  // nothing or something of another kind (a file notice is not read as a chat message).
  static ContactInfo* ContactOf(const wxEvent& event);
  static URLInfo* SiteOf(const wxEvent& event);
  static RecommendedSite* RecommendedSiteOf(const wxEvent& event);
  static URLContactInfo* RoomContactOf(const wxEvent& event);
  static Message* MessageOf(const wxEvent& event);
  static FileMessage* FileOf(const wxEvent& event);
  static ContactEvent* ContactEventOf(const wxEvent& event);
  static MessengerInfo* MessengerOf(const wxEvent& event);

 private:
  std::shared_ptr<wxObject> m_owned;
  std::shared_ptr<const wxArrayString> m_strings;
  uint64_t m_session = 0;
};

// The notification cascades: the values of one setting at successive levels, the most specific
// first (0 not set, 1 off, 2 on). The first level that is set decides; any other value stops
// the search with false.
bool IsNotificationOn(int first, int second);
bool IsNotificationOn(int first, int second, int third);

#endif
