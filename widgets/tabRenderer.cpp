#include "widgets/tabRenderer.h"

#include <wx/dcmemory.h>
#include <wx/graphics.h>
#include <wx/settings.h>

#include <cmath>
#include <cstdlib>

#include "widgets/tabStrip.h"
#include "widgets/tabTextMetrics.h"
#include "widgets/tabbedNotebook.h"

namespace {

// Process-wide size of the bold "Tp", measured once.
int g_tabTextWidth = -1;
int g_tabTextHeight = -1;

const wxColour kBoxedBackground(247, 243, 233);
const int kButtonY = 6;

// 1-pixel lines stay crisp on a cairo device.
void NoAntialias(wxDC& dc) {
  if (wxGraphicsContext* gc = dc.GetGraphicsContext()) gc->SetAntialiasMode(wxANTIALIAS_NONE);
}

int PageCount(TabStrip* pc) { return static_cast<int>(pc->GetPageCount()); }

int Padding(TabStrip* pc) { return pc->GetNotebook()->GetTabPadding(); }

// A small button glyph drawn in code: a frame when pressed or hovered, then the shape.
void DrawButtonFrame(wxDC& dc, int x, int status) {
  if (status != TNB_BUTTON_PRESSED && status != TNB_BUTTON_HOVER) return;
  dc.SetPen(wxPen(wxColour(0x47, 0x66, 0xe0)));
  dc.SetBrush(wxBrush(status == TNB_BUTTON_PRESSED ? wxColour(0x9e, 0x9e, 0xde)
                                                   : wxColour(0xc9, 0xda, 0xfb)));
  dc.DrawRectangle(x + 1, kButtonY + 1, 14, 13);
}

wxColour GlyphColour(int status) {
  return status == TNB_BUTTON_PRESSED || status == TNB_BUTTON_HOVER ? *wxBLACK
                                                                      : wxColour(0x55, 0x55, 0x55);
}

void DrawCross(wxDC& dc, int x, int y, const wxColour& colour) {
  dc.SetPen(wxPen(colour, 1));
  for (int d = 0; d < 2; ++d) {
    dc.DrawLine(x + 4 + d, y + 4, x + 11 + d, y + 11);
    dc.DrawLine(x + 11 - d, y + 4, x + 4 - d, y + 11);
  }
}

void DrawTriangle(wxDC& dc, const wxPoint* points, const wxColour& colour, bool filled) {
  dc.SetPen(wxPen(colour));
  dc.SetBrush(filled ? wxBrush(colour) : *wxTRANSPARENT_BRUSH);
  dc.DrawPolygon(3, points);
}

}  // namespace

TabRenderer::TabRenderer()
    : m_tabCloseBackground(16, 16),
      m_closeButtonBackground(16, 14),
      m_leftArrowBackground(16, 14),
      m_rightArrowBackground(16, 14) {}

TabRenderer::~TabRenderer() {}

int TabRenderer::CloseButtonX(TabStrip* pc) {
  int w = pc->GetClientSize().GetWidth();
  return pc->HasNotebookStyle(TNB_HIDE_CLOSE_BUTTON) ? w : w - 22;
}

int TabRenderer::RightArrowButtonX(TabStrip* pc) {
  int w = pc->GetClientSize().GetWidth();
  return pc->HasNotebookStyle(TNB_HIDE_CLOSE_BUTTON) ? w - 22 : w - 38;
}

int TabRenderer::LeftArrowButtonX(TabStrip* pc) {
  int w = pc->GetClientSize().GetWidth();
  return pc->HasNotebookStyle(TNB_HIDE_CLOSE_BUTTON) ? w - 38 : w - 54;
}

int TabRenderer::TabListButtonX(TabStrip* pc) { return RightArrowButtonX(pc); }

int TabRenderer::ButtonAreaWidth(TabStrip* pc) {
  bool noArrows = pc->HasNotebookStyle(TNB_NO_ROTATION_ARROWS);
  bool noClose = pc->HasNotebookStyle(TNB_HIDE_CLOSE_BUTTON);
  bool list = pc->HasNotebookStyle(TNB_DROP_DOWN_TAB_LIST);
  if (noArrows && noClose && !list) return 0;
  if (noArrows && !noClose && !list) return 22;
  if (!noArrows && noClose && !list) return 37;
  if (!noClose && list) return 38;
  if (noClose && list) return 22;
  return 53;
}

int TabRenderer::ComputeTabHeight(TabStrip*) {
  if (g_tabTextWidth == -1 && g_tabTextHeight == -1) {
    wxSize extent = MeasureBoldTabText();
    g_tabTextWidth = extent.GetWidth();
    g_tabTextHeight = extent.GetHeight();
  }
  return g_tabTextHeight + 16;
}

int TabRenderer::ComputeTabWidth(TabStrip* pc, int tabIndex, int tabHeight) {
  wxBitmap bmp(10, 10);
  wxMemoryDC dc(bmp);
  wxFont normal = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
  wxFont bold = normal;
  bold.SetWeight(wxFONTWEIGHT_BOLD);
  const int padding = Padding(pc);
  const TabPageInfo& info = pc->GetPageInfo(tabIndex);

  int shapePoints = 0;
  if (pc->HasDefaultTabShape())
    shapePoints = static_cast<int>(tabHeight * std::tan(info.GetTabAngle() / 180.0 * M_PI));

  dc.SetFont(tabIndex == pc->GetSelection() ? bold : normal);
  wxCoord w = 0, h = 0;
  dc.GetTextExtent(info.GetCaption(), &w, &h);
  dc.SelectObject(wxNullBitmap);
  if (w < 20) w = 20;

  int width = 2 * padding + w;
  if (pc->HasNotebookStyle(TNB_CLOSE_BUTTON_ON_ACTIVE_TAB) && tabIndex == pc->GetSelection())
    width += pc->HasNotebookStyle(TNB_SLANTED) ? padding + 4 : padding + 9;
  if (pc->HasDefaultTabShape()) width += 2 * shapePoints;
  if (pc->TabHasImage(tabIndex)) {
    width += padding + 16;
    if (pc->HasDefaultTabShape()) width += shapePoints / 2;
  }
  return width;
}

void TabRenderer::CountTabsThatFit(TabStrip* pc, std::vector<wxRect>& out, int first) {
  out.clear();
  const int tabHeight = ComputeTabHeight(pc);
  const int clientWidth = pc->GetClientSize().GetWidth();
  int x = Padding(pc);
  if (first < 0) first = pc->GetFirstVisibleTab();
  for (int i = first; i < PageCount(pc); ++i) {
    int w = ComputeTabWidth(pc, i, tabHeight);
    if (x + w + ButtonAreaWidth(pc) >= clientWidth) break;
    out.push_back(wxRect(x, 4, w, tabHeight));
    x += w + 10;
  }
}

void TabRenderer::CopyAreaToBitmap(wxDC& dc, const wxRect& rect, wxBitmap& bitmap) {
  wxMemoryDC mem;
  mem.SelectObject(bitmap);
  mem.Blit(0, 0, rect.width, rect.height, &dc, rect.x, rect.y, wxCOPY, false);
  mem.SelectObject(wxNullBitmap);
}

void TabRenderer::DrawTabArea(TabStrip* pc, wxDC& dc, wxEvent& event) {
  NoAntialias(dc);
  const int count = PageCount(pc);
  const wxSize client = pc->GetClientSize();
  const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
  const wxColour background = pc->HasNotebookStyle(TNB_BOXED) ? kBoxedBackground
                                                              : pc->GetTabAreaColour();
  dc.SetPen(wxPen(background));
  dc.SetBrush(wxBrush(background));
  dc.DrawRectangle(0, 0, client.GetWidth(), client.GetHeight());
  if (count == 0 || pc->GetFirstVisibleTab() >= count) {
    event.Skip();
    return;
  }

  const int tabHeight = ComputeTabHeight(pc);
  const wxPen borderPen(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW));
  DrawTabStripBorder(pc, dc, -1, -1);

  wxFont normal = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
  wxFont bold = normal;
  bold.SetWeight(wxFONTWEIGHT_BOLD);
  dc.SetBackgroundMode(wxTRANSPARENT);

  const int padding = Padding(pc);
  const bool bottom = pc->HasNotebookStyle(TNB_BOTTOM_TABS);
  int x = padding;
  const int from = pc->GetFirstVisibleTab();
  for (int i = 0; i < from; ++i) {
    pc->GetPageInfo(i).SetPosition(wxPoint(-1, -1));
    pc->GetPageInfo(i).ClearRegion();
  }
  int i = from;
  for (; i < count; ++i) {
    const bool selected = i == pc->GetSelection();
    dc.SetPen(borderPen);
    dc.SetBrush(wxBrush(selected ? pc->GetActiveTabColour() : face));
    dc.SetFont(selected ? bold : normal);
    int w = ComputeTabWidth(pc, i, tabHeight);
    if (x + w + ButtonAreaWidth(pc) >= client.GetWidth()) break;
    TabPageInfo& info = pc->GetPageInfo(i);
    info.ClearRegion();
    wxRect xr = info.GetXRect();
    info.SetXRect(wxRect(xr.x, xr.y, -1, -1));
    dc.SetTextForeground(pc->GetActiveTabTextColour());
    DrawTab(pc, dc, x, i, w, tabHeight, pc->GetTabXButtonStatus());
    info.SetPosition(wxPoint(x, bottom ? 0 : 4));
    info.SetSize(wxSize(w, tabHeight));
    x += w;
  }
  for (; i < count; ++i) {
    pc->GetPageInfo(i).SetPosition(wxPoint(-1, -1));
    pc->GetPageInfo(i).ClearRegion();
  }
  DrawLeftArrowButton(pc, dc);
  DrawRightArrowButton(pc, dc);
  DrawCloseButton(pc, dc);
  DrawTabListButton(pc, dc);
}

void TabRenderer::DrawTabStripBorder(TabStrip* pc, wxDC& dc, int, int) {
  const wxSize client = pc->GetClientSize();
  const bool bottom = pc->HasNotebookStyle(TNB_BOTTOM_TABS);
  dc.SetBrush(*wxTRANSPARENT_BRUSH);
  dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW)));
  // The line between the tabs and the page.
  int y = bottom ? 1 : client.GetHeight() - 2;
  dc.DrawLine(0, y, client.GetWidth(), y);
  if (pc->HasNotebookStyle(TNB_THIN_BORDER)) dc.DrawRectangle(0, 0, client.GetWidth(), client.GetHeight());
}

void TabRenderer::DrawActiveTabCloseButton(TabStrip* pc, wxDC& dc, const wxRect& rect,
                                           const int& tabIndex, int status) {
  if (!pc->HasNotebookStyle(TNB_CLOSE_BUTTON_ON_ACTIVE_TAB) || tabIndex < 0 ||
      tabIndex != pc->GetSelection())
    return;
  DrawCross(dc, rect.x - 1, rect.y,
            status == TNB_BUTTON_PRESSED ? *wxBLACK : wxColour(0x55, 0x55, 0x55));
  pc->GetPageInfo(tabIndex).SetXRect(wxRect(rect.x, rect.y, 14, 13));
}

void TabRenderer::DrawCloseButton(TabStrip* pc, wxDC& dc) {
  if (pc->GetPageCount() == 0 || pc->HasNotebookStyle(TNB_HIDE_CLOSE_BUTTON)) return;
  int x = CloseButtonX(pc);
  DrawButtonFrame(dc, x, pc->GetXButtonStatus());
  DrawCross(dc, x, kButtonY, GlyphColour(pc->GetXButtonStatus()));
}

void TabRenderer::DrawLeftArrowButton(TabStrip* pc, wxDC& dc) {
  if (pc->GetPageCount() == 0 || pc->HasNotebookStyle(TNB_NO_ROTATION_ARROWS)) return;
  int x = LeftArrowButtonX(pc);
  int status = pc->GetLeftArrowStatus();
  bool disabled = pc->GetFirstVisibleTab() == 0;
  if (!disabled) DrawButtonFrame(dc, x, status);
  wxPoint pts[3] = {wxPoint(x + 10, kButtonY + 3), wxPoint(x + 10, kButtonY + 11),
                    wxPoint(x + 6, kButtonY + 7)};
  DrawTriangle(dc, pts, GlyphColour(disabled ? TNB_BUTTON_NONE : status), !disabled);
}

void TabRenderer::DrawRightArrowButton(TabStrip* pc, wxDC& dc) {
  if (pc->GetPageCount() == 0 || pc->HasNotebookStyle(TNB_NO_ROTATION_ARROWS)) return;
  int x = RightArrowButtonX(pc);
  int status = pc->GetRightArrowStatus();
  bool disabled = !pc->GetPageInfoArray().back().IsHidden();
  if (!disabled) DrawButtonFrame(dc, x, status);
  wxPoint pts[3] = {wxPoint(x + 6, kButtonY + 3), wxPoint(x + 6, kButtonY + 11),
                    wxPoint(x + 10, kButtonY + 7)};
  DrawTriangle(dc, pts, GlyphColour(disabled ? TNB_BUTTON_NONE : status), !disabled);
}

void TabRenderer::DrawTabListButton(TabStrip* pc, wxDC& dc) {
  if (pc->GetPageCount() == 0 || !pc->HasNotebookStyle(TNB_DROP_DOWN_TAB_LIST)) return;
  int x = TabListButtonX(pc);
  int status = pc->GetTabListButtonStatus();
  DrawButtonFrame(dc, x, status);
  wxPoint pts[3] = {wxPoint(x + 4, kButtonY + 5), wxPoint(x + 12, kButtonY + 5),
                    wxPoint(x + 8, kButtonY + 9)};
  DrawTriangle(dc, pts, *wxBLACK, true);
}

void TabRenderer::DrawDropHint(TabStrip*, int) {}

wxColour LightenColour(const wxColour& colour, int percent) {
  auto channel = [percent](int c) { return c + (percent * (255 - c) * 100 / 100) / 100; };
  return wxColour(channel(colour.Red()), channel(colour.Green()), channel(colour.Blue()));
}

void FillGradientBox(wxDC& dc, const wxRect& rect, const wxColour& start, const wxColour& end,
                     bool vertical) {
  wxPen savedPen = dc.GetPen();
  wxBrush savedBrush = dc.GetBrush();
  int steps = vertical ? rect.height - 1 : rect.width - 1;
  if (steps >= 1) {
    for (int i = 0; i <= steps; ++i) {
      auto mix = [&](int a, int b) { return a + (i * (b - a) * 100 / steps) / 100; };
      dc.SetPen(wxPen(wxColour(mix(start.Red(), end.Red()), mix(start.Green(), end.Green()),
                               mix(start.Blue(), end.Blue()))));
      if (vertical)
        dc.DrawLine(rect.x, rect.y + i, rect.x + rect.width, rect.y + i);
      else
        dc.DrawLine(rect.x + i, rect.y, rect.x + i, rect.y + rect.height);
    }
  }
  dc.SetPen(savedPen);
  dc.SetBrush(savedBrush);
}

wxColour MakeRandomColour() { return wxColour(rand() % 256, rand() % 256, rand() % 256); }
