// The program's icon, "Parlavox.ico" in the data directory, set on a top-level window.
#ifndef PARLAVOX_GUI_WINDOWICON_H
#define PARLAVOX_GUI_WINDOWICON_H

class wxTopLevelWindow;

// Leaves the window without icon when the file is missing or unreadable.
void SetProgramIcon(wxTopLevelWindow* window);

#endif
