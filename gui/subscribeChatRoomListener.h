// What the contacts panel and the sites panel may ask of the whole main window.
#ifndef PARLAVOX_GUI_SUBSCRIBECHATROOMLISTENER_H
#define PARLAVOX_GUI_SUBSCRIBECHATROOMLISTENER_H

#include <string>

class SubscribeChatRoomListener {
 public:
  virtual ~SubscribeChatRoomListener() {}
  virtual void CloseChatRoom(const std::string& room) = 0;
  virtual void SubscribeChatRoom(const std::string& room) = 0;
  virtual void UnsubscribeChatRoom(const std::string& room) = 0;
  virtual void CreateVirtualChatRoom(const std::string& login) = 0;
  virtual void AddContact(const std::string& login, const std::string& message) = 0;
  virtual void RemoveContact(const std::string& login, const std::string& message) = 0;
  virtual void SwitchWebSiteStatus(const std::string& url) = 0;
  // The site's comments window, shown, made when the site has none.
  virtual void OpenComments(const std::string& url) = 0;
  virtual void ReportAbuse(const std::string& site, const std::string& login, const std::string& message) = 0;
  virtual void BlockContact(const std::string& login, const std::string& message) = 0;
  virtual void UnblockContact(const std::string& login, const std::string& message) = 0;
};

#endif
