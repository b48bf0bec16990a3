// One notification switch of the profile window: a picture of the key's state. A press on the
// picture goes to the profile window (its parent), which turns the state and the picture. The
// contacts manager's switches share the picture and the tip, and take the press themselves.
#ifndef PARLAVOX_GUI_PROFILES_CONTACTBUTTONBITMAPNOTIFIER_H
#define PARLAVOX_GUI_PROFILES_CONTACTBUTTONBITMAPNOTIFIER_H

#include <wx/panel.h>

#include <string>

class ContactInfoFrame;
class wxStaticBitmap;

class ContactButtonBitmapNotifier : public wxPanel {
 public:
  ContactButtonBitmapNotifier(ContactInfoFrame* parent, const wxBitmap& bitmap, const std::string& key);

  const std::string& GetKey() const { return m_key; }
  wxStaticBitmap* GetBitmapControl() const { return m_bitmap; }
  // The picture and the tip (also the name a screen reader gives the switch).
  void SetState(const wxBitmap& bitmap, const wxString& tip);

 protected:
  // The switch without a handler of its presses.
  ContactButtonBitmapNotifier(wxWindow* parent, const wxBitmap& bitmap, const std::string& key);

 private:
  std::string m_key;
  wxStaticBitmap* m_bitmap;
};

#endif
