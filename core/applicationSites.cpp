// Sites: their records, the chat rooms of the sites open in the browser, comments, bans, the
// banner, and the extensions.
#include <algorithm>

#include "NRecommendedSites.h"
#include "core/application.h"
#include "asn1/extensionStatus.h"
#include "asn1/imageType.h"
#include "core/applicationInbox.h"
#include "core/clientSideRequest.h"
#include "model/config.h"
#include "model/imImage.h"
#include "model/log.h"
#include "network/localServer.h"

namespace {

// A room may open when the site is open, or follows the default and the default is open.
bool IsOpen(t_site_status own, t_site_status byDefault) {
  return own == SITE_OPEN || (own == SITE_DEFAULT && byDefault == SITE_OPEN);
}

// The browser shows a page of the site just now.
bool OpenedInBrowser(const std::string& url) {
  std::shared_ptr<LocalServer> listener = LocalServer::Instance();
  return listener && listener->IsURLOpened(url);
}

const char* StatusName(t_site_status status) {
  switch (status) {
    case SITE_DEFAULT:
      return "default";
    case SITE_BLOCKED:
      return "block";
    case SITE_OPEN:
      return "open";
  }
  return "?";
}

}  // namespace

bool Manager::IsPage(const std::string& site) {
  return site != "none" && site.compare(0, 6, kPrivateRoomPrefix) != 0;
}

void Manager::AnswerExtension(const std::string& url, int value) {
  // Private rooms and the contact list are no pages of the browser: the extension would take
  // them for pages it has open.
  if (!IsPage(url)) return;
  if (std::shared_ptr<LocalServer> listener = LocalServer::Instance()) listener->UpdateExternalInfo(url, value);
}

std::vector<std::string>& Manager::OpenedRooms() {
  uint64_t link = m_link ? m_link->generation : 0;
  if (link != m_openedRoomsLink) {
    m_openedRooms.clear();
    m_openedRoomsLink = link;
  }
  return m_openedRooms;
}

URLInfo* Manager::GetURLInfo(const std::string& url) {
  MANAGER_GUI_THREAD_ONLY();
  auto live = m_liveSites.find(url);
  if (live != m_liveSites.end() && live->second) return live->second;
  if (URLInfo* stored = Config::GetInstance()->GetURLInfo(url)) return stored;
  URLInfo* made = new URLInfo(url, SITE_DEFAULT, 0, 0, 0, kNoGrade, "", kNoUserGrade, "", nullptr);
  m_liveSites[url] = made;
  return made;
}

std::vector<URLInfo*> Manager::GetAllURLInfo() {
  MANAGER_GUI_THREAD_ONLY();
  std::vector<URLInfo*> all = Config::GetInstance()->GetAllURLInfo();
  for (const auto& entry : m_liveSites)
    if (entry.second) all.push_back(entry.second);
  return all;
}

void Manager::StoreModifiedSites() {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START();
  Config* config = Config::GetInstance();
  for (auto it = m_liveSites.begin(); it != m_liveSites.end();) {
    URLInfo* site = it->second;
    // A record the settings already hold under the same address in other letters stays here:
    // the settings keep theirs, and windows may still point to this one.
    if (site && site->IsModified() && !config->GetURLInfo(site->GetURL())) {
      config->AddURLInfo(site);
      it = m_liveSites.erase(it);
    } else {
      ++it;
    }
  }
  TRACE_END();
}

bool Manager::SaveSiteNotifications(const std::string& url, const std::map<std::string, bool>& notifications) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s", url.c_str());
  URLInfo* site = GetURLInfo(url);
  const URLInfo before(*site);
  auto live = m_liveSites.find(url);
  const bool wasLive = live != m_liveSites.end() && live->second == site;
  site->SetNotifications(notifications);
  // A site first met in this session is only the controller's until handed to the settings.
  StoreModifiedSites();
  Config* config = Config::GetInstance();
  if (config->Save()) {
    TRACE_END_RESULT("saved");
    return true;
  }
  *site = before;
  // A site that the settings took only for this save goes back to the controller, unchanged:
  // the settings file written at exit would hold it otherwise.
  if (wasLive && !before.IsModified() && config->ReleaseURLInfo(site)) m_liveSites[url] = site;
  TRACE_END_RESULT("not saved");
  return false;
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
  std::vector<std::string>& rooms = OpenedRooms();
  auto opened = std::find(rooms.begin(), rooms.end(), url);
  if (!m_connected || opened == rooms.end()) {
    TRACE_END_RESULT("(not opened)");
    return;
  }
  rooms.erase(opened);
  // Its panel goes, and with it the people it showed.
  const std::vector<std::string> shown = m_siteVisitors.Close(url);
  // Left by the user too, the room is done with; a room the user stays in goes on.
  if (!HasSubscribedTo(url) && !IsSubscribing(url)) ForgetRoom(url);
  ForgetUnseenStrangers(shown);
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
  TRACE_START_ARGS("%s, %ld", site.c_str(), nbrUsers);
  std::vector<RecommendedSite> recommended;
  if (recommendedSites) {
    for (int i = 0; i < recommendedSites->list.count; ++i) {
      const NRecommendedSite_t* entry = recommendedSites->list.array[i];
      recommended.emplace_back(std::string(reinterpret_cast<const char*>(entry->site.buf), entry->site.size),
                               static_cast<int>(entry->weight));
    }
  }
  // A count below zero would read as a refusal to the extension.
  int users = static_cast<int>(std::max(0L, std::min(nbrUsers, 1L << 30)));
  URLInfo* record = GetURLInfo(site);
  record->SetNbrUsers(users);
  record->SetNbrChatRoomUsers(0);
  record->SetNbrComments(static_cast<int>(nbrMessages));
  record->SetGrade(averageGrade ? static_cast<float>(*averageGrade) : kNoGrade);
  record->SetIdComments(idComments);
  record->SetUserGrade(userGrade ? static_cast<int>(*userGrade) : kNoUserGrade);
  record->SetUserComment(userMessage ? *userMessage : "");
  record->SetRecommendedSites(recommended);
  // Listed once: a room asked for again (the default opened, a new session) is still one room,
  // which one close ends.
  std::vector<std::string>& rooms = OpenedRooms();
  if (std::find(rooms.begin(), rooms.end(), site) == rooms.end()) rooms.push_back(site);
  PostKept(wxEVT_RECEIVE_OPEN_CHATROOM_ACK, GUI_OPEN_CHATROOM_OK, record);
  AnswerExtension(site, users);
  TRACE_END();
}

void Manager::OpenChatRoomAckFailed(const std::string& site) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s", site.c_str());
  PostText(wxEVT_RECEIVE_OPEN_CHATROOM_ACK, GUI_OPEN_CHATROOM_FAILED, site);
  AnswerExtension(site, -10);
  TRACE_END();
}

t_site_status Manager::SetSiteStatus(const std::string& url, t_site_status status) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %d", url.c_str(), static_cast<int>(status));
  URLInfo* site = GetURLInfo(url);
  t_site_status current = site->GetStatus();
  if (status < SITE_DEFAULT || status > SITE_OPEN || current < SITE_DEFAULT || current > SITE_OPEN) {
    TRACE_END_RESULT("unknown status");
    return current;
  }
  TRACE_INFO("%s -> %s", StatusName(current), StatusName(status));
  if (status == current) {
    TRACE_END();
    return current;
  }
  t_site_status byDefault = Config::GetInstance()->GetDefaultSiteStatus();
  bool wasOpen = IsOpen(current, byDefault);
  bool willOpen = IsOpen(status, byDefault);
  bool shown = OpenedInBrowser(url);
  // A room closes while the old status holds, so that the server is told; it opens once the
  // new one does.
  if (wasOpen && !willOpen && shown) {
    CloseChatRoom(url);
    AnswerExtension(url, -11);
  }
  site->SetStatus(status);
  if (!wasOpen && willOpen && shown) OpenChatRoom(url);
  TRACE_END();
  return site->GetStatus();
}

void Manager::SetDefaultSiteStatus(t_site_status status) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%d", static_cast<int>(status));
  Config* config = Config::GetInstance();
  if (status == config->GetDefaultSiteStatus()) {
    TRACE_END_RESULT("unchanged");
    return;
  }
  std::shared_ptr<LocalServer> listener = LocalServer::Instance();
  std::vector<std::string> shown;
  if (listener) shown = listener->GetAllOpenedSites();
  if (status == SITE_OPEN) {
    TRACE_INFO("Opened");
    config->SetDefaultSiteStatus(SITE_OPEN);
    for (const std::string& url : shown) {
      TRACE_INFO("Site : %s", url.c_str());
      bool opened = std::find(OpenedRooms().begin(), OpenedRooms().end(), url) != OpenedRooms().end();
      if (!opened && GetURLInfo(url)->GetStatus() != SITE_BLOCKED) OpenChatRoom(url);
    }
  } else {
    TRACE_INFO("Blocked");
    // Closed while the default still reads open, so that the server hears of each.
    std::vector<std::string> opened = OpenedRooms();
    for (const std::string& url : opened) {
      TRACE_INFO("Site : %s", url.c_str());
      if (GetURLInfo(url)->GetStatus() != SITE_OPEN) CloseChatRoom(url);
    }
    config->SetDefaultSiteStatus(SITE_BLOCKED);
    // The browser's pages that follow the default are blocked from now on.
    for (const std::string& url : shown)
      if (GetURLInfo(url)->GetStatus() == SITE_DEFAULT) AnswerExtension(url, -11);
  }
  TRACE_END();
}

t_site_status Manager::GetDefaultSiteStatus() const {
  return Config::GetInstance()->GetDefaultSiteStatus();
}

bool Manager::SendComment(const std::string& url, const std::string& text, int grade) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %d", url.c_str(), grade);
  ClientSideRequest* client = Client();
  bool sent = m_connected && client && client->SendComment(m_authKey, url, text, grade);
  if (sent) {
    // The site's own comment and grade as the user left them, for a comments window made later.
    URLInfo* record = GetURLInfo(url);
    record->SetUserComment(text);
    record->SetUserGrade(grade);
  }
  TRACE_END_RESULT("%d", sent ? 1 : 0);
  return sent;
}

void Manager::UpdateComments(const std::string& site, long nbrComments, double meanGrade) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %ld", site.c_str(), nbrComments);
  URLInfo* record = GetURLInfo(site);
  record->SetNbrComments(static_cast<int>(nbrComments));
  record->SetGrade(static_cast<float>(meanGrade));
  PostKept(wxEVT_RECEIVE_UPDATE_COMMENTS, 0, record);
  TRACE_END();
}

void Manager::BanSite(const std::string& site) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s", site.c_str());
  auto subscribed = std::find(m_subscribedRooms.begin(), m_subscribedRooms.end(), site);
  if (subscribed != m_subscribedRooms.end()) {
    m_subscribedRooms.erase(subscribed);
    GetOwnContactInfo()->UnsubscribeFrom(site);
  }
  PostText(wxEVT_RECEIVE_BAN_SITE, 0, site);
  TRACE_END();
}

void Manager::DelRecommendedSite(const std::string& url) {
  Config::GetInstance()->DelRecommendedSite(url);
}

void Manager::ReceiveAd(TypeImage_t type, const unsigned char* bytes, long length) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%ld, %ld", static_cast<long>(type), length);
  // An image the store refuses (unknown type, bytes that do not decode) leaves the old banner.
  t_image_type stored;
  if (length <= 0 || !asn1::ImageTypeFromWire(type, &stored) ||
      IMImage::StoreImage(IMImage::AD_IMAGE, stored, bytes, static_cast<unsigned long>(length)).empty()) {
    TRACE_END_RESULT("image refused");
    return;
  }
  PostText(wxEVT_RECEIVE_UPDATE_AD, 0, IMImage::AD_IMAGE);
  TRACE_END();
}

void Manager::UpdateExtensionStatus(const std::string& name, t_extension_status status) {
  MANAGER_GUI_THREAD_ONLY();
  // Untraced name: any local process may send thousands of long ones.
  TRACE_START_ARGS("%zu bytes, %d", name.size(), static_cast<int>(status));
  auto known = m_extensionStatus.find(name);
  bool changed = known == m_extensionStatus.end() || known->second != status;
  if (known == m_extensionStatus.end()) {
    m_clientInfoDue = true;
    if (m_extensionStatus.size() >= kMaxExtensions) {
      // The name heard of longest ago makes room.
      auto oldest = m_extensionHeard.begin();
      for (auto it = m_extensionHeard.begin(); it != m_extensionHeard.end(); ++it)
        if (it->second < oldest->second) oldest = it;
      m_extensionStatus.erase(oldest->first);
      m_extensionHeard.erase(oldest);
    }
  }
  m_extensionStatus[name] = status;
  m_extensionHeard[name] = ++m_extensionCounter;
  SendClientInfoWhenAllowed();
  if (changed) PostText(wxEVT_RECEIVE_REGISTER_EXTENSION, 0, name);
  TRACE_END();
}

std::string Manager::GetExtensionNames() const {
  std::string names;
  for (const auto& entry : m_extensionStatus) names += entry.first + "|";
  return names;
}

void Manager::SetExtensionStatus(const std::string& name, t_extension_status status) {
  TRACE_START_ARGS("%s, %d", name.c_str(), static_cast<int>(status));
  ExtensionStatus_t wire;
  if (!asn1::ExtensionStatusToWire(status, &wire)) {
    TRACE_END_RESULT("no such status");
    return;
  }
  if (std::shared_ptr<LocalServer> listener = LocalServer::Instance()) listener->SetExtensionStatus(name, wire);
  TRACE_END();
}

t_extension_status Manager::GetExtensionStatus(const std::string& name) {
  MANAGER_GUI_THREAD_ONLY();
  // Asking is no registration: a name first heard of later still gets its client report.
  auto known = m_extensionStatus.find(name);
  return known == m_extensionStatus.end() ? EXTENSION_NONE : known->second;
}

void Manager::SetProxyStatus(bool on) {
  Config::GetInstance()->SetProxyStatus(on);
}

void Manager::SetAlwaysTopStatus(bool on) {
  Config::GetInstance()->SetAlwaysTopStatus(on);
}

void Manager::SetAutoConnectStatus(bool on) {
  Config::GetInstance()->SetAutoConnectStatus(on);
}
