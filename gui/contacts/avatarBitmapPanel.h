// The small white panel that holds a contact row's avatar; clicks, the pointer's entry and
// its leaving on the picture reach the row.
#ifndef PARLAVOX_GUI_CONTACTS_AVATARBITMAPPANEL_H
#define PARLAVOX_GUI_CONTACTS_AVATARBITMAPPANEL_H

#include <wx/panel.h>

class ContactEntry;
class wxGenericStaticBitmap;

class AvatarBitmapPanel : public wxPanel {
 public:
  explicit AvatarBitmapPanel(ContactEntry* row);
  ~AvatarBitmapPanel() override;

  void SetBitmap(const wxBitmap& bitmap);
  wxGenericStaticBitmap* GetPicture() const { return m_bitmap; }

 private:
  // A picture with a window of its own, so that the toolkit gives it mouse events.
  wxGenericStaticBitmap* m_bitmap;
};

#endif
