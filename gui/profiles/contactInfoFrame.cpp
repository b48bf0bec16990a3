// The profile window: building it, Save, Cancel, closing, help, and the calls the main window
// makes on one window.
#include "gui/profiles/contactInfoFrame.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/icon.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include "core/application.h"
#include "gui/profiles/contactInfoPanel.h"
#include "gui/profiles/messengersList.h"
#include "gui/profiles/profilesHost.h"
#include "gui/webBrowser.h"
#include "model/config.h"
#include "model/contactInfo.h"
#include "model/log.h"
#include "model/stringConversion.h"
#include "model/version.h"
#include "widgets/focusReturn.h"
#include "widgets/keptOnTop.h"
#include "widgets/shownText.h"

ContactInfoFrame::ContactInfoFrame(wxFrame* parent, ProfilesHost* host, Manager* manager, const std::string& login,
                                   ContactInfo& info, bool mine)
    : wxFrame(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
              wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxRESIZE_BORDER | wxCLIP_CHILDREN),
      m_host(host),
      m_manager(manager),
      m_login(login),
      m_mine(mine),
      m_notifications(info.GetNotifications()) {
  TRACE_START_ARGS("%s, %d", login.c_str(), mine ? 1 : 0);
  const wxString icon = std2wx(Config::GetPath() + "Parlavox.ico");
  if (wxFileExists(icon)) SetIcon(wxIcon(icon, wxBITMAP_TYPE_ICO));
  m_privateContact = manager->HasContact(login);
  SetTitle(mine ? _("My profile") : shown::OneLine(info.GetNickname(), 60) + _(": public information and parameters"));
  SetBackgroundColour(*wxWHITE);
  keptOnTop::Follow(this);
  focusReturn::Keep(this);
  auto* main = new wxBoxSizer(wxVERTICAL);
  SetSizer(main);
  BuildProfileBox(main, info);
  BuildSwitches(main, info);
  BuildButtons(main);
  if (mine) BuildMessengersBox(main);
  auto* help = new wxStaticText(this, wxID_ANY, _("Help?"));
  help->SetForegroundColour(*wxBLUE);
  help->SetCursor(wxCursor(wxCURSOR_HAND));
  help->Bind(wxEVT_LEFT_UP, &ContactInfoFrame::OnHelp, this);
  main->Add(help, 0, wxALIGN_RIGHT | wxBOTTOM | wxRIGHT, 8);
  Bind(wxEVT_CLOSE_WINDOW, &ContactInfoFrame::OnClose, this);
  SetAutoLayout(true);
  main->SetSizeHints(this);
  main->Fit(this);
  Layout();
  TRACE_END();
}

ContactInfoFrame::~ContactInfoFrame() {
  TRACE_START_ARGS("%s", m_login.c_str());
  // However it goes, the set of open windows no longer points to it.
  TakeOutOfSet();
  TRACE_END();
}

void ContactInfoFrame::BuildProfileBox(wxSizer* main, ContactInfo& info) {
  auto* box = new wxStaticBoxSizer(wxVERTICAL, this, _("Profile"));
  main->Add(box, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);
  m_panel = new ContactInfoPanel(this, m_manager, info, m_mine, true);
  box->Add(m_panel, 0, wxEXPAND, 0);
}

void ContactInfoFrame::BuildButtons(wxSizer* main) {
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  m_saveButton = new wxButton(this, wxID_ANY, _("&Save"), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  m_cancelButton = new wxButton(this, wxID_ANY, _("&Cancel"), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  m_saveButton->Bind(wxEVT_BUTTON, &ContactInfoFrame::OnSave, this);
  m_cancelButton->Bind(wxEVT_BUTTON, &ContactInfoFrame::OnCancel, this);
  for (wxButton* button : {m_saveButton, m_cancelButton}) {
    button->Disable();
    row->Add(button, 0, wxBOTTOM | wxRIGHT, 8);
  }
  main->Add(row, 0, wxALIGN_RIGHT | wxBOTTOM | wxRIGHT, 4);
}

// The list of the user's accounts on other networks goes into this box; it keeps its place at
// its least height even while the list is empty.
void ContactInfoFrame::BuildMessengersBox(wxSizer* main) {
  m_messengersBox = new wxStaticBoxSizer(wxHORIZONTAL, this, _("Your other messengers:"));
  main->Add(m_messengersBox, 1, wxEXPAND | wxALL, 8);
  m_messengersBox->SetMinSize(wxSize(-1, 200));
  m_messengers = new MessengersList(this, m_manager, wxEmptyString, wxDefaultPosition, wxSize(-1, 200));
  m_messengers->SetMinSize(wxSize(-1, 200));
  m_messengersBox->Add(m_messengers, 1, wxEXPAND, 0);
  for (MessengerInfo* account : m_manager->GetMessengers()) m_messengers->AddMessenger(account);
}

void ContactInfoFrame::EnableButtons(bool enable) {
  m_saveButton->Enable(enable);
  m_cancelButton->Enable(enable);
}

// A group waits only when one was chosen; it is applied when it differs from the record's, and
// only the controller (connected, own network) files the contact.
bool ContactInfoFrame::ApplyChosenGroup() {
  if (m_mine || !m_chosenGroup) return true;
  ContactInfo* record = m_manager->GetContactInfo(m_login);
  if (*m_chosenGroup == record->GetGroup()) return true;
  if (m_host) m_host->UpdateGroup(m_login, *m_chosenGroup);
  else m_manager->UpdateGroup(m_login, *m_chosenGroup);
  return record->GetGroup() == *m_chosenGroup;
}

void ContactInfoFrame::OnSave(wxCommandEvent&) {
  TRACE_START_ARGS("%s", m_login.c_str());
  ContactInfo* record = m_manager->GetContactInfo(m_login);
  const std::map<std::string, bool> before = record->GetNotifications();
  record->SetNotifications(m_notifications);
  if (m_mine) m_panel->Reset();
  bool saved = Config::GetInstance()->Save();
  bool filed = true;
  if (!saved) {
    // Nothing of a save that failed stays in the record; the window keeps the user's choice
    // (switches and group) for a later Save or Cancel.
    record->SetNotifications(before);
  } else {
    // The group goes to the server only with settings that were written, then into the file too.
    const std::string groupBefore = record->GetGroup();
    filed = ApplyChosenGroup();
    if (filed) m_chosenGroup.reset();
    if (record->GetGroup() != groupBefore) saved = Config::GetInstance()->Save();
  }
  if (saved && filed) {
    EnableButtons(false);
    PutAway();
    TRACE_END();
    return;
  }
  ModalGuard guard(this);
  if (!saved) {
    TRACE_INFO("Error: not saved");
    wxMessageBox(_("Impossible to save your current configuration in ") + std2wx(Config::GetUserPath()) +
                     "parlavox.xml.",
                 _("Save error"), wxOK | wxICON_ERROR, nullptr);
  } else {
    wxMessageBox(_("The group could not be changed: you are not connected."), _("Group not changed"),
                 wxOK | wxICON_INFORMATION, this);
  }
  TRACE_END_RESULT("kept open");
}

void ContactInfoFrame::OnCancel(wxCommandEvent&) {
  TRACE_START_ARGS("%s", m_login.c_str());
  m_chosenGroup.reset();
  m_panel->Reset();
  EnableButtons(false);
  PutAway();
  TRACE_END();
}

void ContactInfoFrame::OnClose(wxCloseEvent& event) {
  TRACE_START_ARGS("%s, %d", m_login.c_str(), event.CanVeto() ? 1 : 0);
  m_chosenGroup.reset();
  m_panel->Reset();
  EnableButtons(false);
  if (event.CanVeto() && m_mine) {
    Show(false);
    event.Veto();
  } else {
    TakeDown();
  }
  TRACE_END();
}

// A contact's window lives while it is on screen: put away, it goes, and the next opening makes
// it afresh from the record. Kept hidden, the profiles looked at over a day would pile up, each a
// hundred windows that the tool kit's idle pass visits at every turn. The user's own window,
// made at each log-in, only hides.
void ContactInfoFrame::PutAway() {
  if (m_mine) Show(false);
  else TakeDown();
}

void ContactInfoFrame::OnHelp(wxMouseEvent&) {
  browser::Open(std::string(PARLAVOX_WEBSITE) + "common/help/" + kProgramVersion + "/userguide.php" +
                (m_mine ? "#myprofile" : "#contactprofile"));
}

void ContactInfoFrame::SetConnectionStatus(bool connected) {
  TRACE_START_ARGS("%d", connected ? 1 : 0);
  m_panel->EnableUpdate(connected);
  TRACE_END();
}

void ContactInfoFrame::UpdateGroup(const std::string& group, bool refresh) {
  TRACE_START_ARGS("%s, %d", group.c_str(), refresh ? 1 : 0);
  m_chosenGroup = group;
  EnableButtons(true);
  if (refresh) {
    if (m_host) m_host->UpdatePrivateContactsGroups();
    else UpdateGroups();
  }
  TRACE_END();
}

void ContactInfoFrame::UpdateAvatar() {
  TRACE_START_ARGS("%s", m_login.c_str());
  // Asks the server for the large picture when it is missing; the form shows what is there.
  m_manager->GetAvatar(m_login, false, true, BORDER_SIMPLE, m_manager->GetContactInfo(m_login)->IsBlocked());
  m_panel->UpdateAvatar();
  TRACE_END();
}

void ContactInfoFrame::SetMood(const std::string& mood) {
  TRACE_START_ARGS("%s", mood.c_str());
  m_panel->SetMood(mood);
  TRACE_END();
}

// The accounts list of the own profile shows the account again when it has a row for it.
void ContactInfoFrame::UpdateMessengerInfo(MessengerInfo* account) {
  TRACE_STARTEND();
  if (m_messengers) m_messengers->UpdateMessengerInfo(account);
}
