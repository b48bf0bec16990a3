// A window whose look (font and colours, which it paints its background and text with) is the
// tool kit's default for its kind, read once for all windows of that kind. A window with no
// font or colour set of its own has the tool kit read them anew, through a widget made for the
// purpose, each time they are asked for: at every paint, and whenever its text is measured or
// restyled. A list of rows, each with its pictures and labels, paid that at every redraw.
#ifndef PARLAVOX_WIDGETS_CACHEDLOOK_H
#define PARLAVOX_WIDGETS_CACHEDLOOK_H

#include <wx/generic/statbmpg.h>
#include <wx/stattext.h>

template <class Base>
class CachedLook : public Base {
 public:
  using Base::Base;

  wxVisualAttributes GetDefaultAttributes() const override {
    // Read on the GUI thread, the only one that makes or paints windows.
    static const wxVisualAttributes look = Base::GetDefaultAttributes();
    return look;
  }
};

// A picture that the program draws itself rather than the tool kit's image widget: it receives
// the mouse, and shows pictures of any size.
using PictureWindow = CachedLook<wxGenericStaticBitmap>;
// A label.
using LabelText = CachedLook<wxStaticText>;

#endif
