#include "core/siteVisitors.h"

void SiteVisitors::Set(const std::string& site, const std::string& login, bool shown) {
  if (shown) {
    m_bySite[site].insert(login);
    return;
  }
  auto found = m_bySite.find(site);
  if (found == m_bySite.end()) return;
  found->second.erase(login);
  if (found->second.empty()) m_bySite.erase(found);
}

bool SiteVisitors::Shows(const std::string& login) const {
  for (const auto& site : m_bySite)
    if (site.second.count(login)) return true;
  return false;
}

std::vector<std::string> SiteVisitors::Close(const std::string& site) {
  auto found = m_bySite.find(site);
  if (found == m_bySite.end()) return {};
  std::vector<std::string> logins(found->second.begin(), found->second.end());
  m_bySite.erase(found);
  return logins;
}

std::vector<std::string> SiteVisitors::CloseAll() {
  std::vector<std::string> logins;
  for (const auto& site : m_bySite) logins.insert(logins.end(), site.second.begin(), site.second.end());
  m_bySite.clear();
  return logins;
}
