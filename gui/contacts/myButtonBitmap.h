// The fold icon of a block's header: a picture with a window of its own, so that it receives
// the clicks that fold and unfold the block.
#ifndef PARLAVOX_GUI_CONTACTS_MYBUTTONBITMAP_H
#define PARLAVOX_GUI_CONTACTS_MYBUTTONBITMAP_H

#include <wx/generic/statbmpg.h>

class MyButtonBitmap : public wxGenericStaticBitmap {
 public:
  MyButtonBitmap(wxWindow* parent, wxWindowID id, const wxBitmap& bitmap)
      : wxGenericStaticBitmap(parent, id, bitmap) {}
};

#endif
