// One row of the file-transfers window: one transfer, downloaded or uploaded. It shows the
// file's name, the peer, the room, the bytes done out of the size with the percentage, and the
// speed, and tells the state by its colour. Its button cancels a running transfer and
// otherwise takes the row away.
#ifndef PARLAVOX_GUI_ROOMS_FILEINFOPANEL_H
#define PARLAVOX_GUI_ROOMS_FILEINFOPANEL_H

#include <wx/panel.h>

#include <cstdint>
#include <string>

#include "model/fileMessage.h"

class FileInfoButtonBitmapNotifier;
class FilesFrame;
class wxStaticText;

class FileInfoPanel : public wxPanel {
 public:
  // Sizes are byte counts; a size of 0 or less (unknown) shows no progress texts.
  FileInfoPanel(FilesFrame* filesFrame, wxWindow* parent, bool download, const std::string& transferKey,
                const std::string& nickname, const std::string& site, const wxString& roomLabel,
                const std::string& fileName, t_fm_status status, int64_t transferred, int64_t size, double speed);

  // Stores the progress and shows it.
  void SetProgress(int64_t transferred, int64_t size, double speed);
  // Rewrites the texts from the stored values and applies the state's colours again. (Not
  // named Update: the window's own Update flushes pending paints and must keep doing so.)
  void UpdateView();
  // Stores the state and shows its colours.
  void SetStatus(t_fm_status status);

  bool IsDownload() const { return m_download; }
  std::string GetTransferKey() const { return m_transferKey; }
  std::string GetSite() const { return m_site; }
  t_fm_status GetStatus() const { return m_status; }
  // True while the transfer runs: the button then cancels it instead of removing the row.
  bool IsRunning() const { return m_status == FM_STARTED || m_status == FM_IN_PROGRESS; }
  // True once the transfer ended without the whole file: it failed, was stopped or never began.
  bool EndedShort() const;
  // What the three changing texts read, and how many times they were rewritten.
  wxString GetSizeText() const;
  wxString GetPercentText() const;
  wxString GetSpeedText() const;
  int GetViewUpdates() const { return m_viewUpdates; }

  // The button's click: cancels the running transfer (the row stays until the transfer
  // reports its end), or has the window take the row away.
  void OnCancel(wxMouseEvent& event);

  // The texts of the row, apart from the window: "512 / 1000 bytes", "51 %", "2.0 kbytes/s".
  static wxString SizeText(int64_t transferred, int64_t size);
  static wxString PercentText(int64_t transferred, int64_t size);
  static wxString SpeedText(double speed);

 private:
  void ShrinkToFit(wxSizer* line, wxStaticText* label);
  void ShowSpeed();
  void BuildFirstLine(wxSizer* main);
  void BuildSecondLine(wxSizer* main, const std::string& nickname);
  void BuildThirdLine(wxSizer* main, const wxString& roomLabel);

  FilesFrame* m_filesFrame;
  std::string m_transferKey;
  bool m_download;
  std::string m_site;
  std::string m_fileName;
  t_fm_status m_status;
  int64_t m_transferred;
  int64_t m_size;
  double m_speed;
  wxStaticText* m_sizeText = nullptr;
  wxStaticText* m_percentText = nullptr;
  wxStaticText* m_speedText = nullptr;
  FileInfoButtonBitmapNotifier* m_button = nullptr;
  int m_viewUpdates = 0;
};

#endif
