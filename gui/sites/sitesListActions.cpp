// The list of sites: what the user does with it (add a site, remove the selected ones, open one).
#include <wx/msgdlg.h>
#include <wx/textdlg.h>

#include "core/application.h"
#include "gui/sites/sitesList.h"
#include "gui/sites/sitesListAddress.h"
#include "gui/webBrowser.h"
#include "model/log.h"
#include "model/stringConversion.h"

void SitesList::OnAddWebSite(wxMouseEvent&) {
  TRACE_START();
  wxTextEntryDialog dialog(this, _("Enter the site you want to add:"), _("Add site"), wxEmptyString);
  if (dialog.ShowModal() != wxID_OK) {
    TRACE_END_RESULT("cancelled");
    return;
  }
  const TypedSite site = CheckTypedSite(dialog.GetValue());
  if (site.address.empty()) {
    wxMessageBox(site.refusal, _("Add site"), wxOK | wxICON_INFORMATION, this);
    TRACE_END_RESULT("refused");
    return;
  }
  TRACE_INFO("%s", site.address.c_str());
  m_manager->SetSiteStatus(site.address, m_status);
  AddWebSite(site.address);
  if (m_onAdded) m_onAdded(site.address);
  TRACE_END();
}

void SitesList::OnRemoveWebSites(wxMouseEvent&) { RemoveWebSites(); }

void SitesList::OnKeyEvent(wxKeyEvent& event) {
  if (event.GetKeyCode() == WXK_DELETE || event.GetKeyCode() == WXK_NUMPAD_DELETE) RemoveWebSites();
}

void SitesList::RemoveWebSites() {
  wxArrayInt selected;
  m_listBox->GetSelections(selected);
  TRACE_START_ARGS("%zu", selected.size());
  // Ascending: each line removed moves the later ones up by one.
  for (size_t k = 0; k < selected.size(); ++k) {
    const unsigned at = static_cast<unsigned>(selected[k] - static_cast<int>(k));
    const std::string address = GetAddress(at);
    if (m_recommended)
      m_manager->DelRecommendedSite(address);
    else
      m_manager->SetSiteStatus(address, SITE_DEFAULT);
    m_listBox->Delete(at);
  }
  // The tool kit selects the line after one removed under its cursor: a second click would
  // remove a site nobody chose.
  if (!selected.empty()) m_listBox->DeselectAll();
  TRACE_END();
}

void SitesList::OnSiteSelected(wxCommandEvent& event) {
  const int index = event.GetInt();
  if (index < 0) return;
  const std::string address = GetAddress(static_cast<unsigned>(index));
  TRACE_START_ARGS("%s", address.c_str());
  // Only a web page: a local file or another program's scheme is not opened from a list.
  if (browser::IsWebAddress(address))
    browser::Open(address);
  else
    TRACE_INFO("not a web address");
  TRACE_END();
}
