// The site's window: construction, layout and the profile lines.
#include "gui/sites/webSiteInfoFrame.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cmath>

#include "core/application.h"
#include "gui/pictures.h"
#include "gui/sites/myButtonBitmapNotifier.h"
#include "gui/sites/siteText.h"
#include "gui/windowIcon.h"
#include "model/log.h"
#include "model/stringConversion.h"
#include "model/urlInfo.h"
#include "widgets/focusReturn.h"
#include "widgets/keptOnTop.h"

namespace {

const wxWindowID kSaveId = wxWindow::NewControlId();
const wxWindowID kCancelId = wxWindow::NewControlId();

// A grade from the network may be anything: only 0 to 10 is a grade.
bool IsGrade(float grade) { return std::isfinite(grade) && grade >= 0 && grade <= 10; }

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(WebSiteInfoFrame, wxFrame)
  EVT_CLOSE(WebSiteInfoFrame::OnClose)
  EVT_SET_FOCUS(WebSiteInfoFrame::OnSetFocus)
  EVT_BUTTON(kSaveId, WebSiteInfoFrame::OnSave)
  EVT_BUTTON(kCancelId, WebSiteInfoFrame::OnCancel)
wxEND_EVENT_TABLE()
// clang-format on

const char* const WebSiteInfoFrame::kKeys[kSwitchCount] = {
    "open-visual",          "open-bell",          "close-visual",
    "close-bell",           "subscribe-visual",   "subscribe-bell",
    "unsubscribe-visual",   "unsubscribe-bell",   "open-visual-contact",
    "open-bell-contact",    "close-visual-contact", "close-bell-contact",
    "subscribe-visual-contact", "subscribe-bell-contact", "unsubscribe-visual-contact",
    "unsubscribe-bell-contact", "message-visual-contact", "message-bell-contact"};

WebSiteInfoFrame::WebSiteInfoFrame(wxWindow* parent, Manager* manager, const std::string& url, bool editor)
    : wxFrame(parent, wxID_ANY, wxEmptyString), m_url(url), m_manager(manager), m_editor(editor) {
  TRACE_START_ARGS("%s", url.c_str());
  SetTitle(_("Configuration of ") + siteText::Shown(m_manager->GetChatRoomName(m_url)));
  SetProgramIcon(this);
  keptOnTop::Follow(this);
  focusReturn::Keep(this);
  SetBackgroundColour(*wxWHITE);
  const URLInfo* site = m_manager->GetURLInfo(m_url);
  m_notifications = site->GetNotifications();

  m_sizer = new wxBoxSizer(wxVERTICAL);
  SetSizer(m_sizer);
  BuildProfile(*site);

  m_popupBitmap = pictures::Load("popup.png", 16);
  m_bellBitmap = pictures::Load("bell.png", 16);
  m_emptyPopupBitmap = pictures::Load("emptypopup.png", 16);
  m_emptyBellBitmap = pictures::Load("emptybell.png", 16);
  m_popupDefBitmap = pictures::Load("popupdef.png", 16);
  m_bellDefBitmap = pictures::Load("belldef.png", 16);
  BuildSwitchBoxes();

  m_saveButton = new wxButton(this, kSaveId, _("&Save"), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  m_saveButton->Enable(false);
  m_cancelButton = new wxButton(this, kCancelId, _("&Cancel"), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  m_cancelButton->Enable(false);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(m_saveButton, 0, wxRIGHT | wxBOTTOM, 8);
  buttons->Add(m_cancelButton, 0, wxRIGHT | wxBOTTOM, 8);
  m_sizer->Add(buttons, 0, wxALIGN_RIGHT | wxTOP | wxRIGHT, 8);

  auto* help = new wxStaticText(this, wxID_ANY, _("Help?"));
  help->SetForegroundColour(*wxBLUE);
  help->SetCursor(wxCursor(wxCURSOR_HAND));
  help->Bind(wxEVT_LEFT_UP, &WebSiteInfoFrame::OnHelp, this);
  m_sizer->Add(help, 0, wxALIGN_RIGHT | wxRIGHT | wxBOTTOM, 8);

  m_sizer->SetSizeHints(this);
  m_sizer->Fit(this);
  TRACE_END();
}

WebSiteInfoFrame::~WebSiteInfoFrame() { TRACE_STARTEND(); }

void WebSiteInfoFrame::BuildProfile(const URLInfo& site) {
  auto* profile = new wxStaticBoxSizer(wxVERTICAL, this, _("Profile"));
  m_sizer->Add(profile, 0, wxEXPAND, 0);
  m_siteLabel = new wxStaticText(this, wxID_ANY, wxEmptyString);
  // The name may hold "&" (a query string): shown as it is, not as a mnemonic.
  m_siteLabel->SetLabelText(siteText::Shown(m_manager->GetChatRoomName(m_url)));
  m_siteLabel->SetFont(wxFont(wxFontInfo(10).Family(wxFONTFAMILY_SWISS).Bold()));
  ShowSiteStatus(site.GetStatus());
  profile->Add(m_siteLabel, 1, wxALIGN_CENTER, 0);
  profile->AddSpacer(4);
  m_nbrUsersLabel = new wxStaticText(this, wxID_ANY, wxEmptyString);
  SetNbrUsers(site.GetNbrUsers(), ChatRoomUsers(site));
  profile->Add(m_nbrUsersLabel, 1, wxALIGN_CENTER | wxLEFT | wxRIGHT, 15);
  m_gradeLabel = new wxStaticText(this, wxID_ANY, wxEmptyString);
  SetGrade(static_cast<float>(site.GetUserGrade()), site.GetGrade());
  profile->Add(m_gradeLabel, 1, wxALIGN_CENTER | wxLEFT | wxRIGHT, 15);
  m_sizer->AddSpacer(8);
}

void WebSiteInfoFrame::ShowSiteStatus(int status) {
  switch (status) {
    case SITE_BLOCKED:
      m_siteLabel->SetForegroundColour(*wxLIGHT_GREY);
      m_siteLabel->SetToolTip(_("You blocked this site. Open sites manager if you want to unblock it"));
      break;
    case SITE_OPEN:
      m_siteLabel->SetForegroundColour(*wxBLUE);
      m_siteLabel->UnsetToolTip();
      break;
    case SITE_DEFAULT:
      m_siteLabel->SetForegroundColour(m_manager->GetDefaultSiteStatus() == SITE_OPEN ? *wxBLUE : *wxLIGHT_GREY);
      m_siteLabel->SetToolTip(_("Default status"));
      break;
    default:
      m_siteLabel->UnsetToolTip();
      break;
  }
}

void WebSiteInfoFrame::BuildSwitchBoxes() {
  auto grid = [] {
    auto* g = new wxFlexGridSizer(3, 3, 0);
    g->AddGrowableCol(0, 1);
    return g;
  };
  auto* own = new wxStaticBoxSizer(wxHORIZONTAL, this, _("Notifications when you..."));
  m_sizer->Add(own, 0, wxEXPAND | wxALL, 2);
  wxFlexGridSizer* grid1 = grid();
  wxFlexGridSizer* grid2 = grid();
  own->Add(grid1, 1, wxEXPAND | wxLEFT | wxRIGHT, 2);
  own->AddSpacer(16);
  own->Add(grid2, 1, wxEXPAND | wxLEFT | wxRIGHT, 2);
  auto* others = new wxStaticBoxSizer(wxHORIZONTAL, this, _("Notifications when a Parlavoxer..."));
  m_sizer->Add(others, 0, wxEXPAND | wxALL, 2);
  wxFlexGridSizer* grid3 = grid();
  wxFlexGridSizer* grid4 = grid();
  others->Add(grid3, 1, wxEXPAND | wxLEFT | wxRIGHT, 2);
  others->AddSpacer(16);
  others->Add(grid4, 1, wxEXPAND | wxLEFT | wxRIGHT, 2);

  const int left = wxLEFT, right = wxALIGN_RIGHT | wxLEFT;
  AddSwitchRow(grid1, _("Open this site:"), "open", false, 0, wxALIGN_CENTER_VERTICAL, left, left);
  AddSwitchRow(grid1, _("Subscribe to the chatroom:"), "subscribe", false, 0, wxALIGN_CENTER_VERTICAL, left, left);
  AddSwitchRow(grid2, _("Close this site:"), "close", false, 1, wxALIGN_CENTER_VERTICAL, right, right);
  AddSwitchRow(grid2, _("Unsubscribe from the chatroom:"), "unsubscribe", false, 1, wxALIGN_CENTER_VERTICAL, right,
               right);
  AddSwitchRow(grid3, _("Opens this site:"), "open", true, 1, wxALIGN_CENTER_VERTICAL, left, left);
  AddSwitchRow(grid3, _("Subscribes to the chatroom:"), "subscribe", true, 1, wxALIGN_CENTER_VERTICAL, left, left);
  // A label that fills its cell cannot also be centred: wxEXPAND wins.
  AddSwitchRow(grid4, _("Closes this site:"), "close", true, 1, wxEXPAND, left, right);
  AddSwitchRow(grid4, _("Unsubscribes from the chatroom:"), "unsubscribe", true, 1, wxEXPAND, left, left);
  AddSwitchRow(grid3, _("Sends a message:"), "message", true, 1, wxALIGN_CENTER_VERTICAL, left, left);
}

void WebSiteInfoFrame::AddSwitchRow(wxFlexGridSizer* grid, const wxString& text, const std::string& event,
                                    bool contact, int labelProportion, int labelFlags, int visualFlags,
                                    int bellFlags) {
  grid->Add(new wxStaticText(this, wxID_ANY, text), labelProportion, labelFlags, 0);
  const std::string suffix = contact ? "-contact" : "";
  grid->Add(MakeSwitch(event + "-visual" + suffix, true), 0, visualFlags, 4);
  grid->Add(MakeSwitch(event + "-bell" + suffix, false), 0, bellFlags, 4);
}

MyButtonBitmapNotifier* WebSiteInfoFrame::MakeSwitch(const std::string& key, bool visual) {
  auto* notifier = new MyButtonBitmapNotifier(this, *SelectBitmap(key, visual), key);
  notifier->SetToolTip(ToolTipFor(key, visual));
  for (int i = 0; i < kSwitchCount; ++i)
    if (key == kKeys[i]) m_switches[i] = notifier;
  return notifier;
}

MyButtonBitmapNotifier* WebSiteInfoFrame::GetSwitch(const std::string& key) const {
  for (int i = 0; i < kSwitchCount; ++i)
    if (key == kKeys[i]) return m_switches[i];
  return nullptr;
}

void WebSiteInfoFrame::SetGrade(float grade, float average) {
  // 99 means no grade; so does anything else outside 0 to 10 (NaN, negative).
  if (!IsGrade(average))
    m_gradeLabel->SetLabel(_("No grade"));
  else if (IsGrade(grade))
    m_gradeLabel->SetLabel(wxString::Format(_("Your grade : %2.1f/10 (Average : %2.1f/10)"), grade, average));
  else
    m_gradeLabel->SetLabel(wxString::Format(_("No grade (Average : %2.1f/10)"), average));
}

void WebSiteInfoFrame::SetNbrUsers(int nbrUsers, int nbrChatRoomUsers) {
  // The user is one of the site's users; a site nobody was counted on has no other.
  m_nbrUsersLabel->SetLabel(wxString::Format(_("%d Parlavoxers on the site, %d in the chatroom"),
                                             std::max(nbrUsers - 1, 0), std::max(nbrChatRoomUsers, 0)));
}

// The other Parlavoxers now in the site's room, as the controller follows its members; the
// site's record keeps no count of them.
int WebSiteInfoFrame::ChatRoomUsers(const URLInfo& site) const {
  const std::string own = m_manager->GetLogin();
  int members = 0;
  for (const ContactInfo* member : m_manager->GetSubscribedContacts(m_url))
    if (member && member->GetLogin() != own) ++members;
  return std::max(members, site.GetNbrChatRoomUsers());
}

void WebSiteInfoFrame::SetWebSite(const std::string& url) {
  if (m_editor && m_siteField)
    m_siteField->SetValue(std2wx(url));
  else
    m_siteLabel->SetLabelText(std2wx(url));
}

std::string WebSiteInfoFrame::GetWebSite() const {
  if (m_editor && m_siteField) return wx2std(m_siteField->GetValue());
  return wx2std(m_siteLabel->GetLabelText());
}
