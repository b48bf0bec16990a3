#include "widgets/focusReturn.h"

#include <wx/toplevel.h>
#include <wx/weakref.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "model/log.h"

namespace focusReturn {

namespace {

// What a window keeps while it lives: the window the user came from, and when it was last shown.
struct Kept {
  wxTopLevelWindow* window;
  wxWeakRef<wxWindow> from;
  unsigned long shown = 0;
};

std::vector<Kept*>& AllKept() {
  static std::vector<Kept*> all;
  return all;
}

unsigned long g_showings = 0;

bool Inside(wxWindow* window, const wxTopLevelWindow* top) { return window && wxGetTopLevelParent(window) == top; }

// Another window that keeps its return was shown after this one and is still there: the
// keyboard is that one's, or the user's choice since.
bool NewerShown(const Kept& kept) {
  for (const Kept* other : AllKept())
    if (other != &kept && other->shown > kept.shown && other->window->IsShown()) return true;
  return false;
}

void GiveBack(wxWindow* from) {
  auto* top = dynamic_cast<wxTopLevelWindow*>(wxGetTopLevelParent(from));
  if (!top || top->IsBeingDeleted() || from->IsBeingDeleted() || !from->IsShownOnScreen() || top->IsIconized()) return;
  TRACE_INFO("keyboard back to %s", top->GetTitle().utf8_str().data());
  // The window manager is asked to make it the active window; the field it holds takes the keys.
  top->Raise();
  from->SetFocus();
}

void OnShow(Kept& kept, wxShowEvent& event) {
  wxWindow* focus = wxWindow::FindFocus();
  if (event.IsShown()) {
    kept.shown = ++g_showings;
    if (!Inside(focus, kept.window)) kept.from = focus;
    return;
  }
  // Hidden while holding the keyboard: the window manager would hand it to any window, or none.
  const bool holds = kept.window->IsActive() || Inside(focus, kept.window);
  wxWindow* back = kept.from.get();
  kept.from = nullptr;
  if (holds && back && !kept.window->IsBeingDeleted() && !NewerShown(kept)) GiveBack(back);
}

}  // namespace

void Keep(wxTopLevelWindow* window) {
  auto* kept = new Kept{window, nullptr};
  AllKept().push_back(kept);
  window->Bind(wxEVT_SHOW, [kept](wxShowEvent& event) {
    event.Skip();
    if (event.GetEventObject() == kept->window) OnShow(*kept, event);
  });
  window->Bind(wxEVT_DESTROY, [kept](wxWindowDestroyEvent& event) {
    event.Skip();
    if (event.GetEventObject() != kept->window) return;
    auto& all = AllKept();
    all.erase(std::remove(all.begin(), all.end(), kept), all.end());
    delete kept;
  });
}

}  // namespace focusReturn
