// Sites: their records, the chat rooms of the sites open in the browser, and the extensions.
#include <algorithm>

#include "core/application.h"
#include "core/clientSideRequest.h"
#include "model/config.h"
#include "model/log.h"
#include "network/localServer.h"

namespace {

// The answer written to the extension that waits for the URL, if any.
void AnswerExtension(const std::string& url, int value) {
  if (std::shared_ptr<LocalServer> listener = LocalServer::Instance()) listener->UpdateExternalInfo(url, value);
}

// A room may open when the site is open, or follows the default and the default is open.
bool IsOpen(t_site_status own, t_site_status byDefault) {
  return own == SITE_OPEN || (own == SITE_DEFAULT && byDefault == SITE_OPEN);
}

}  // namespace

URLInfo* Manager::GetURLInfo(const std::string& url) {
  MANAGER_GUI_THREAD_ONLY();
  auto live = m_liveSites.find(url);
  if (live != m_liveSites.end() && live->second) return live->second;
  if (URLInfo* stored = Config::GetInstance()->GetURLInfo(url)) return stored;
  URLInfo* made = new URLInfo(url, SITE_DEFAULT, 0, 0, 0, kNoGrade, "", kNoUserGrade, "", nullptr);
  m_liveSites[url] = made;
  return made;
}

void Manager::OpenChatRoom(const std::string& url) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s", url.c_str());
  ClientSideRequest* client = Client();
  if (!m_connected || !client) {
    TRACE_END_RESULT("not connected");
    return;
  }
  if (!IsOpen(GetURLInfo(url)->GetStatus(), Config::GetInstance()->GetDefaultSiteStatus())) {
    AnswerExtension(url, -11);
    TRACE_END_RESULT("blocked");
    return;
  }
  client->SendOpenChatRoom(m_authKey, url);
  TRACE_END();
}

void Manager::CloseChatRoom(const std::string& url) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s", url.c_str());
  auto opened = std::find(m_openedRooms.begin(), m_openedRooms.end(), url);
  if (!m_connected || opened == m_openedRooms.end()) {
    TRACE_END_RESULT("(not opened)");
    return;
  }
  m_openedRooms.erase(opened);
  URLInfo* site = GetURLInfo(url);
  PostText(wxEVT_RECEIVE_CLOSE_CHATROOM, 0, url);
  ClientSideRequest* client = Client();
  if (client && IsOpen(site->GetStatus(), Config::GetInstance()->GetDefaultSiteStatus()))
    client->SendCloseChatRoom(m_authKey, url);
  TRACE_END();
}

void Manager::OpenChatRoomAck(const std::string& site, const std::string& idComments, long nbrUsers,
                              long nbrMessages, const double* averageGrade, const std::string* userMessage,
                              const long* userGrade, const NRecommendedSites_t* recommendedSites) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s", site.c_str());
  std::vector<RecommendedSite> recommended;
  if (recommendedSites) {
    for (int i = 0; i < recommendedSites->list.count; ++i) {
      const NRecommendedSite_t* entry = recommendedSites->list.array[i];
      recommended.emplace_back(std::string(reinterpret_cast<const char*>(entry->site.buf), entry->site.size),
                               static_cast<int>(entry->weight));
    }
  }
  URLInfo* record = GetURLInfo(site);
  record->SetNbrUsers(static_cast<int>(nbrUsers));
  record->SetNbrChatRoomUsers(0);
  record->SetNbrComments(static_cast<int>(nbrMessages));
  record->SetGrade(averageGrade ? static_cast<float>(*averageGrade) : kNoGrade);
  record->SetIdComments(idComments);
  record->SetUserGrade(userGrade ? static_cast<int>(*userGrade) : kNoUserGrade);
  record->SetUserComment(userMessage ? *userMessage : "");
  record->SetRecommendedSites(recommended);
  m_openedRooms.push_back(site);
  PostKept(wxEVT_RECEIVE_OPEN_CHATROOM_ACK, GUI_OPEN_CHATROOM_OK, record);
  if (site != "none" && site.compare(0, 6, "prv://") != 0) AnswerExtension(site, static_cast<int>(nbrUsers));
  TRACE_END();
}

void Manager::OpenChatRoomAckFailed(const std::string& site) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s", site.c_str());
  TRACE_END();
}

void Manager::UpdateComments(const std::string& site, long nbrComments, double meanGrade) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s", site.c_str());
  TRACE_END();
}

void Manager::BanSite(const std::string& site) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s", site.c_str());
  TRACE_END();
}

void Manager::ReceiveAd(TypeImage_t type, const unsigned char* bytes, long length) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%ld, %ld", static_cast<long>(type), length);
  TRACE_END();
}

void Manager::UpdateExtensionStatus(const std::string& name, ExtensionStatus_t status) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %ld", name.c_str(), static_cast<long>(status));
  auto known = m_extensionStatus.find(name);
  bool changed = known == m_extensionStatus.end() || known->second != status;
  if (known == m_extensionStatus.end()) m_clientInfoDue = true;
  m_extensionStatus[name] = status;
  if (m_clientInfoDue && m_connected) SendClientInfo();
  if (changed) PostText(wxEVT_RECEIVE_REGISTER_EXTENSION, 0, name);
  TRACE_END();
}

std::string Manager::GetExtensionNames() const {
  std::string names;
  for (const auto& entry : m_extensionStatus) names += entry.first + "|";
  return names;
}
