// What of a window the user cannot see, read from the windows' own geometry: a top-level window
// that leaves the screen, a text or a picture that lies outside its window or outside the panel
// that holds it, a text narrower or lower than the text it shows, a picture larger than the
// control that draws it.
#ifndef PARLAVOX_TESTS_GUI_SCREEN_SCREENCHECK_H
#define PARLAVOX_TESTS_GUI_SCREEN_SCREENCHECK_H

#include <wx/gdicmn.h>

#include <string>
#include <vector>

class wxWindow;

namespace screencheck {

// One line per fault of `top` and of its shown descendants (not of other top-level windows);
// empty when the user sees everything.
std::vector<std::string> Hidden(wxWindow* top);
// The same, the lines joined.
std::string HiddenText(wxWindow* top);
// How far from its left edge the text of `label` is drawn on the screen now: the last column
// holding a pixel unlike the label's background, plus one (0 when nothing is drawn).
int DrawnWidth(wxWindow* label);
// The width the text of `label` takes in its own font, on one line.
int TextWidth(wxWindow* label);
// Whether `inner` lies wholly inside `outer`.
bool Within(const wxRect& inner, const wxRect& outer);

}  // namespace screencheck

#endif
