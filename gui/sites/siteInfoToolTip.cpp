#include "gui/sites/siteInfoToolTip.h"

#include <wx/intl.h>
#include <wx/listbox.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>

#include "core/application.h"
#include "gui/dockPlacement.h"
#include "gui/sites/siteText.h"
#include "gui/webBrowser.h"
#include "model/log.h"
#include "model/urlInfo.h"
#include "widgets/toolkitFunction.h"

namespace {

wxStaticText* AddLabel(wxWindow* parent, wxSizer* box, int flags, int border) {
  auto* label = new wxStaticText(parent, wxID_ANY, wxEmptyString);
  box->Add(label, 1, flags, border);
  return label;
}

// The window manager is told that the tip takes no keyboard: a click on it, or its showing, leaves
// the keyboard where the user types.
void RefuseKeyboard(wxTopLevelWindow* window) {
  using SetAccept = void (*)(void*, int);
  static const auto set = toolkit::Find<SetAccept>("gtk_window_set_accept_focus");
  if (set && window->GetHandle()) set(window->GetHandle(), 0);
}

// Brings the shown tip above its siblings, the window it floats on among them, as a raise of the
// display does: the toolkit's own raise also gives it the keyboard.
void RaiseWithoutActivating(wxTopLevelWindow* window) {
  using Of = void* (*)(void*);
  using Raise = void (*)(void*);
  static const auto windowOf = toolkit::Find<Of>("gtk_widget_get_window");
  static const auto raise = toolkit::Find<Raise>("gdk_window_raise");
  if (!windowOf || !raise || !window->GetHandle()) return;
  if (void* shown = windowOf(window->GetHandle())) raise(shown);
}

}  // namespace

SiteInfoToolTip::SiteInfoToolTip(wxWindow* parent, Manager* manager, const URLInfo& site)
    : wxFrame(parent, wxID_ANY, "no title", wxDefaultPosition, wxDefaultSize,
              wxNO_BORDER | wxFRAME_SHAPED | wxFRAME_FLOAT_ON_PARENT | wxFRAME_NO_TASKBAR),
      m_hideTimer(this) {
  TRACE_START_ARGS("%s", site.GetURL().c_str());
  RefuseKeyboard(this);
  SetBackgroundColour(*wxWHITE);
  auto* top = new wxBoxSizer(wxVERTICAL);
  SetSizer(top);
  auto* profile = new wxStaticBoxSizer(wxVERTICAL, this, _("Profile"));
  top->Add(profile, 0, wxEXPAND, 0);

  TRACE_INFO("site");
  m_nameLabel = AddLabel(this, profile, wxALIGN_CENTER, 0);
  m_nameLabel->SetLabelText(siteText::Shown(manager->GetChatRoomName(site.GetURL())));
  m_nameLabel->SetFont(wxFont(wxFontInfo(10).Family(wxFONTFAMILY_MODERN).Bold()));
  m_nameLabel->SetForegroundColour(*wxBLUE);
  profile->AddSpacer(4);
  TRACE_INFO("nbr");
  m_usersLabel = AddLabel(this, profile, wxALIGN_CENTER | wxLEFT | wxRIGHT, 15);
  SetNbrUsers(site.GetNbrUsers(), site.GetNbrChatRoomUsers());
  TRACE_INFO("grade");
  m_gradeLabel = AddLabel(this, profile, wxALIGN_CENTER | wxLEFT | wxRIGHT, 15);
  SetGrade(float(site.GetUserGrade()), site.GetGrade());

  const std::vector<RecommendedSite> recommended = site.GetRecommendedSites();
  if (!recommended.empty()) {
    m_recommendedBox = new wxStaticBoxSizer(wxVERTICAL, this, _("Other sites recommended by Parlavoxers"));
    top->Add(m_recommendedBox, 0, wxEXPAND, 0);
    m_recommendedList = new wxListBox(this, wxID_ANY, wxDefaultPosition, wxSize(-1, 75), 0, nullptr, wxLB_SINGLE);
    m_recommendedBox->Add(m_recommendedList, 1, wxEXPAND | wxRIGHT, 2);
    AddRecommendedSites(recommended);
    m_recommendedList->Bind(wxEVT_LISTBOX, &SiteInfoToolTip::OnSiteSelected, this);
    m_recommendedList->Bind(wxEVT_LEFT_DOWN, &SiteInfoToolTip::OnListClick, this);
    m_recommendedList->Bind(wxEVT_KEY_DOWN, &SiteInfoToolTip::OnListKey, this);
  }
  // A click anywhere but on the list hides the tip: the labels and the boxes' frames included.
  Bind(wxEVT_LEFT_DOWN, &SiteInfoToolTip::OnClose, this);
  for (wxWindow* child : GetChildren())
    if (child != m_recommendedList) child->Bind(wxEVT_LEFT_DOWN, &SiteInfoToolTip::OnClose, this);
  Bind(wxEVT_KILL_FOCUS, &SiteInfoToolTip::OnKillFocus, this);
  Bind(wxEVT_TIMER, &SiteInfoToolTip::OnTimer, this, m_hideTimer.GetId());
  SetAutoLayout(true);
  top->SetSizeHints(this);
  top->Fit(this);
  Layout();
  TRACE_END();
}

SiteInfoToolTip::~SiteInfoToolTip() { m_hideTimer.Stop(); }

void SiteInfoToolTip::SetNbrUsers(int nbrUsers, int nbrChatRoomUsers) {
  m_usersLabel->SetLabelText(
      wxString::Format(_("%d Parlavoxers on the site, %d in the chatroom"), nbrUsers, nbrChatRoomUsers));
}

void SiteInfoToolTip::SetGrade(float userGrade, float grade) {
  // Grades are written with a point whatever the locale: the formats' "%2.1f" takes text.
  wxString text;
  if (grade > 10.0f) {
    text = _("No grade");
  } else if (userGrade > 10.0f) {
    wxString format = _("No grade (Average : %2.1f/10)");
    format.Replace("%2.1f", "%s");
    text = wxString::Format(format, siteText::Grade(grade));
  } else {
    wxString format = _("Your grade : %2.1f/10 (Average : %2.1f/10)");
    format.Replace("%2.1f", "%s");
    text = wxString::Format(format, siteText::Grade(userGrade), siteText::Grade(grade));
  }
  m_gradeLabel->SetLabelText(text);
}

wxPoint SiteInfoToolTip::InsideScreen(const wxPoint& position, const wxSize& size, const wxSize& screen) {
  wxPoint at = position;
  if (at.y < 0) at.y = 0;
  else if (at.y + size.y + 32 > screen.y) at.y = screen.y - size.y - 32;
  if (at.x < 0) at.x = 0;
  else if (at.x + size.x > screen.x) at.x = screen.x - size.x;
  return at;
}

void SiteInfoToolTip::MoveInsideScreen(const wxPoint& position) {
  const wxSize screen(wxSystemSettings::GetMetric(wxSYS_SCREEN_X), wxSystemSettings::GetMetric(wxSYS_SCREEN_Y));
  Move(InsideScreen(position, GetSize(), screen));
}

void SiteInfoToolTip::ShowAt(const wxPoint& position) {
  m_hideTimer.Stop();
  MoveInsideScreen(position);
  ShowAbove();
}

wxPoint SiteInfoToolTip::BesideWindow(const wxRect& name, const wxRect& window, const wxSize& size,
                                      const wxRect& area) {
  int x = window.GetRight() + 1;
  if (x + size.x > area.GetRight() + 1) x = window.GetLeft() - size.x;
  const wxRect placed(wxPoint(x, name.GetTop()), size);
  return dock::Inside(placed, area);
}

void SiteInfoToolTip::ShowBeside(const wxRect& name, const wxWindow* window) {
  m_hideTimer.Stop();
  Move(BesideWindow(name, window->GetScreenRect(), GetSize(), dock::WorkArea(window)));
  ShowAbove();
}

void SiteInfoToolTip::ShowAbove() {
  if (!IsShown()) ShowWithoutActivating();
  RaiseWithoutActivating(this);
}

bool SiteInfoToolTip::OnWayFrom(const wxRect& name, const wxPoint& pointer) const {
  const wxRect tip = GetScreenRect();
  const int left = std::min(name.GetLeft(), tip.GetLeft());
  const int right = std::max(name.GetRight(), tip.GetRight());
  return wxRect(left, name.GetTop(), right - left + 1, name.GetHeight()).Contains(pointer);
}

wxString SiteInfoToolTip::GetUsersText() const { return m_usersLabel->GetLabelText(); }
wxString SiteInfoToolTip::GetGradeText() const { return m_gradeLabel->GetLabelText(); }
wxString SiteInfoToolTip::GetNameText() const { return m_nameLabel->GetLabelText(); }

void SiteInfoToolTip::AddRecommendedSites(const std::vector<RecommendedSite>& sites) {
  for (const RecommendedSite& site : sites) m_recommended.push_back(site.GetURL());
  std::sort(m_recommended.begin(), m_recommended.end());
  for (const std::string& url : m_recommended) m_recommendedList->Append(siteText::Shown(url));
}

void SiteInfoToolTip::OnClose(wxMouseEvent&) { m_hideTimer.StartOnce(1); }

void SiteInfoToolTip::OnKillFocus(wxFocusEvent& event) {
  if (IsShown()) {
    TRACE_INFO("Hide %p", static_cast<void*>(event.GetWindow()));
    m_hideTimer.StartOnce(1);
  }
  event.Skip();
}

void SiteInfoToolTip::OnTimer(wxTimerEvent&) {
  Show(false);
  m_hideTimer.Stop();
}

// A click on a line opens its site whatever the list's selection, which a click on the line
// already selected would not change: the list does not take the click, so it neither selects nor
// takes the focus. A click below the lines is the list's own.
void SiteInfoToolTip::OnListClick(wxMouseEvent& event) {
  const int line = m_recommendedList->HitTest(event.GetPosition());
  if (line == wxNOT_FOUND) event.Skip();
  else OpenRecommended(line);
}

void SiteInfoToolTip::OnListKey(wxKeyEvent& event) {
  m_userChoosing = true;
  event.Skip();
}

void SiteInfoToolTip::OnSiteSelected(wxCommandEvent& event) {
  const int index = event.GetInt();
  TRACE_START_ARGS("%d", index);
  if (!m_userChoosing) {
    // Selected by the toolkit as the list took the focus: nobody chose it, so it shows as none.
    m_recommendedList->SetSelection(wxNOT_FOUND);
    TRACE_END_RESULT("not chosen by the user");
    return;
  }
  m_userChoosing = false;
  OpenRecommended(index);
  TRACE_END();
}

// Only web addresses reach the browser; one given without any scheme is taken as http.
void SiteInfoToolTip::OpenRecommended(int line) {
  if (line >= 0 && size_t(line) < m_recommended.size()) {
    std::string url = m_recommended[size_t(line)];
    if (url.find(':') == std::string::npos) url = "http://" + url;
    if (siteText::IsWebAddress(url)) browser::Open(url);
    else TRACE_ERROR("not a web address, not opened");
  }
  m_recommendedList->SetSelection(wxNOT_FOUND);
  Show(false);
}
