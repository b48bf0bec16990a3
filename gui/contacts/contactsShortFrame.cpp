// The contacts manager window: its layout, showing it, the connection's effect on its buttons,
// the sorting of the contacts list and its two links.
#include "gui/contacts/contactsShortFrame.h"

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/intl.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "core/application.h"
#include "gui/contacts/contactsHost.h"
#include "gui/webBrowser.h"
#include "model/config.h"
#include "model/log.h"

namespace {

const int ID_LOGIN = wxWindow::NewControlId();
const int ID_INVITE = wxWindow::NewControlId();
const int ID_GROUPS = wxWindow::NewControlId();
const int ID_ADD_GROUP = wxWindow::NewControlId();
const int ID_REMOVE_GROUP = wxWindow::NewControlId();
const int ID_RENAME_GROUP = wxWindow::NewControlId();
// One id for all five sorting choices.
const int ID_SORT = wxWindow::NewControlId();

// A blue text that opens a page when clicked.
wxStaticText* AddLink(wxWindow* parent, const wxString& label) {
  auto* link = new wxStaticText(parent, wxID_ANY, label);
  link->SetForegroundColour(*wxBLUE);
  link->SetCursor(wxCursor(wxCURSOR_HAND));
  return link;
}

}  // namespace

wxBEGIN_EVENT_TABLE(ContactsShortFrame, MyMiniFrame)
  EVT_TEXT(ID_LOGIN, ContactsShortFrame::OnLoginChanged)
  EVT_TEXT_ENTER(ID_LOGIN, ContactsShortFrame::OnMessageEnter)
  EVT_BUTTON(ID_INVITE, ContactsShortFrame::OnAddContact)
  EVT_COMBOBOX(ID_GROUPS, ContactsShortFrame::OnChangeGroup)
  EVT_BUTTON(ID_ADD_GROUP, ContactsShortFrame::OnAddGroup)
  EVT_BUTTON(ID_REMOVE_GROUP, ContactsShortFrame::OnRemoveGroup)
  EVT_BUTTON(ID_RENAME_GROUP, ContactsShortFrame::OnRenameGroup)
  EVT_RADIOBUTTON(ID_SORT, ContactsShortFrame::OnSortChanged)
wxEND_EVENT_TABLE()

ContactsShortFrame::ContactsShortFrame(wxWindow* parent, Manager* manager, ContactsHost* host)
    : MyMiniFrame(parent, _("Parlavoxers management")), m_manager(manager), m_host(host) {
  TRACE_START();
  SetName("contactsManager");
  wxSizer* sizer = GetSizer();
  BuildInviteBox(sizer);
  BuildOrganisationBox(sizer);
  BuildRequestsBox(sizer);
  BuildSwitchesBox(sizer);
  wxStaticText* help = AddLink(this, _("Help?"));
  help->Bind(wxEVT_LEFT_UP, &ContactsShortFrame::OnHelp, this);
  sizer->Add(help, 0, wxALIGN_RIGHT | wxRIGHT | wxBOTTOM, 8);
  SetAutoLayout(true);
  sizer->SetSizeHints(this);
  sizer->Fit(this);
  Layout();
  TRACE_END();
}

ContactsShortFrame::~ContactsShortFrame() = default;

void ContactsShortFrame::BuildInviteBox(wxSizer* frameSizer) {
  auto* box = new wxStaticBoxSizer(wxVERTICAL, this, _("Add new contacts"));
  frameSizer->Add(box, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 8);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  box->Add(row, 0, wxEXPAND | wxTOP, 4);
  row->Add(new wxStaticText(this, wxID_ANY, _("Login or email:")), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  m_loginField = new wxTextCtrl(this, ID_LOGIN, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxTE_PROCESS_ENTER);
  m_loginField->SetToolTip(_("Invite a Parlavoxer with his/her Parlavox login or by email"));
  m_loginField->SetName("login");
  row->Add(m_loginField, 1, wxLEFT | wxRIGHT, 4);
  m_inviteButton = new wxButton(this, ID_INVITE, _("Check and invite"), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  m_inviteButton->Disable();
  row->Add(m_inviteButton, 0, wxALIGN_CENTER_VERTICAL, 0);
  box->Add(4, 4);
  wxStaticText* website = AddLink(this, _("Click here to go to our website for advanced research functions"));
  website->Bind(wxEVT_LEFT_UP, &ContactsShortFrame::OnGoToWebsite, this);
  box->Add(website, 0, 0, 0);
  m_loginField->SetFocus();
}

void ContactsShortFrame::BuildOrganisationBox(wxSizer* frameSizer) {
  auto* box = new wxStaticBoxSizer(wxVERTICAL, this, _("Contacts organisation"));
  frameSizer->Add(box, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 8);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  box->Add(row, 0, wxEXPAND | wxTOP | wxBOTTOM, 4);
  row->Add(new wxStaticText(this, wxID_ANY, _("Groups:")), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  m_groupsCombo = new wxComboBox(this, ID_GROUPS, wxEmptyString, wxDefaultPosition, wxDefaultSize, 0, nullptr,
                                 wxCB_DROPDOWN | wxCB_READONLY);
  m_groupsCombo->SetName("groups");
  row->Add(m_groupsCombo, 1, wxLEFT | wxRIGHT, 4);
  m_addGroupButton = new wxButton(this, ID_ADD_GROUP, _("Add"), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  row->Add(m_addGroupButton, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  m_renameGroupButton =
      new wxButton(this, ID_RENAME_GROUP, _("Rename"), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  m_renameGroupButton->Disable();
  row->Add(m_renameGroupButton, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  m_removeGroupButton =
      new wxButton(this, ID_REMOVE_GROUP, _("Remove"), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  m_removeGroupButton->Disable();
  row->Add(m_removeGroupButton, 0, wxALIGN_CENTER_VERTICAL, 0);
  UpdateGroups();
  m_groupsCombo->SetSelection(0);
  BuildSortingGrid(box);
}

void ContactsShortFrame::BuildSortingGrid(wxSizer* box) {
  auto* grid = new wxFlexGridSizer(2, 4, 4, 2);
  box->Add(grid, 0, wxEXPAND, 0);
  grid->Add(new wxStaticText(this, wxID_ANY, _("Classify by groups:")), 1, wxALIGN_CENTER_VERTICAL, 0);
  m_classifyYes = new wxRadioButton(this, ID_SORT, _("Yes"), wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
  grid->Add(m_classifyYes, 0, 0, 0);
  m_classifyNo = new wxRadioButton(this, ID_SORT, _("No"));
  grid->Add(m_classifyNo, 1, wxEXPAND, 0);
  grid->Add(new wxStaticText(this, wxID_ANY, wxEmptyString));
  const Config* config = Config::GetInstance();
  (config->GetGroupMode() == 0 ? m_classifyNo : m_classifyYes)->SetValue(true);
  grid->Add(new wxStaticText(this, wxID_ANY, _("Display offline Parlavoxers:")), 1, wxALIGN_CENTER_VERTICAL, 0);
  m_offlineInside =
      new wxRadioButton(this, ID_SORT, _("Inside their group"), wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
  m_offlineSeparate = new wxRadioButton(this, ID_SORT, _("In a separate group"));
  m_offlineNo = new wxRadioButton(this, ID_SORT, _("No"));
  for (wxRadioButton* choice : {m_offlineInside, m_offlineSeparate, m_offlineNo}) grid->Add(choice, 0, 0, 0);
  // A value from elsewhere leaves the group's first choice shown (a radio group always shows
  // one), and nothing is stored until the user picks.
  switch (config->GetGroupOffline()) {
    case 0: m_offlineNo->SetValue(true); break;
    case 1: m_offlineSeparate->SetValue(true); break;
    case 2: m_offlineInside->SetValue(true); break;
    default: break;
  }
}

bool ContactsShortFrame::Show(bool show) {
  TRACE_START_ARGS("%d", show ? 1 : 0);
  if (show) {
    m_loginField->SetFocus();
    UpdateGroups();
    GetSizer()->Fit(this);
    Layout();
  }
  const bool result = MyMiniFrame::Show(show);
  // The window is opened to type a login: the field keeps the keyboard.
  if (show) m_loginField->SetFocus();
  TRACE_END();
  return result;
}

void ContactsShortFrame::SetConnectionStatus(bool connected) {
  TRACE_START_ARGS("%d", connected ? 1 : 0);
  m_inviteButton->Enable(connected && !m_loginField->GetValue().empty());
  if (!connected) {
    m_removeGroupButton->Disable();
    m_renameGroupButton->Disable();
    RemoveContactEvents();
  }
  TRACE_END();
}

void ContactsShortFrame::OnSortChanged(wxCommandEvent&) {
  TRACE_START();
  Config* config = Config::GetInstance();
  if (m_classifyNo->GetValue()) config->SetGroupMode(0);
  else if (m_classifyYes->GetValue()) config->SetGroupMode(1);
  if (m_offlineNo->GetValue()) config->SetGroupOffline(0);
  else if (m_offlineSeparate->GetValue()) config->SetGroupOffline(1);
  else if (m_offlineInside->GetValue()) config->SetGroupOffline(2);
  GroupsChanged();
  TRACE_END();
}

void ContactsShortFrame::OnGoToWebsite(wxMouseEvent&) {
  std::string site = m_manager->GetWebSiteURL();
  while (!site.empty() && site.back() == '/') site.pop_back();
  browser::Open(site + "/common/invite/index.php?token=" + browser::EscapeQueryValue(m_manager->GetWebToken()));
}

void ContactsShortFrame::OnHelp(wxMouseEvent&) { browser::OpenUserGuide("contactsmanager"); }

// The main window rebuilds every list of groups, this one included.
void ContactsShortFrame::GroupsChanged() {
  if (m_host) m_host->UpdatePrivateContactsGroups();
  else UpdateGroups();
}
