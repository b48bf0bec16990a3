#include "widgets/focusReturn.h"

#include <wx/toplevel.h>
#include <wx/weakref.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "model/log.h"
#include "widgets/toolkitFunction.h"

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

// The program's top-level window that the input being handled now went to: the user's click on a
// tool-bar button of a window the tool kit does not know active yet (the window manager activates
// it on that same click, and the news comes after the click's handlers ran), which shows another
// window. Null outside input.
wxWindow* WindowOfCurrentInput() {
  using Current = void* (*)();
  using WindowOf = void* (*)(void*);
  using Free = void (*)(void*);
  static const auto current = toolkit::Find<Current>("gtk_get_current_event");
  static const auto eventWindow = toolkit::Find<WindowOf>("gdk_event_get_window");
  static const auto toplevelOf = toolkit::Find<WindowOf>("gdk_window_get_toplevel");
  static const auto free = toolkit::Find<Free>("gdk_event_free");
  static const auto windowOf = toolkit::Find<WindowOf>("gtk_widget_get_window");
  if (!current || !eventWindow || !toplevelOf || !free || !windowOf) return nullptr;
  void* event = current();
  if (!event) return nullptr;
  void* window = eventWindow(event);
  void* toplevel = window ? toplevelOf(window) : nullptr;
  free(event);
  for (wxWindow* top : wxTopLevelWindows)
    if (toplevel && top->GetHandle() && windowOf(top->GetHandle()) == toplevel) return top;
  return nullptr;
}

// Another window that keeps its return was shown after this one and is still there: the
// keyboard is that one's, or the user's choice since.
bool NewerShown(const Kept& kept) {
  for (const Kept* other : AllKept())
    if (other != &kept && other->shown > kept.shown && other->window->IsShown()) return true;
  return false;
}

void GiveBack(wxWindow* from) {
  auto* top = dynamic_cast<wxTopLevelWindow*>(wxGetTopLevelParent(from));
  if (!top || top->IsBeingDeleted() || from->IsBeingDeleted() || !top->IsShownOnScreen() || top->IsIconized()) return;
  TRACE_INFO("keyboard back to %s", top->GetTitle().utf8_str().data());
  // The window manager is asked to make it the active window; the control the user left takes
  // the keys, or the window itself where that control has gone meanwhile (the tool bar's
  // chat-rooms button hides while the chat rooms show).
  top->Raise();
  (from->IsShownOnScreen() ? from : top)->SetFocus();
}

void OnShow(Kept& kept, wxShowEvent& event) {
  wxWindow* focus = wxWindow::FindFocus();
  if (event.IsShown()) {
    kept.shown = ++g_showings;
    // Where no control has the keyboard, the window the user clicked in to come here.
    wxWindow* from = focus ? focus : WindowOfCurrentInput();
    if (!Inside(from, kept.window)) kept.from = from;
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
