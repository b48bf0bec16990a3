// Helpers for the window tests of the application: pumping events, finding controls, and
// answering a modal dialog with real input once it is on screen.
#ifndef PARLAVOX_TESTS_GUI_GUITESTSUPPORT_H
#define PARLAVOX_TESTS_GUI_GUITESTSUPPORT_H

#include <wx/dialog.h>
#include <wx/timer.h>
#include <wx/window.h>

#include <functional>
#include <vector>

namespace guitest {

void Pump(int ms);
// Generous by default: on a loaded two-core machine running the sanitizer build, a window can take
// seconds to be mapped and to take the focus. A condition that holds returns at once.
bool PumpUntil(const std::function<bool()>& cond, int ms = 10000);

// Shows `dialog` modally; once it is shown and has the keyboard, runs `input` (which sends
// real keys or clicks) and returns what ShowModal returned. A dialog still open after a few
// seconds is cancelled and the test fails.
int RunModal(wxDialog* dialog, const std::function<void()>& input);

// From inside a dialog's modal loop: waits until the dialog is on screen, then sends the input
// once; ends the dialog with -12345 (and sets timedOut) when it is still open long after.
class ModalDriver : public wxTimer {
 public:
  ModalDriver(wxDialog* dialog, const std::function<void()>& input);
  bool timedOut = false;

 private:
  void Notify() override;
  wxDialog* m_dialog;
  std::function<void()> m_input;
  int m_ticks = 0;
  bool m_sent = false;
};

template <class T>
std::vector<T*> FindChildren(wxWindow* parent) {
  std::vector<T*> found;
  for (wxWindow* child : parent->GetChildren()) {
    if (T* t = dynamic_cast<T*>(child)) found.push_back(t);
    for (T* t : FindChildren<T>(child)) found.push_back(t);
  }
  return found;
}

template <class T, class Pred>
T* FindChild(wxWindow* parent, Pred pred) {
  for (T* t : FindChildren<T>(parent))
    if (pred(t)) return t;
  return nullptr;
}

}  // namespace guitest

#endif
