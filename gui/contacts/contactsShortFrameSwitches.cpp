// The contacts manager's default notifications: for each of seven things a contact does, one
// switch for the pop-up and one for the sound, on or off in the default record that decides for
// every contact whose own setting is not set. A press takes effect at once, in memory; the
// settings file holds it from the next save.
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include "core/application.h"
#include "gui/contacts/contactButtonBitmapNotifier2.h"
#include "gui/contacts/contactsShortFrame.h"
#include "gui/pictures.h"
#include "model/contactInfo.h"
#include "model/log.h"

namespace {

// The rows in the order they are made, alternately in the left and the right grid.
struct SwitchRow {
  const char* label;
  const char* event;
};
const SwitchRow kRows[] = {
    {wxTRANSLATE("Logs in:"), "login"},
    {wxTRANSLATE("Logs out:"), "logout"},
    {wxTRANSLATE("Opens a site:"), "open"},
    {wxTRANSLATE("Closes a site:"), "close"},
    {wxTRANSLATE("Subscribes to a chatroom:"), "subscribe"},
    {wxTRANSLATE("Unsubscribes from a chatroom:"), "unsubscribe"},
    {wxTRANSLATE("Sends a message:"), "message"},
};

bool IsBell(const std::string& key) { return key.find("bell") != std::string::npos; }

}  // namespace

void ContactsShortFrame::BuildSwitchesBox(wxSizer* frameSizer) {
  auto* box = new wxStaticBoxSizer(wxHORIZONTAL, this, _("Default notifications when a Parlavoxer..."));
  frameSizer->Add(box, 0, wxEXPAND | wxALL, 8);
  m_fullPopup = pictures::Load("popup.png", 16);
  m_fullBell = pictures::Load("bell.png", 16);
  m_emptyPopup = pictures::Load("emptypopup.png", 16);
  m_emptyBell = pictures::Load("emptybell.png", 16);
  ContactInfo* defaults = m_manager->GetDefaultContactInfo();
  auto* left = new wxFlexGridSizer(3, 3, 0);
  auto* right = new wxFlexGridSizer(3, 3, 0);
  left->AddGrowableCol(0);
  right->AddGrowableCol(0);
  box->Add(left, 1, wxEXPAND | wxLEFT | wxRIGHT, 4);
  box->Add(16, 16);
  box->Add(right, 1, wxEXPAND | wxLEFT | wxRIGHT, 4);
  int index = 0;
  for (const SwitchRow& row : kRows)
    AddSwitchRow(index++ % 2 == 0 ? left : right, defaults, wxGetTranslation(row.label), row.event);
}

void ContactsShortFrame::AddSwitchRow(wxSizer* grid, ContactInfo* defaults, const wxString& label,
                                      const std::string& event) {
  grid->Add(new wxStaticText(this, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL, 0);
  for (const char* channel : {"-visual", "-bell"}) {
    const std::string key = event + channel;
    const bool visual = !IsBell(key);
    auto* notifier = new ContactButtonBitmapNotifier2(this, SelectBitmap(defaults, key, visual), key);
    notifier->SetState(SelectBitmap(defaults, key, visual), SelectToolTip(defaults, key, visual));
    grid->Add(notifier, 0, wxLEFT, 4);
  }
}

const wxBitmap& ContactsShortFrame::SelectBitmap(ContactInfo* defaults, const std::string& key, bool visual) {
  switch (defaults->GetNotification(key)) {
    case NOTIFICATION_ON:
      return visual ? m_fullPopup : m_fullBell;
    case NOTIFICATION_NOT_SET:
      // The defaults decide for every contact: a key missing there is off.
      defaults->SetNotification(key, NOTIFICATION_OFF);
      return visual ? m_emptyPopup : m_emptyBell;
    case NOTIFICATION_OFF:
      return visual ? m_emptyPopup : m_emptyBell;
  }
  TRACE_ERROR("Unknown : %d", int(defaults->GetNotification(key)));
  return visual ? m_emptyPopup : m_emptyBell;
}

wxString ContactsShortFrame::SelectToolTip(ContactInfo* defaults, const std::string& key, bool visual) {
  switch (defaults->GetNotification(key)) {
    case NOTIFICATION_ON:
      return visual ? _("Visual notification") : _("Audio notification");
    case NOTIFICATION_OFF:
      return visual ? _("No visual notification") : _("No audio notification");
    default:
      return wxString();
  }
}

void ContactsShortFrame::OnSwitchNotifier(wxMouseEvent& event) {
  auto* control = dynamic_cast<wxWindow*>(event.GetEventObject());
  auto* notifier = control ? dynamic_cast<ContactButtonBitmapNotifier2*>(control->GetParent()) : nullptr;
  if (!notifier) return;
  const std::string key = notifier->GetKey();
  ContactInfo* defaults = m_manager->GetDefaultContactInfo();
  TRACE_INFO("Ref = %s", key.c_str());
  switch (defaults->GetNotification(key)) {
    case NOTIFICATION_ON: defaults->SetNotification(key, NOTIFICATION_OFF); break;
    case NOTIFICATION_OFF:
    case NOTIFICATION_NOT_SET: defaults->SetNotification(key, NOTIFICATION_ON); break;
  }
  const bool visual = !IsBell(key);
  notifier->SetState(SelectBitmap(defaults, key, visual), SelectToolTip(defaults, key, visual));
}
