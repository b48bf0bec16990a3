#include "gui/profiles/contactButtonBitmapNotifier.h"

#include <wx/statbmp.h>

#include "gui/profiles/contactInfoFrame.h"

ContactButtonBitmapNotifier::ContactButtonBitmapNotifier(ContactInfoFrame* parent, const wxBitmap& bitmap,
                                                         const std::string& key)
    : NotificationSwitch(parent, bitmap, key) {
  GetBitmapControl()->Bind(wxEVT_LEFT_DOWN, &ContactInfoFrame::OnSwitchNotifier, parent);
  // A second quick press comes as a double click; it turns the switch once more all the same.
  GetBitmapControl()->Bind(wxEVT_LEFT_DCLICK, &ContactInfoFrame::OnSwitchNotifier, parent);
}
