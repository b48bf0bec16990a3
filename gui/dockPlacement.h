// Where the small windows of the main window go on the screen: beside the main window's left
// edge at the height of their tool-bar button, on its right side when the left one has no room,
// and in any case wholly inside the work area of the display that holds the main window, so
// that a window without a title bar is never out of reach.
#ifndef PARLAVOX_GUI_DOCKPLACEMENT_H
#define PARLAVOX_GUI_DOCKPLACEMENT_H

#include <wx/gdicmn.h>

class wxWindow;

namespace dock {

// The top-left corner for a window of `size` docked to `main` with its top at `top`, inside `area`:
// left of `main`, else right of it, else on the side with more room (the right one for a tie).
wxPoint Beside(const wxRect& main, const wxSize& size, int top, const wxRect& area);
// `rect` moved (never resized) so that as much of it as can lies inside `area`, its top-left
// corner first.
wxPoint Inside(const wxRect& rect, const wxRect& area);
// The work area (without panels and docks) of the display showing `window`, or of the first
// display when it is on none.
wxRect WorkArea(const wxWindow* window);
// Moves `window` (its size kept) beside `main` by Beside, in the work area of `main`'s display.
void DockTo(wxWindow* window, const wxWindow* main, int top);
// Moves `window` inside the work area of its display when some of it is out.
void KeepInside(wxWindow* window);

}  // namespace dock

#endif
