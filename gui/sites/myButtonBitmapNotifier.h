// One notification switch of a site's window: a picture standing for the state of one key
// ("open-visual", "message-bell-contact"...). A left click on the picture reaches the window.
#ifndef PARLAVOX_GUI_SITES_MYBUTTONBITMAPNOTIFIER_H
#define PARLAVOX_GUI_SITES_MYBUTTONBITMAPNOTIFIER_H

#include <wx/panel.h>
#include <wx/generic/statbmpg.h>

#include <string>

class WebSiteInfoFrame;

class MyButtonBitmapNotifier : public wxPanel {
 public:
  MyButtonBitmapNotifier(WebSiteInfoFrame* parent, const wxBitmap& bitmap, const std::string& key);
  ~MyButtonBitmapNotifier() override;

  void SetBitmap(const wxBitmap& bitmap);
  const std::string& GetKey() const { return m_key; }
  wxGenericStaticBitmap* GetBitmapControl() const { return m_bitmap; }

 protected:
  // The picture covers the whole switch: it shows the switch's tool tip too.
  void DoSetToolTip(wxToolTip* tip) override;

 private:
  std::string m_key;
  wxGenericStaticBitmap* m_bitmap = nullptr;
};

#endif
