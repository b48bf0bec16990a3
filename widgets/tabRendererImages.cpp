#include "widgets/tabRendererImages.h"

#include "widgets/tabbedNotebookStyle.h"

namespace {

const int kSize = 16;

struct Rgb {
  unsigned char r, g, b;
};

const Rgb kFrame = {0x47, 0x66, 0xe0};
const Rgb kPressedFill = {0x9e, 0x9e, 0xde};
const Rgb kHoverFill = {0xc9, 0xda, 0xfb};
const Rgb kGrey = {0x55, 0x55, 0x55};
const Rgb kBlack = {0, 0, 0};

void Put(wxImage& image, int x, int y, const Rgb& c) {
  if (x >= 0 && x < kSize && y >= 0 && y < kSize) image.SetRGB(x, y, c.r, c.g, c.b);
}

// A 1-pixel frame around the box from (left, top) to (right, bottom), filled inside.
void Box(wxImage& image, int left, int top, int right, int bottom, const Rgb& fill) {
  for (int y = top; y <= bottom; ++y)
    for (int x = left; x <= right; ++x) {
      bool edge = x == left || x == right || y == top || y == bottom;
      Put(image, x, y, edge ? kFrame : fill);
    }
}

// An X of 2-pixel strokes, 8 pixels wide and 7 high, from (x0, y0).
void Cross(wxImage& image, int x0, int y0, const Rgb& c) {
  for (int k = 0; k <= 6; ++k) {
    Put(image, x0 + k, y0 + k, c);
    Put(image, x0 + k + 1, y0 + k, c);
    Put(image, x0 + 7 - k, y0 + k, c);
    Put(image, x0 + 6 - k, y0 + k, c);
  }
}

// A triangle 5 columns wide and 9 rows high; its point is at (tipX, tipY); dir -1 points left.
void Arrow(wxImage& image, int tipX, int tipY, int dir, bool solid, const Rgb& c) {
  for (int d = 0; d <= 4; ++d) {
    int x = tipX - dir * d;
    for (int y = tipY - d; y <= tipY + d; ++y) {
      bool edge = d == 4 || y == tipY - d || y == tipY + d;
      if (solid || edge) Put(image, x, y, c);
    }
  }
}

// A triangle pointing down, 9 pixels wide and 5 rows high, from (x0, y0).
void Down(wxImage& image, int x0, int y0, const Rgb& c) {
  for (int r = 0; r < 5; ++r)
    for (int x = x0 + r; x <= x0 + 8 - r; ++x) Put(image, x, y0 + r, c);
}

// A picture all of the mask colour.
wxImage Blank() {
  wxImage image(kSize, kSize);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x)
      image.SetRGB(x, y, TabRendererImages::kMaskRed, TabRendererImages::kMaskGreen,
                   TabRendererImages::kMaskBlue);
  return image;
}

int Slot(int status) {
  return status == TNB_BUTTON_PRESSED ? 0 : status == TNB_BUTTON_HOVER ? 1 : 2;
}

}  // namespace

wxImage TabRendererImages::MakeImage(Glyph glyph, Look look) {
  wxImage image = Blank();
  const bool framed = look == kPressed || look == kHover;
  const Rgb fill = look == kPressed ? kPressedFill : kHoverFill;
  // Pressed glyphs sit one pixel lower and further right (the tab list triangle two lower).
  const int shift = look == kPressed ? 1 : 0;
  const Rgb ink = framed ? kBlack : kGrey;
  switch (glyph) {
    case kCross:
      if (framed) Box(image, 1, 1, 14, 13, fill);
      Cross(image, 4 + shift, 4 + shift, ink);
      break;
    case kLeftArrow:
      if (framed) Box(image, 1, 1, 14, 13, fill);
      Arrow(image, 5 + shift, 7 + shift, -1, look != kDisabled, ink);
      break;
    case kRightArrow:
      if (framed) Box(image, 1, 1, 14, 13, fill);
      Arrow(image, 10 + shift, 7 + shift, 1, look != kDisabled, ink);
      break;
    case kTabList:
      if (framed) Box(image, 2, 1, 14, 13, fill);
      Down(image, 4, 5 + 2 * shift, kBlack);
      break;
  }
  return image;
}

wxBitmap TabRendererImages::Masked(const wxImage& image) {
  wxImage copy = image;
  copy.SetMaskColour(kMaskRed, kMaskGreen, kMaskBlue);
  return wxBitmap(copy);
}

TabRendererImages::TabRendererImages() {
  const Look looks[] = {kPressed, kHover, kPlain, kDisabled};
  for (int i = 0; i < 3; ++i) {
    m_close[i] = Masked(MakeImage(kCross, looks[i]));
    m_tabList[i] = Masked(MakeImage(kTabList, looks[i]));
  }
  for (int i = 0; i < 4; ++i) {
    m_left[i] = Masked(MakeImage(kLeftArrow, looks[i]));
    m_right[i] = Masked(MakeImage(kRightArrow, looks[i]));
  }
  // The X on the selected tab has no frame: black and pressed in, or the plain grey X.
  wxImage pressed = Blank();
  Cross(pressed, 5, 5, kBlack);
  m_tabClose[0] = Masked(pressed);
  m_tabClose[1] = m_close[2];
}

const wxBitmap& TabRendererImages::CloseButton(int status) const { return m_close[Slot(status)]; }

const wxBitmap& TabRendererImages::TabCloseButton(int status) const {
  return status == TNB_BUTTON_PRESSED ? m_tabClose[0] : m_tabClose[1];
}

const wxBitmap& TabRendererImages::LeftArrow(int status, bool disabled) const {
  return disabled ? m_left[3] : m_left[Slot(status)];
}

const wxBitmap& TabRendererImages::RightArrow(int status, bool disabled) const {
  return disabled ? m_right[3] : m_right[Slot(status)];
}

const wxBitmap& TabRendererImages::TabList(int status) const { return m_tabList[Slot(status)]; }
