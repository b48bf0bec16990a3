// The program's controller: one Manager per process. It follows the connection to the server,
// dispatches every request from the server and from the browser extension, keeps the contacts,
// sites, rooms, smileys and contact requests, carries out what the windows ask, and posts every
// change to the windows as an event (see core/guiEvents.h).
//
// Threads: the Manager runs on the GUI thread only. The network threads reach it through its
// StateMachine and FileTransferListener faces, which only queue what they bring (taking the
// decoded request over from the caller); the Manager handles the queue in arrival order on the
// GUI thread, in the same event queue as the events it posts to the windows. A request or
// acknowledgement from a connection client that is no longer the current one is dropped.
//
// The class is defined over several files, one per concern: application.cpp (instance, states,
// queue, dispatch), applicationConnection.cpp (log-in and log-out), applicationContacts.cpp,
// applicationSites.cpp, applicationRooms.cpp, applicationMessengers.cpp, applicationFiles.cpp.
#ifndef PARLAVOX_CORE_APPLICATION_H
#define PARLAVOX_CORE_APPLICATION_H

#include <wx/bitmap.h>
#include <wx/event.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ExtensionStatus.h"
#include "FileData.h"
#include "Image.h"
#include "LoginOrEmail.h"
#include "MessengerProtocols.h"
#include "NRecommendedSites.h"
#include "S2C-UpdateContactAll.h"
#include "TypeImage.h"
#include "core/applicationInbox.h"
#include "core/guiEvents.h"
#include "model/contactEvent.h"
#include "model/contactInfo.h"
#include "model/fileMessage.h"
#include "model/messengerInfo.h"
#include "model/smiley.h"
#include "model/urlInfo.h"
#include "network/fileTransferListener.h"
#include "network/stateMachine.h"

class ClientSideRequest;
class FileServer;

enum t_connection_state : int { DISCONNECTED = 0, CONNECTING = 1, CONNECTING_AUTH = 2, CONNECTED = 3 };

class Manager : public wxEvtHandler, public StateMachine, public FileTransferListener {
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

  // ---- StateMachine and FileTransferListener: any thread; they only queue.
  void ConnectionAck(bool ok) override;
  void LocalServerUnavailable() override;
  void ProcessRequest(E2C_Request_t& request) override;
  void ProcessRequest(S2C_Request_t& request) override;
  void MessageFile(t_fm_status status, const std::string& login, const std::string& site,
                   const std::string& fileName, const std::string& fileKey, const std::string& transferKey,
                   const std::string& host, int port, time_t time, bool isDownload, int64_t transferred,
                   int64_t size, double speed) override;

  // ---- Accessors.
  t_connection_state GetState() const { return m_state; }
  bool IsDisconnected() const { return m_state == DISCONNECTED; }
  bool IsConnected() const { return m_connected; }
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
  void ConnectionSuccessful(const std::string& authkey, const std::string& version, const Image_t* defaultAvatar,
                            const std::string& webToken);
  void ConnectionFailed(int code, const std::string& version);
  void DisconnectAck();
  void Disconnect(bool closing, bool notifyServer);
  void AbortConnection();
  // The program is exiting: the result of saving the settings.
  bool Close();
  void ReceiveRedirect(const std::string& ip, int port);
  void RestartFileServer();
  void HeartBeat();
  // Any thread: a text logged for the server.
  void SendErrorMessages(const std::string& text);

  // ---- Contacts (applicationContacts.cpp).
  // The own record, the administrator, a known contact, or a record kept for an unknown login.
  ContactInfo* GetContactInfo(const std::string& login);
  std::string GetNickname(const std::string& login);
  void SwitchContactsOffline();
  void CheckContactAck(const LoginOrEmail_t& loginOrEmail, const Login_t* login, const Nickname_t* nickname,
                       bool status);
  void ReceiveAddContactAsk(const std::string& login, const std::string& nickname, const std::string& message);
  void ReceiveAddContactAnswer(const std::string& login, const std::string& nickname, bool answer,
                               const std::string& message);
  void ReceiveDelContact(const std::string& login, const std::string& message);

  // ---- Sites (applicationSites.cpp).
  URLInfo* GetURLInfo(const std::string& url);
  void OpenChatRoom(const std::string& url);
  void CloseChatRoom(const std::string& url);
  void OpenChatRoomAck(const std::string& site, const std::string& idComments, long nbrUsers, long nbrMessages,
                       const double* averageGrade, const std::string* userMessage, const long* userGrade,
                       const NRecommendedSites_t* recommendedSites);
  void OpenChatRoomAckFailed(const std::string& site);
  void UpdateComments(const std::string& site, long nbrComments, double meanGrade);
  void BanSite(const std::string& site);
  void ReceiveAd(TypeImage_t type, const unsigned char* bytes, long length);
  void UpdateExtensionStatus(const std::string& name, ExtensionStatus_t status);
  // The extension names, each followed by "|".
  std::string GetExtensionNames() const;

  // ---- Rooms, messages, private rooms and smileys (applicationRooms.cpp).
  void UpdateChatRoomContact(int code, const S2C_UpdateContactAll_t& update);
  void ReceiveMessage(const std::string& site, const std::string& login, const std::string& text, time_t time,
                      bool history);
  void SubscribeChatRoomAck(const std::string& site, long answer);
  void KeyTypedInChatRoom(const std::string& site, const std::string& login, bool enabled);
  void ReceiveInviteContactInChatRoom(const std::string& site, const std::string& login);
  void ReceiveInviteContactInChatRoomAnswer(const std::string& site, const std::string& login,
                                            const std::string& message, bool answer);
  void ReceiveAddSmiley(const std::string& login, const std::string& code, TypeImage_t type,
                        const unsigned char* bytes, long length);
  void ReceiveDelSmiley(const std::string& login, const std::string& code);

  // ---- External messengers (applicationMessengers.cpp).
  void ConnectMessenger(MessengerInfo* account);
  void ReceiveAvailableMessengerProtocols(const MessengerProtocols_t& protocols);
  void ReceiveMessengerConnectionStatus(const std::string& protocol, const std::string& login, long status);

  // ---- File transfers (applicationFiles.cpp).
  void AskForFile(const std::string& login, const std::string& fileKey);
  void AskForFileAck(const std::string& login, const std::string& fileKey, bool status, const long* size);
  void FilePart(const std::string& login, const std::string& fileKey, const FileData_t* data);
  void FilePartAck(const std::string& login, const std::string& fileKey);
  void ReceiveCancelFile(const std::string& site, const std::string& fileKey);

 private:
  friend class ManagerMailbox;

  // Hand-overs from other threads, each with the generation of the link it came from.
  void QueueConnectionAck(uint64_t generation, bool ok);
  void QueueServerRequest(uint64_t generation, std::shared_ptr<S2C_Request_t> request);
  void QueueExtensionRequest(std::shared_ptr<E2C_Request_t> request);
  void QueueTransfer(const TransferReport& report);

  // Their handling, on the GUI thread.
  bool IsCurrentLink(uint64_t generation) const;
  void HandleConnectionAck(uint64_t generation, bool ok);
  void HandleServerRequest(uint64_t generation, S2C_Request_t& request);
  void HandleExtensionRequest(E2C_Request_t& request);
  void HandleTransfer(const TransferReport& report);
  void DispatchLogIn(S2C_Request_t& request);
  void DispatchConnected(S2C_Request_t& request);
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

  // Posting to the windows.
  ManagerEvent* NewEvent(wxEventType type, int code);
  void PostKept(wxEventType type, int code, wxObject* record);
  void PostOwned(wxEventType type, int code, wxObject* object);
  void PostText(wxEventType type, int code, const std::string& text);
  void PostTexts(wxEventType type, int code, const wxArrayString& texts);

  // Fails a debug build when called from another thread than the GUI thread (see
  // MANAGER_GUI_THREAD_ONLY).
  static void CheckGuiThread(const char* function);

  ContactInfo* m_adminContact = nullptr;
  t_connection_state m_state = DISCONNECTED;
  std::shared_ptr<ServerLink> m_link;
  bool m_connected = false;
  std::string m_authKey;
  bool m_clientInfoDue = true;
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
  std::vector<std::string> m_openedRooms;
  std::map<std::string, std::string> m_privateRoomTexts;
  int m_privateRoomCounter = 0;
  std::map<std::string, std::vector<ContactInfo*>> m_roomMembers;
  std::map<std::string, bool> m_avatarRequests;
  t_status m_status = STATUS_NONE;
  std::map<std::string, ExtensionStatus_t> m_extensionStatus;
  std::map<std::string, bool> m_virtualRoomRequests;
  std::string m_pendingErrors;
  static constexpr size_t kMaxPendingErrors = 48 * 1024;
  std::string m_webToken;
  // Records made for logins the Manager does not know, kept so that each gets one.
  std::map<std::string, ContactInfo*> m_strangers;
  std::shared_ptr<ManagerMailbox> m_mailbox;
};

Manager* GetManager();

// First line of every Manager operation that touches its tables.
#define MANAGER_GUI_THREAD_ONLY() CheckGuiThread(__func__)

#endif
