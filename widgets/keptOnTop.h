// The user's "always on top" choice holds for every window of the program, not for the main
// window alone: a window left in the normal layer lies under the ones kept on top, where the
// user can neither see nor raise it. Each window the program opens joins here when it is made;
// it is kept on top while the choice is on, and follows when the choice changes.
#ifndef PARLAVOX_WIDGETS_KEPTONTOP_H
#define PARLAVOX_WIDGETS_KEPTONTOP_H

class wxTopLevelWindow;

namespace keptOnTop {

// `window` follows the choice from now on, for as long as it lives, starting with the stored one.
void Follow(wxTopLevelWindow* window);
// Every window that follows is kept on top (true) or no longer (false).
void Apply(bool on);

}  // namespace keptOnTop

#endif
