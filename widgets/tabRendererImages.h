// The 16 x 16 pictures of the tab strip's buttons, drawn pixel by pixel in code.
#ifndef PARLAVOX_WIDGETS_TABRENDERERIMAGES_H
#define PARLAVOX_WIDGETS_TABRENDERERIMAGES_H

#include <wx/bitmap.h>
#include <wx/image.h>

class TabRendererImages {
 public:
  // The colour that stands for "transparent" in every picture; the bitmaps carry it as mask.
  static const unsigned char kMaskRed = 0;
  static const unsigned char kMaskGreen = 128;
  static const unsigned char kMaskBlue = 128;

  TabRendererImages();

  // status: TNB_BUTTON_PRESSED, TNB_BUTTON_HOVER, anything else plain.
  const wxBitmap& CloseButton(int status) const;
  const wxBitmap& TabCloseButton(int status) const;
  const wxBitmap& LeftArrow(int status, bool disabled) const;
  const wxBitmap& RightArrow(int status, bool disabled) const;
  const wxBitmap& TabList(int status) const;

  // The pictures themselves, before they become bitmaps (for tests and for the bitmaps above).
  enum Glyph { kCross, kLeftArrow, kRightArrow, kTabList };
  enum Look { kPressed, kHover, kPlain, kDisabled };
  static wxImage MakeImage(Glyph glyph, Look look);

 private:
  static wxBitmap Masked(const wxImage& image);

  wxBitmap m_close[3];     // pressed, hover, plain
  wxBitmap m_tabClose[2];  // pressed, plain
  wxBitmap m_left[4];      // pressed, hover, plain, disabled
  wxBitmap m_right[4];
  wxBitmap m_tabList[3];
};

#endif
