// The fold icon of a block's header: a picture with a window of its own, so that it receives
// the clicks that fold and unfold the block.
#ifndef PARLAVOX_GUI_CONTACTS_MYBUTTONBITMAP_H
#define PARLAVOX_GUI_CONTACTS_MYBUTTONBITMAP_H

#include "widgets/cachedLook.h"

class MyButtonBitmap : public PictureWindow {
 public:
  MyButtonBitmap(wxWindow* parent, wxWindowID id, const wxBitmap& bitmap)
      : PictureWindow(parent, id, bitmap) {}
};

#endif
