// The main window and file transfers. A transfer reports progress after every part it moves;
// the windows are repainted for it at most ten times a second per transfer, the latest report
// held back until its turn, while every change of state is shown at once.
#include "core/application.h"
#include "core/guiEvents.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/contacts/contactsPanel.h"
#include "gui/dockPlacement.h"
#include "gui/rooms/filesFrame.h"
#include "gui/mainFrame.h"
#include "gui/sites/sitesPanel.h"
#include "model/fileMessage.h"
#include "model/log.h"

namespace {

constexpr std::chrono::milliseconds kProgressSpacing(100);

std::string TransferOf(const FileMessage& message) {
  return (message.IsDownload() ? "d " : "u ") + FilesFrame::RowKey(message);
}

bool IsFinal(t_fm_status status) { return status != FM_OFFERED && status != FM_STARTED && status != FM_IN_PROGRESS; }

}  // namespace

void MainFrame::ReceiveMessageFile(wxCommandEvent& event) {
  FileMessage* message = ManagerEvent::FileOf(event);
  if (!message) return;
  const std::string key = TransferOf(*message);
  const auto now = std::chrono::steady_clock::now();
  if (message->GetStatus() == FM_IN_PROGRESS) {
    auto shown = m_progressShown.find(key);
    if (shown != m_progressShown.end() && now - shown->second < kProgressSpacing) {
      // The copy of the event keeps the notice alive until it is shown.
      m_progressHeld[key].reset(event.Clone());
      if (!m_progressTimer.IsRunning()) m_progressTimer.StartOnce(int(kProgressSpacing.count() / 4));
      return;
    }
  }
  // A report held back earlier is older than this one: shown after it, it would set the row back.
  m_progressHeld.erase(key);
  m_progressShown[key] = now;
  ShowFileMessage(*message);
  if (IsFinal(message->GetStatus())) m_progressShown.erase(key);
}

void MainFrame::OnProgressTimer(wxTimerEvent&) {
  const auto now = std::chrono::steady_clock::now();
  for (auto held = m_progressHeld.begin(); held != m_progressHeld.end();) {
    auto shown = m_progressShown.find(held->first);
    if (shown != m_progressShown.end() && now - shown->second < kProgressSpacing) {
      ++held;
      continue;
    }
    std::unique_ptr<wxEvent> event = std::move(held->second);
    m_progressShown[held->first] = now;
    held = m_progressHeld.erase(held);
    if (auto* message = ManagerEvent::FileOf(*event)) ShowFileMessage(*message);
  }
  if (!m_progressHeld.empty()) m_progressTimer.StartOnce(int(kProgressSpacing.count() / 4));
}

void MainFrame::ShowFileMessage(FileMessage& message) {
  if (message.GetStatus() == FM_STARTED) {
    if (m_files->IsShown()) m_files->Raise();
    else m_files->Show(true);
    dock::KeepInside(m_files);
  }
  m_files->UpdateFileTransfertStatus(message);
  m_chatRooms->AddFileMessage(&message);
  const std::string site = message.GetSite();
  const std::string other = m_manager->IsPrivateChatRoom(site);
  if (!other.empty()) m_contactsPanel->NotifyNewMessage(other);
  else if (!m_manager->IsMultiplePrivateChatRoom(site)) m_sitesPanel->NotifyNewMessage(site);
}
