#include "widgets/keptOnTop.h"

#include <wx/toplevel.h>

#include <algorithm>
#include <vector>

#include "model/config.h"
#include "widgets/toolkitFunction.h"

namespace keptOnTop {

namespace {

// The windows that follow, in the order they joined; each leaves as it is destroyed.
std::vector<wxTopLevelWindow*>& Followers() {
  static std::vector<wxTopLevelWindow*> followers;
  return followers;
}

void Set(wxTopLevelWindow* window, bool on) {
  const long style = window->GetWindowStyleFlag();
  const long wanted = on ? (style | wxSTAY_ON_TOP) : (style & ~wxSTAY_ON_TOP);
  if (wanted == style) return;
  window->SetWindowStyleFlag(wanted);
  window->Refresh(true, nullptr);
}

// The tool kit forgets a layer asked for while the window was on screen: it does not read back
// what the window manager made of the request, and when the window is hidden it keeps, for its
// next showing, the layer it knew from before. The manager drops the layer of a window that
// leaves the screen, so that window came back in its old layer (under the windows kept on top
// after the choice was turned on, still above them after it was turned off). Told again once the
// window is hidden, the tool kit asks for the right layer when it shows the window next.
void AskAgainWhenHidden(wxTopLevelWindow* window) {
  using SetKeepAbove = void (*)(void*, int);
  static const auto keepAbove = toolkit::Find<SetKeepAbove>("gtk_window_set_keep_above");
  window->Bind(wxEVT_SHOW, [window](wxShowEvent& event) {
    event.Skip();
    if (event.GetEventObject() != window || event.IsShown() || window->IsBeingDeleted()) return;
    const bool on = (window->GetWindowStyleFlag() & wxSTAY_ON_TOP) != 0;
    if (keepAbove && window->GetHandle()) keepAbove(window->GetHandle(), on);
  });
}

}  // namespace

void Follow(wxTopLevelWindow* window) {
  Followers().push_back(window);
  window->Bind(wxEVT_DESTROY, [window](wxWindowDestroyEvent& event) {
    // Children's destruction passes here too: only the window's own counts.
    if (event.GetEventObject() == window) {
      auto& followers = Followers();
      followers.erase(std::remove(followers.begin(), followers.end(), window), followers.end());
    }
    event.Skip();
  });
  AskAgainWhenHidden(window);
  Set(window, Config::GetInstance()->GetAlwaysTopStatus());
}

void Apply(bool on) {
  for (wxTopLevelWindow* window : Followers()) Set(window, on);
}

}  // namespace keptOnTop
