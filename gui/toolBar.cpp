#include "gui/toolBar.h"

#include <wx/bmpbuttn.h>
#include <wx/intl.h>
#include <wx/sizer.h>

#include "gui/toolBarCommands.h"
#include "gui/pictures.h"
#include "model/log.h"

namespace {

enum {
  ID_CHATROOMS = wxID_HIGHEST + 201,
  ID_CONNECTION,
  ID_WEBSITES_MANAGER,
  ID_CONTACTS_MANAGER,
  ID_PREFERENCES,
  ID_FILES,
  ID_ABOUT,
  ID_EXIT,
  ID_BLINK_TIMER,
};

constexpr int kBlinkPeriodMs = 500;

}  // namespace

ToolBar::ToolBar(Manager* manager, wxWindow* parent, ToolBarCommands* commands)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER),
      m_manager(manager),
      m_commands(commands),
      m_blinkTimer(this, ID_BLINK_TIMER) {
  TRACE_START();
  m_disconnectedBitmap = pictures::Load("disconnect.png");
  m_connectedBitmap = pictures::Load("reconnect.png");
  m_contactsBitmap = pictures::Load("users.png");
  m_contactsBlinkBitmap = pictures::Load("users2.png");
  m_chatBitmap = pictures::Load("chat.png");
  m_noChatBitmap = pictures::Load("nochat.png");
  SetBackgroundColour(*wxWHITE);

  auto* sizer = new wxBoxSizer(wxHORIZONTAL);
  m_connectionButton = AddButton(sizer, ID_CONNECTION, m_disconnectedBitmap, _("Click to connect"), 0);
  sizer->Add(8, 8, 0, 0, 0);
  m_preferencesButton = AddButton(sizer, ID_PREFERENCES, pictures::Load("preferences.png"), _("Show preferences"), 0);
  m_webSitesManagerButton =
      AddButton(sizer, ID_WEBSITES_MANAGER, pictures::Load("configURL.png"), _("Sites manager"), wxBOTTOM);
  m_contactsManagerButton = AddButton(sizer, ID_CONTACTS_MANAGER, m_contactsBitmap, _("Parlavoxers manager"), 0);
  m_filesButton = AddButton(sizer, ID_FILES, pictures::Load("updownload.png"), _("Download/Upload files"), wxBOTTOM);
  m_aboutButton = AddButton(sizer, ID_ABOUT, pictures::Load("about.png"), _("About Parlavox"), wxBOTTOM | wxEXPAND);
  m_exitButton = AddButton(sizer, ID_EXIT, pictures::Load("exit.png"), _("Exit Parlavox"), wxBOTTOM);
  sizer->AddStretchSpacer(1);
  m_chatRoomsButton = AddButton(sizer, ID_CHATROOMS, m_noChatBitmap, _("Show chatrooms"), wxBOTTOM | wxRIGHT);
  m_chatRoomsButton->SetBitmapLabel(m_chatBitmap);
  m_chatRoomsButton->Show(false);
  sizer->Add(4, 4, 0, 0, 0);
  SetSizer(sizer);

  Bind(wxEVT_BUTTON, &ToolBar::OnSwitchChatRooms, this, ID_CHATROOMS);
  Bind(wxEVT_BUTTON, &ToolBar::OnSwitchConnection, this, ID_CONNECTION);
  Bind(wxEVT_BUTTON, &ToolBar::OnSwitchWebSitesManager, this, ID_WEBSITES_MANAGER);
  Bind(wxEVT_BUTTON, &ToolBar::OnSwitchContactsManager, this, ID_CONTACTS_MANAGER);
  Bind(wxEVT_BUTTON, &ToolBar::OnSwitchPreferences, this, ID_PREFERENCES);
  Bind(wxEVT_BUTTON, &ToolBar::OnSwitchFiles, this, ID_FILES);
  Bind(wxEVT_BUTTON, &ToolBar::OnAbout, this, ID_ABOUT);
  Bind(wxEVT_BUTTON, &ToolBar::OnQuit, this, ID_EXIT);
  Bind(wxEVT_TIMER, &ToolBar::OnBlinkTimer, this, ID_BLINK_TIMER);
  TRACE_END();
}

wxBitmapButton* ToolBar::AddButton(wxSizer* sizer, wxWindowID id, const wxBitmap& image, const wxString& tip,
                                   int flags) {
  auto* button = new wxBitmapButton(this, id, image, wxDefaultPosition, wxDefaultSize, wxBU_AUTODRAW | wxNO_BORDER);
  button->SetToolTip(tip);
  sizer->Add(button, 0, flags, (flags & wxBOTTOM) ? 2 : 0);
  return button;
}

void ToolBar::SetConnectionStatus(int connected) {
  TRACE_START_ARGS("%d", connected);
  m_connectionButton->SetBitmapLabel(connected ? m_connectedBitmap : m_disconnectedBitmap);
  m_connectionButton->SetToolTip(connected ? _("Click to disconnect") : _("Click to connect"));
  TRACE_END();
}

void ToolBar::SetChatRoomsCount(int count) {
  TRACE_START_ARGS("%d", count);
  if (count == 0) m_chatRoomsButton->Show(false);
  TRACE_END();
}

void ToolBar::ShowChatRoomsButton(bool show) {
  m_chatRoomsButton->Show(show);
  Layout();
}

void ToolBar::BlinkContactsManager(int count) {
  m_blinkTimer.Start(kBlinkPeriodMs, wxTIMER_CONTINUOUS);
  if (count == -1) m_blinkCount = -1;
  else if (m_blinkCount != -1) m_blinkCount = count;
}

void ToolBar::ShowContactsFrame(bool lit) {
  m_contactsLit = lit;
  m_contactsManagerButton->SetBitmapLabel(lit ? m_contactsBlinkBitmap : m_contactsBitmap);
}

void ToolBar::OnBlinkTimer(wxTimerEvent&) {
  ShowContactsFrame(m_blinkPhase);
  m_blinkPhase = !m_blinkPhase;
  if (m_blinkCount <= 0) return;  // endless until the button is clicked
  if (--m_blinkCount == 0) {
    m_blinkTimer.Stop();
    ShowContactsFrame(false);
  }
}

int ToolBar::GetAboutButtonY() const { return m_aboutButton->GetScreenPosition().y; }
int ToolBar::GetContactsManagerButtonY() const { return m_contactsManagerButton->GetScreenPosition().y; }
int ToolBar::GetWebSitesManagerButtonY() const { return m_webSitesManagerButton->GetScreenPosition().y; }
int ToolBar::GetPreferencesButtonY() const { return m_preferencesButton->GetScreenPosition().y; }

void ToolBar::OnSwitchChatRooms(wxCommandEvent&) {
  TRACE_START();
  m_chatRoomsButton->Show(false);
  Layout();
  m_commands->OnSwitchChatRooms();
  TRACE_END();
}

void ToolBar::OnSwitchConnection(wxCommandEvent&) {
  TRACE_START();
  m_commands->OnSwitchConnection(false);
  TRACE_END();
}

void ToolBar::OnSwitchWebSitesManager(wxCommandEvent&) {
  TRACE_START();
  m_commands->OnSwitchWebSitesManager();
  TRACE_END();
}

void ToolBar::OnSwitchContactsManager(wxCommandEvent&) {
  TRACE_START();
  m_commands->OnSwitchContactsManager();
  m_blinkTimer.Stop();
  m_blinkCount = 0;
  ShowContactsFrame(false);
  m_blinkPhase = true;
  TRACE_END();
}

void ToolBar::OnSwitchPreferences(wxCommandEvent&) {
  TRACE_START();
  m_commands->OnSwitchPreferences();
  TRACE_END();
}

void ToolBar::OnSwitchFiles(wxCommandEvent&) {
  TRACE_START();
  m_commands->OnSwitchFiles();
  TRACE_END();
}

void ToolBar::OnAbout(wxCommandEvent& event) {
  TRACE_START();
  m_commands->OnAbout(event);
  TRACE_END();
}

void ToolBar::OnQuit(wxCommandEvent& event) {
  TRACE_START();
  m_commands->OnQuit(event);
  TRACE_END();
}
