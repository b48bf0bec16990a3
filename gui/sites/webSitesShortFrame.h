// The sites manager: the sites known, their status and notifications.
#ifndef PARLAVOX_GUI_WEBSITESSHORTFRAME_H
#define PARLAVOX_GUI_WEBSITESSHORTFRAME_H

#include "gui/callRecord.h"
#include <vector>
#include "model/recommendedSite.h"
#include "widgets/myMiniFrame.h"

class Manager;
class URLInfo;

class WebSitesShortFrame : public MyMiniFrame, public CallRecord {
 public:
  WebSitesShortFrame(wxWindow* parent, Manager* manager);

  void AddRecommendedSites(std::vector<RecommendedSite> sites);
  void AddRecommendedSite(const RecommendedSite& site);
  void AddWebSite(const URLInfo& site);
  void UpdateWebSiteStatus(const URLInfo& site);

 private:
  Manager* m_manager;
};

#endif
