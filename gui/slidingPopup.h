// What the notification pop-up asks of the window system so that its slide, a line at a time a
// hundred times a second, costs little. Both are hints: where the window system does not take
// them, the pop-up slides as any window moves, drawing each line as it comes into view.
#ifndef PARLAVOX_GUI_SLIDINGPOPUP_H
#define PARLAVOX_GUI_SLIDINGPOPUP_H

class wxTopLevelWindow;

namespace slidingPopup {

// The window has no frame of its own: its place is that of its top left corner. Told so, the
// tool kit reads where the window went, after each step of the slide, in one question to the
// window system instead of asking it for the window's frame, its parents and its size in turn.
void PlaceByItsOwnCorner(wxTopLevelWindow* window);

// The window system keeps the window's whole picture, the part still below the edge of the screen
// included: each line that slides into view is shown from it at once, without the program being
// asked to draw it again. Called once the window is shown (it then stands on the server).
void KeepWholePicture(wxTopLevelWindow* window);

}  // namespace slidingPopup

#endif
