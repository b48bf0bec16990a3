#include "gui/rooms/fileInfoButtonBitmapNotifier.h"

#include <wx/sizer.h>
#include <wx/statbmp.h>

#include "gui/rooms/fileInfoPanel.h"

FileInfoButtonBitmapNotifier::FileInfoButtonBitmapNotifier(FileInfoPanel* row, const wxBitmap& bitmap, int kind,
                                                           bool download)
    : wxPanel(row, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER),
      m_kind(kind),
      m_download(download) {
  SetBackgroundColour(*wxWHITE);
  m_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(m_bitmap, 0, 0, 0);
  SetSizer(sizer);
  m_bitmap->Bind(wxEVT_LEFT_DOWN, &FileInfoPanel::OnCancel, row);
  m_bitmap->Bind(wxEVT_LEFT_DCLICK, &FileInfoPanel::OnCancel, row);
}
