// The main window's side of connecting: the commands of the tool bar and the tray icon.
#include "core/application.h"
#include "gui/aboutFrame.h"
#include "gui/mainFrame.h"
#include "model/config.h"
#include "model/log.h"

void MainFrame::Connect(bool flag) {
  TRACE_INFO("connect %d", int(flag));
  if (!m_manager->IsDisconnected() || !m_manager->CanConnect()) return;
  Config* config = Config::GetInstance();
  ContactInfo* own = config->GetContactInfo();
  m_manager->Connect(own ? own->GetLogin() : std::string(), config->GetPassword(), config->IsPasswordSaved(),
                     config->GetHostname(), config->GetPort(), config->IsSSLEnabled(), false);
}

void MainFrame::OnConnect(wxCommandEvent&) { Connect(false); }
void MainFrame::OnDisconnect(wxCommandEvent&) { OnSwitchConnection(false); }

void MainFrame::OnSwitchConnection(bool flag) {
  if (!m_manager->IsConnected()) {
    Connect(flag);
    return;
  }
  m_manager->Disconnect(false, true);
}

void MainFrame::OnAbout(wxCommandEvent&) {
  if (m_about) m_about->Show();
}
