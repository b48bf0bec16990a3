// The sites manager: whether sites are opened or blocked by default, the sites always opened or
// always blocked against that default, and the sites other Parlavoxers recommend.
#ifndef PARLAVOX_GUI_SITES_WEBSITESSHORTFRAME_H
#define PARLAVOX_GUI_SITES_WEBSITESSHORTFRAME_H

#include <vector>

#include "model/recommendedSite.h"
#include "widgets/myMiniFrame.h"

class Manager;
class SitesList;
class URLInfo;
class wxRadioButton;

class WebSitesShortFrame : public MyMiniFrame {
 public:
  WebSitesShortFrame(wxWindow* parent, Manager* manager);
  ~WebSitesShortFrame() override;

  // The frame's own Show(bool) only shows or hides.
  using MyMiniFrame::Show;
  // 0 hides; anything else fills the two exception lists from the controller's records again,
  // follows the default, and shows the window.
  virtual bool Show(int show);

  void AddRecommendedSite(const RecommendedSite& site);
  void AddRecommendedSites(std::vector<RecommendedSite> sites);
  void AddWebSite(const URLInfo& site);
  // A site's status changed from its block: it moves to the list of its new status.
  void UpdateWebSiteStatus(const URLInfo& site);

  void OnChangeDefault(wxCommandEvent& event);
  void OnHelp(wxMouseEvent& event);

  SitesList* GetRecommendedList() const { return m_recommendedList; }
  SitesList* GetOpenedList() const { return m_openedList; }
  SitesList* GetBlockedList() const { return m_blockedList; }

 private:
  void ShowDefault(int byDefault);
  // A site the user added to one exception list leaves the other.
  void OnSiteAdded(SitesList* to, const std::string& url);

  Manager* m_manager;
  wxSizer* m_sizer;
  SitesList* m_blockedList = nullptr;
  SitesList* m_openedList = nullptr;
  SitesList* m_recommendedList = nullptr;
  wxRadioButton* m_openedButton = nullptr;
  wxRadioButton* m_blockedButton = nullptr;

  wxDECLARE_EVENT_TABLE();
};

#endif
