// Closing the main window ends the program. A question or another modal dialog still open is
// answered with Cancel first, and the window goes only once no loop of its own runs.
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/modalhook.h>

#include "gui/mainFrame.h"
#include "model/log.h"

namespace {

// Ends every modal dialog of the program with Cancel; true when there was one.
bool CancelModalDialogs() {
  bool any = false;
  for (wxWindow* window : wxTopLevelWindows) {
    auto* dialog = dynamic_cast<wxDialog*>(window);
    if (dialog && dialog->IsModal()) {
      dialog->EndModal(wxID_CANCEL);
      any = true;
    }
  }
  return any;
}

// Counts the dialogs inside ShowModal: until it returns, the caller of each still holds its
// dialog (often on its stack, with the main window as parent).
class ModalCounter : public wxModalDialogHook {
 public:
  ModalCounter() { Register(); }
  int open = 0;

 protected:
  int Enter(wxDialog*) override {
    ++open;
    return wxID_NONE;
  }
  void Exit(wxDialog*) override { --open; }
};

}  // namespace

int MainFrame::OpenModalDialogs() {
  static ModalCounter* counter = new ModalCounter;  // lives as long as the program
  return counter->open;
}

void MainFrame::OnClose(wxCloseEvent&) {
  TRACE_START();
  if (CancelModalDialogs() || OpenModalDialogs() > 0) {
    // The dialogs' loops return to their callers first; the window tries again a moment later
    // (a timer, not a queued call: a closing loop runs every queued call before it returns).
    if (!m_closeRetry.IsRunning()) m_closeRetry.StartOnce(20);
    TRACE_END_RESULT("after the open dialogs");
    return;
  }
  m_idleTimer.Stop();
  m_connectTimer.Stop();
  Hide();
  Destroy();
  TRACE_END();
}

void MainFrame::OnQuit(wxCommandEvent&) {
  TRACE_STARTEND();
  Close(true);
}
