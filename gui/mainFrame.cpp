#include "gui/mainFrame.h"

#include <wx/bitmap.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/sizer.h>
#include <wx/splitter.h>
#include <wx/statbmp.h>
#include <wx/utils.h>

#include "core/application.h"
#include "gui/aboutFrame.h"
#include "gui/contacts/contactsPanel.h"
#include "gui/contacts/contactsShortFrame.h"
#include "gui/loginDialog.h"
#include "gui/myTaskBar.h"
#include "gui/nicknamePanel.h"
#include "gui/notifyFrame.h"
#include "gui/preferencesFrame.h"
#include "gui/profiles/contactInfoFrame.h"
#include "gui/profiles/contactInfoToolTip.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/rooms/filesFrame.h"
#include "gui/sites/sitesPanel.h"
#include "gui/sites/webSitesShortFrame.h"
#include "gui/toolBar.h"
#include "gui/webBrowser.h"
#include "gui/windowIcon.h"
#include "model/config.h"
#include "model/log.h"
#include "model/stringConversion.h"
#include "widgets/idlePass.h"
#include "widgets/keptOnTop.h"

namespace {
MainFrame* g_instance = nullptr;
const wxWindowID kMainWindowId = wxWindow::NewControlId();
}  // namespace

MainFrame::MainFrame(Manager* manager, const wxString& title, const wxPoint& pos, const wxSize& size)
    : wxFrame(nullptr, kMainWindowId, title, pos, size, wxDEFAULT_FRAME_STYLE),
      m_manager(manager),
      m_idleTimer(this, kIdleTimerId),
      m_connectTimer(this, kConnectTimerId),
      m_closeRetry(this, kCloseRetryId) {
  TRACE_INFO("START");
  // After each turn of the event loop the tool kit visits every window, and sends each an idle
  // event and an update-UI event: with hundreds of windows that pass cost more than the turn's
  // own work. Only the windows that ask for them get them (see ConversationDisplay).
  wxIdleEvent::SetMode(wxIDLE_PROCESS_SPECIFIED);
  wxUpdateUIEvent::SetMode(wxUPDATE_UI_PROCESS_SPECIFIED);
  OpenModalDialogs();
  keptOnTop::Follow(this);
  SetProgramIcon(this);
  SetBackgroundColour(*wxWHITE);
  NotifyFrame::CreateInstance(this);
  CreateSatellites();
  CreateContent();
  m_taskBar = new MyTaskBar(this);
  SetConnected(false);
  const wxPoint mouse = wxGetMousePosition();
  m_lastMouseX = mouse.x;
  m_lastMouseY = mouse.y;
  g_instance = this;
  ContactsHost::SetCurrent(this);
  ProfilesHost::SetCurrent(this);
  BindEvents();
  ContactInfoToolTip::InstallForRows();
  ContactInfoFrame::CreateContactInfoFor(this, this, manager, manager->GetLogin(), true);
  PushEventHandler(manager);
  m_managerPushed = true;
  TRACE_INFO("END");
}

bool MainFrame::SendIdleEvents(wxIdleEvent& event) { return idlePass::SendToShown(this, event); }

MainFrame::~MainFrame() {
  m_idleTimer.Stop();
  m_connectTimer.Stop();
  m_closeRetry.Stop();
  m_trayWatch.Stop();
  // The controller outlives the window: take it off the chain, never delete it.
  if (m_managerPushed) PopEventHandler(false);
  delete m_taskBar;
  if (g_instance == this) g_instance = nullptr;
  if (ContactsHost::Current() == this) ContactsHost::SetCurrent(nullptr);
  if (ProfilesHost::Current() == this) ProfilesHost::SetCurrent(nullptr);
}

MainFrame* MainFrame::GetInstance() { return g_instance; }

void MainFrame::CreateSatellites() {
  m_sitesManager = new WebSitesShortFrame(this, m_manager);
  m_contactsManager = new ContactsShortFrame(this, m_manager, this);
  m_preferences = new PreferencesFrame(this, m_manager, this);
  m_about = new AboutFrame(this);
}

void MainFrame::CreateContent() {
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  m_nicknamePanel = new NicknamePanel(m_manager, this, this);
  m_splitter = new wxSplitterWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSP_3D, "splitter");
  m_splitter->SetMinimumPaneSize(12);
  m_contactsPanel = new ContactsPanel(m_manager, m_splitter, this, this);
  m_sitesPanel = new SitesPanel(m_manager, m_splitter, this);
  m_sitesPanel->Hide();

  Config* config = Config::GetInstance();
  ContactInfo* own = config->GetContactInfo();
  m_loginPanel = new LoginDialog(m_splitter, this, own ? own->GetLogin() : std::string(), config->GetPassword(),
                                 config->IsPasswordSaved(), config->GetHostname(), config->GetPort(),
                                 config->IsSSLEnabled());
  m_splitter->SplitHorizontally(m_contactsPanel, m_loginPanel, 0);

  m_toolBar = new ToolBar(m_manager, this, this);
  m_chatRooms = new ChatRoomsNotebook(m_manager, this, this);
  m_files = new FilesFrame(this, m_manager);
  TRACE_INFO("Bottom");
  CreateBanner();

  sizer->Add(m_nicknamePanel, 0, wxEXPAND, 0);
  sizer->Add(m_toolBar, 0, wxEXPAND | wxLEFT, 4);
  sizer->Add(m_splitter, 1, wxEXPAND | wxALL, 0);
  sizer->Add(m_banner, 0, wxALIGN_RIGHT | wxALL, 1);
  SetSizer(sizer);
}

void MainFrame::CreateBanner() {
  wxBitmap picture;
  const wxString path = std2wx(Config::GetImagePath("parlavox.png"));
  if (wxFileExists(path)) picture.LoadFile(path, wxBITMAP_TYPE_PNG);
  m_banner = new wxStaticBitmap(this, wxID_STATIC, picture.IsOk() ? picture : wxNullBitmap);
  m_banner->Bind(wxEVT_LEFT_DOWN, &MainFrame::OnClickBanner, this);
  m_banner->SetCursor(wxCursor(wxCURSOR_HAND));
}

void MainFrame::OnClickBanner(wxMouseEvent&) {
  TRACE_STARTEND();
  browser::Open(m_manager->GetWebSiteURL());
}

void MainFrame::StartConnectTimer(int ms) { m_connectTimer.StartOnce(ms); }

