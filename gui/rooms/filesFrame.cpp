#include "gui/rooms/filesFrame.h"

#include <wx/button.h>
#include <wx/intl.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/weakref.h>

#include <algorithm>

#include "core/application.h"
#include "gui/pictures.h"
#include "gui/rooms/fileInfoPanel.h"
#include "gui/webBrowser.h"
#include "gui/windowIcon.h"
#include "model/fileMessage.h"
#include "model/log.h"
#include "model/stringConversion.h"
#include "widgets/focusReturn.h"
#include "widgets/idlePass.h"
#include "widgets/keptOnTop.h"

namespace {

const wxWindowID ID_CLEAR_ALL_DOWNLOAD = wxNewId();
const wxWindowID ID_CLEAR_ALL_UPLOAD = wxNewId();
constexpr int kScrollUnit = 32;

}  // namespace

wxBEGIN_EVENT_TABLE(FilesFrame, wxFrame)
  EVT_CLOSE(FilesFrame::OnClose)
  EVT_BUTTON(ID_CLEAR_ALL_DOWNLOAD, FilesFrame::OnClearAllDownload)
  EVT_BUTTON(ID_CLEAR_ALL_UPLOAD, FilesFrame::OnClearAllUpload)
wxEND_EVENT_TABLE()

FilesFrame::FilesFrame(wxWindow* parent, Manager* manager)
    : wxFrame(parent, wxID_ANY, _("Download/Upload files"), wxDefaultPosition, wxSize(600, 300),
              wxDEFAULT_FRAME_STYLE),
      m_manager(manager) {
  TRACE_START();
  SetProgramIcon(this);
  keptOnTop::Follow(this);
  focusReturn::Keep(this);
  SetBackgroundColour(*wxWHITE);
  auto* main = new wxBoxSizer(wxVERTICAL);
  SetSizer(main);

  auto* header = new wxBoxSizer(wxHORIZONTAL);
  header->Add(new wxStaticBitmap(this, wxID_ANY, pictures::Load("updownload.png", 32)), 0, 0, 0);
  auto* title = new wxStaticText(this, wxID_ANY, _("Information about file transfers"));
  title->SetFont(wxFont(14, wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false));
  header->Add(title, 0, wxLEFT | wxTOP, 8);
  main->Add(header, 0, wxEXPAND | wxALL, 4);

  auto* lists = new wxBoxSizer(wxHORIZONTAL);
  BuildList(lists, true);
  BuildList(lists, false);
  main->Add(lists, 1, wxEXPAND | wxALL, 4);

  auto* help = new wxStaticText(this, wxID_ANY, _("Help?"));
  help->SetForegroundColour(wxColour(0, 0, 255));
  help->SetCursor(wxCursor(wxCURSOR_HAND));
  help->Bind(wxEVT_LEFT_UP, &FilesFrame::OnHelp, this);
  main->Add(help, 0, wxALIGN_RIGHT | wxBOTTOM | wxRIGHT, 8);
  TRACE_END();
}

bool FilesFrame::SendIdleEvents(wxIdleEvent& event) { return idlePass::SendToShown(this, event); }

FilesFrame::~FilesFrame() {
  // The rows are child windows and go with the frame.
  m_downloadPanels.clear();
  m_uploadPanels.clear();
}

void FilesFrame::BuildList(wxSizer* lists, bool download) {
  auto* box = new wxStaticBoxSizer(wxVERTICAL, this, download ? _("Download") : _("Upload"));
  wxStaticBox* frame = box->GetStaticBox();
  auto* list = new wxScrolledWindow(frame, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxVSCROLL);
  list->SetBackgroundColour(*wxWHITE);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  list->SetSizer(sizer);
  list->SetScrollRate(0, kScrollUnit);
  list->SetVirtualSize(list->GetBestVirtualSize());
  box->Add(list, 1, wxEXPAND | wxALL, 0);
  auto* clear = new wxButton(frame, download ? ID_CLEAR_ALL_DOWNLOAD : ID_CLEAR_ALL_UPLOAD, _("Clear all"),
                             wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  clear->Disable();
  box->Add(clear, 0, wxALIGN_RIGHT, 0);
  lists->Add(box, 1, wxEXPAND | (download ? wxRIGHT : wxLEFT), 2);
  (download ? m_downloadWindow : m_uploadWindow) = list;
  (download ? m_downloadSizer : m_uploadSizer) = sizer;
  (download ? m_clearDownloadButton : m_clearUploadButton) = clear;
}

std::string FilesFrame::RowKey(const FileMessage& message) {
  if (!message.GetTransferKey().empty()) return message.GetTransferKey();
  return message.GetLogin() + "@@@" + message.GetFileKey();
}

void FilesFrame::UpdateFileTransfertStatus(const FileMessage& message) {
  TRACE_START_ARGS("%s, %d", message.GetTransferKey().c_str(), static_cast<int>(message.GetStatus()));
  if (message.GetStatus() == FM_OFFERED) {
    TRACE_END_RESULT("offer");
    return;
  }
  const std::string key = RowKey(message);
  const std::vector<FileInfoPanel*>& rows = message.IsDownload() ? m_downloadPanels : m_uploadPanels;
  auto found = std::find_if(rows.begin(), rows.end(), [&](FileInfoPanel* row) { return row->GetTransferKey() == key; });
  if (found == rows.end()) {
    AddRow(message);
    TRACE_END_RESULT("new row");
    return;
  }
  (*found)->SetProgress(message.GetTransferredSize(), message.GetFileSize(), message.GetSpeed());
  (*found)->SetStatus(message.GetStatus());
  TRACE_END();
}

wxString FilesFrame::RoomLabel(const std::string& site) const {
  if (m_manager && m_manager->IsMultiplePrivateChatRoom(site)) return _("(private group chatroom)");
  if (m_manager && !m_manager->IsPrivateChatRoom(site).empty()) return _("(private chatroom)");
  return std2wx(site);
}

void FilesFrame::AddRow(const FileMessage& message) {
  const bool download = message.IsDownload();
  wxScrolledWindow* list = download ? m_downloadWindow : m_uploadWindow;
  auto* row = new FileInfoPanel(this, list, download, RowKey(message), message.GetNickname(), message.GetSite(),
                                RoomLabel(message.GetSite()), message.GetFilename(), message.GetStatus(),
                                message.GetTransferredSize(), message.GetFileSize(), message.GetSpeed());
  std::vector<FileInfoPanel*>& rows = download ? m_downloadPanels : m_uploadPanels;
  rows.push_back(row);
  (download ? m_downloadSizer : m_uploadSizer)->Add(row, 0, wxEXPAND, 0);
  list->FitInside();
  // Down to the new row, at the bottom: rows are taller than one scroll unit.
  list->Scroll(-1, (list->GetVirtualSize().y + kScrollUnit - 1) / kScrollUnit);
  FollowList(download);
}

void FilesFrame::FollowList(bool download) {
  (download ? m_clearDownloadButton : m_clearUploadButton)
      ->Enable(!(download ? m_downloadPanels : m_uploadPanels).empty());
}

void FilesFrame::DropRow(FileInfoPanel* row, bool now) {
  const bool download = row->IsDownload();
  wxScrolledWindow* list = download ? m_downloadWindow : m_uploadWindow;
  row->Hide();
  (download ? m_downloadSizer : m_uploadSizer)->Detach(row);
  // The list is fitted to its rows once the row is gone: scrolling a list that still holds a
  // hidden row upsets the toolkit.
  if (now) {
    row->Destroy();
    list->FitInside();
    return;
  }
  wxWeakRef<FileInfoPanel> dropped(row);
  CallAfter([dropped, list] {
    if (dropped) dropped->Destroy();
    list->FitInside();
  });
}

void FilesFrame::RemovePanel(FileInfoPanel* row) {
  TRACE_START();
  const bool download = row->IsDownload();
  std::vector<FileInfoPanel*>& rows = download ? m_downloadPanels : m_uploadPanels;
  auto found = std::find(rows.begin(), rows.end(), row);
  if (found == rows.end()) {
    TRACE_END_RESULT("not listed");
    return;
  }
  rows.erase(found);
  // Reached from the row's own button: it goes once that click has been handled.
  DropRow(row, false);
  FollowList(download);
  TRACE_END();
}

void FilesFrame::ClearAll(bool download) {
  TRACE_START_ARGS("%d", download ? 1 : 0);
  Freeze();
  std::vector<FileInfoPanel*> rows;
  rows.swap(download ? m_downloadPanels : m_uploadPanels);
  // Rows only: the transfers themselves go on, and a later report makes a fresh row.
  for (FileInfoPanel* row : rows) DropRow(row, true);
  FollowList(download);
  Layout();
  Thaw();
  TRACE_END();
}

void FilesFrame::OnClearAllDownload(wxCommandEvent&) { ClearAll(true); }

void FilesFrame::OnClearAllUpload(wxCommandEvent&) { ClearAll(false); }

void FilesFrame::SetConnectionStatus(bool connected) {
  if (connected) return;
  TRACE_START();
  for (const auto* rows : {&m_downloadPanels, &m_uploadPanels})
    for (FileInfoPanel* row : *rows)
      if (row->IsRunning()) row->SetStatus(FM_INTERRUPTED);
  TRACE_END();
}

void FilesFrame::OnClose(wxCloseEvent& event) {
  TRACE_START();
  if (event.CanVeto()) {
    Hide();
    event.Veto();
  } else {
    Destroy();
  }
  TRACE_END();
}

void FilesFrame::OnHelp(wxMouseEvent&) { browser::OpenUserGuide("filesmanager"); }
