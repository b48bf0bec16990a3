// The button of one browser extension in the sites panel's header: its picture, greyed while a
// change asked of the extension is pending.
#ifndef PARLAVOX_GUI_SITES_EXTENSIONBUTTONBITMAP_H
#define PARLAVOX_GUI_SITES_EXTENSIONBUTTONBITMAP_H

#include <wx/panel.h>
#include <wx/statbmp.h>

class ExtensionButtonBitmap : public wxPanel {
 public:
  ExtensionButtonBitmap(wxWindow* parent, int bitmapId);

  void SetBitmap(const wxBitmap& bitmap);
  wxStaticBitmap* GetStaticBitmap() const { return m_bitmap; }
  int GetBitmapId() const { return m_bitmapId; }

 private:
  int m_bitmapId;
  wxStaticBitmap* m_bitmap;
};

#endif
