#include "widgets/idlePass.h"

#include <wx/event.h>
#include <wx/window.h>

namespace idlePass {
namespace {

bool SendBelow(wxWindow* window, wxIdleEvent& event) {
  bool needMore = false;
  window->OnInternalIdle();
  if (wxIdleEvent::GetMode() == wxIDLE_PROCESS_ALL || window->HasExtraStyle(wxWS_EX_PROCESS_IDLE)) {
    event.SetEventObject(window);
    window->HandleWindowEvent(event);
    needMore = event.MoreRequested();
  }
  for (wxWindow* child : window->GetChildren()) {
    // The window's own flag: the tool kit's answer asks the drawing library too, which costs
    // more than the visit it would spare (a notebook's pages not selected are still visited).
    if (child->IsTopLevel() || !child->wxWindowBase::IsShown()) continue;
    if (SendBelow(child, event)) needMore = true;
  }
  return needMore;
}

}  // namespace

bool SendToShown(wxWindow* window, wxIdleEvent& event) {
  if (!window->wxWindowBase::IsShown()) return false;
  return SendBelow(window, event);
}

}  // namespace idlePass
