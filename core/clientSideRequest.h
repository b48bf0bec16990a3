// The client side of the link to the messaging server: the connection thread that logs in
// and receives, and one sender per request the server must learn of.
#ifndef PARLAVOX_CORE_CLIENTSIDEREQUEST_H
#define PARLAVOX_CORE_CLIENTSIDEREQUEST_H

#include <atomic>
#include <map>
#include <memory>
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
  ClientSideRequest(StateMachine* machine, bool flag);
  ~ClientSideRequest();
  ClientSideRequest(const ClientSideRequest&) = delete;
  ClientSideRequest& operator=(const ClientSideRequest&) = delete;

  void SetupConnection(const std::string& host, int port, bool tls, bool proxy, const std::string& proxyHost,
                       int proxyPort, const std::string& login, const std::string& password, t_status status);
  // The connection thread's body: connect, log in, receive until the link ends.
  void Run();
  void AbortConnection();
  // Closes the link when it is open; safe from any thread (the receive loop then ends).
  void CloseConnection(bool flag);
  // The next server request; a dead link gives a request with no alternative, never null.
  S2C_Request_t* DecodeNextRequest();

  // Relays to the extension listener; without one they answer false or nothing.
  void SetExtensionStatus(const std::string& name, ExtensionStatus_t status);
  bool IsURLOpened(const std::string& url) const;
  void UpdateExternalInfo(const std::string& url, int value);
  std::vector<std::string> GetAllOpenedSites() const;

  // Senders: each builds one client request and writes it on the link.
  void SendConnect(const std::string& login, const std::string& password, t_status status, const unsigned char* digest,
                   int length);
  void SendDisconnect(const std::string& authkey);
  void KeyTyped(const std::string& authkey, const std::string& site, bool enabled);
  void SendOpenChatRoom(const std::string& authkey, const std::string& site);
  void SendCloseChatRoom(const std::string& authkey, const std::string& site);
  // True when the message went out on the link; a refused message (over 512 characters,
  // broken UTF-8) or a dead link gives false, so that it is never shown as sent.
  bool SendMessage(const std::string& authkey, const std::string& site, const std::string& message);
  void SendFile(const std::string& authkey, const std::string& site, const std::string& fileName,
                const std::string& fileKey, long size, int port);
  void SendSubscribeChatRoom(const std::string& authkey, const std::string& site);
  void SendUnsubscribeChatRoom(const std::string& authkey, const std::string& site);
  void SendComment(const std::string& authkey, const std::string& site, const std::string& text, int grade);
  void ChangeStatus(const std::string& authkey, t_status status);
  void ChangeAvatar(const std::string& authkey, t_image_type type, long size, const unsigned char* bytes,
                    t_image_type smallType, long smallSize, const unsigned char* smallBytes);
  void AskForAvatar(const std::string& authkey, const std::string& login);
  void UpdateProfile(const std::string& authkey, const std::string& nickname, const std::string& mood, int day,
                     int month, int year);
  void CheckContact(const std::string& authkey, const std::string& loginOrEmail);
  void AddContact(const std::string& authkey, const std::string& login, const std::string& message);
  void AddContactAnswer(const std::string& authkey, const std::string& login, bool answer,
                        const std::string& message);
  void RemoveContact(const std::string& authkey, const std::string& login, const std::string& message);
  void InviteContactInChatRoom(const std::string& authkey, const std::string* site,
                               const std::vector<std::string>& logins);
  void InviteContactInChatRoomAck(const std::string& authkey, const std::string& site, const std::string& login,
                                  const std::string& message, bool status);
  void ReportAbuse(const std::string& authkey, const std::string& site, const std::string& login,
                   const std::string& message);
  void AskForFileAck(const std::string& authkey, const std::string& login, const std::string& fileKey,
                     const std::string& fileName, bool status, long size);
  void FilePart(const std::string& authkey, const std::string& login, const std::string& fileKey, FileData_t* data);
  void CancelFile(const std::string& authkey, const std::string& site, const std::string& fileKey);
  void BlockContact(const std::string& authkey, const std::string& login, const std::string& message);
  void UnblockContact(const std::string& authkey, const std::string& login, const std::string& message);
  void UpdateGroup(const std::string& authkey, const std::string& login, const std::string& group);
  void SendClientInfo(const std::string& authkey, const std::string& environment, const std::string& os,
                      const std::string& hardware, const std::string& screen, const std::string& extensions);
  void HeartBeatAck(const std::string& authkey);
  void AskMessengerProtocols(const std::string& authkey, const std::string& login);
  void ConnectMessenger(const std::string& authkey, const std::string& protocol, const std::string& login,
                        const std::string& password, const std::map<std::string, std::string>& parameters,
                        const std::string& nickname, t_status status);
  void DisconnectMessenger(const std::string& authkey, const std::string& protocol, const std::string& login);
  void AddMessenger();
  void RemoveMessenger();
  void AddSmiley(const std::string& authkey, const std::string& site, const std::string& code, t_image_type type,
                 long size, const unsigned char* bytes);
  void DelSmiley(const std::string& authkey, const std::string& site, const std::string& code);
  void SendErrorMessages(const std::string& authkey, const std::string& text);
  void FilePartAck(const std::string& authkey, const std::string& login, const std::string& fileKey);

  // The common name the server's certificate must carry: the front-end host, from the
  // PARLAVOX_SERVER environment variable (host or host:port) or else the build's default.
  static std::string GetCertificateName();
  // The port the extension listener is started on (6788 unless changed before the first
  // connection client of the process; 0 lets the system choose).
  static void SetListenerPort(unsigned short port);

 private:
  bool Send(C2S_Request_t* request);

  std::unique_ptr<IMSSLManager> m_connection;
  std::atomic<bool> m_connected{false};
  bool m_flag;
  StateMachine* m_machine;
  std::atomic<bool> m_abort{false};
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
