// The program's controller: one Manager per process. It follows the connection to the server,
// dispatches every request from the server and from the browser extension, keeps the contacts,
// sites, rooms, smileys and contact requests, carries out what the windows ask, and posts every
// change to the windows as an event (see core/guiEvents.h).
//
// Threads: the Manager runs on the GUI thread only. The network threads reach it only through
// its mailbox: a connection client through its link's port, which stamps what it hands in with
// the link's generation; the extension listener and the file server through the process's
// relay. The Manager handles the inbox in arrival order on the GUI thread (see core/threads.md,
// "The inbox"). A request or acknowledgement from a link that is no longer the current one is
// dropped.
//
// The class is defined over several files, one per concern: application.cpp (instance, states,
// queue, dispatch), applicationConnection.cpp (log-in and log-out), applicationContacts.cpp,
// applicationSites.cpp, applicationRooms.cpp, applicationMessengers.cpp, applicationFiles.cpp.
#ifndef PARLAVOX_CORE_APPLICATION_H
#define PARLAVOX_CORE_APPLICATION_H

#include <wx/bitmap.h>
#include <wx/event.h>
#include <wx/timer.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/guiEvents.h"
#include "core/roomMembers.h"
#include "core/siteVisitors.h"
#include "model/contactEvent.h"
#include "model/contactInfo.h"
#include "model/extensionStatus.h"
#include "model/fileMessage.h"
#include "model/messengerInfo.h"
#include "model/messengerProtocolInfo.h"
#include "model/smiley.h"
#include "model/urlInfo.h"
#include "network/fileTransferListener.h"
#include "network/stateMachine.h"

// The schema's types that the dispatch hands to its handlers, declared here without the
// generated headers: the windows include this file and never see the wire format.
struct Image;
struct LoginOrEmail;
struct MessengerProtocols;
struct NRecommendedSites;
struct OCTET_STRING;
struct S2C_UpdateContactAll;
typedef struct Image Image_t;
typedef struct LoginOrEmail LoginOrEmail_t;
typedef struct MessengerProtocols MessengerProtocols_t;
typedef struct NRecommendedSites NRecommendedSites_t;
typedef struct OCTET_STRING OCTET_STRING_t;
typedef struct S2C_UpdateContactAll S2C_UpdateContactAll_t;
typedef OCTET_STRING_t Login_t;
typedef OCTET_STRING_t Nickname_t;
typedef OCTET_STRING_t FileData_t;
typedef long TypeImage_t;

class ManagerMailbox;
struct InboxEntry;
struct ServerLink;
struct TransferReport;

class ClientSideRequest;
class FileServer;

// The frame GetAvatar draws around a picture.
enum t_border_type : int {
  BORDER_NONE = 0,    // no frame
  BORDER_SIMPLE = 1,  // one pixel, dark grey
  BORDER_THICK = 2    // two pixels, orange
};

enum t_connection_state : int { DISCONNECTED = 0, CONNECTING = 1, CONNECTING_AUTH = 2, CONNECTED = 3 };

class Manager : public wxEvtHandler {
 public:
  // The process's Manager, made on first use (on the GUI thread, during start-up).
  static Manager* GetInstance();

  // Tests make Managers of their own; the program uses GetInstance.
  Manager();
  ~Manager() override;
  Manager(const Manager&) = delete;
  Manager& operator=(const Manager&) = delete;

  // The port the extension listener is started on (6788; 0 lets the system choose). Takes effect
  // at the first connection of the process.
  static void SetListenerPort(unsigned short port);

  // The longest the GUI thread handles the inbox before giving the event loop back: the
  // controller's own handling and the windows' handling of what it posted to them, together.
  static constexpr std::chrono::milliseconds kInboxSlice{4};
  // Client reports go out at most once per interval (the first of a session at once); tests
  // shorten it.
  static void SetClientInfoInterval(std::chrono::milliseconds interval);
  // Extension names kept; past this many, the one heard of longest ago is forgotten.
  static constexpr size_t kMaxExtensions = 256;
  // The port through which the current link's connection thread hands its requests in (null
  // without a link); it keeps that link alive. Tests hand requests in by it as that thread does.
  std::shared_ptr<StateMachine> CurrentLinkPort() const;
  // Entries waiting in the inbox, and the bytes they stand for.
  size_t GetInboxSize() const;
  size_t GetInboxBytes() const;

  // ---- Accessors.
  t_connection_state GetState() const { return m_state; }
  bool IsDisconnected() const { return m_state == DISCONNECTED; }
  bool IsConnected() const { return m_connected; }
  // Transfers whose progress is paced (posted lately, or held back): for tests.
  size_t GetPacedTransfers() const { return m_progressPosted.size() + m_progressHeld.size(); }
  // The presence while connected, else offline.
  t_status GetStatus() const;
  std::string GetLogin() const;
  ContactInfo* GetOwnContactInfo() const;
  ContactInfo* GetDefaultContactInfo() const;
  wxBitmap GetImage(const std::string& name) const;
  std::string GetWebToken() const { return m_webToken; }
  std::string GetWebSiteURL() const;
  std::string GetTimeKey() const;
  // The id of every event the Manager posts.
  static int GetEventId();

  // ---- Connection life cycle (applicationConnection.cpp).
  bool CanConnect() const;
  void Connect(const std::string& login, const std::string& password, bool savePassword, const std::string& hostname,
               int port, bool ssl, bool redirect);
  void Disconnect(bool closing, bool notifyServer);
  void AbortConnection();
  // The program is exiting: the result of saving the settings.
  bool Close();
  void RestartFileServer();
  // Any thread: a text logged for the server.
  void SendErrorMessages(const std::string& text);

  // ---- Own presence and profile (applicationProfile.cpp). Each sends only when connected;
  // ChangeNickname keeps the nickname and mood in the settings in any case.
  void ChangeStatus(t_status status);
  void ChangeNickname(const std::string& nickname, const std::string& mood);
  // The month counts from 0; a day of 0 sends no birth date. True when the update went out;
  // only then are the nickname, mood and birth date kept in the settings.
  bool UpdateProfile(const std::string& nickname, const std::string& mood, int day, int month, int year);
  void ReportAbuse(const std::string& site, const std::string& login, const std::string& message);
  void AskForAvatar(const std::string& login);
  // The user's own nickname.
  std::string GetNickname() const;
  // The picture of a user: the stored one of the size asked for, else one made from the other
  // size (asking the server once for a missing large one when ask is set), else the default;
  // framed, and crossed out for a blocked contact. Never an invalid bitmap.
  wxBitmap GetAvatar(const std::string& login, bool small, bool ask, t_border_type border, bool crossed);
  // Sends and stores a new own avatar from two image files (gif, png or jpg); false when not
  // connected, a file cannot be read whole, its type is unknown or the server cannot be told.
  bool ChangeAvatar(const std::string& largeFile, const std::string& smallFile);

  // ---- Contacts (applicationContacts.cpp). The requests to the server return the entry they
  // leave in the contact-requests list, or null when not connected or the request was refused.
  ContactEvent* SendAddContact(const std::string& login, const std::string& message);
  ContactEvent* SendAddContactAnswer(long id, bool accept, const std::string& message);
  ContactEvent* CheckContact(const std::string& loginOrEmail);
  // The record taken out of the saved contacts (it stays allocated), or null.
  ContactInfo* RemoveContact(const std::string& login, const std::string& message);
  ContactEvent* SendBlockContact(const std::string& login, const std::string& message);
  ContactEvent* SendUnblockContact(const std::string& login, const std::string& message);
  // Groups: the saved contacts are re-filed in any case, the server told only when connected.
  void RenameGroup(const std::string& oldName, const std::string& newName);
  bool RemoveGroup(const std::string& name);
  ContactInfo* UpdateGroup(const std::string& login, const std::string& group);
  bool CanModifyGroup(const std::string& name);
  // The contacts panel's own sections, which are not groups of the user's.
  static bool IsSectionName(const std::string& name);
  ContactEvent* GetContactEvent(long id) const;
  bool HasContact(const std::string& login) const;
  // The own record, the administrator, a known contact, or a record kept for an unknown login.
  ContactInfo* GetContactInfo(const std::string& login);
  std::string GetNickname(const std::string& login);

  // ---- Sites (applicationSites.cpp).
  URLInfo* GetURLInfo(const std::string& url);
  void OpenChatRoom(const std::string& url);
  void CloseChatRoom(const std::string& url);
  // The extension names, each followed by "|".
  std::string GetExtensionNames() const;

  // ---- External messengers (applicationMessengers.cpp). A removed account stays allocated
  // until the Manager goes, for the events that may still point to it.
  std::vector<MessengerInfo*> GetMessengers() const;
  std::vector<MessengerProtocolInfo*> GetMessengerProtocols() const;
  MessengerProtocolInfo* GetMessengerProtocol(const std::string& protocol) const;
  // A new account of the protocol, the caller's until handed to AddMessenger; null when the
  // server does not offer the protocol.
  MessengerInfo* CreateMessengerInfo(const std::string& protocol) const;
  void AddMessenger(MessengerInfo* account);
  void RemoveMessenger(MessengerInfo* account);
  void ConnectMessenger(MessengerInfo* account);
  void DisconnectMessenger(MessengerInfo* account);

  // Sites, chat rooms, private rooms, smileys and file transfers: what the windows call
  // (applicationSites.cpp, applicationRooms.cpp, applicationFiles.cpp). GUI thread only.

  // -- Sites. The settings' records first, then those met since start-up, in URL order.
  std::vector<URLInfo*> GetAllURLInfo();
  // Hands the changed records of sites met since start-up to the settings, so that the next save
  // of the settings file holds them; each keeps its address and pointer.
  void StoreModifiedSites();
  // Gives the site's record these notification settings and writes the settings file. When the
  // file cannot be written, the record is left exactly as it was (settings, modified mark, and
  // whether the settings hold it), so that nothing of the failed save reaches a later one.
  bool SaveSiteNotifications(const std::string& url, const std::map<std::string, bool>& notifications);
  // Sets a site's own status and enters or leaves its room as the change requires; returns the
  // status the record has afterwards.
  t_site_status SetSiteStatus(const std::string& url, t_site_status status);
  void SetDefaultSiteStatus(t_site_status status);
  t_site_status GetDefaultSiteStatus() const;
  // False when not connected or refused.
  bool SendComment(const std::string& url, const std::string& text, int grade);
  void DelRecommendedSite(const std::string& url);
  void SetExtensionStatus(const std::string& name, t_extension_status status);
  t_extension_status GetExtensionStatus(const std::string& name);
  void SetProxyStatus(bool on);
  void SetAlwaysTopStatus(bool on);
  void SetAutoConnectStatus(bool on);

  // -- Membership, messages and typing.
  bool HasSubscribedTo(const std::string& room) const;
  // True between a subscription sent and its answer (or the end of the session).
  bool IsSubscribing(const std::string& room) const { return m_subscribing.count(room) != 0; }
  // Sends the room's subscription unless it is held already or one is on its way: a room is
  // asked for once, however often the user types or writes before the answer.
  void SubscribeChatRoom(const std::string& room);
  void UnsubscribeChatRoom(const std::string& room);
  std::vector<std::string> GetSubscribedChatRooms() const { return m_subscribedRooms; }
  std::vector<ContactInfo*> GetSubscribedContacts(const std::string& room) const;
  // True once the message is on its way; only then is it shown as the user's own line. Refused
  // when not connected, longer than the settings' maximum, or not valid UTF-8.
  bool SendMessage(const std::string& room, const std::string& text);
  void KeyTyped(const std::string& room, bool typing);

  // -- Private rooms and invitations. IsPrivateChatRoom gives the other login of a one-to-one
  // room the user is in, else "".
  std::string IsPrivateChatRoom(const std::string& name) const;
  bool IsMultiplePrivateChatRoom(const std::string& name) const;
  std::string GetPrivateChatRoomNameWith(const std::string& login);
  std::string GetPrivateChatRoomText(const std::string& name);
  std::string GetChatRoomName(const std::string& name);
  // The room's name, or "" when not connected, the contact is offline or the request was
  // refused; *existed tells whether the contact already is in that room.
  std::string CreateVirtualChatRoom(const std::string& login, bool* existed);
  bool InviteContactInChatRoom(const std::string& room, const std::string& login);
  bool InviteContactInChatRoomAck(long id, bool accept, const std::string& message);
  void SubscribeContactToChatRoom(const std::string& room, ContactInfo* contact);
  void UnsubscribeContactFromChatRoom(const std::string& room, const std::string& login);

  // -- Smileys: the built-in ones, then the login's own.
  std::vector<Smiley*> GetSmileys(const std::string& login);
  // The smiley found first in the text (at its start or after white space), with where and
  // which of its shortcuts; null, and *position the text's length, when there is none.
  Smiley* FindFirstSmiley(const std::string& text, const std::string& login, unsigned int* position,
                          unsigned int* shortcutIndex);
  Smiley* AddSmiley(Smiley* smiley);
  void RemoveSmiley(Smiley* smiley);
  bool IsSmileyShortcutUsed(const std::string& shortcut, const Smiley* except);

  // -- File transfers. SendFile returns the new offer's key, or "" when nothing was offered.
  std::string SendFile(const std::string& site, const std::string& path, const std::string& fileName);
  void DownloadFile(const std::string& fileKey, const std::string& localPath);
  // True once a peer's offer of the key has reached this client.
  bool HasFileOffer(const std::string& fileKey) const;
  void CancelUploadFile(const std::string& fileKey);
  void CancelDownload(const std::string& transferKey);
  void CancelUpload(const std::string& transferKey);


 private:
  friend class ManagerMailbox;

  // ---- The handlers of the server's requests, called by the dispatch only, on the GUI thread.
  // The log-in and log-out (applicationConnection.cpp).
  void ConnectionSuccessful(const std::string& authkey, const std::string& version, const Image_t* defaultAvatar,
                            const std::string& webToken);
  void ConnectionFailed(int code, const std::string& version);
  void DisconnectAck();
  void ReceiveRedirect(const std::string& ip, int port);
  void HeartBeat();
  // The contacts (applicationContacts.cpp).
  void SwitchContactsOffline();
  void CheckContactAck(const LoginOrEmail_t& loginOrEmail, const Login_t* login, const Nickname_t* nickname,
                       bool status);
  void ReceiveAddContactAsk(const std::string& login, const std::string& nickname, const std::string& message);
  void ReceiveAddContactAnswer(const std::string& login, const std::string& nickname, bool answer,
                               const std::string& message);
  void ReceiveDelContact(const std::string& login, const std::string& message);
  // The sites (applicationSites.cpp).
  void OpenChatRoomAck(const std::string& site, const std::string& idComments, long nbrUsers, long nbrMessages,
                       const double* averageGrade, const std::string* userMessage, const long* userGrade,
                       const NRecommendedSites_t* recommendedSites);
  void OpenChatRoomAckFailed(const std::string& site);
  void UpdateComments(const std::string& site, long nbrComments, double meanGrade);
  void BanSite(const std::string& site);
  void ReceiveAd(TypeImage_t type, const unsigned char* bytes, long length);
  void UpdateExtensionStatus(const std::string& name, t_extension_status status);
  // The rooms, messages, private rooms and smileys (applicationRooms.cpp).
  void UpdateChatRoomContact(int code, const S2C_UpdateContactAll_t& update);
  void ReceiveMessage(const std::string& site, const std::string& login, const std::string& text, time_t time,
                      bool history);
  void SubscribeChatRoomAck(const std::string& site, long answer);
  void KeyTypedInChatRoom(const std::string& site, const std::string& login, bool enabled);
  void CreateVirtualChatRoomAck(const std::string& login, const std::string& room, long answer);
  void ReceiveInviteContactInChatRoom(const std::string& site, const std::string& login);
  void ReceiveInviteContactInChatRoomAnswer(const std::string& site, const std::string& login,
                                            const std::string& message, bool answer);
  void ReceiveAddSmiley(const std::string& login, const std::string& code, TypeImage_t type,
                        const unsigned char* bytes, long length);
  void ReceiveDelSmiley(const std::string& login, const std::string& code);
  // The external messengers (applicationMessengers.cpp).
  void ReceiveAvailableMessengerProtocols(const MessengerProtocols_t& protocols);
  void ReceiveMessengerConnectionStatus(const std::string& protocol, const std::string& login, long status);
  // The file transfers (applicationFiles.cpp).
  void AskForFile(const std::string& login, const std::string& fileKey);
  void AskForFileAck(const std::string& login, const std::string& fileKey, bool status, const long* size);
  void FilePart(const std::string& login, const std::string& fileKey, const FileData_t* data);
  void FilePartAck(const std::string& login, const std::string& fileKey);
  void ReceiveCancelFile(const std::string& site, const std::string& fileKey);

  // Any thread, with the mailbox locked: asks for the inbox to be drained on the GUI thread.
  void AskDrain();
  // GUI thread: handles what the inbox holds for what is left of this turn's slice; what is
  // left over waits for the event loop's next idle time. idle: called from the idle time (a
  // new turn begins).
  void DrainInbox(bool idle);
  void OnIdle(wxIdleEvent& event);
  void HandleEntry(InboxEntry& entry);
  // Whether this turn's slice has room for one more entry, `spent` into this drain: the
  // windows' share is what they took for the events already handled this turn and what those
  // still waiting are expected to take.
  bool SliceHasRoom(std::chrono::steady_clock::duration spent, std::chrono::steady_clock::duration budget) const;
  // Every event reaches the windows through here: the time they take for those the controller
  // posted counts in the turn's slice.
  bool ProcessEvent(wxEvent& event) override;
  std::chrono::steady_clock::duration HandlingCost(wxEventType type) const;

  // Their handling, on the GUI thread.
  bool IsCurrentLink(uint64_t generation) const;
  void HandleConnectionAck(uint64_t generation, bool ok);
  void HandleServerRequest(uint64_t generation, S2C_Request_t& request);
  void HandleExtensionRequest(E2C_Request_t& request);
  void HandleTransfer(const TransferReport& report);
  void HandleListenerUnavailable();
  void HandleHeartBeats(uint64_t generation, unsigned count);
  void DispatchLogIn(S2C_Request_t& request);
  void DispatchConnected(S2C_Request_t& request);
  // The requests of a session by subject, each false for a kind that is not its own: the link
  // itself; rooms and their people; contacts; file transfers; external messengers and smileys.
  bool DispatchLinkRequest(S2C_Request_t& request);
  bool DispatchRoomRequest(S2C_Request_t& request);
  bool DispatchContactRequest(S2C_Request_t& request);
  bool DispatchFileRequest(S2C_Request_t& request);
  bool DispatchAccountRequest(S2C_Request_t& request);
  // The code that ends the attempt for a go-away status.
  static int GoAwayCode(long status);

  // The link to the server and the listeners (applicationConnection.cpp).
  ClientSideRequest* Client() const;
  void StartLink(const std::string& hostname, int port, bool ssl);
  // Closes the current link, after what was sent on it when sent is true, and forgets it.
  void RetireLink(bool afterSent);
  void StartFileServer();
  void StartExtensionListener();
  void SendClientInfo();
  // Sends the client report when one is due and the interval allows, else times it.
  void SendClientInfoWhenAllowed();
  void OnClientInfoTimer(wxTimerEvent& event);
  // The screen's description, taken again only when the displays changed.
  std::string ScreenInfo();

  // Posting to the windows.
  ManagerEvent* NewEvent(wxEventType type, int code);
  void PostKept(wxEventType type, int code, wxObject* record);
  void PostOwned(wxEventType type, int code, wxObject* object);
  void PostText(wxEventType type, int code, const std::string& text);
  void PostTexts(wxEventType type, int code, const wxArrayString& texts);
  // Posts news of the current session only: once that session has ended, it is dropped on its
  // way to the windows (ProcessEvent).
  void PostForSession(ManagerEvent* event);

  // Fails a debug build when called from another thread than the GUI thread (see
  // MANAGER_GUI_THREAD_ONLY).
  static void CheckGuiThread(const char* function);

  ContactInfo* m_adminContact = nullptr;
  t_connection_state m_state = DISCONNECTED;
  std::shared_ptr<ServerLink> m_link;
  bool m_connected = false;
  std::string m_authKey;
  bool m_clientInfoDue = true;
  bool m_clientInfoSent = false;
  std::chrono::steady_clock::time_point m_clientInfoTime;
  wxTimer m_clientInfoTimer;
  std::string m_screenKey;
  std::string m_screenInfo;
  std::string m_systemInfo[3];
  // Time spent on the inbox since the event loop's last idle time, and whether entries were
  // left for the next one.
  std::chrono::steady_clock::duration m_turnSpent{};
  bool m_inboxLeft = false;
  // What the events posted this turn and not handled yet are expected to cost the windows, and
  // what one of each kind took of late: a drain that posted a thousand messages in its slice
  // would have the windows take many slices for them in one go.
  std::chrono::steady_clock::duration m_postedCost{};
  // Entries handled since the last idle time. The windows' expected cost bounds a drain only
  // past the first few, so that an answer and what comes with it (a room's acknowledgement and
  // its members) reach the windows together, as they came.
  static constexpr int kEntriesBeforeLookAhead = 64;
  int m_turnEntries = 0;
  std::map<wxEventType, std::chrono::steady_clock::duration> m_handlingCost;
  std::map<std::string, URLInfo*> m_liveSites;
  std::map<std::string, ContactInfo*> m_contacts;
  std::map<std::string, FileMessage*> m_fileMessages;
  std::unique_ptr<FileServer> m_fileServer;
  int m_fileKeyCounter = 0;
  std::map<long, ContactEvent*> m_contactEvents;
  long m_eventCounter = 0;
  std::vector<Smiley*> m_builtinSmileys;
  std::map<std::string, std::vector<Smiley*>> m_customSmileys;
  std::vector<std::string> m_subscribedRooms;
  // Subscriptions sent and not answered yet.
  std::set<std::string> m_subscribing;
  std::vector<std::string> m_openedRooms;
  std::map<std::string, std::string> m_privateRoomTexts;
  int m_privateRoomCounter = 0;
  std::map<std::string, RoomMembers> m_roomMembers;
  // Who the sites panel shows on each site open in the browser: their records stay meanwhile.
  SiteVisitors m_siteVisitors;
  std::map<std::string, bool> m_avatarRequests;
  t_status m_status = STATUS_NONE;
  std::map<std::string, t_extension_status> m_extensionStatus;
  // When each extension name was last heard of (a counter), to forget the oldest.
  std::map<std::string, unsigned long long> m_extensionHeard;
  unsigned long long m_extensionCounter = 0;
  std::map<std::string, bool> m_virtualRoomRequests;
  std::string m_pendingErrors;
  static constexpr size_t kMaxPendingErrors = 48 * 1024;
  std::string m_webToken;
  // Records made for logins the Manager does not know, kept so that each gets one.
  std::map<std::string, ContactInfo*> m_strangers;
  // Records made for logins met only in room updates, never handed out by pointer (by
  // GetContactInfo, GetSubscribedContacts or to the settings): no window can hold them, so they
  // go once their login has left every room and no open site shows it. A record handed out
  // leaves the set for good.
  mutable std::set<const ContactInfo*> m_unlentRecords;
  // Logins taken out of the saved contacts: an update already on its way does not bring them
  // back; asking for or accepting the contact again lifts the mark.
  std::set<std::string> m_removedContacts;
  // Accounts removed and protocols dropped from the settings, kept for the windows and events
  // that may still point to them.
  std::vector<std::unique_ptr<MessengerInfo>> m_removedMessengers;
  std::vector<std::unique_ptr<MessengerProtocolInfo>> m_droppedProtocols;
  std::shared_ptr<ManagerMailbox> m_mailbox;

  // Contacts' helpers (applicationContacts.cpp).
  ContactEvent* StoreContactEvent(int type, const std::string& url, const std::string& login,
                                  const std::string& nickname, const std::string& message);
  // Refuses, with a trace, a login from the server that no user can have: empty, overlong, or
  // holding a byte outside the logins' alphabet.
  static bool AcceptLogin(const std::string& login, const char* what);
  bool IsRemovedContact(const std::string& login) const { return m_removedContacts.count(login) != 0; }
  ContactEvent* SendContactEvent(int type, const std::string& login, const std::string& message,
                                 bool (ClientSideRequest::*send)(const std::string&, const std::string&,
                                                                 const std::string&));

  // Sites, chat rooms, smileys and file transfers: helpers and state.
  // The answer for the extension's page, if the site is one (not "none", not a private room).
  static void AnswerExtension(const std::string& url, int value);
  static bool IsPage(const std::string& site);
  // The site rooms the server opened in the current session (an ended session took its own).
  std::vector<std::string>& OpenedRooms();
  ContactInfo* RoomMemberRecord(const std::string& login);
  // The user is out of the room and its site is not open: the server says no more of it, so who
  // was in it is forgotten and no record counts itself in it any more (the rooms of a whole
  // day's browsing would otherwise stay until the log-out).
  void ForgetRoom(const std::string& room);
  // Frees the record of a login met only in room updates once it is in no room, is shown on no
  // open site, is no saved contact and has never been handed out (applicationContacts.cpp).
  void ForgetUnseenStranger(const std::string& login);
  void ForgetUnseenStrangers(const std::vector<std::string>& logins);
  void UpdateRoomMember(int code, const std::string& room, ContactInfo* record, const S2C_UpdateContactAll_t& update,
                        bool statusValid);
  void UpdateListedContact(int code, ContactInfo* record, const S2C_UpdateContactAll_t& update, bool statusValid,
                           bool profileChanged);
  void UpdateAvatars(const std::string& login, const S2C_UpdateContactAll_t& update);
  ContactEvent* StoreRoomEvent(int type, const std::string& site, const std::string& login,
                               const std::string& message);
  std::vector<Smiley*>& OwnSmileys();
  void SendSmileysOf(const std::string& room, const std::string& text);
  std::string NewFileKey();
  void SendNextPart(const std::string& login, const std::string& fileKey);
  // Whether a transfer's report is posted: every change of state, progress ten times a second.
  // Progress held back is posted once its interval is over, unless newer news came first.
  bool PaceAllows(const TransferReport& report);
  void OnProgressTimer(wxTimerEvent& event);

  // Smileys received from other users, one per login and code, kept while windows may show them.
  std::map<std::pair<std::string, std::string>, std::unique_ptr<Smiley>> m_receivedSmileys;
  // Relayed uploads under way, by login and file key.
  std::set<std::string> m_relayedUploads;
  // Offers of other users that this user has fetched (or tried to): their withdrawal by the
  // sender leaves what the transfer itself reported.
  std::set<std::string> m_offersTaken;
  uint64_t m_openedRoomsLink = 0;
  // When each running transfer's progress was last posted, and its newest progress held back.
  std::map<std::string, std::chrono::steady_clock::time_point> m_progressPosted;
  std::map<std::string, std::shared_ptr<const TransferReport>> m_progressHeld;
  wxTimer m_progressTimer;
};

Manager* GetManager();

// First line of every Manager operation that touches its tables.
#define MANAGER_GUI_THREAD_ONLY() CheckGuiThread(__func__)

#endif
