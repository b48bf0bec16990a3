#include "gui/contacts/lateDestruction.h"

#include <wx/app.h>
#include <wx/sizer.h>
#include <wx/weakref.h>
#include <wx/window.h>

#include <vector>

namespace lateDestruction {

namespace {

int g_holds = 0;
std::vector<wxWeakRef<wxWindow>>& Waiting_() {
  static std::vector<wxWeakRef<wxWindow>> waiting;
  return waiting;
}

bool HasWaitingAncestor(wxWindow* window) {
  for (wxWindow* up = window->GetParent(); up; up = up->GetParent())
    for (const wxWeakRef<wxWindow>& other : Waiting_())
      if (other.get() == up) return true;
  return false;
}

void ScheduleAll() {
  std::vector<wxWeakRef<wxWindow>> waiting;
  waiting.swap(Waiting_());
  // A window goes with its parent: only the outermost ones are scheduled.
  std::vector<wxWindow*> outer;
  Waiting_() = waiting;
  for (wxWeakRef<wxWindow>& window : waiting)
    if (window && !HasWaitingAncestor(window)) outer.push_back(window);
  Waiting_().clear();
  for (wxWindow* window : outer) wxTheApp->ScheduleForDestruction(window);
}

}  // namespace

Hold::Hold() { ++g_holds; }

Hold::~Hold() {
  if (--g_holds == 0 && !Waiting_().empty()) ScheduleAll();
}

void Discard(wxWindow* window) {
  if (!window) return;
  window->Hide();
  if (wxSizer* sizer = window->GetContainingSizer()) sizer->Detach(window);
  if (g_holds == 0) {
    wxTheApp->ScheduleForDestruction(window);
    return;
  }
  Waiting_().emplace_back(window);
}

bool Held() { return g_holds > 0; }

int Waiting() {
  int count = 0;
  for (const wxWeakRef<wxWindow>& window : Waiting_())
    if (window) ++count;
  return count;
}

}  // namespace lateDestruction
