// The event loop's idle pass over a window and what it holds, limited to what the user can see.
// After each turn of the loop the tool kit visits every top-level window and, from each, every
// window it holds, the hidden ones and the top-level windows it owns included: those are visited
// again on their own. With hundreds of hidden windows (frames kept for later, row windows kept
// for reuse), the visits cost more than the turn's own work. A window hidden has nothing to do at
// idle time that cannot wait until it is shown; a window owned is visited as a top-level window.
#ifndef PARLAVOX_WIDGETS_IDLEPASS_H
#define PARLAVOX_WIDGETS_IDLEPASS_H

class wxIdleEvent;
class wxWindow;

namespace idlePass {

// What a window's own SendIdleEvents does, over `window` and the shown windows below it, leaving
// out the top-level windows it owns. Nothing when `window` is hidden. True when a window asked
// for more idle time.
bool SendToShown(wxWindow* window, wxIdleEvent& event);

}  // namespace idlePass

#endif
