// The people the sites panel shows on each site open in the browser, as the controller's updates
// place them there: a person on the site's page or in its chat room is shown, one who left both
// is not. Their records must outlive the showing, so the controller asks here before it frees one.
#ifndef PARLAVOX_CORE_SITEVISITORS_H
#define PARLAVOX_CORE_SITEVISITORS_H

#include <map>
#include <string>
#include <unordered_set>
#include <vector>

class SiteVisitors {
 public:
  // Whether the login is shown on the site after its latest update.
  void Set(const std::string& site, const std::string& login, bool shown);
  // Shown on any site.
  bool Shows(const std::string& login) const;
  // The site's panel went: those it showed, no longer held by it.
  std::vector<std::string> Close(const std::string& site);
  // Every site's panel went (the session ended).
  std::vector<std::string> CloseAll();

 private:
  std::map<std::string, std::unordered_set<std::string>> m_bySite;
};

#endif
