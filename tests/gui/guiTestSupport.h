// Helpers for the window tests of the application: pumping events, finding controls, and
// answering a modal dialog with real input once it is on screen.
#ifndef PARLAVOX_TESTS_GUI_GUITESTSUPPORT_H
#define PARLAVOX_TESTS_GUI_GUITESTSUPPORT_H

#include <wx/dialog.h>
#include <wx/eventfilter.h>
#include <wx/mousestate.h>
#include <wx/timer.h>
#include <wx/window.h>

#include <functional>
#include <vector>

namespace guitest {

void Pump(int ms);
// Runs a real event loop for `ms`, as the program runs when nothing happens: its idle time (as
// often as a handler asks for more), its timers and what they bring, nothing of the test's own.
void RunLoopFor(int ms);
// Generous by default: on a loaded two-core machine running the sanitizer build, a window can take
// seconds to be mapped and to take the focus. A condition that holds returns at once.
bool PumpUntil(const std::function<bool()>& cond, int ms = 10000);

// Real pointer input that waits for the display instead of for a fixed time: on a loaded machine
// a move can still be on its way when the click after it is sent, a window shown a moment ago may
// not be mapped yet, and a layout may move a control after its place was taken.

// The display has the pointer at `point` (screen coordinates), over the top-level window holding
// `w`, mapped and in front there.
bool PointerRestsOn(wxWindow* w, const wxPoint& point);
// Sends the pointer to `point`, without waiting.
void SendPointerTo(const wxPoint& point);
// Moves the pointer to `point` over `w` and waits until the display has it there (the move sent
// again now and then); then lets the toolkit take the enter and motion events.
bool MovePointer(wxWindow* w, const wxPoint& point);
inline wxPoint Middle(wxWindow* w) { return w->GetScreenRect().GetPosition() + w->GetSize() / 2; }
// A real click (or double click) of `button` in the middle of `w`, the pointer brought there
// first; events then until `done` holds. A click whose press did not reach `w` or its children
// (lost, or gone to another window) is sent again; one that reached it is never repeated. With no
// `done`, true once the press reached `w`.
bool ClickOn(wxWindow* w, const std::function<bool()>& done = nullptr, int button = wxMOUSE_BTN_LEFT, bool twice = false);
// The same at `offset` from the top left corner of `w`.
bool ClickAt(wxWindow* w, const wxPoint& offset, const std::function<bool()>& done, int button = wxMOUSE_BTN_LEFT,
             bool twice = false);

// The X window of the top-level window holding `w`; 0 while it has none.
unsigned long TopLevelXWindow(wxWindow* w);

// The state a window manager gave the top-level window holding `w` (WM_STATE): 1 normal, 3
// iconic; 0 when it gave none (withdrawn, or not managed).
long ManagedState(wxWindow* w);
// The window manager keeps the top-level window holding `w` above the others (_NET_WM_STATE_ABOVE
// in its _NET_WM_STATE); it says nothing of a window it does not show.
bool KeptAbove(wxWindow* w);
// Whether the display stacks the top-level window holding `upper` above the one holding `lower`;
// under a window manager, the frames it put them in.
bool StackedAbove(wxWindow* upper, wxWindow* lower);
// The window manager shows the top-level window holding `w` (normal state), the toolkit has
// heard so, and it puts `w` where the display has that window: while the manager puts its frame
// around the window, the toolkit counts places from the window alone, and a point worked out from
// them is off.
bool Managed(wxWindow* w);

// The top-level window titled `title` (one of the program's, or a box the toolkit shows through
// the desktop's own dialogs, which is none of its windows), mapped on the display; 0 when none.
unsigned long ShownWindowTitled(const wxString& title);
// What a window manager sends when the user clicks the close box of the window titled `title`;
// false when no such window is shown.
bool SendCloseBox(const wxString& title);

// Counts the keys (modifiers aside) pressed anywhere in the program while it lives. A key's
// character is handled in the same turn as its press (its release may never come to the program,
// when the press closed the window that had the keyboard): a test that types waits for as many
// presses as keys it sent, instead of for a fixed time.
class KeyPresses : public wxEventFilter {
 public:
  KeyPresses();
  ~KeyPresses() override;
  int FilterEvent(wxEvent& event) override;
  int count = 0;
};

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
