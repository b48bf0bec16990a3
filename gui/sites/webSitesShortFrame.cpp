#include "gui/sites/webSitesShortFrame.h"

#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statline.h>
#include <wx/stattext.h>

#include "core/application.h"
#include "gui/sites/sitesList.h"
#include "gui/webBrowser.h"
#include "model/log.h"
#include "model/urlInfo.h"

namespace {

const wxWindowID kOpenedId = wxWindow::NewControlId();
const wxWindowID kBlockedId = wxWindow::NewControlId();

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(WebSitesShortFrame, MyMiniFrame)
  EVT_RADIOBUTTON(kOpenedId, WebSitesShortFrame::OnChangeDefault)
  EVT_RADIOBUTTON(kBlockedId, WebSitesShortFrame::OnChangeDefault)
wxEND_EVENT_TABLE()
// clang-format on

WebSitesShortFrame::WebSitesShortFrame(wxWindow* parent, Manager* manager)
    : MyMiniFrame(parent, _("Sites management")), m_manager(manager), m_sizer(GetSizer()) {
  TRACE_START();
  m_recommendedList = new SitesList(this, m_manager, _("Sites recommended by other Parlavoxers:"), SITE_OPEN, true);
  m_recommendedList->Show(false);
  m_sizer->Add(m_recommendedList, 1, wxALL | wxEXPAND, 4);
  m_sizer->Add(new wxStaticLine(this, wxID_ANY), 0, wxALL | wxEXPAND, 4);
  auto* choice = new wxBoxSizer(wxHORIZONTAL);
  m_sizer->Add(choice, 0, wxEXPAND | wxLEFT | wxRIGHT, 15);
  m_openedButton = new wxRadioButton(this, kOpenedId, _("Sites are opened by default ..."));
  choice->Add(m_openedButton, 0, 0, 0);
  m_blockedButton = new wxRadioButton(this, kBlockedId, _("Sites are blocked by default ..."));
  choice->Add(m_blockedButton, 0, 0, 0);
  m_openedList = new SitesList(this, m_manager, _("Except for these sites which are always opened:"), SITE_OPEN, false);
  m_blockedList =
      new SitesList(this, m_manager, _("Except for these sites which are always blocked:"), SITE_BLOCKED, false);
  m_openedList->SetOnAdded([this](const std::string& url) { OnSiteAdded(m_openedList, url); });
  m_blockedList->SetOnAdded([this](const std::string& url) { OnSiteAdded(m_blockedList, url); });
  m_sizer->Add(m_openedList, 1, wxALL | wxEXPAND, 4);
  m_sizer->Add(m_blockedList, 1, wxALL | wxEXPAND, 4);
  ShowDefault(m_manager->GetDefaultSiteStatus());

  auto* help = new wxStaticText(this, wxID_ANY, _("Help?"));
  help->SetForegroundColour(*wxBLUE);
  help->SetCursor(wxCursor(wxCURSOR_HAND));
  help->Bind(wxEVT_LEFT_UP, &WebSitesShortFrame::OnHelp, this);
  m_sizer->Add(help, 0, wxALIGN_RIGHT | wxRIGHT | wxBOTTOM, 8);
  m_sizer->SetSizeHints(this);
  m_sizer->Fit(this);
  Layout();
  TRACE_END();
}

WebSitesShortFrame::~WebSitesShortFrame() = default;

void WebSitesShortFrame::ShowDefault(int byDefault) {
  const bool blocked = byDefault == SITE_BLOCKED;
  (blocked ? m_blockedButton : m_openedButton)->SetValue(true);
  m_openedList->Show(blocked);
  m_blockedList->Show(!blocked);
}

bool WebSitesShortFrame::Show(int show) {
  if (!show) return MyMiniFrame::Show(false);
  TRACE_START();
  m_blockedList->Clear();
  m_openedList->Clear();
  for (URLInfo* site : m_manager->GetAllURLInfo()) {
    if (site->GetStatus() == SITE_BLOCKED)
      m_blockedList->AddWebSite(site->GetURL());
    else if (site->GetStatus() == SITE_OPEN)
      m_openedList->AddWebSite(site->GetURL());
  }
  const int byDefault = m_manager->GetDefaultSiteStatus();
  Freeze();
  ShowDefault(byDefault);
  Layout();
  Thaw();
  TRACE_END();
  return MyMiniFrame::Show(true);
}

void WebSitesShortFrame::OnChangeDefault(wxCommandEvent&) {
  TRACE_START();
  t_site_status next = SITE_OPEN;
  if (m_manager->GetDefaultSiteStatus() == SITE_OPEN) {
    wxMessageDialog question(this,
                             _("By checking this parameter, any site not listed in the public list will be blocked and "
                               "not communicated to our servers. You will not be able to see other Parlavoxers on thes "
                               "sites!\nDo you still want to block by default?"),
                             _("Blocked sites by default?"), wxYES_NO | wxNO_DEFAULT | wxICON_EXCLAMATION);
    if (question.ShowModal() != wxID_YES) {
      m_openedButton->SetValue(true);
      TRACE_END_RESULT("kept");
      return;
    }
    next = SITE_BLOCKED;
  }
  m_manager->SetDefaultSiteStatus(next);
  Show(1);
  TRACE_END();
}

void WebSitesShortFrame::AddRecommendedSite(const RecommendedSite& site) {
  m_recommendedList->AddWebSite(site.GetURL());
  if (m_recommendedList->IsShown()) return;
  m_recommendedList->Show(true);
  // Room for the list that appears: the window grows downwards, its width stays.
  const wxSize best = m_sizer->ComputeFittingWindowSize(this);
  SetSizeHints(best.x, best.y);
  if (best.y > GetSize().y) SetSize(GetSize().x, best.y);
  Layout();
}

void WebSitesShortFrame::AddRecommendedSites(std::vector<RecommendedSite> sites) {
  for (const RecommendedSite& site : sites) AddRecommendedSite(site);
}

void WebSitesShortFrame::AddWebSite(const URLInfo& site) {
  // A site following the default belongs to neither exception list.
  if (site.GetStatus() == SITE_OPEN)
    m_openedList->AddWebSite(site.GetURL());
  else if (site.GetStatus() == SITE_BLOCKED)
    m_blockedList->AddWebSite(site.GetURL());
}

void WebSitesShortFrame::UpdateWebSiteStatus(const URLInfo& site) {
  if (site.GetStatus() == SITE_OPEN) {
    m_blockedList->RemoveWebSite(site.GetURL());
    m_openedList->AddWebSite(site.GetURL());
  } else {
    m_blockedList->AddWebSite(site.GetURL());
    m_openedList->RemoveWebSite(site.GetURL());
  }
}

void WebSitesShortFrame::OnSiteAdded(SitesList* to, const std::string& url) {
  (to == m_openedList ? m_blockedList : m_openedList)->RemoveWebSite(url);
}

void WebSitesShortFrame::OnHelp(wxMouseEvent&) {
  TRACE_START();
  browser::OpenUserGuide("sitesmanager");
  TRACE_END();
}
