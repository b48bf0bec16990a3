// The sites panel: its header, its sites' panels and the routing of the main window's calls.
#include "gui/sites/sitesPanel.h"

#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/utils.h>
#include <wx/weakref.h>

#include <algorithm>

#include "gui/sites/sitePanel.h"
#include "gui/subscribeChatRoomListener.h"
#include "model/log.h"
#include "model/urlContactInfo.h"
#include "model/urlInfo.h"

SitesPanel::SitesPanel(Manager* manager, wxWindow* parent, SubscribeChatRoomListener* listener)
    : wxScrolledWindow(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxHSCROLL | wxVSCROLL),
      m_manager(manager),
      m_listener(listener),
      m_toolTipTimer(this, ID_HOVER_TIMER),
      m_pointerMoves([this] { FollowPointer(); }),
      m_refitTimer(this, ID_REFIT_TIMER) {
  SetBackgroundColour(*wxWHITE);
  SetScrollRate(0, 10);
  m_mainSizer = new wxBoxSizer(wxVERTICAL);
  SetSizer(m_mainSizer);
  // The sizer lays the whole list out when the width changes; otherwise the list places its
  // sites itself (PlaceFrom), so that a site more or less does not lay out hundreds.
  SetAutoLayout(false);
  Bind(wxEVT_SIZE, &SitesPanel::OnSize, this);
  m_headerPanel = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxBORDER_NONE);
  m_headerPanel->SetBackgroundColour(wxColour(200, 200, 200, 255));
  m_headerSizer = new wxBoxSizer(wxHORIZONTAL);
  m_headerPanel->SetSizer(m_headerSizer);
  m_mainSizer->Add(m_headerPanel, 0, wxEXPAND | wxALL, 4);
  // The title asks for no width of its own: in a narrow window or with large fonts it ends in an
  // ellipsis, on one line, rather than the list growing past the window's edge.
  auto* title = new wxStaticText(m_headerPanel, wxID_ANY, _("You are currently connected to:"), wxDefaultPosition,
                                 wxDefaultSize, wxALIGN_CENTRE | wxST_ELLIPSIZE_END);
  title->SetMinSize(wxSize(title->GetTextExtent("...").x + 2, -1));
  m_headerSizer->Add(title, 1, wxALIGN_CENTRE, 0);
  Bind(wxEVT_TIMER, &SitesPanel::OnTimer, this, ID_HOVER_TIMER);
  Bind(wxEVT_TIMER, [this](wxTimerEvent&) { PlaceFrom(m_refitFrom); }, ID_REFIT_TIMER);
}

SitesPanel::~SitesPanel() {
  m_toolTipTimer.Stop();
  m_pointerMoves.Watch(false);
  m_refitTimer.Stop();
}

SitePanel* SitesPanel::FindSitePanel(const std::string& url) const {
  for (SitePanel* panel : m_sitePanels)
    if (panel->GetURL() == url) return panel;
  TRACE_INFO("END : not found");
  return nullptr;
}

size_t SitesPanel::IndexOf(const SitePanel* panel) const {
  return size_t(std::find(m_sitePanels.begin(), m_sitePanels.end(), panel) - m_sitePanels.begin());
}

void SitesPanel::OnSize(wxSizeEvent& event) {
  if (GetClientSize().x != m_laidOutWidth) Refit();
  event.Skip();
}

void SitesPanel::Refit() {
  m_refitTimer.Stop();
  m_refitFrom = m_sitePanels.size();
  m_laidOutWidth = GetClientSize().x;
  m_fitSize = GetBestVirtualSize();
  SetVirtualSize(m_fitSize);
  Layout();
}

void SitesPanel::RefitSoon(size_t first) {
  m_refitFrom = std::min(m_refitFrom, first);
  if (!m_refitTimer.IsRunning()) m_refitTimer.StartOnce(kRefitDelayMs);
}

// The places are those the sizer gives: the header with a border of 4 all round, then each site
// below the one before, 4 pixels in from each side, as wide as the list and as high as it asks.
// The coordinates are the list's own, from its top with nothing scrolled.
void SitesPanel::PlaceFrom(size_t first) {
  first = std::min(first, std::min(m_refitFrom, m_sitePanels.size()));
  m_refitTimer.Stop();
  m_refitFrom = m_sitePanels.size();
  if (GetClientSize().x != m_laidOutWidth) {
    Refit();
    return;
  }
  int viewX = 0, viewY = 0;
  CalcUnscrolledPosition(0, 0, &viewX, &viewY);
  int top = first == 0 ? m_headerPanel->GetRect().GetBottom() + 1 + 4 + viewY
                       : m_sitePanels[first - 1]->GetRect().GetBottom() + 1 + viewY;
  const int width = GetVirtualSize().x - 8;
  for (size_t i = first; i < m_sitePanels.size(); ++i) {
    SitePanel* panel = m_sitePanels[i];
    const wxSize asked = panel->GetEffectiveMinSize();
    // A site wider than the list widens every site: the sizer lays them all out.
    if (asked.x > width) {
      Refit();
      return;
    }
    const wxRect place(4 - viewX, top - viewY, width, asked.y);
    if (panel->GetRect() != place) panel->SetSize(place);
    top += asked.y;
  }
  if (top != m_fitSize.y) {
    m_fitSize.y = top;
    SetVirtualSize(m_fitSize);
  }
}

void SitesPanel::OnSitePanelResized(SitePanel* panel) {
  PlaceFrom(IndexOf(panel));
  Refresh(true);
}

SitePanel* SitesPanel::AddSitePanel(const URLInfo& info, const wxString& name) {
  TRACE_START_ARGS("%s", info.GetURL().c_str());
  if (SitePanel* found = FindSitePanel(info.GetURL())) {
    TRACE_END_RESULT("already shown");
    return found;
  }
  auto* panel = new SitePanel(m_manager, this, name, info, true);
  m_sitePanels.push_back(panel);
  // The new site may come where the pointer rests: one look.
  FollowPointer();
  m_mainSizer->Add(panel, 0, wxEXPAND | wxLEFT | wxRIGHT, 4);
  PlaceFrom(m_sitePanels.size() - 1);
  // The new site, at the bottom, comes into view however long the list.
  int unitX = 0, unitY = 0;
  GetScrollPixelsPerUnit(&unitX, &unitY);
  Scroll(-1, unitY > 0 ? GetVirtualSize().y / unitY : 0);
  TRACE_END();
  return panel;
}

void SitesPanel::Remove(SitePanel* panel) {
  m_mainSizer->Detach(panel);
  m_sitePanels.erase(std::find(m_sitePanels.begin(), m_sitePanels.end(), panel));
  if (m_sitePanels.empty()) {
    m_toolTipTimer.Stop();
    m_pointerMoves.Watch(false);
  }
  panel->Retire();
}

bool SitesPanel::RemoveURL(const std::string& url) {
  TRACE_START_ARGS("%s", url.c_str());
  SitePanel* panel = FindSitePanel(url);
  if (!panel) return false;
  const size_t index = IndexOf(panel);
  Remove(panel);
  RefitSoon(index);
  TRACE_END_RESULT("found");
  return true;
}

void SitesPanel::DestroyLater(SitePanel* panel) {
  wxWeakRef<SitePanel> waiting(panel);
  CallAfter([waiting] {
    if (waiting) waiting->Destroy();
  });
}

void SitesPanel::Disconnection() {
  while (!m_sitePanels.empty()) Remove(m_sitePanels.front());
  Refit();
}

int SitesPanel::GetContactsCount(const std::string& url) const {
  const SitePanel* panel = FindSitePanel(url);
  if (!panel) TRACE_INFO("END : url (%s) not found", url.c_str());
  return panel ? panel->GetNbrUsers() : 0;
}

// The sites below are moved when the site's panel grew or shrank (a row of people more or
// less, the first person, the last one gone): a person coming into a row with room left moves
// nothing else. The site's panel takes the update's count of users itself, once the update is
// done.
void SitesPanel::UpdateContact(const URLContactInfo& info) {
  SitePanel* panel = FindSitePanel(info.GetURL());
  if (!panel) {
    RefitSoon(m_sitePanels.size());
    return;
  }
  panel->UpdateContact(info);
  if (panel->NeedsResize()) PlaceFrom(IndexOf(panel));
}

void SitesPanel::SwitchSubscribeChatRoom(const std::string& url, bool subscribed) {
  if (SitePanel* panel = FindSitePanel(url)) panel->SwitchSubscribeChatRoom(subscribed);
}

void SitesPanel::NotifyNewMessage(const std::string& url) {
  if (SitePanel* panel = FindSitePanel(url)) panel->NotifyNewMessage();
}

void SitesPanel::UpdateComments(const URLInfo& info) {
  if (SitePanel* panel = FindSitePanel(info.GetURL())) panel->UpdateComments(info.GetNbrComments(), info.GetGrade());
}

void SitesPanel::UpdateGrade(const std::string& url, int grade) {
  if (SitePanel* panel = FindSitePanel(url)) panel->UpdateGrade(grade);
}

// Only the sites where the person is are asked: one line of trace for the walk, not one a site.
void SitesPanel::UpdateAvatar(const std::string& login) {
  TRACE_START_ARGS("%s", login.c_str());
  int found = 0;
  for (SitePanel* panel : m_sitePanels)
    if (panel->HasContact(login)) {
      panel->UpdateAvatar(login);
      ++found;
    }
  TRACE_END_RESULT("on %d sites", found);
}

void SitesPanel::FollowPointer() {
  if (!m_toolTipTimer.IsRunning()) m_toolTipTimer.StartOnce(kToolTipTickMs);
}

// One look where the pointer is, each a few round trips to the display, shortly after it moved:
// a pointer at rest, on a site's name, an avatar, a tip or anywhere else, wakes nothing. The
// pointer is asked for once, and only the panels in view (or showing a tip) look where it is:
// with hundreds of sites open, asking the display for each would stall the window.
// While a tip shows, every move in the program is followed, not only those over the names and
// the avatars: the pointer leaving for the tip or going away crosses other windows, and leaves
// them. Only where no window of the program is under it, on its way from a name to the tip, is
// it looked at again without moving: nothing would tell where it went.
void SitesPanel::OnTimer(wxTimerEvent&) {
  bool shown = false, tracking = false;
  if (!m_sitePanels.empty()) {
    const wxPoint pointer = wxGetMousePosition();
    const wxRect view(wxPoint(0, 0), GetClientSize());
    for (SitePanel* panel : m_sitePanels) {
      const SitePanel::Hover hover = panel->UpdateToolTip(pointer, view.Intersects(panel->GetRect()));
      shown = shown || hover >= SitePanel::Hover::kShown;
      tracking = tracking || hover == SitePanel::Hover::kTracking;
    }
  }
  m_pointerMoves.Watch(shown);
  if (tracking) m_toolTipTimer.StartOnce(kToolTipTickMs);
}

// ---- The panels' commands.

void SitesPanel::OnOpenPrivateChatRoom(const std::string& login) { m_listener->CreateVirtualChatRoom(login); }
void SitesPanel::OnAddContact(const std::string& login, const std::string& message) {
  m_listener->AddContact(login, message);
}
void SitesPanel::OnRemoveContact(const std::string& login, const std::string& message) {
  m_listener->RemoveContact(login, message);
}
void SitesPanel::OnBlockContact(const std::string& login, const std::string& message) {
  m_listener->BlockContact(login, message);
}
void SitesPanel::OnUnblockContact(const std::string& login, const std::string& message) {
  m_listener->UnblockContact(login, message);
}
void SitesPanel::OnReportAbuse(const std::string& url, const std::string& login, const std::string& message) {
  m_listener->ReportAbuse(url, login, message);
}
void SitesPanel::OnSwitchURLStatus(const std::string& url) { m_listener->SwitchWebSiteStatus(url); }
void SitesPanel::OnCloseChatRoom(const std::string& url) { m_listener->CloseChatRoom(url); }
void SitesPanel::OnSubscribeChatRoom(const std::string& url) { m_listener->SubscribeChatRoom(url); }
void SitesPanel::OnUnsubscribeChatRoom(const std::string& url) { m_listener->UnsubscribeChatRoom(url); }

void SitesPanel::OnOpenMessages(const std::string& url) { m_listener->OpenComments(url); }
