// A site's panel and its tips, followed every 500 ms while the pointer is on the site's name or
// people or a tip shows (the pointer's moves onto them set the following going). The site's tip
// shows while the pointer rests
// on the site's name, beside the main window level with the name (so that it covers neither the
// name nor the people of any site, whose clicks must reach them), and hides once the pointer
// leaves the name, the tip and the way between them. A person's tip shows while the pointer
// rests on the person's avatar, 10 pixels below the panel, and hides once it leaves the avatars.
// Neither shows while a menu of the panel is open, nor while the user works in another program.
#include <wx/utils.h>

#include <wx/app.h>
#include <wx/toplevel.h>

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
}

bool SitePanel::UpdateToolTip(const wxPoint& pointer, bool inView) {
  // A panel out of view with no tip up has nothing to do: no need to ask the display where its
  // windows stand.
  const bool tipShown = m_siteToolTip && m_siteToolTip->IsShown();
  if (!inView && !tipShown && !m_hoveredContact) return false;
  const bool siteFollowed = UpdateSiteToolTip(pointer);
  ContactButtonBitmap* under = inView ? AvatarAt(pointer) : nullptr;
  ContactButtonBitmap* hovered = under && MayShowContactToolTip() ? under : nullptr;
  if (!hovered) {
    if (m_hoveredContact) HideContactToolTip();
    // On an avatar whose tip may not show yet (a menu open, another program in front): the
    // pointer is followed still, for when it may.
    return siteFollowed || under != nullptr;
  }
  // Moving within one avatar leaves the tip where it was put.
  if (hovered != m_hoveredContact) {
    m_hoveredContact = hovered;
    ShowContactToolTip(pointer);
  }
  return true;
}

bool SitePanel::UpdateSiteToolTip(const wxPoint& pointer) {
  const bool onName = IsUnder(m_siteLabel, pointer);
  if (m_siteToolTip && m_siteToolTip->IsShown()) {
    const bool kept = onName || IsUnder(m_siteToolTip, pointer) ||
                      m_siteToolTip->OnWayFrom(m_siteLabel->GetScreenRect(), pointer);
    if (m_menuShown || !kept) m_siteToolTip->Hide();
    return onName || m_siteToolTip->IsShown();
  }
  if (onName && !m_menuShown && !m_retired && IsFront(this, m_siteToolTip)) {
    GetSiteToolTip()->ShowBeside(m_siteLabel->GetScreenRect(), wxGetTopLevelParent(this));
  }
  return onName;
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
