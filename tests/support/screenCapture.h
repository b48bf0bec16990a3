// What the X server shows in a rectangle of the screen, for the review pictures of
// `make screenshots`. It reads on a connection of its own: a screen device context of the tool
// kit can hand back a stale picture.
#ifndef PARLAVOX_TESTS_SUPPORT_SCREENCAPTURE_H
#define PARLAVOX_TESTS_SUPPORT_SCREENCAPTURE_H

#include <wx/image.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace screencapture {

inline wxImage Capture(const wxRect& rect) {
  wxImage img(rect.width, rect.height);
  Display* display = XOpenDisplay(nullptr);
  if (!display) return img;
  XImage* x = XGetImage(display, DefaultRootWindow(display), rect.x, rect.y, rect.width, rect.height, AllPlanes,
                        ZPixmap);
  if (x) {
    for (int row = 0; row < rect.height; ++row)
      for (int col = 0; col < rect.width; ++col) {
        unsigned long p = XGetPixel(x, col, row);
        img.SetRGB(col, row, (p >> 16) & 0xff, (p >> 8) & 0xff, p & 0xff);
      }
    XDestroyImage(x);
  }
  XCloseDisplay(display);
  return img;
}

}  // namespace screencapture

#endif
