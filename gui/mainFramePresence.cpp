// The user's own presence: the five presence commands, the switch to "inactive" while the
// pointer stays still and back to online when it moves, and the text and colour of each status.
#include <wx/intl.h>
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

wxString MainFrame::GetStringStatus(t_status status) {
  switch (status) {
    case STATUS_NONE: return _("disconnected");
    case STATUS_OFFLINE: return _("offline");
    case STATUS_ONLINE: return _("online");
    case STATUS_NO_ACTIVITY: return _("inactive");
    case STATUS_AWAY: return _("away");
    case STATUS_BUSY: return _("busy");
  }
  return _("unknown");
}

wxColour MainFrame::GetColourFromStatus(t_status status) {
  switch (status) {
    case STATUS_NONE:
    case STATUS_OFFLINE: return wxColour(120, 120, 120);
    case STATUS_ONLINE: return wxColour(100, 150, 0);
    case STATUS_NO_ACTIVITY: return wxColour(235, 225, 10);
    case STATUS_AWAY: return wxColour(249, 150, 25);
    case STATUS_BUSY: return wxColour(255, 0, 0);
  }
  TRACE_ERROR("Unkwnown status : %d", static_cast<int>(status));
  return *wxBLACK;
}
