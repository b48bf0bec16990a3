// Closing the main window: the program is reduced to the tray, or it exits, as the user answers
// the exit-or-reduce question or chose once for all. A close that cannot be refused (the Quit
// commands, the end of the session) always exits. Without a tray on the desktop, reducing
// iconises the main window, since a hidden window could never be brought back; a tray that goes
// away while the program is reduced to it (the panel ends) brings the window back the same way.
//
// A close is never carried out under a dialog's loop: the dialog's caller still holds it. While
// a question is on screen a close that may be refused is refused (the question comes first);
// one that cannot be refused cancels the open dialogs and comes back once they have returned.
//
// The system's end (a signal, the end of the session) has nobody to answer: it asks nothing,
// destroys nothing, and ends the process once logged out and saved, whatever is open.
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/intl.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/taskbar.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "core/application.h"
#include "gui/appStartup.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/loginDialog.h"
#include "gui/mainFrame.h"
#include "gui/rooms/commentsFrame.h"
#include "gui/myTaskBar.h"
#include "gui/reduceDialog.h"
#include "model/config.h"
#include "model/log.h"
#include "model/processEnd.h"
#include "model/stringConversion.h"
#include "widgets/keptOnTop.h"

namespace {

bool g_exited = false;

// How long a close that cannot be refused waits for the open dialogs to give way.
constexpr std::chrono::milliseconds kDialogsGrace{400};

// Counts the dialogs inside ShowModal: until it returns, the caller of each still holds its
// dialog (often on its stack, with the main window as parent). It keeps them too: a file
// chooser is no top-level window of the toolkit's list, and would not be found there.
class ModalCounter : public wxModalDialogHook {
 public:
  ModalCounter() { Register(); }
  int open = 0;
  std::vector<wxDialog*> dialogs;

 protected:
  int Enter(wxDialog* dialog) override {
    ++open;
    dialogs.push_back(dialog);
    return wxID_NONE;
  }
  void Exit(wxDialog* dialog) override {
    --open;
    auto found = std::find(dialogs.begin(), dialogs.end(), dialog);
    if (found != dialogs.end()) dialogs.erase(found);
  }
};

// Registered before main, so before any other hook: hooks run last registered first, and one
// that answers a dialog itself stops the rest, so the counter runs only for dialogs really shown.
ModalCounter* const g_modalCounter = new ModalCounter;  // lives as long as the program

// Ends every modal dialog of the program with Cancel; true when there was one.
bool CancelModalDialogs() {
  std::vector<wxDialog*> open;
  for (wxWindow* window : wxTopLevelWindows)
    if (auto* dialog = dynamic_cast<wxDialog*>(window)) open.push_back(dialog);
  open.insert(open.end(), g_modalCounter->dialogs.begin(), g_modalCounter->dialogs.end());
  bool any = false;
  for (wxDialog* dialog : open) {
    if (dialog->IsModal()) {
      dialog->EndModal(wxID_CANCEL);
      any = true;
    }
  }
  return any;
}

}  // namespace

int MainFrame::OpenModalDialogs() { return g_modalCounter->open; }

bool MainFrame::HasExited() { return g_exited; }

void MainFrame::OnClose(wxCloseEvent& event) {
  TRACE_START_ARGS("%d", event.CanVeto() ? 1 : 0);
  if (event.CanVeto() && OpenModalDialogs() > 0) {
    event.Veto();
    TRACE_END_RESULT("a question is open");
    return;
  }
  if (!IsIconized()) {
    const wxRect r = GetRect();
    Config::GetInstance()->SetCoordinates(r.x, r.y, r.width, r.height);
  }
  const int answer = event.CanVeto() ? AskCloseChoice() : int(ReduceDialog::kExit);
  if (answer == ReduceDialog::kExit) {
    ExitProgram(event);
  } else {
    if (answer == ReduceDialog::kReduce) ReduceToTray();
    event.Veto();
  }
  TRACE_END();
}

int MainFrame::AskCloseChoice() {
  Config* config = Config::GetInstance();
  if (config->GetRememberClose()) return config->GetClose() ? ReduceDialog::kExit : ReduceDialog::kReduce;
  ReduceDialog dialog(this);
  const int answer = dialog.ShowModal();
  // Dismissing the question (its close box, Escape) answers nothing.
  if (answer != ReduceDialog::kExit && answer != ReduceDialog::kReduce) return ReduceDialog::kCancel;
  if (dialog.GetRemember()) {
    config->SetRememberClose(true);
    config->SetClose(answer == ReduceDialog::kExit);
  }
  return answer;
}

void MainFrame::ReduceToTray() {
  TRACE_INFO("Status true");
  const bool tray = wxTaskBarIcon::IsAvailable();
  if (tray) Hide();
  // The docked windows, the chat rooms, the transfers and the profiles and comments opened
  // from here all go down with it.
  for (wxWindow* child : GetChildren())
    if (child->IsTopLevel() && child->IsShown()) child->Show(false);
  if (!tray) Iconize(true);
  else m_trayWatch.Start(1000);
}

void MainFrame::OnTrayWatch(wxTimerEvent&) {
  // Brought back meanwhile (the tray's own commands, a message shown): nothing left to watch.
  if (IsShown()) {
    m_trayWatch.Stop();
    return;
  }
  if (wxTaskBarIcon::IsAvailable()) return;
  TRACE_INFO("The tray went away: window iconised");
  m_trayWatch.Stop();
  Iconize(true);
  Show(true);
}

void MainFrame::EndBySystem() {
  TRACE_STARTEND();
  m_systemEnd = true;
  Close(true);
}

void MainFrame::ExitProgram(wxCloseEvent& event) {
  TRACE_START();
  if (m_systemEnd) EndHere();
  if (CancelModalDialogs() || OpenModalDialogs() > 0) {
    const auto now = std::chrono::steady_clock::now();
    if (m_closeWaitingSince == std::chrono::steady_clock::time_point{}) m_closeWaitingSince = now;
    if (!event.CanVeto() && now - m_closeWaitingSince >= kDialogsGrace) EndHere();
    // The dialogs' loops return to their callers first; the window tries again a moment later
    // (a timer, not a queued call: a closing loop runs every queued call before it returns).
    if (!m_closeRetry.IsRunning()) m_closeRetry.StartOnce(20);
    if (event.CanVeto()) event.Veto();
    TRACE_END_RESULT("after the open dialogs");
    return;
  }
  m_closeWaitingSince = {};
  m_trayWatch.Stop();
  m_idleTimer.Stop();
  m_connectTimer.Stop();
  if (!m_manager->Close()) {
    TRACE_INFO("Error: not saved");
    wxMessageDialog question(nullptr,
                             _("Impossible to save your current configuration in ") +
                                 std2wx(Config::GetUserPath()) + "parlavox.xml.\n" +
                                 _("Are you sure you want to quit?"),
                             _("Save error"), wxYES_NO | wxICON_ERROR);
    // Quitting loses the settings: only Yes quits, a question closed unanswered keeps the window.
    if (question.ShowModal() != wxID_YES) {
      // The controller has disconnected already: the windows say so, as after logging out.
      SetConnected(false);
      ShowLoginPanel();
      m_loginPanel->SetStatus(wxEmptyString, 0);
      m_loginPanel->EnableConnect(true);
      ShowDisconnected();
      if (event.CanVeto()) event.Veto();
      TRACE_END_RESULT("kept open");
      return;
    }
  }
  g_exited = true;
  TRACE_INFO("Ok, can close");
  SetConnected(false);
  CommentsFrame::CloseAll();
  // The docked and secondary windows are children of this one and go with it.
  Hide();
  if (m_taskBar) {
    // The tray's own menu may be what asked to quit: its object goes once that has returned.
    m_taskBar->RemoveIcon();
    m_taskBar->Destroy();
    m_taskBar = nullptr;
  }
  if (m_managerPushed) {
    PopEventHandler(false);
    m_managerPushed = false;
  }
  Destroy();
  TRACE_END();
}

void MainFrame::EndHere() {
  TRACE_START_ARGS("%s", m_systemEnd ? "the system's end" : "dialogs held");
  m_closeRetry.Stop();
  m_idleTimer.Stop();
  m_connectTimer.Stop();
  // The callers of dialogs may still hold them and cannot be returned to, and the windows are
  // of no use to anyone now: nothing is destroyed, the session ends and the settings are
  // written (the old file stays whole when they cannot be), then the process ends here.
  const bool saved = g_exited || m_manager->Close();
  g_exited = true;
  if (!saved) TRACE_ERROR("Error: not saved, %s kept as it was", (Config::GetUserPath() + "parlavox.xml").c_str());
  if (m_taskBar) m_taskBar->RemoveIcon();
  TRACE_END_RESULT("%d dialogs open, settings %s", OpenModalDialogs(), saved ? "saved" : "not saved");
  // The sounds and the program's threads are stopped and joined all the same, within the same
  // bound.
  startup::StopSoundsAndThreads();
  EndProcess(0);
}

void MainFrame::OnQuit(wxCommandEvent&) {
  TRACE_STARTEND();
  Close(true);
}

void MainFrame::SetAlwaysTopStatus(bool on) {
  TRACE_START_ARGS("%d", on ? 1 : 0);
  // The main window, the chat rooms and every window opened from them, so that none of them
  // lies under another one kept on top.
  keptOnTop::Apply(on);
  TRACE_END();
}
