#include "widgets/userAttention.h"

#include <wx/toplevel.h>

#include "widgets/toolkitFunction.h"

namespace attention {

namespace {

// The toolkit's urgency mark, found in the libraries the program already runs with (the build
// has no toolkit headers). Null where the toolkit lacks it.
using SetHint = void (*)(void*, int);
using GetHint = int (*)(void*);

void Mark(wxTopLevelWindow* window, bool on) {
  static const SetHint set = toolkit::Find<SetHint>("gtk_window_set_urgency_hint");
  if (set && window->GetHandle()) set(window->GetHandle(), on ? 1 : 0);
}

void OnActivate(wxActivateEvent& event) {
  event.Skip();
  auto* window = wxDynamicCast(event.GetEventObject(), wxTopLevelWindow);
  if (!event.GetActive() || !window) return;
  Mark(window, false);
  window->Unbind(wxEVT_ACTIVATE, &OnActivate);
}

}  // namespace

void Ask(wxTopLevelWindow* window) {
  if (!window || window->IsActive()) return;
  Mark(window, true);
  // Bound once however often it is asked.
  window->Unbind(wxEVT_ACTIVATE, &OnActivate);
  window->Bind(wxEVT_ACTIVATE, &OnActivate);
}

bool IsAsked(wxTopLevelWindow* window) {
  static const GetHint get = toolkit::Find<GetHint>("gtk_window_get_urgency_hint");
  return get && window && window->GetHandle() && get(window->GetHandle()) != 0;
}

}  // namespace attention
