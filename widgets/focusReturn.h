// A window that goes away hands the keyboard back to the window the user came from. Left to the
// window manager, the keyboard went to whatever window it chose, or to none at all when the
// window that closed was kept on top with others (the user's typing then went nowhere).
#ifndef PARLAVOX_WIDGETS_FOCUSRETURN_H
#define PARLAVOX_WIDGETS_FOCUSRETURN_H

class wxTopLevelWindow;

namespace focusReturn {

// For as long as `window` lives: each time it is shown it notes the window that has the keyboard
// (outside it), or where none has, the window whose click showed it; and each time it is hidden
// while it holds the keyboard, it gives the keyboard back to that window when it is still there
// and on screen, and no other window kept so was shown after it and still is.
void Keep(wxTopLevelWindow* window);

}  // namespace focusReturn

#endif
