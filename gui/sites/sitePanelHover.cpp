// A site's panel: the site's tip, shown while the pointer rests on the site's name (below it,
// so that a right click on the name still reaches the name), hidden once the pointer leaves the
// name and the tip, when a menu opens and when the panel goes.
#include <wx/utils.h>

#include <wx/app.h>
#include <wx/toplevel.h>

#include "gui/sites/sitePanel.h"
#include "gui/sites/siteInfoToolTip.h"
#include "widgets/myStaticText.h"

namespace {

bool IsUnder(const wxWindow* window, const wxPoint& screen) {
  return window->IsShownOnScreen() && window->GetScreenRect().Contains(screen);
}

// The user works in the program: the window holding the sites (the main window), the tip or
// another of the program's windows is in front.
bool IsFront(wxWindow* panel, SiteInfoToolTip* tip) {
  auto* top = dynamic_cast<wxTopLevelWindow*>(wxGetTopLevelParent(panel));
  return (top && top->IsActive()) || tip->IsActive() || (wxTheApp && wxTheApp->IsActive());
}

}  // namespace

void SitePanel::UpdateToolTip() {
  const wxPoint pointer = wxGetMousePosition();
  const bool onName = IsUnder(m_siteLabel, pointer);
  if (m_siteToolTip->IsShown()) {
    if (m_menuShown || (!onName && !IsUnder(m_siteToolTip, pointer))) m_siteToolTip->Hide();
    return;
  }
  if (onName && !m_menuShown && !m_retired && IsFront(this, m_siteToolTip)) {
    const wxRect name = m_siteLabel->GetScreenRect();
    m_siteToolTip->ShowAt(wxPoint(pointer.x - 20, name.GetBottom() + 1));
  }
}
