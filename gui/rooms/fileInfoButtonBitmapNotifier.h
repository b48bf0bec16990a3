// The small picture button at the right end of a file-transfer row: a click cancels the
// transfer while it runs, and otherwise takes the row away. It carries the row's direction.
#ifndef PARLAVOX_GUI_ROOMS_FILEINFOBUTTONBITMAPNOTIFIER_H
#define PARLAVOX_GUI_ROOMS_FILEINFOBUTTONBITMAPNOTIFIER_H

#include <wx/panel.h>

class FileInfoPanel;
class wxStaticBitmap;

class FileInfoButtonBitmapNotifier : public wxPanel {
 public:
  // The picture's left-button presses (a double click counts as a second press) go to the
  // row's OnCancel.
  FileInfoButtonBitmapNotifier(FileInfoPanel* row, const wxBitmap& bitmap, int kind, bool download);

  int GetKind() const { return m_kind; }
  bool IsDownload() const { return m_download; }
  wxStaticBitmap* GetBitmap() const { return m_bitmap; }

 private:
  int m_kind;
  bool m_download;
  wxStaticBitmap* m_bitmap;
};

#endif
