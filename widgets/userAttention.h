// The desktop's attention for a window (its task-bar entry marked as wanting the user), asked
// without running the event loop: the toolkit's own request processes pending events while it
// asks, so anything those run (a queued message, a window's close and the question it opens)
// would run inside it, and a question opened there never gets the keyboard or the mouse.
#ifndef PARLAVOX_WIDGETS_USERATTENTION_H
#define PARLAVOX_WIDGETS_USERATTENTION_H

class wxTopLevelWindow;

namespace attention {

// Marks the window as wanting the user unless it is the active one; the mark goes when the user
// comes to the window. Runs nothing else.
void Ask(wxTopLevelWindow* window);
// Whether the window is marked (false where the toolkit offers no such mark).
bool IsAsked(wxTopLevelWindow* window);

}  // namespace attention

#endif
