// A receiver of the sites panel's and the contact rows' requests that keeps one line per call,
// message texts in brackets, for tests that check what a window asked of the main window.
#ifndef PARLAVOX_TESTS_SUPPORT_RECORDINGSITELISTENER_H
#define PARLAVOX_TESTS_SUPPORT_RECORDINGSITELISTENER_H

#include <string>
#include <vector>

#include "gui/subscribeChatRoomListener.h"

namespace testsupport {

class RecordingSiteListener : public SubscribeChatRoomListener {
 public:
  std::vector<std::string> calls;
  void CloseChatRoom(const std::string& room) override { calls.push_back("close " + room); }
  void SubscribeChatRoom(const std::string& room) override { calls.push_back("subscribe " + room); }
  void UnsubscribeChatRoom(const std::string& room) override { calls.push_back("unsubscribe " + room); }
  void CreateVirtualChatRoom(const std::string& login) override { calls.push_back("private " + login); }
  void AddContact(const std::string& login, const std::string& message) override {
    calls.push_back("add " + login + " [" + message + "]");
  }
  void RemoveContact(const std::string& login, const std::string& message) override {
    calls.push_back("remove " + login + " [" + message + "]");
  }
  void SwitchWebSiteStatus(const std::string& url) override { calls.push_back("switch " + url); }
  void OpenComments(const std::string& url) override { calls.push_back("comments " + url); }
  void ReportAbuse(const std::string& site, const std::string& login, const std::string& message) override {
    calls.push_back("abuse " + site + " " + login + " [" + message + "]");
  }
  void BlockContact(const std::string& login, const std::string& message) override {
    calls.push_back("block " + login + " [" + message + "]");
  }
  void UnblockContact(const std::string& login, const std::string& message) override {
    calls.push_back("unblock " + login + " [" + message + "]");
  }
};

}  // namespace testsupport

#endif
