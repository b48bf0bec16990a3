// The user's own presence: the five presence commands, the switch to "inactive" while the
// pointer stays still and back to online when it moves.
#include <wx/utils.h>

#include "core/application.h"
#include "gui/mainFrame.h"
#include "gui/myTaskBar.h"
#include "gui/nicknamePanel.h"
#include "model/config.h"
#include "model/log.h"

namespace {

// Seconds the idle count grows by at each tick of the idle timer.
constexpr int kIdleTickSeconds = 5;

wxPoint ScreenPointer() { return wxGetMousePosition(); }

}  // namespace

std::function<wxPoint()> MainFrame::s_pointerPosition = ScreenPointer;

void MainFrame::ChangeStatus(t_status status, bool show) {
  if (!show) return;
  if (m_taskBar) m_taskBar->SetStatus(status);
  if (m_nicknamePanel) m_nicknamePanel->SetStatus(status);
}

void MainFrame::SetOwnStatus(t_status status) {
  ChangeStatus(status, true);
  m_manager->ChangeStatus(status);
  if (m_nicknamePanel) m_nicknamePanel->SetStatus(status);
}

void MainFrame::OnStatusOffline(wxCommandEvent&) { SetOwnStatus(STATUS_OFFLINE); }
void MainFrame::OnStatusOnline(wxCommandEvent&) { SetOwnStatus(STATUS_ONLINE); }
void MainFrame::OnStatusNoActivity(wxCommandEvent&) { SetOwnStatus(STATUS_NO_ACTIVITY); }
void MainFrame::OnStatusAway(wxCommandEvent&) { SetOwnStatus(STATUS_AWAY); }
void MainFrame::OnStatusBusy(wxCommandEvent&) { SetOwnStatus(STATUS_BUSY); }

void MainFrame::OnIdleTimer(wxTimerEvent&) {
  const wxPoint pointer = s_pointerPosition();
  if (pointer.x == m_lastMouseX && pointer.y == m_lastMouseY) {
    m_inactivity += kIdleTickSeconds;
    if (m_inactivity <= Config::GetInstance()->GetNoActivityTimer()) return;
    m_inactivity = 0;
    if (m_manager->GetStatus() != STATUS_ONLINE) return;
    ChangeStatus(STATUS_NO_ACTIVITY, true);
    m_manager->ChangeStatus(STATUS_NO_ACTIVITY);
    m_automaticAway = 1;
    return;
  }
  m_lastMouseX = pointer.x;
  m_lastMouseY = pointer.y;
  NoteActivity();
}

void MainFrame::NoteActivity() {
  m_inactivity = 0;
  if (m_manager->GetStatus() != STATUS_NO_ACTIVITY || m_automaticAway != 1) return;
  ChangeStatus(STATUS_ONLINE, true);
  m_manager->ChangeStatus(STATUS_ONLINE);
  m_automaticAway = 0;
}
