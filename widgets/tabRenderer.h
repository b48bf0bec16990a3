// Drawing shared by every tab look: tab area, buttons, tab sizes and fitting.
#ifndef PARLAVOX_WIDGETS_TABRENDERER_H
#define PARLAVOX_WIDGETS_TABRENDERER_H

#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/dc.h>
#include <wx/event.h>
#include <wx/gdicmn.h>

#include <memory>
#include <vector>

class TabStrip;
class TabRendererImages;

class TabRenderer {
 public:
  TabRenderer();
  virtual ~TabRenderer();
  TabRenderer(const TabRenderer&) = delete;
  TabRenderer& operator=(const TabRenderer&) = delete;

  // Paints the whole strip and records where each tab went.
  virtual void DrawTabArea(TabStrip* pc, wxDC& dc, wxEvent& event);
  // The X of the selected tab, over the background saved under it; records its clickable area.
  virtual void DrawActiveTabCloseButton(TabStrip* pc, wxDC& dc, const wxRect& rect,
                                        const int& tabIndex, int status);
  virtual void DrawTab(TabStrip* pc, wxDC& dc, const int& x, const int& tabIndex,
                       const int& tabWidth, const int& tabHeight, int xButtonStatus) = 0;
  virtual int ComputeTabWidth(TabStrip* pc, int tabIndex, int tabHeight);
  virtual int ComputeTabHeight(TabStrip* pc);
  virtual void CopyAreaToBitmap(wxDC& dc, const wxRect& rect, wxBitmap& bitmap);
  virtual void DrawRightArrowButton(TabStrip* pc, wxDC& dc);
  virtual void DrawLeftArrowButton(TabStrip* pc, wxDC& dc);
  virtual void DrawCloseButton(TabStrip* pc, wxDC& dc);
  virtual void DrawDropHint(TabStrip* pc, int tabIndex);
  // Rectangles of the tabs that fit from `first` on (-1: the first visible tab).
  virtual void CountTabsThatFit(TabStrip* pc, std::vector<wxRect>& out, int first);

  // The caption as the tab shows it, measured in the DC's current font: whole when the tab fits
  // the strip on its own, else shortened with an ellipsis until it does. `width` receives the
  // shown caption's width.
  wxString ShownCaption(TabStrip* pc, wxDC& dc, int tabIndex, int tabHeight, int* width = nullptr);
  // Whether tab tabIndex shows its caption shortened.
  bool IsCaptionShortened(TabStrip* pc, int tabIndex);

  void DrawTabListButton(TabStrip* pc, wxDC& dc);
  int LeftArrowButtonX(TabStrip* pc);
  int RightArrowButtonX(TabStrip* pc);
  int TabListButtonX(TabStrip* pc);
  int CloseButtonX(TabStrip* pc);
  // Width kept free at the right end of the strip for its buttons.
  int ButtonAreaWidth(TabStrip* pc);
  // The line between tabs and pages; selX1 and selX2 bound the selected tab (-1 when unknown).
  void DrawTabStripBorder(TabStrip* pc, wxDC& dc, int selX1, int selX2);

  // Where a slanted outline of eight points crosses the row y (left and right side).
  int TabEdgeXLeft(const wxPoint* points, const int& y, long style);
  int TabEdgeXRight(const wxPoint* points, const int& y, long style);
  // Two vertical gradients that split rect: light on the side away from the pages.
  void FillTwoToneBox(wxDC& dc, const wxRect& rect, const bool& selected, const bool& upperTabs);

 protected:
  // What a tab adds to the width of its caption: padding, slant, image, the selected tab's X.
  int TabWidthBesidesCaption(TabStrip* pc, int tabIndex, int tabHeight);
  // Pixels a look keeps between a caption and the tab's right-hand neighbour beyond the padding
  // (part of the caption's minimum width of 20 pixels).
  virtual int CaptionClearance(TabStrip* pc, int tabHeight) { return 0; }
  // Pixels the fitting keeps free right of the last tab, besides the buttons.
  virtual int FitReserve(TabStrip* pc, int tabHeight) { return 0; }
  // The font a tab's caption is drawn in.
  static wxFont CaptionFont(bool selected);

  // True (and the paint event skipped) when the strip has no tab to show.
  bool NothingToDraw(TabStrip* pc, wxDC& dc, wxEvent& event);
  // Marks pages from..to-1 as not drawn: position (-1, -1), no region.
  void MarkHidden(TabStrip* pc, int from, int to);
  // The strip's background, its border and the boxed style's base line, under the tabs.
  void DrawAreaBackground(TabStrip* pc, wxDC& dc);
  // The tabs that fit, from the first visible one; where the selected one starts and ends.
  void DrawVisibleTabs(TabStrip* pc, wxDC& dc, int* selX1, int* selX2);
  // Draws the page's image and caption with the caption's left edge at x + textOffset, and,
  // when the style asks for it, the X of the selected tab right of the caption.
  // nonActiveColour: a tab that is not selected takes the strip's non-active text colour.
  void DrawTabContents(TabStrip* pc, wxDC& dc, int x, int tabIndex, int textOffset, int textY,
                       int xButtonStatus, bool nonActiveColour);
  // Lays bitmap at (x, 6) over the saved background of its button.
  void DrawButton(wxDC& dc, int x, const wxBitmap& background, const wxBitmap& image);
  // Saves the areas under the strip's X, right arrow and left arrow buttons.
  void SaveButtonBackgrounds(TabStrip* pc, wxDC& dc);
  const TabRendererImages& Images();

  wxBitmap m_tabCloseBackground;
  wxBitmap m_closeButtonBackground;
  wxBitmap m_leftArrowBackground;
  wxBitmap m_rightArrowBackground;

 private:
  std::unique_ptr<TabRendererImages> m_images;
};

// Each channel moved `percent` of the way to 255.
wxColour LightenColour(const wxColour& colour, int percent);
// Lines from start to end colour across rect (rows when vertical, else columns).
void FillGradientBox(wxDC& dc, const wxRect& rect, const wxColour& start, const wxColour& end,
                     bool vertical = true);
wxColour MakeRandomColour();
// The contrast ratio of two colours from their relative luminance: 1 (none) to 21 (black on
// white).
double ContrastRatio(const wxColour& a, const wxColour& b);
// Black or white, whichever reads better on every colour of a gradient from `from` to `to`.
wxColour ReadableTextColour(const wxColour& from, const wxColour& to);
// Turns off anti-aliasing on a cairo-backed DC so 1-pixel lines land on whole pixels.
void TabDisableAntialias(wxDC& dc);

#endif
