// What the user sees of texts standing side by side in a window (a header's title and counts, a
// name beside a presence): each inside the window that holds it, none over another, each as
// high as its font's line, and each whole or cut with an ellipsis. The tests run at the usual
// font size and again with every font twice as large (GDK_DPI_SCALE=2).
#ifndef PARLAVOX_TESTS_GUI_TEXTFIT_H
#define PARLAVOX_TESTS_GUI_TEXTFIT_H

#include <wx/string.h>

#include <string>
#include <vector>

class wxWindow;

namespace textfit {

// Whether the tool kit draws the text of `label` (a static text) cut with an ellipsis now.
bool DrawnEllipsized(wxWindow* label);
// Whether a static text or a button shows its text cut with an ellipsis: drawn so by the tool
// kit, or given a label ending in "..." by the program.
bool Cut(wxWindow* text);
// Whether `text` shows `whole`: whole, or cut with an ellipsis (drawn so by the tool kit, or its
// beginning followed by "...").
bool WholeOrCut(wxWindow* text, const wxString& whole);
// One line per fault of `windows` (texts, and pictures beside them) within `holder`: a window
// outside the holder or over another, a text lower than its font's line, or narrower than the
// text it shows without being cut, a one-line field or combo box lower than its font's line or
// with less room than its text. Empty when the user sees every text.
std::string Faults(wxWindow* holder, const std::vector<wxWindow*>& windows);
// Whether the run has twice the usual font size (GDK_DPI_SCALE=2); when it has, checks that the
// tool kit took it, measuring a 12-point text on `window`.
bool LargeFont(wxWindow* window);

}  // namespace textfit

#endif
