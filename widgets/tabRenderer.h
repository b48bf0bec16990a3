// Drawing shared by every tab look: tab area, buttons, tab sizes and fitting.
#ifndef PARLAVOX_WIDGETS_TABRENDERER_H
#define PARLAVOX_WIDGETS_TABRENDERER_H

#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/dc.h>
#include <wx/event.h>
#include <wx/gdicmn.h>

#include <vector>

class TabStrip;

class TabRenderer {
 public:
  TabRenderer();
  virtual ~TabRenderer();

  // Paints the whole strip and records where each tab went.
  virtual void DrawTabArea(TabStrip* pc, wxDC& dc, wxEvent& event);
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

  void DrawTabListButton(TabStrip* pc, wxDC& dc);
  int LeftArrowButtonX(TabStrip* pc);
  int RightArrowButtonX(TabStrip* pc);
  int TabListButtonX(TabStrip* pc);
  int CloseButtonX(TabStrip* pc);
  // Width kept free at the right end of the strip for its buttons.
  int ButtonAreaWidth(TabStrip* pc);
  void DrawTabStripBorder(TabStrip* pc, wxDC& dc, int selX1, int selX2);

 protected:
  wxBitmap m_tabCloseBackground;
  wxBitmap m_closeButtonBackground;
  wxBitmap m_leftArrowBackground;
  wxBitmap m_rightArrowBackground;
};

// Each channel moved `percent` of the way to 255.
wxColour LightenColour(const wxColour& colour, int percent);
// Lines from start to end colour across rect (rows when vertical, else columns).
void FillGradientBox(wxDC& dc, const wxRect& rect, const wxColour& start, const wxColour& end,
                     bool vertical = true);
wxColour MakeRandomColour();

#endif
