// The client side of the link to the messaging server: the connection thread that logs in
// and receives, and one sender per request the server must learn of.
#ifndef PARLAVOX_CORE_CLIENTSIDEREQUEST_H
#define PARLAVOX_CORE_CLIENTSIDEREQUEST_H

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ExtensionStatus.h"
#include "FileData.h"
#include "model/contactInfo.h"
#include "model/typeImage.h"
#include "network/stateMachine.h"

struct C2S_Request;
typedef struct C2S_Request C2S_Request_t;

class IMSSLManager;

class ClientSideRequest {
 public:
  explicit ClientSideRequest(StateMachine* machine);
  ~ClientSideRequest();
  ClientSideRequest(const ClientSideRequest&) = delete;
  ClientSideRequest& operator=(const ClientSideRequest&) = delete;

  void SetupConnection(const std::string& host, int port, bool tls, bool proxy, const std::string& proxyHost,
                       int proxyPort, const std::string& login, const std::string& password, t_status status);
  // The connection thread's body: connect, log in, receive until the link ends.
  void Run();
  // Gives the attempt up, at any stage: the connection, tunnel or handshake under way ends
  // now, an open link closes at once with what is queued, and Run ends without telling the
  // controller anything more. Safe from any thread; never waits on the network.
  void AbortConnection();
  // Closes the link once what is queued went out (a couple of seconds at most); an attempt
  // still connecting ends unseen. Safe from any thread at any time, even after Run ended;
  // returns at once (the receive loop then ends).
  void CloseConnection();
  // Waits, `milliseconds` at most, until the link is closed; true once it is.
  bool WaitClosed(int milliseconds) const;
  // The next server request; a dead link gives a request with no alternative, never null.
  S2C_Request_t* DecodeNextRequest();

  // Relays to the extension listener; without one they answer false or nothing.
  void SetExtensionStatus(const std::string& name, ExtensionStatus_t status);
  bool IsURLOpened(const std::string& url) const;
  void UpdateExternalInfo(const std::string& url, int value);
  std::vector<std::string> GetAllOpenedSites() const;

  // Senders: each checks its request against its constraints, encodes it and queues it for
  // the link's writer, then returns at once, from any thread. True when queued; false when
  // refused (a constraint such as the 512-character message, a message too large, no link
  // or a closed one, the queue over its bound), so that a refused request is never shown as
  // sent. Requests go out in the order queued.
  bool SendConnect(const std::string& login, const std::string& password, t_status status, const unsigned char* digest,
                   int length);
  bool SendDisconnect(const std::string& authkey);
  bool KeyTyped(const std::string& authkey, const std::string& site, bool enabled);
  bool SendOpenChatRoom(const std::string& authkey, const std::string& site);
  bool SendCloseChatRoom(const std::string& authkey, const std::string& site);
  bool SendMessage(const std::string& authkey, const std::string& site, const std::string& message);
  bool SendFile(const std::string& authkey, const std::string& site, const std::string& fileName,
                const std::string& fileKey, long size, int port);
  bool SendSubscribeChatRoom(const std::string& authkey, const std::string& site);
  bool SendUnsubscribeChatRoom(const std::string& authkey, const std::string& site);
  bool SendComment(const std::string& authkey, const std::string& site, const std::string& text, int grade);
  bool ChangeStatus(const std::string& authkey, t_status status);
  bool ChangeAvatar(const std::string& authkey, t_image_type type, long size, const unsigned char* bytes,
                    t_image_type smallType, long smallSize, const unsigned char* smallBytes);
  bool AskForAvatar(const std::string& authkey, const std::string& login);
  bool UpdateProfile(const std::string& authkey, const std::string& nickname, const std::string& mood, int day,
                     int month, int year);
  bool CheckContact(const std::string& authkey, const std::string& loginOrEmail);
  bool AddContact(const std::string& authkey, const std::string& login, const std::string& message);
  bool AddContactAnswer(const std::string& authkey, const std::string& login, bool answer,
                        const std::string& message);
  bool RemoveContact(const std::string& authkey, const std::string& login, const std::string& message);
  bool InviteContactInChatRoom(const std::string& authkey, const std::string* site,
                               const std::vector<std::string>& logins);
  bool InviteContactInChatRoomAck(const std::string& authkey, const std::string& site, const std::string& login,
                                  const std::string& message, bool status);
  bool ReportAbuse(const std::string& authkey, const std::string& site, const std::string& login,
                   const std::string& message);
  bool AskForFileAck(const std::string& authkey, const std::string& login, const std::string& fileKey,
                     const std::string& fileName, bool status, long size);
  bool FilePart(const std::string& authkey, const std::string& login, const std::string& fileKey, FileData_t* data);
  bool CancelFile(const std::string& authkey, const std::string& site, const std::string& fileKey);
  bool BlockContact(const std::string& authkey, const std::string& login, const std::string& message);
  bool UnblockContact(const std::string& authkey, const std::string& login, const std::string& message);
  bool UpdateGroup(const std::string& authkey, const std::string& login, const std::string& group);
  bool SendClientInfo(const std::string& authkey, const std::string& environment, const std::string& os,
                      const std::string& hardware, const std::string& screen, const std::string& extensions);
  bool HeartBeatAck(const std::string& authkey);
  bool AskMessengerProtocols(const std::string& authkey, const std::string& login);
  bool ConnectMessenger(const std::string& authkey, const std::string& protocol, const std::string& login,
                        const std::string& password, const std::map<std::string, std::string>& parameters,
                        const std::string& nickname, t_status status);
  bool DisconnectMessenger(const std::string& authkey, const std::string& protocol, const std::string& login);
  bool AddSmiley(const std::string& authkey, const std::string& site, const std::string& code, t_image_type type,
                 long size, const unsigned char* bytes);
  bool DelSmiley(const std::string& authkey, const std::string& site, const std::string& code);
  bool SendErrorMessages(const std::string& authkey, const std::string& text);
  bool FilePartAck(const std::string& authkey, const std::string& login, const std::string& fileKey);

  // The common name the server's certificate must carry: the front-end host, from the
  // PARLAVOX_SERVER environment variable (host or host:port) or else the build's default.
  static std::string GetCertificateName();
  // The port the extension listener is started on (6788 unless changed before the first
  // connection client of the process; 0 lets the system choose).
  static void SetListenerPort(unsigned short port);

 private:
  bool Send(C2S_Request_t* request);
  // Opens the link and starts its writer; tells the controller unless the attempt was given up.
  bool Connect();
  // Closes the link now, dropping what is queued (the connection thread's own closes).
  void CloseLink();
  // The listener tells the extensions whether a session is up. Only a link that is still this
  // client's live one changes that: a link given up or closed by the controller may still read
  // an acknowledgement or a go-away, which belongs to no session any more (a later session may
  // be up by then). Ending clears the link's flag; the listener hears only of a change.
  void SessionStarted();
  void SessionEnded();

  std::unique_ptr<IMSSLManager> m_connection;
  std::atomic<bool> m_connected{false};
  // Whether this link told the listener a session is up; with the flags it is checked against.
  std::mutex m_sessionMutex;
  bool m_inSession = false;
  StateMachine* m_machine;
  std::atomic<bool> m_abort{false};
  std::atomic<bool> m_closeAsked{false};
  std::string m_host;
  int m_port = 0;
  bool m_tls = true;
  std::string m_proxyHost;
  int m_proxyPort = 0;
  bool m_proxy = false;
  std::string m_login;
  std::string m_password;
  t_status m_status = STATUS_ONLINE;
};

// The body of a connection thread: it runs the client and then lets go of it.
class ManageClientSideRequest {
 public:
  explicit ManageClientSideRequest(std::shared_ptr<ClientSideRequest> request) : m_request(std::move(request)) {}
  void operator()();

 private:
  std::shared_ptr<ClientSideRequest> m_request;
};

#endif
