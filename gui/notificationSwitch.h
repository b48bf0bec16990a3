// One notification switch: a picture of a key's state, with its tip. The window that holds it
// takes the presses on the picture and turns the state (the profile window for one person's
// switches, the contacts manager for the defaults of every contact).
#ifndef PARLAVOX_GUI_NOTIFICATIONSWITCH_H
#define PARLAVOX_GUI_NOTIFICATIONSWITCH_H

#include <wx/panel.h>

#include <string>

class wxStaticBitmap;

class NotificationSwitch : public wxPanel {
 public:
  NotificationSwitch(wxWindow* parent, const wxBitmap& bitmap, const std::string& key);

  const std::string& GetKey() const { return m_key; }
  wxStaticBitmap* GetBitmapControl() const { return m_bitmap; }
  // The picture and the tip (also the name a screen reader gives the switch).
  void SetState(const wxBitmap& bitmap, const wxString& tip);

 private:
  std::string m_key;
  wxStaticBitmap* m_bitmap;
};

#endif
