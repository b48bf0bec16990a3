#include "gui/rooms/filesFrame.h"

#include <wx/intl.h>

FilesFrame::FilesFrame(wxWindow* parent, Manager* manager)
    : wxFrame(parent, wxID_ANY, _("File transfers")), m_manager(manager) {}

#include "model/fileMessage.h"

void FilesFrame::UpdateFileTransfertStatus(FileMessage* message) {
  Record("transfer " + message->GetTransferKey() + " " + std::to_string(int(message->GetStatus())) + " " +
         std::to_string(message->GetTransferredSize()));
}
