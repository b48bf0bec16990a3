// The notification switches of a profile window: which events of that person (or of the user,
// in the own profile) bring a pop-up or a sound. A contact's switch goes not set, on, off, not
// set; not set leaves the choice to the defaults of the contacts manager. The own profile's
// switches go between on and off. Clicks wait in the window until Save.
#include <wx/button.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include "core/application.h"
#include "gui/profiles/contactButtonBitmapNotifier.h"
#include "gui/profiles/contactInfoFrame.h"
#include "gui/profiles/contactInfoPanel.h"
#include "model/config.h"
#include "model/contactInfo.h"
#include "model/log.h"
#include "model/stringConversion.h"

namespace {

enum { kPopupOn, kPopupOff, kPopupUnset, kBellOn, kBellOff, kBellUnset };

// The events in the order of the rows (left, right, left ...), with the labels of the own
// profile and of a contact's.
struct SwitchRow {
  const char* event;
  const char* own;
  const char* contact;
};
const SwitchRow kRows[] = {
    {"login", wxTRANSLATE("Log in:"), wxTRANSLATE("Logs in:")},
    {"logout", wxTRANSLATE("Log out:"), wxTRANSLATE("Logs out:")},
    {"open", wxTRANSLATE("Open a site:"), wxTRANSLATE("Opens a site:")},
    {"close", wxTRANSLATE("Close a site:"), wxTRANSLATE("Closes a site:")},
    {"subscribe", wxTRANSLATE("Subscribe to a chatroom:"), wxTRANSLATE("Subscribes to a chatroom:")},
    {"unsubscribe", wxTRANSLATE("Unsubscribe from a chatroom:"), wxTRANSLATE("Unsubscribes from a chatroom:")},
    {"message", nullptr, wxTRANSLATE("Sends a message:")},
};

bool IsBell(const std::string& key) { return key.find("bell") != std::string::npos; }

}  // namespace

void ContactInfoFrame::LoadSwitchBitmaps() {
  const char* names[] = {"popup.png", "emptypopup.png", "popupdef.png", "bell.png", "emptybell.png", "belldef.png"};
  for (int i = 0; i < 6; ++i) {
    const wxString path = std2wx(Config::GetImagePath(names[i]));
    if (wxFileExists(path)) m_bitmaps[i].LoadFile(path, wxBITMAP_TYPE_PNG);
    // A missing picture leaves a blank square rather than no switch at all.
    if (!m_bitmaps[i].IsOk()) m_bitmaps[i] = wxBitmap(16, 16);
  }
}

void ContactInfoFrame::BuildSwitches(wxSizer* main, const ContactInfo& info) {
  const wxString title = m_mine                  ? _("Notifications when you...")
                         : info.GetGender() == 2 ? _("Notifications when she...")
                                                 : _("Notifications when he...");
  auto* box = new wxStaticBoxSizer(wxHORIZONTAL, this, title);
  main->Add(box, 0, wxEXPAND | wxALL, 8);
  LoadSwitchBitmaps();
  auto* left = new wxFlexGridSizer(3, 3, 0);
  auto* right = new wxFlexGridSizer(3, 3, 0);
  box->Add(left, 0, wxEXPAND | wxLEFT | wxRIGHT, 4);
  box->Add(16, 16);
  box->Add(right, 0, wxEXPAND | wxLEFT | wxRIGHT, 4);
  int index = 0;
  for (const SwitchRow& row : kRows) {
    const char* label = m_mine ? row.own : row.contact;
    if (!label) continue;
    AddSwitchRow(index++ % 2 == 0 ? left : right, wxGetTranslation(label), row.event);
  }
}

void ContactInfoFrame::AddSwitchRow(wxSizer* grid, const wxString& label, const std::string& event) {
  grid->Add(new wxStaticText(this, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL, 0);
  for (const char* channel : {"-visual", "-bell"}) {
    const std::string key = event + channel;
    auto* notifier = new ContactButtonBitmapNotifier(this, SelectBitmap(key, !IsBell(key)), key);
    m_switches[key] = notifier;
    RefreshSwitch(notifier);
    grid->Add(notifier, 0, wxLEFT, 4);
  }
}

bool ContactInfoFrame::IsLoginSwitch(const std::string& key) const {
  return key == "login-visual" || key == "login-bell" || key == "logout-visual" || key == "logout-bell";
}

void ContactInfoFrame::RefreshSwitch(ContactButtonBitmapNotifier* notifier) {
  const std::string& key = notifier->GetKey();
  notifier->SetState(SelectBitmap(key, !IsBell(key)), SelectToolTip(key, !IsBell(key)));
  // Log-in and log-out are told only of the user's contacts.
  if (IsLoginSwitch(key)) notifier->Enable(m_mine || m_privateContact);
}

void ContactInfoFrame::RefreshSwitches() {
  for (const auto& entry : m_switches) RefreshSwitch(entry.second);
}

int ContactInfoFrame::GetPendingNotification(const std::string& key) const {
  auto found = m_notifications.find(key);
  if (found == m_notifications.end()) return NOTIFICATION_NOT_SET;
  return found->second ? NOTIFICATION_ON : NOTIFICATION_OFF;
}

const wxBitmap& ContactInfoFrame::SelectBitmap(const std::string& key, bool visual) const {
  const int base = visual ? kPopupOn : kBellOn;
  auto found = m_notifications.find(key);
  if (found == m_notifications.end()) return m_bitmaps[base + 2];
  return m_bitmaps[found->second ? base : base + 1];
}

wxString ContactInfoFrame::SelectToolTip(const std::string& key, bool visual) const {
  if (!m_mine && !m_privateContact && IsLoginSwitch(key)) return _("Only for private contacts");
  auto found = m_notifications.find(key);
  if (found != m_notifications.end() && found->second) {
    if (m_mine) return visual ? _("Visual notification") : _("Audio notification");
    return visual ? _("Visual notification for this Parlavoxer") : _("Audio notification for this Parlavoxer");
  }
  if (found != m_notifications.end()) {
    if (m_mine) return visual ? _("No visual notification") : _("No audio notification");
    return visual ? _("No visual notification for this Parlavoxer") : _("No audio notification for this Parlavoxer");
  }
  const bool defaultOff = m_manager->GetDefaultContactInfo()->GetNotification(key) == NOTIFICATION_OFF;
  wxString text;
  if (defaultOff)
    text = visual ? _("Use default behaviour: no visual notification") : _("Use default behaviour: no audio notification");
  else
    text = visual ? _("Use default behaviour: visual notification") : _("Use default behaviour: audio notification");
  return text + " " +
         _("(open Parlavoxers manager to modify this default behaviour\nor click to define a specific behaviour for "
           "this Parlavoxer)");
}

void ContactInfoFrame::OnSwitchNotifier(wxMouseEvent& event) {
  auto* control = dynamic_cast<wxWindow*>(event.GetEventObject());
  auto* notifier = control ? dynamic_cast<ContactButtonBitmapNotifier*>(control->GetParent()) : nullptr;
  if (!notifier || !notifier->IsEnabled()) return;
  const std::string& key = notifier->GetKey();
  TRACE_START_ARGS("%s", key.c_str());
  EnableButtons(true);
  auto found = m_notifications.find(key);
  if (found == m_notifications.end()) m_notifications[key] = true;
  else if (found->second) found->second = false;
  else if (m_mine) found->second = true;
  else m_notifications.erase(found);
  RefreshSwitch(notifier);
  TRACE_END();
}

void ContactInfoFrame::UpdateContactInfo(const ContactInfo& info) {
  TRACE_START_ARGS("%s", info.GetLogin().c_str());
  m_panel->UpdateContactInfo(info);
  m_privateContact = m_manager->HasContact(info.GetLogin());
  // Choices waiting for Save or Cancel (a failed save among them) stay on screen.
  if (!m_saveButton->IsEnabled()) m_notifications = info.GetNotifications();
  RefreshSwitches();
  TRACE_END();
}
