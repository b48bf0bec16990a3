// A receiver of the sites panel's and the contact rows' requests that does nothing, for programs
// that show those windows without a main window (benchmarks, review pictures).
#ifndef PARLAVOX_TESTS_SUPPORT_NULLSITELISTENER_H
#define PARLAVOX_TESTS_SUPPORT_NULLSITELISTENER_H

#include <string>

#include "gui/subscribeChatRoomListener.h"

namespace testsupport {

class NullSiteListener : public SubscribeChatRoomListener {
 public:
  void CloseChatRoom(const std::string&) override {}
  void SubscribeChatRoom(const std::string&) override {}
  void UnsubscribeChatRoom(const std::string&) override {}
  void CreateVirtualChatRoom(const std::string&) override {}
  void AddContact(const std::string&, const std::string&) override {}
  void RemoveContact(const std::string&, const std::string&) override {}
  void SwitchWebSiteStatus(const std::string&) override {}
  void OpenComments(const std::string&) override {}
  void ReportAbuse(const std::string&, const std::string&, const std::string&) override {}
  void BlockContact(const std::string&, const std::string&) override {}
  void UnblockContact(const std::string&, const std::string&) override {}
};

}  // namespace testsupport

#endif
