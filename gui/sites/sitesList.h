// One titled list of sites in the sites manager: the sites other Parlavoxers recommend, or the
// sites always opened, or those always blocked. Lines are sorted and several may be selected;
// the add picture (not on the recommended list) asks for a site, the remove picture or the
// Delete key removes the selected ones, a double click opens one in the browser.
#ifndef PARLAVOX_GUI_SITES_SITESLIST_H
#define PARLAVOX_GUI_SITES_SITESLIST_H

#include <wx/listbox.h>
#include <wx/panel.h>

#include <functional>
#include <string>

#include "model/urlInfo.h"

class Manager;

class SitesList : public wxPanel {
 public:
  // At most this many recommended sites are listed: the server decides what arrives.
  static constexpr unsigned kMaxRecommended = 500;

  SitesList(wxWindow* parent, Manager* manager, const wxString& title, t_site_status status, bool recommended);
  ~SitesList() override;

  void Clear();
  // Lists the site by its address without the scheme, unless a line reads the same whatever the
  // case of its letters. The line keeps the address itself.
  void AddWebSite(const std::string& url);
  // Removes the line that reads as the site's, whatever the case of its letters.
  void RemoveWebSite(const std::string& url);

  // Told of each site the user added through this list, once its status is set.
  void SetOnAdded(std::function<void(const std::string& url)> onAdded) { m_onAdded = std::move(onAdded); }

  void OnAddWebSite(wxMouseEvent& event);
  void OnRemoveWebSites(wxMouseEvent& event);
  void OnKeyEvent(wxKeyEvent& event);
  void OnSiteSelected(wxCommandEvent& event);
  void RemoveWebSites();

  wxListBox* GetListBox() const { return m_listBox; }
  // The address behind line `index`.
  std::string GetAddress(unsigned index) const;

 private:
  wxListBox* m_listBox;
  Manager* m_manager;
  t_site_status m_status;
  bool m_recommended;
  std::function<void(const std::string&)> m_onAdded;
};

#endif
