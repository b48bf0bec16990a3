// Pixels of pictures for the tests that draw or decode images.
#ifndef PARLAVOX_TESTS_SUPPORT_PIXELS_H
#define PARLAVOX_TESTS_SUPPORT_PIXELS_H

#include <wx/colour.h>
#include <wx/image.h>

#include <cstdlib>
#include <string>

namespace testsupport {

inline wxColour PixelAt(const wxImage& image, int x, int y) {
  return wxColour(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y));
}

// Each channel within `tolerance` of the other colour's.
inline bool NearColour(const wxColour& a, const wxColour& b, int tolerance = 0) {
  return std::abs(a.Red() - b.Red()) <= tolerance && std::abs(a.Green() - b.Green()) <= tolerance &&
         std::abs(a.Blue() - b.Blue()) <= tolerance;
}

// "(r,g,b)", so that a failed comparison shows both colours.
inline std::string ColourText(const wxColour& c) {
  return "(" + std::to_string(c.Red()) + "," + std::to_string(c.Green()) + "," + std::to_string(c.Blue()) + ")";
}

}  // namespace testsupport

#endif
