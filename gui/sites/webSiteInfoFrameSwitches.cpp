// The site's window: its switches (not set, on, off), their pictures and tool tips, and the
// refresh from the site's record.
#include <wx/button.h>
#include <wx/stattext.h>

#include "core/application.h"
#include "gui/sites/myButtonBitmapNotifier.h"
#include "gui/sites/webSiteInfoFrame.h"
#include "model/contactInfo.h"
#include "model/log.h"
#include "model/urlInfo.h"

namespace {

const char kContactSuffix[] = "-contact";

bool IsContactKey(const std::string& key) {
  const size_t n = sizeof(kContactSuffix) - 1;
  return key.size() > n && key.compare(key.size() - n, n, kContactSuffix) == 0;
}

// A key naming a sound holds "bell"; every other key is a pop-up.
bool IsVisualKey(const std::string& key) { return key.find("bell") == std::string::npos; }

wxString SettingToolTip(bool on, bool visual) {
  if (on) return visual ? _("Visual notification for this site") : _("Audio notification for this site");
  return visual ? _("No visual notification for this site") : _("No audio notification for this site");
}

// The default that an unset switch follows, then the hint naming where that default is changed.
// A default that is not set either means no notification, as the notices themselves read it.
wxString DefaultToolTip(t_notification_status byDefault, bool visual, const wxString& hint) {
  wxString text;
  if (byDefault == NOTIFICATION_ON)
    text = visual ? _("Use default behaviour: visual notification") : _("Use default behaviour: audio notification");
  else
    text = visual ? _("Use default behaviour: no visual notification") : _("Default behaviour: no audio notification");
  return text + " " + hint;
}

}  // namespace

wxBitmap* WebSiteInfoFrame::SelectBitmap(const std::string& key, bool visual) {
  auto found = m_notifications.find(key);
  if (found == m_notifications.end()) return visual ? &m_popupDefBitmap : &m_bellDefBitmap;
  if (found->second) return visual ? &m_popupBitmap : &m_bellBitmap;
  return visual ? &m_emptyPopupBitmap : &m_emptyBellBitmap;
}

wxString WebSiteInfoFrame::SelectToolTip(const std::string& key, bool visual) {
  auto found = m_notifications.find(key);
  if (found != m_notifications.end()) return SettingToolTip(found->second, visual);
  return DefaultToolTip(m_manager->GetOwnContactInfo()->GetNotification(key), visual,
                        _("(edit your profile to modify this default behaviour\nor click to define a specific "
                          "behaviour for this site)"));
}

wxString WebSiteInfoFrame::SelectContactToolTip(const std::string& event, bool visual) {
  auto found = m_notifications.find(event + kContactSuffix);
  if (found != m_notifications.end()) return SettingToolTip(found->second, visual);
  return DefaultToolTip(m_manager->GetDefaultContactInfo()->GetNotification(event), visual,
                        _("(open Parlavoxers manager to modify this default behaviour\nor click to define a "
                          "specific behaviour for this site)"));
}

wxString WebSiteInfoFrame::ToolTipFor(const std::string& key, bool visual) {
  if (IsContactKey(key)) return SelectContactToolTip(key.substr(0, key.size() - (sizeof(kContactSuffix) - 1)), visual);
  return SelectToolTip(key, visual);
}

void WebSiteInfoFrame::RefreshSwitch(MyButtonBitmapNotifier* notifier) {
  const std::string& key = notifier->GetKey();
  const bool visual = IsVisualKey(key);
  notifier->SetBitmap(*SelectBitmap(key, visual));
  notifier->SetToolTip(ToolTipFor(key, visual));
}

void WebSiteInfoFrame::OnSwitchNotifier(wxMouseEvent& event) {
  auto* bitmap = dynamic_cast<wxWindow*>(event.GetEventObject());
  auto* notifier = bitmap ? dynamic_cast<MyButtonBitmapNotifier*>(bitmap->GetParent()) : nullptr;
  if (!notifier) return;
  EnableButtons(true);
  const std::string& key = notifier->GetKey();
  TRACE_START_ARGS("%s", key.c_str());
  // Not set, then on, then off, then not set again.
  auto found = m_notifications.find(key);
  if (found == m_notifications.end())
    m_notifications[key] = true;
  else if (found->second)
    found->second = false;
  else
    m_notifications.erase(found);
  RefreshSwitch(notifier);
  TRACE_END();
}

void WebSiteInfoFrame::UpdateURLInfo(const URLInfo& site) {
  TRACE_START_ARGS("%s", site.GetURL().c_str());
  m_notifications = site.GetNotifications();
  for (MyButtonBitmapNotifier* notifier : m_switches)
    if (notifier) RefreshSwitch(notifier);
  // The profile follows the record too: the site's status, audience and grades change meanwhile.
  ShowSiteStatus(site.GetStatus());
  SetNbrUsers(site.GetNbrUsers(), ChatRoomUsers(site));
  SetGrade(static_cast<float>(site.GetUserGrade()), site.GetGrade());
  Layout();
  TRACE_END();
}

void WebSiteInfoFrame::OnSetFocus(wxFocusEvent&) {
  // Changes the user has not saved yet stay: the focus comes back to a window the user is using.
  if (m_saveButton->IsEnabled()) return;
  UpdateURLInfo(*m_manager->GetURLInfo(m_url));
}

void WebSiteInfoFrame::EnableButtons(bool enable) {
  m_saveButton->Enable(enable);
  m_cancelButton->Enable(enable);
}
