#include "widgets/keptOnTop.h"

#include <wx/toplevel.h>

#include <algorithm>
#include <vector>

#include "model/config.h"

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
  Set(window, Config::GetInstance()->GetAlwaysTopStatus());
}

void Apply(bool on) {
  for (wxTopLevelWindow* window : Followers()) Set(window, on);
}

}  // namespace keptOnTop
