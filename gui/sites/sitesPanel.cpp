#include "gui/sites/sitesPanel.h"

#include <wx/intl.h>

SitesPanel::SitesPanel(Manager* manager, wxWindow* parent, SubscribeChatRoomListener* listener)
    : wxScrolledWindow(parent, wxID_ANY), m_manager(manager), m_listener(listener) {}

#include "model/urlContactInfo.h"
#include "model/urlInfo.h"
#include "model/stringConversion.h"

wxWindow* SitesPanel::AddSitePanel(const URLInfo& site, const wxString& name) {
  m_sites[site.GetURL()];
  Record("site " + site.GetURL() + " " + wx2std(name));
  return nullptr;
}
void SitesPanel::SwitchSubscribeChatRoom(const std::string& url, bool subscribed) {
  Record("subscribed " + url + (subscribed ? " yes" : " no"));
}
int SitesPanel::GetContactsCount(const std::string& url) const {
  auto found = m_sites.find(url);
  return found == m_sites.end() ? 0 : int(found->second.size());
}
bool SitesPanel::RemoveURL(const std::string& url) {
  Record("remove " + url);
  return m_sites.erase(url) > 0;
}
void SitesPanel::UpdateContact(const URLContactInfo& update) {
  auto found = m_sites.find(update.GetURL());
  if (found != m_sites.end()) {
    if (update.IsLogout()) found->second.erase(update.GetLogin());
    else found->second.insert(update.GetLogin());
  }
  Record("contact " + update.GetURL() + " " + update.GetLogin() + " " + std::to_string(int(update.GetStatus())));
}
void SitesPanel::UpdateComments(const URLInfo& site) { Record("comments " + site.GetURL()); }
void SitesPanel::UpdateGrade(const std::string& url, int grade) { Record("grade " + url + " " + std::to_string(grade)); }
void SitesPanel::UpdateExtensionStatus(const std::string& name, t_extension_status status) {
  Record("extension " + name + " " + std::to_string(long(status)));
}
void SitesPanel::UpdateAvatar(const std::string& login) { Record("avatar " + login); }
void SitesPanel::NotifyNewMessage(const std::string& url) { Record("new message " + url); }

void SitesPanel::Disconnection() {
  m_sites.clear();
  Record("disconnection");
}
