#include "gui/sites/webSitesShortFrame.h"

#include <wx/intl.h>

WebSitesShortFrame::WebSitesShortFrame(wxWindow* parent, Manager* manager)
    : MyMiniFrame(parent, _("Sites")), m_manager(manager) {}

#include "model/urlInfo.h"

void WebSitesShortFrame::AddRecommendedSites(std::vector<RecommendedSite> sites) {
  Record("recommended " + std::to_string(sites.size()));
}
void WebSitesShortFrame::AddRecommendedSite(const RecommendedSite& site) { Record("recommended " + site.GetURL()); }
void WebSitesShortFrame::AddWebSite(const URLInfo& site) { Record("site " + site.GetURL()); }
void WebSitesShortFrame::UpdateWebSiteStatus(const URLInfo& site) {
  Record("status " + site.GetURL() + " " + std::to_string(int(site.GetStatus())));
}
