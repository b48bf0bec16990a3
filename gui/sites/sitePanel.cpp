// A site's panel: construction, the header, folding, the counts and grades, the room icon and
// its blink, and the panel's removal.
#include "gui/sites/sitePanel.h"

#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>

#include <algorithm>

#include "core/application.h"
#include "gui/pictures.h"
#include "gui/sites/contactButtonBitmap.h"
#include "gui/sites/siteButtons.h"
#include "gui/sites/siteInfoToolTip.h"
#include "gui/sites/siteText.h"
#include "gui/sites/sitesPanel.h"
#include "gui/sites/webSiteInfoFrame.h"
#include "model/config.h"
#include "model/log.h"
#include "model/stringConversion.h"
#include "widgets/myStaticText.h"

wxBEGIN_EVENT_TABLE(SitePanel, wxPanel)
  EVT_MENU(ID_SUBSCRIBE_CHATROOM, SitePanel::OnSubscribeChatRoom)
  EVT_MENU(ID_CLOSE_URL, SitePanel::OnCloseURL)
  EVT_MENU(ID_SWITCH_URL_STATUS, SitePanel::OnSwitchURLStatus)
  EVT_MENU(ID_REPORT_ABUSE, SitePanel::OnReportAbuse)
  EVT_MENU(ID_SHOW_PROFILE, SitePanel::OnShowProfile)
  EVT_MENU(ID_ADD_CONTACT, SitePanel::OnAddContact)
  EVT_MENU(ID_REMOVE_CONTACT, SitePanel::OnRemoveContact)
  EVT_MENU(ID_SEND_MESSAGE, SitePanel::OnSendMessage)
  EVT_MENU(ID_BLOCK_CONTACT, SitePanel::OnBlockContact)
  EVT_MENU(ID_UNBLOCK_CONTACT, SitePanel::OnUnblockContact)
  EVT_MENU(ID_SITE_PROFILE, SitePanel::OnSiteProfile)
  EVT_TIMER(ID_BLINK_TIMER, SitePanel::OnBlinkTimer)
wxEND_EVENT_TABLE()

namespace {

// The fold icons are drawn as XPM; a missing file gives an empty picture of the same size.
wxBitmap LoadFoldIcon(const std::string& name) {
  wxBitmap bitmap;
  const wxString path = std2wx(Config::GetImagePath(name));
  if (wxFileExists(path)) bitmap.LoadFile(path, wxBITMAP_TYPE_XPM);
  return bitmap.IsOk() ? bitmap : pictures::Load(name, 11);
}

// A count changes with every person who comes or goes: its text is not measured at each change
// but when the panel is next laid out (LayoutSoon).
MyStaticText* CountLabel(wxWindow* parent, const wxFont& font, const wxString& tip) {
  auto* label = new MyStaticText(parent, wxID_ANY, wxEmptyString, false);
  label->SetFont(font);
  label->SetToolTip(tip);
  wxStaticText* text = label->GetInnerText();
  text->SetWindowStyleFlag(text->GetWindowStyleFlag() | wxST_NO_AUTORESIZE);
  return label;
}

void ShowCount(MyStaticText* label, int count) {
  label->GetInnerText()->SetLabelText(wxString::Format("%d", count));
}

}  // namespace

SitePanel::SitePanel(Manager* manager, wxWindow* parent, const wxString& name, const URLInfo& info, bool links)
    : wxPanel(parent, wxID_ANY),
      m_manager(manager),
      m_urlInfo(info),
      m_meanGrade(info.GetGrade()),
      m_blinkTimer(this, ID_BLINK_TIMER) {
  TRACE_START();
  SetBackgroundColour(*wxWHITE);
  m_mainSizer = new wxBoxSizer(wxVERTICAL);
  SetSizer(m_mainSizer);
  m_mainSizer->AddSpacer(4);
  m_headerSizer = new wxBoxSizer(wxHORIZONTAL);
  m_subscribed = manager->HasSubscribedTo(GetURL());
  CreateHeader(name, links);
  CreateCounts();
  m_mainSizer->Add(m_headerSizer, 0, wxEXPAND, 0);
  CreateGrid();
  UpdateNbrUsers();
  Bind(wxEVT_SIZE, &SitePanel::OnSize, this);
  TRACE_END();
}

SitePanel::~SitePanel() {
  TRACE_STARTEND();
  m_blinkTimer.Stop();
}

void SitePanel::CreateHeader(const wxString& name, bool links) {
  m_roomIconOff = new ChatButtonBitmap(this, pictures::Load("roomgrey.png", 16));
  m_roomIconOn = new ChatButtonBitmap(this, pictures::Load("roomgreen.png", 16));
  m_roomIconOff->SetToolTip(_("Click to subscribe to this chatroom"));
  m_roomIconOn->SetToolTip(_("Click to focus on this chatroom"));
  for (ChatButtonBitmap* icon : {m_roomIconOff, m_roomIconOn}) {
    icon->Bind(wxEVT_LEFT_DOWN, &SitePanel::OnRoomIconClicked, this);
    icon->Bind(wxEVT_RIGHT_DOWN, &SitePanel::OnSiteRightClick, this);
  }
  (m_subscribed ? m_roomIconOff : m_roomIconOn)->Hide();
  m_headerSizer->Add(m_subscribed ? m_roomIconOn : m_roomIconOff, 0, wxALIGN_CENTER_VERTICAL, 0);
  m_headerSizer->AddSpacer(2);

  m_closedIcon = new SiteButtonBitmap(this, LoadFoldIcon("treeclosed.xpm"));
  m_openedIcon = new SiteButtonBitmap(this, LoadFoldIcon("treeopened.xpm"));
  m_emptyIcon = new SiteButtonBitmap(this, LoadFoldIcon("treeempty.xpm"));
  // A quick second click reaches the icon as a double click: it folds or unfolds again.
  for (SiteButtonBitmap* icon : {m_closedIcon, m_openedIcon, m_emptyIcon}) {
    icon->Bind(wxEVT_LEFT_DOWN, &SitePanel::OnOpenCloseClicked, this);
    icon->Bind(wxEVT_LEFT_DCLICK, &SitePanel::OnOpenCloseClicked, this);
  }
  m_closedIcon->Hide();
  m_emptyIcon->Hide();
  m_headerSizer->Insert(2, m_openedIcon, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 2);
  m_foldIcon = m_openedIcon;
  m_opened = true;

  m_siteLabel = new MyStaticText(this, wxID_ANY, siteText::Shown(wx2std(name), kMaxName), links);
  m_siteLabel->SetToolTip(_("Click to subscribe to this chatroom"));
  wxFont font = m_siteLabel->GetFont();
  font.SetWeight(wxFONTWEIGHT_BOLD);
  m_siteLabel->SetFont(font);
  if (links) {
    m_siteLabel->Connect(wxEVT_RIGHT_DOWN, wxMouseEventHandler(SitePanel::OnSiteRightClick), nullptr, this);
    m_siteLabel->Connect(wxEVT_LEFT_UP, wxMouseEventHandler(SitePanel::OnSiteLabelClicked), nullptr, this);
  }
  WatchPointer(m_siteLabel);
  WatchPointer(m_siteLabel->GetInnerText());
  // A long name gives way to the counts, which stay in view however narrow the window.
  m_siteLabel->SetMinSize(wxSize(kMinNameWidth, -1));
  m_headerSizer->Add(m_siteLabel, 1, wxALIGN_CENTER_VERTICAL | wxLEFT, 2);
  // A name wider than the room left to it ends in "...", never cut off in the middle of a letter.
  siteText::ShowFitted(m_siteLabel, siteText::Shown(wx2std(name), kMaxName));
}

void SitePanel::CreateCounts() {
  wxFont font = m_siteLabel->GetFont();
  font.SetWeight(wxFONTWEIGHT_NORMAL);
  m_usersLabel = CountLabel(this, font, _("Parlavoxers on this site"));
  m_headerSizer->AddStretchSpacer(0);
  // The counts, the comments and the grade stand together, at the right of the name or below it.
  m_countsSizer = new wxBoxSizer(wxHORIZONTAL);
  m_headerSizer->Add(m_countsSizer, 0, wxALIGN_CENTER_VERTICAL, 0);
  m_countsSizer->Add(new wxStaticBitmap(this, wxID_ANY, pictures::Load("user.png", 16)), 0,
                     wxALIGN_CENTER_VERTICAL | wxLEFT, 2);
  m_countsSizer->Add(m_usersLabel, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 2);
  m_countsSizer->AddSpacer(4);
  m_countsSizer->Add(new wxStaticBitmap(this, wxID_ANY, pictures::Load("chatsubscribed.png", 16)), 0,
                     wxALIGN_CENTER_VERTICAL | wxLEFT, 2);
  m_chatRoomUsersLabel = CountLabel(this, font, _("Parlavoxers in chatroom"));
  m_countsSizer->Add(m_chatRoomUsersLabel, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 2);
  m_countsSizer->AddSpacer(4);
  m_commentsIcon = new SiteButtonBitmapMessages(this, pictures::Load("smallpostit.png", 16));
  m_commentsIcon->Bind(wxEVT_LEFT_DOWN, &SitePanel::OnCommentsClicked, this);
  m_countsSizer->Add(m_commentsIcon, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 2);
  m_gradeLabel = new MyStaticText(this, wxID_ANY, wxEmptyString, true);
  m_gradeLabel->SetFont(font);
  UpdateComments(m_urlInfo.GetNbrComments(), m_urlInfo.GetGrade());
  siteText::FitWidth(m_gradeLabel, kMinGradeWidth);
  m_gradeLabel->Connect(wxEVT_LEFT_UP, wxMouseEventHandler(SitePanel::OnCommentsClicked), nullptr, this);
  m_countsSizer->Add(m_gradeLabel, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 2);
  m_countsSizer->AddSpacer(4);
}

// As narrow as the counts below the name allow, whichever way they stand now.
wxSize SitePanel::DoGetBestSize() const {
  wxSize best = wxPanel::DoGetBestSize();
  const int counts = m_countsSizer->CalcMin().x;
  const int header = m_headerSizer->CalcMin().x - (m_countsBeside ? counts : 0);
  best.x = std::max(header, counts);
  return best;
}

bool SitePanel::Layout() {
  PlaceCounts();
  return wxPanel::Layout();
}

// A panel too narrow for the counts beside the name at its narrowest (a narrow window, large
// fonts) has them on a line of their own below the name, at the right, rather than past its
// edge; the list then places the sites below again.
void SitePanel::PlaceCounts() {
  const int width = GetClientSize().x;
  // Not before the panel is built and placed.
  if (width <= 0 || !m_contactsPanel) return;
  const int counts = m_countsSizer->CalcMin().x;
  const int header = m_headerSizer->CalcMin().x - (m_countsBeside ? counts : 0);
  const bool fits = header + counts <= width;
  if (fits == m_countsBeside) return;
  m_countsBeside = fits;
  if (fits) {
    m_mainSizer->Detach(m_countsSizer);
    m_headerSizer->Add(m_countsSizer, 0, wxALIGN_CENTER_VERTICAL, 0);
  } else {
    m_headerSizer->Detach(m_countsSizer);
    m_mainSizer->Insert(2, m_countsSizer, 0, wxALIGN_RIGHT, 0);
  }
  InvalidateBestSize();
  CallAfter(&SitePanel::RefitParent);
}

void SitePanel::CreateGrid() {
  m_contactsPanel = new wxPanel(this, wxID_ANY);
  m_contactsPanel->SetBackgroundColour(*wxWHITE);
  // The grid asks for no width: in a window narrower than its columns, the avatars at the right are
  // cut rather than the header's counts standing outside the window.
  m_contactsPanel->SetMinSize(wxSize(0, -1));
  m_mainSizer->Add(m_contactsPanel, 1, wxEXPAND | wxLEFT, 16);
  m_contactsGrid = new wxGridBagSizer(1, 1);
  m_contactsPanel->SetSizer(m_contactsGrid);
  m_contactsGrid->SetEmptyCellSize(wxSize(24, 24));
  WatchPointer(m_contactsPanel);
  for (int row = 0; row < kRows; ++row)
    for (int column = 0; column < kColumns; ++column) m_freeCells.emplace_back(row, column);
  m_contactsPanel->Show();
}

// Moved without a change of size (a site above came or went), the panel needs no new layout:
// with hundreds of sites open, laying each out again would stall the window.
void SitePanel::OnSize(wxSizeEvent& event) {
  if (event.GetSize() == m_laidOutSize) return;
  m_laidOutSize = event.GetSize();
  event.Skip();
}

SitesPanel* SitePanel::Sites() const { return dynamic_cast<SitesPanel*>(GetParent()); }

bool SitePanel::GetCell(const std::string& login, wxGBPosition* cell) const {
  auto found = m_cellByLogin.find(login);
  if (found == m_cellByLogin.end()) return false;
  if (cell) *cell = found->second;
  return true;
}

wxWindow* SitePanel::GetShownRoomIcon() const {
  wxSizerItem* item = m_headerSizer->GetItem(size_t(0));
  return item ? item->GetWindow() : nullptr;
}

wxWindow* SitePanel::GetShownFoldIcon() const {
  wxSizerItem* item = m_headerSizer->GetItem(size_t(2));
  return item ? item->GetWindow() : nullptr;
}

wxWindow* SitePanel::GetCommentsIcon() const { return m_commentsIcon; }

// Puts `icon` at the fold icon's place in the header, the others hidden.
void SitePanel::SetFoldIcon(SiteButtonBitmap* icon) {
  if (icon == m_foldIcon) return;
  for (SiteButtonBitmap* other : {m_closedIcon, m_openedIcon, m_emptyIcon}) {
    m_headerSizer->Detach(other);
    if (other != icon) other->Hide();
  }
  m_headerSizer->Insert(2, icon, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 2);
  icon->Show();
  m_foldIcon = icon;
  LayoutSoon();
}

// The counts are kept as people come, change and go: only what changed is written.
void SitePanel::UpdateNbrUsers() {
  const int onSite = int(m_people.size());
  if (onSite != m_shownUsers || m_nbrChatRoomUsers != m_shownChatRoomUsers) {
    if (onSite != m_shownUsers) ShowCount(m_usersLabel, onSite);
    if (m_nbrChatRoomUsers != m_shownChatRoomUsers) ShowCount(m_chatRoomUsersLabel, m_nbrChatRoomUsers);
    m_shownUsers = onSite;
    m_shownChatRoomUsers = m_nbrChatRoomUsers;
    if (m_siteToolTip) m_siteToolTip->SetNbrUsers(onSite, m_nbrChatRoomUsers);
    // A count one digit longer or shorter moves the header's right side.
    LayoutSoon();
  }
  if (m_people.empty()) {
    m_opened = false;
    SetFoldIcon(m_emptyIcon);
  } else {
    SetFoldIcon(m_opened ? m_openedIcon : m_closedIcon);
  }
  if (m_contactsPanel->IsShown() != m_opened) m_contactsPanel->Show(m_opened);
}

void SitePanel::SetNbrUsers(int nbrUsers) {
  TRACE_START_ARGS("%s, %d", GetURL().c_str(), nbrUsers);
  m_urlInfo.SetNbrUsers(nbrUsers);
  UpdateNbrUsers();
  TRACE_END();
}

void SitePanel::OnOpenCloseClicked(wxMouseEvent&) {
  if (m_people.empty()) return;
  m_opened = !m_opened;
  if (m_opened) {
    SetFoldIcon(m_openedIcon);
    for (const auto& entry : m_cellByLogin)
      if (wxGBSizerItem* item = m_contactsGrid->FindItemAtPosition(entry.second))
        if (item->GetWindow()) item->GetWindow()->Show();
  } else {
    SetFoldIcon(m_closedIcon);
  }
  TRACE_INFO("show/hide");
  m_contactsPanel->Show(m_opened);
  RefitParent();
  Layout();
}

void SitePanel::RefitParent() {
  if (SitesPanel* sites = Sites()) {
    sites->OnSitePanelResized(this);
  } else if (auto* scrolled = dynamic_cast<wxScrolledWindow*>(GetParent())) {
    scrolled->FitInside();
    scrolled->Layout();
    scrolled->Refresh(true);
  }
}

void SitePanel::UpdateComments(int nbrComments, float grade) {
  TRACE_START_ARGS("%s, %d, %f", GetURL().c_str(), nbrComments, double(grade));
  m_urlInfo.SetNbrComments(nbrComments);
  m_meanGrade = grade;
  m_commentsIcon->SetToolTip(wxString::Format(_("%d comments"), nbrComments));
  if (grade > 10.0f) {
    m_gradeLabel->SetLabel("?.?");
    m_gradeLabel->SetToolTip(_("Click to be the first to grade this site !"));
  } else {
    m_gradeLabel->SetLabel(grade == 10.0f ? wxString("10.") : siteText::Grade(grade));
    m_gradeLabel->SetToolTip(_("Click to see all comments"));
  }
  siteText::FitWidth(m_gradeLabel, kMinGradeWidth);
  if (m_siteToolTip) m_siteToolTip->SetGrade(float(m_urlInfo.GetUserGrade()), grade);
  TRACE_END();
}

void SitePanel::UpdateGrade(int grade) {
  m_urlInfo.SetUserGrade(grade);
  if (m_siteToolTip) m_siteToolTip->SetGrade(float(m_urlInfo.GetUserGrade()), m_meanGrade);
}

// Made when first shown: a browser restoring its tabs opens many sites at once, and each tip is
// a window of its own.
SiteInfoToolTip* SitePanel::GetSiteToolTip() {
  if (!m_siteToolTip) {
    m_siteToolTip = new SiteInfoToolTip(this, m_manager, m_urlInfo);
    m_siteToolTip->SetNbrUsers(int(m_people.size()), m_nbrChatRoomUsers);
    m_siteToolTip->SetGrade(float(m_urlInfo.GetUserGrade()), m_meanGrade);
  }
  return m_siteToolTip;
}

void SitePanel::ShowRoomIcon(bool on) {
  ChatButtonBitmap* shown = on ? m_roomIconOn : m_roomIconOff;
  ChatButtonBitmap* hidden = on ? m_roomIconOff : m_roomIconOn;
  m_headerSizer->Detach(m_roomIconOff);
  m_headerSizer->Detach(m_roomIconOn);
  m_headerSizer->Insert(0, shown, 0, wxALIGN_CENTER_VERTICAL, 0);
  hidden->Hide();
  shown->Show();
  Layout();
}

void SitePanel::SwitchSubscribeChatRoom(bool subscribed) {
  TRACE_START_ARGS("%d", int(subscribed));
  m_subscribed = subscribed;
  if (!subscribed) m_blinkTimer.Stop();
  const wxString tip = subscribed ? _("Click to focus on this chatroom") : _("Click to subscribe to this chatroom");
  m_roomIconOn->SetToolTip(tip);
  m_roomIconOff->SetToolTip(tip);
  ShowRoomIcon(subscribed);
  TRACE_END();
}

void SitePanel::NotifyNewMessage() {
  m_blinkCount = kBlinkTicks;
  m_blinkLit = true;
  m_blinkTimer.Start(500, wxTIMER_CONTINUOUS);
}

void SitePanel::OnBlinkTimer(wxTimerEvent&) {
  ShowRoomIcon(m_blinkLit);
  m_blinkLit = !m_blinkLit;
  if (m_blinkCount > 0) --m_blinkCount;
  if (m_blinkCount == 0) {
    m_blinkTimer.Stop();
    ShowRoomIcon(m_subscribed);
  }
}

void SitePanel::OnRoomIconClicked(wxMouseEvent&) {
  if (SitesPanel* sites = Sites()) sites->OnSubscribeChatRoom(GetURL());
}

void SitePanel::OnSiteLabelClicked(wxMouseEvent&) {
  if (SitesPanel* sites = Sites()) sites->OnSubscribeChatRoom(GetURL());
}

void SitePanel::OnCommentsClicked(wxMouseEvent&) {
  if (SitesPanel* sites = Sites()) sites->OnOpenMessages(GetURL());
}

// ---- Removal.

SitePanel::Busy::Busy(SitePanel* panel) : m_panel(panel) { ++panel->m_busy; }

SitePanel::Busy::~Busy() {
  if (m_panel) m_panel->EndBusy();
}

void SitePanel::EndBusy() {
  if (--m_busy > 0) return;
  if (!m_graveyard.empty()) CallAfter(&SitePanel::DisposeLater);
  if (m_retired)
    if (SitesPanel* sites = Sites()) sites->DestroyLater(this);
}

void SitePanel::Retire() {
  m_retired = true;
  m_blinkTimer.Stop();
  if (m_siteToolTip) m_siteToolTip->Hide();
  HideContactToolTip();
  if (m_siteInfoFrame) m_siteInfoFrame->Hide();
  Hide();
  if (!IsBusy()) Destroy();
}
