// A site's panel and its tips, looked at shortly after the pointer moved onto, over or off the
// site's name or people, or anywhere in the program while a tip shows; a pointer at rest wakes
// nothing. The site's tip shows while the pointer rests on the site's name, beside the main
// window level with the name (so that it covers neither the name nor the people of any site,
// whose clicks must reach them), and hides once the pointer leaves the name, the tip and the way
// between them. A person's tip shows while the pointer rests on the person's avatar, 10 pixels
// below the panel, and hides once it leaves the avatars. Neither shows while a menu of the panel
// is open, nor while the user works in another program: a pointer resting on the name or an
// avatar meanwhile is looked at again once it moves, or once the menu closed.
#include <wx/utils.h>

#include <wx/app.h>
#include <wx/settings.h>
#include <wx/toplevel.h>

#include <algorithm>

#include "gui/profiles/contactInfoToolTip.h"
#include "gui/sites/contactButtonBitmap.h"
#include "gui/sites/sitePanel.h"
#include "gui/sites/siteInfoToolTip.h"
#include "gui/sites/sitesPanel.h"
#include "widgets/myStaticText.h"

namespace {

bool IsUnder(const wxWindow* window, const wxPoint& screen) {
  return window->IsShownOnScreen() && window->GetScreenRect().Contains(screen);
}

int ScrollBarWidth(wxSystemMetric metric, const wxWindow* window) {
  const int width = wxSystemSettings::GetMetric(metric, window);
  return width > 0 ? width : 16;
}

// The user works in the program: the window holding the sites (the main window), the tip or
// another of the program's windows is in front.
bool IsFront(wxWindow* panel, wxTopLevelWindow* tip) {
  auto* top = dynamic_cast<wxTopLevelWindow*>(wxGetTopLevelParent(panel));
  return (top && top->IsActive()) || (tip && tip->IsActive()) || (wxTheApp && wxTheApp->IsActive());
}

}  // namespace

void SitePanel::WatchPointer(wxWindow* window) {
  const auto follow = [this](wxMouseEvent& event) {
    event.Skip();
    if (SitesPanel* sites = Sites()) sites->FollowPointer();
  };
  window->Bind(wxEVT_ENTER_WINDOW, follow);
  window->Bind(wxEVT_MOTION, follow);
  // Off the name or an avatar: its tip hides, with nothing ticking meanwhile.
  window->Bind(wxEVT_LEAVE_WINDOW, follow);
}

SitePanel::Hover SitePanel::UpdateToolTip(const wxPoint& pointer, bool inView) {
  // A panel out of view with no tip up has nothing to do: no need to ask the display where its
  // windows stand.
  const bool tipShown = m_siteToolTip && m_siteToolTip->IsShown();
  if (!inView && !tipShown && !m_hoveredContact) return Hover::kIdle;
  const Hover site = UpdateSiteToolTip(pointer);
  ContactButtonBitmap* under = inView ? AvatarAt(pointer) : nullptr;
  ContactButtonBitmap* hovered = under && MayShowContactToolTip() ? under : nullptr;
  if (!hovered) {
    if (m_hoveredContact) HideContactToolTip();
    return site;
  }
  // Moving within one avatar leaves the tip where it was put.
  if (hovered != m_hoveredContact) {
    m_hoveredContact = hovered;
    ShowContactToolTip(pointer);
  }
  return std::max(site, Hover::kShown);
}

SitePanel::Hover SitePanel::UpdateSiteToolTip(const wxPoint& pointer) {
  const bool onName = IsUnder(m_siteLabel, pointer);
  if (m_siteToolTip && m_siteToolTip->IsShown()) {
    if (!m_menuShown && (onName || IsUnder(m_siteToolTip, pointer))) return Hover::kShown;
    if (!m_menuShown && m_siteToolTip->OnWayFrom(m_siteLabel->GetScreenRect(), pointer))
      return OverTheList(pointer) ? Hover::kShown : Hover::kTracking;
    m_siteToolTip->Hide();
  }
  if (!onName || m_menuShown || m_retired || !IsFront(this, m_siteToolTip)) return Hover::kIdle;
  GetSiteToolTip()->ShowBeside(m_siteLabel->GetScreenRect(), wxGetTopLevelParent(this));
  return Hover::kShown;
}

// Moves over the list reach its windows, but for those over its scroll bars, which the toolkit may
// lay over the list's own window along its right and bottom edges; nor do moves over the main
// window's frame or beyond reach any.
bool SitePanel::OverTheList(const wxPoint& pointer) const {
  const wxWindow* list = GetParent();
  const wxSize client = list->GetClientSize();
  const wxSize whole = list->GetVirtualSize();
  wxRect area(list->ClientToScreen(wxPoint(0, 0)), client);
  if (whole.y > client.y) area.width -= ScrollBarWidth(wxSYS_VSCROLL_X, list);
  if (whole.x > client.x) area.height -= ScrollBarWidth(wxSYS_HSCROLL_Y, list);
  return area.Contains(pointer);
}

bool SitePanel::MayShowContactToolTip() const {
  // An open menu, a panel on its way out: no person's tip.
  return !m_menuShown && !m_retired && IsFront(const_cast<SitePanel*>(this), m_contactToolTip);
}

ContactButtonBitmap* SitePanel::AvatarAt(const wxPoint& pointer) const {
  // A folded or empty grid: no avatar.
  if (!m_contactsPanel->IsShownOnScreen()) return nullptr;
  wxGBSizerItem* item = m_contactsGrid->FindItemAtPoint(pointer - m_contactsPanel->GetScreenPosition());
  if (!item || !item->IsWindow()) return nullptr;
  auto* avatar = dynamic_cast<ContactButtonBitmap*>(item->GetWindow());
  return avatar && avatar->IsShown() ? avatar : nullptr;
}

void SitePanel::ShowContactToolTip(const wxPoint& pointer) {
  const ContactInfo& contact = m_hoveredContact->GetContact();
  if (!m_contactToolTip) m_contactToolTip = new ContactInfoToolTip(this, m_manager, contact);
  else m_contactToolTip->UpdateContactInfo(contact);
  // Below the whole panel, whichever row the avatar stands in: the grid stays in view.
  m_contactToolTip->MoveInsideScreen(wxPoint(pointer.x, GetScreenRect().GetBottom() + 1 + 10));
  m_contactToolTip->Show(true);
}

void SitePanel::HideContactToolTip() {
  m_hoveredContact = nullptr;
  if (m_contactToolTip) m_contactToolTip->Hide();
}
