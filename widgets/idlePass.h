// The event loop's idle pass over a window and what it holds, limited to what the user can see
// and to the windows that have something to do at idle time.
// After each turn of the loop the tool kit visits every top-level window and, from each, every
// window it holds, the hidden ones and the top-level windows it owns included: those are visited
// again on their own. With hundreds of hidden windows (frames kept for later, row windows kept
// for reuse), the visits cost more than the turn's own work. A window hidden has nothing to do at
// idle time that cannot wait until it is shown; a window owned is visited as a top-level window.
//
// A window that holds hundreds of plain windows (panels, labels, pictures: a list of rows) may
// also be left out of the pass (LeftOut). The only idle work such windows have is the tool kit's
// keyboard order of a window's children, worked out at the first pass after windows were made
// below it, shown again, enabled or disabled: the list says when that happens (Due), and the
// next pass visits it whole, once. Nothing below a window left out may handle idle or update-UI
// events, or be of a kind that does its own work at idle time (a splitter, a generic list or
// tree, an HTML window).
#ifndef PARLAVOX_WIDGETS_IDLEPASS_H
#define PARLAVOX_WIDGETS_IDLEPASS_H

class wxIdleEvent;
class wxWindow;

namespace idlePass {

// What a window's own SendIdleEvents does, over `window` and the shown windows below it, leaving
// out the top-level windows it owns and the windows left out. Nothing when `window` is hidden.
// True when a window asked for more idle time.
bool SendToShown(wxWindow* window, wxIdleEvent& event);

// For as long as it lives, the pass leaves `window` and what it holds out, but for the first pass
// that finds it shown after it was made and after each Due below it.
class LeftOut {
 public:
  explicit LeftOut(wxWindow* window);
  ~LeftOut();
  LeftOut(const LeftOut&) = delete;
  LeftOut& operator=(const LeftOut&) = delete;

 private:
  wxWindow* m_window;
};

// Windows were made, shown, enabled or disabled at `window` or below it: the window left out that
// holds it has the next pass that finds it shown. Nothing when no window left out holds it.
void Due(wxWindow* window);

// Whether `window` is left out and waits for no pass (for the tests).
bool IsLeftOut(const wxWindow* window);

}  // namespace idlePass

#endif
