#include "widgets/idlePass.h"

#include <wx/event.h>
#include <wx/window.h>

#include <algorithm>
#include <vector>

namespace idlePass {
namespace {

struct LeftOutWindow {
  wxWindow* window;
  // The next pass that finds the window shown visits it.
  bool due;
};

// A handful at most (one per list of rows): looked through by address.
std::vector<LeftOutWindow>& LeftOutWindows() {
  static std::vector<LeftOutWindow> windows;
  return windows;
}

LeftOutWindow* FindLeftOut(const wxWindow* window) {
  std::vector<LeftOutWindow>& windows = LeftOutWindows();
  for (LeftOutWindow& entry : windows)
    if (entry.window == window) return &entry;
  return nullptr;
}

bool SendBelow(wxWindow* window, wxIdleEvent& event) {
  bool needMore = false;
  window->OnInternalIdle();
  if (wxIdleEvent::GetMode() == wxIDLE_PROCESS_ALL || window->HasExtraStyle(wxWS_EX_PROCESS_IDLE)) {
    event.SetEventObject(window);
    window->HandleWindowEvent(event);
    needMore = event.MoreRequested();
  }
  const bool anyLeftOut = !LeftOutWindows().empty();
  for (wxWindow* child : window->GetChildren()) {
    // A window left out is known by its address, without reading the window: the visit of a
    // window costs a miss of the processor's caches more than its own work.
    if (anyLeftOut) {
      const LeftOutWindow* leftOut = FindLeftOut(child);
      if (leftOut && !leftOut->due) continue;
    }
    // The window's own flag: the tool kit's answer asks the drawing library too, which costs
    // more than the visit it would spare (a notebook's pages not selected are still visited).
    if (child->IsTopLevel() || !child->wxWindowBase::IsShown()) continue;
    if (anyLeftOut) {
      if (LeftOutWindow* leftOut = FindLeftOut(child)) leftOut->due = false;
    }
    if (SendBelow(child, event)) needMore = true;
  }
  return needMore;
}

}  // namespace

bool SendToShown(wxWindow* window, wxIdleEvent& event) {
  if (!window->wxWindowBase::IsShown()) return false;
  return SendBelow(window, event);
}

LeftOut::LeftOut(wxWindow* window) : m_window(window) { LeftOutWindows().push_back(LeftOutWindow{window, true}); }

LeftOut::~LeftOut() {
  std::vector<LeftOutWindow>& windows = LeftOutWindows();
  windows.erase(std::remove_if(windows.begin(), windows.end(),
                               [this](const LeftOutWindow& entry) { return entry.window == m_window; }),
                windows.end());
}

void Due(wxWindow* window) {
  if (LeftOutWindows().empty()) return;
  for (wxWindow* at = window; at; at = at->GetParent()) {
    if (LeftOutWindow* leftOut = FindLeftOut(at)) {
      leftOut->due = true;
      return;
    }
    if (at->IsTopLevel()) return;
  }
}

bool IsLeftOut(const wxWindow* window) {
  const LeftOutWindow* leftOut = FindLeftOut(window);
  return leftOut && !leftOut->due;
}

}  // namespace idlePass
