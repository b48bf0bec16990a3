#include "gui/contacts/contactButtonBitmapNotifier2.h"

#include <wx/statbmp.h>

#include "gui/contacts/contactsShortFrame.h"

ContactButtonBitmapNotifier2::ContactButtonBitmapNotifier2(ContactsShortFrame* parent, const wxBitmap& bitmap,
                                                           const std::string& key)
    : NotificationSwitch(parent, bitmap, key) {
  GetBitmapControl()->Bind(wxEVT_LEFT_DOWN, &ContactsShortFrame::OnSwitchNotifier, parent);
  // A second quick press comes as a double click; it turns the switch once more all the same.
  GetBitmapControl()->Bind(wxEVT_LEFT_DCLICK, &ContactsShortFrame::OnSwitchNotifier, parent);
}
