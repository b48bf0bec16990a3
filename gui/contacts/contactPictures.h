// The pictures the contacts list shares among all its rows and headers, loaded from the data
// directory's "img/" once and kept for the whole run. A missing file gives a blank picture.
#ifndef PARLAVOX_GUI_CONTACTS_CONTACTPICTURES_H
#define PARLAVOX_GUI_CONTACTS_CONTACTPICTURES_H

#include <wx/bitmap.h>

namespace contactPictures {

// Loads every picture still missing (GUI thread).
void LoadAll();
const wxBitmap& RoomGreen();  // a private room with the contact is open
const wxBitmap& RoomEmpty();  // none is
const wxBitmap& Mars();
const wxBitmap& Venus();
const wxBitmap& NoGender();
// The fold icons of a block's header.
const wxBitmap& TreeOpened();
const wxBitmap& TreeClosed();

}  // namespace contactPictures

#endif
