// The window that follows the program's file transfers: a column of downloads and one of
// uploads, one row per transfer. The main window feeds it every report of a transfer; the user
// takes finished rows away one by one or with "Clear all". Closing it only hides it.
#ifndef PARLAVOX_GUI_ROOMS_FILESFRAME_H
#define PARLAVOX_GUI_ROOMS_FILESFRAME_H

#include <wx/frame.h>

#include <string>
#include <vector>

class FileInfoPanel;
class FileMessage;
class Manager;
class wxButton;
class wxBoxSizer;
class wxScrolledWindow;

class FilesFrame : public wxFrame {
 public:
  FilesFrame(wxWindow* parent, Manager* manager);
  ~FilesFrame() override;
  // The idle pass skips this window while hidden, and the top-level windows it owns.
  bool SendIdleEvents(wxIdleEvent& event) override;

  // Shows one report of one transfer: a row made for its first report (an offer makes none),
  // later reports update it.
  void UpdateFileTransfertStatus(const FileMessage& message);
  // Takes one row out of its list; it is destroyed once the event being handled (its own
  // button's click) is over.
  void RemovePanel(FileInfoPanel* row);
  // A lost connection ends every transfer still shown as running: no report of them comes
  // any more.
  void SetConnectionStatus(bool connected);

  const std::vector<FileInfoPanel*>& GetDownloadPanels() const { return m_downloadPanels; }
  const std::vector<FileInfoPanel*>& GetUploadPanels() const { return m_uploadPanels; }
  wxButton* GetClearButton(bool download) const { return download ? m_clearDownloadButton : m_clearUploadButton; }
  wxScrolledWindow* GetListWindow(bool download) const { return download ? m_downloadWindow : m_uploadWindow; }

  // The name that tells one transfer's row from the others of its list: the transfer key,
  // or for a transfer relayed through the server (which has none) the peer and the file key.
  static std::string RowKey(const FileMessage& message);

 private:
  void OnClose(wxCloseEvent& event);
  void OnClearAllDownload(wxCommandEvent& event);
  void OnClearAllUpload(wxCommandEvent& event);
  void OnHelp(wxMouseEvent& event);
  void BuildList(wxSizer* lists, bool download);
  void ClearAll(bool download);
  wxString RoomLabel(const std::string& site) const;
  void AddRow(const FileMessage& message);
  // "Clear all" of a list is enabled while the list has rows.
  void FollowList(bool download);
  // Hides the row, takes it out of its sizer and destroys it, `now` or once the event being
  // handled is over.
  void DropRow(FileInfoPanel* row, bool now);

  Manager* m_manager;
  wxScrolledWindow* m_downloadWindow = nullptr;
  wxBoxSizer* m_downloadSizer = nullptr;
  wxScrolledWindow* m_uploadWindow = nullptr;
  wxBoxSizer* m_uploadSizer = nullptr;
  wxButton* m_clearDownloadButton = nullptr;
  wxButton* m_clearUploadButton = nullptr;
  std::vector<FileInfoPanel*> m_uploadPanels;
  std::vector<FileInfoPanel*> m_downloadPanels;

  wxDECLARE_EVENT_TABLE();
};

#endif
