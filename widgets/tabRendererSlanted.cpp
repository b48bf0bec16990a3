#include "widgets/tabRendererSlanted.h"

#include <wx/region.h>
#include <wx/settings.h>

#include <algorithm>
#include <cstdlib>

#include "widgets/tabStrip.h"
#include "widgets/tabbedNotebook.h"

namespace {

wxPen SolidPen(const wxColour& colour) { return wxPen(colour, 1, wxPENSTYLE_SOLID); }

wxColour System(wxSystemColour which) { return wxSystemSettings::GetColour(which); }

}  // namespace

TabRendererSlanted::TabRendererSlanted() : m_firstFill(true) {}

void TabRendererSlanted::Outline(int x, int W, int H, bool bottom, wxPoint* p) {
  if (!bottom) {
    p[0] = wxPoint(x + 1, H - 3);
    p[1] = wxPoint(x + H - 7, 6);
    p[2] = wxPoint(x + H - 3, 4);
    p[3] = wxPoint(x + H + W - 5, 4);
    p[4] = wxPoint(x + H + W - 4, 5);
    p[5] = wxPoint(x + H + W - 3, 6);
    p[6] = wxPoint(x + H + W - 3, H - 3);
  } else {
    p[0] = wxPoint(x, 2);
    p[1] = wxPoint(x + H - 8, H - 6);
    p[2] = wxPoint(x + H - 4, H - 4);
    p[3] = wxPoint(x + H + W - 6, H - 4);
    p[4] = wxPoint(x + H + W - 5, H - 5);
    p[5] = wxPoint(x + H + W - 4, H - 6);
    p[6] = wxPoint(x + H + W - 4, 2);
  }
  p[7] = p[0];
}

void TabRendererSlanted::CountTabsThatFit(TabStrip* pc, std::vector<wxRect>& out, int first) {
  out.clear();
  const int H = ComputeTabHeight(pc);
  const int clientWidth = pc->GetClientSize().GetWidth();
  const int count = static_cast<int>(pc->GetPageCount());
  int x = pc->GetNotebook()->GetTabPadding();
  if (first < 0) first = pc->GetFirstVisibleTab();
  for (int i = first; i < count; ++i) {
    const int w = ComputeTabWidth(pc, i, H);
    if (x + w + FitReserve(pc, H) + ButtonAreaWidth(pc) >= clientWidth) break;
    out.push_back(wxRect(x, 4, w, H));
    x += w + 10;
  }
}

int TabRendererSlanted::CaptionClearance(TabStrip* pc, int tabHeight) {
  const int H = tabHeight;
  const long style = pc->GetNotebook()->GetWindowStyleFlag();
  const bool bottom = (style & TNB_BOTTOM_TABS) != 0;
  // The neighbour's outline, placed at x = 0, and its left edge on every row of caption text.
  wxPoint p[8];
  Outline(0, 100, H, bottom, p);
  const int textY = bottom ? 6 : 10;
  const int textHeight = H - 16;
  int edge = p[2].x;
  for (int y = textY; y < textY + textHeight; ++y) edge = std::min(edge, TabEdgeXLeft(p, y, style));
  // With the padding P, a caption ends H - 16 - P pixels right of where the neighbour starts
  // (fitting puts it 10 pixels past the tab's width, the caption sits H - 6 + P into the tab);
  // it must end two pixels left of the neighbour's edge pen.
  const int captionEnd = H - 16 - pc->GetNotebook()->GetTabPadding();
  return std::max(0, captionEnd + 2 - edge);
}

void TabRendererSlanted::FillTabGradient(TabStrip* pc, wxDC& dc, const wxPoint* p, bool selected,
                                         int tabIndex) {
  if (m_firstFill) {
    m_firstFill = false;
    const wxColour face = System(wxSYS_COLOUR_BTNFACE);
    pc->SetGradientColourTo(LightenColour(face, 0));
    pc->SetGradientColourFrom(LightenColour(face, 60));
  }
  const bool bottom = pc->HasNotebookStyle(TNB_BOTTOM_TABS);
  const long style = pc->GetNotebook()->GetWindowStyleFlag();
  wxColour a = bottom ? pc->GetGradientColourTo() : pc->GetGradientColourFrom();
  wxColour b = bottom ? pc->GetGradientColourFrom() : pc->GetGradientColourTo();

  if (pc->HasNotebookStyle(TNB_RANDOM_TAB_COLOUR)) {
    TabPageInfo& info = pc->GetPageInfo(tabIndex);
    if (!info.GetColour().IsOk()) info.SetColour(MakeRandomColour());
    const wxColour& own = info.GetColour();
    a = LightenColour(own, bottom ? 50 : 80);
    b = LightenColour(own, bottom ? 80 : 50);
  }

  const int y0 = p[0].y;
  int size = std::abs(p[2].y - p[0].y) - 1;
  // A tab too low for two rows gets a flat fill instead of a division by zero.
  const double divisor = size > 0 ? size : 1;
  if (size < 0) size = 0;
  const double stepR = (a.Red() - b.Red()) / divisor;
  const double stepG = (a.Green() - b.Green()) / divisor;
  const double stepB = (a.Blue() - b.Blue()) / divisor;
  double sumR = 0, sumG = 0, sumB = 0;

  if (selected) DrawTabStripBorder(pc, dc, -1, -1);

  const wxPen edgePen = SolidPen(selected ? System(wxSYS_COLOUR_BTNSHADOW) : pc->GetBorderColour());
  for (int k = 0; k <= size; ++k) {
    const int y = bottom ? y0 + k : y0 - k;
    const wxColour row(static_cast<int>(b.Red() + sumR) & 0xff,
                       static_cast<int>(b.Green() + sumG) & 0xff,
                       static_cast<int>(b.Blue() + sumB) & 0xff);
    dc.SetPen(SolidPen(selected ? pc->GetActiveTabColour() : row));
    const int xl = TabEdgeXLeft(p, y, style);
    const int xr = TabEdgeXRight(p, y, style);
    dc.DrawLine(xl, y, xr, y);
    dc.SetPen(edgePen);
    dc.DrawPoint(xl, y);
    dc.DrawPoint(xr, y);
    sumR += stepR;
    sumG += stepG;
    sumB += stepB;
  }
}

void TabRendererSlanted::DrawTab(TabStrip* pc, wxDC& dc, const int& x, const int& tabIndex,
                                 const int& tabWidth, const int& tabHeight, int xButtonStatus) {
  const bool bottom = pc->HasNotebookStyle(TNB_BOTTOM_TABS);
  const bool selected = tabIndex == pc->GetSelection();
  const int H = tabHeight;
  const wxColour shadow = System(wxSYS_COLOUR_BTNSHADOW);

  wxPoint p[8];
  Outline(x, tabWidth, H, bottom, p);
  pc->GetPageInfo(tabIndex).SetRegion(wxRegion(8, p, wxODDEVEN_RULE));

  const wxBrush kept = dc.GetBrush();
  dc.SetBrush(wxBrush(selected ? pc->GetActiveTabColour() : pc->GetGradientColourTo()));
  dc.SetPen(SolidPen(selected ? shadow : pc->GetBorderColour()));
  dc.DrawPolygon(8, p, 0, 0, wxODDEVEN_RULE);
  dc.SetBrush(kept);

  const wxSize client = pc->GetClientSize();
  if (!selected && !bottom) {
    dc.SetPen(SolidPen(pc->GetBorderColour()));
    dc.DrawLine(x, client.GetHeight(), x + client.GetWidth(), client.GetHeight());
  }
  if (selected) {
    dc.SetPen(SolidPen(shadow));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawPolygon(8, p, 0, 0, wxODDEVEN_RULE);
    // Opens the selected tab towards its page.
    dc.SetPen(SolidPen(*wxWHITE));
    dc.DrawLine(p[0], p[6]);
  }

  FillTabGradient(pc, dc, p, selected, tabIndex);

  if (!selected) {
    // A light inner line along the rounded corner and the right edge.
    dc.SetPen(SolidPen(System(wxSYS_COLOUR_BTNFACE)));
    dc.DrawLine(p[4].x - 1, p[4].y, p[5].x - 1, p[5].y);
    dc.DrawLine(p[5].x - 1, p[5].y, p[6].x - 1, p[6].y);
  }

  const int shape = H - 6;
  const int padding = pc->GetNotebook()->GetTabPadding();
  const int textOffset =
      pc->TabHasImage(tabIndex) ? 2 * padding + 16 + shape : padding + shape;
  wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
  if (selected) font.SetWeight(wxFONTWEIGHT_BOLD);
  dc.SetFont(font);
  DrawTabContents(pc, dc, x, tabIndex, textOffset, bottom ? 6 : 10, xButtonStatus, false);
}

void TabRendererSlanted::DrawTabArea(TabStrip* pc, wxDC& dc, wxEvent& event) {
  TabDisableAntialias(dc);
  if (NothingToDraw(pc, dc, event)) return;
  const int count = static_cast<int>(pc->GetPageCount());
  const wxSize client = pc->GetClientSize();

  const int H = ComputeTabHeight(pc);
  const wxFont normal = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
  wxFont bold = normal;
  bold.SetWeight(wxFONTWEIGHT_BOLD);
  const wxPen borderPen = SolidPen(System(wxSYS_COLOUR_BTNSHADOW));
  const wxBrush otherBrush(System(wxSYS_COLOUR_BTNFACE));
  const wxBrush selBrush(pc->GetActiveTabColour());

  dc.SetTextBackground(pc->GetBackgroundColour());
  dc.SetTextForeground(pc->GetActiveTabTextColour());
  dc.SetPen(pc->HasNotebookStyle(TNB_THIN_BORDER) ? borderPen : *wxTRANSPARENT_PEN);

  const wxColour& area = pc->GetTabAreaColour();
  FillGradientBox(dc, wxRect(client), area,
                  LightenColour(area, pc->HasNotebookStyle(TNB_GRADIENT_TAB_AREA) ? 70 : 0), true);
  dc.SetBrush(*wxTRANSPARENT_BRUSH);
  dc.DrawRectangle(0, 0, client.GetWidth(), client.GetHeight());

  SaveButtonBackgrounds(pc, dc);

  dc.SetPen(borderPen);
  DrawTabStripBorder(pc, dc, -1, -1);
  dc.SetPen(borderPen);
  dc.SetFont(bold);

  const int from = pc->GetFirstVisibleTab();
  const int selection = pc->GetSelection();
  MarkHidden(pc, 0, from);

  std::vector<wxRect> rects;
  CountTabsThatFit(pc, rects, -1);
  const int fitted = static_cast<int>(rects.size());

  int selX = 0, selW = 0;
  for (int k = fitted - 1; k >= 0; --k) {
    const int i = from + k;
    const bool selected = i == selection;
    dc.SetPen(borderPen);
    dc.SetBrush(selected ? selBrush : otherBrush);
    dc.SetFont(selected ? bold : normal);
    const int w = ComputeTabWidth(pc, i, H);
    const int x = rects[k].x;
    TabPageInfo& info = pc->GetPageInfo(i);
    info.ClearRegion();
    const wxRect xr = info.GetXRect();
    info.SetXRect(wxRect(xr.x, xr.y, -1, -1));
    if (selected) {
      selX = x;
      selW = w;
    } else {
      DrawTab(pc, dc, x, i, w, H, pc->GetTabXButtonStatus());
    }
    dc.SetTextForeground(pc->GetActiveTabTextColour());
    info.SetPosition(wxPoint(x, 4));
    info.SetSize(wxSize(w, H));
  }

  // The selected tab lies on top of its neighbours.
  if (selection >= from && selection < from + fitted) {
    dc.SetPen(borderPen);
    dc.SetBrush(selBrush);
    dc.SetFont(bold);
    DrawTab(pc, dc, selX, selection, selW, H, pc->GetTabXButtonStatus());
    dc.SetTextForeground(pc->GetActiveTabTextColour());
  }

  MarkHidden(pc, from + fitted, count);

  DrawLeftArrowButton(pc, dc);
  DrawRightArrowButton(pc, dc);
  DrawCloseButton(pc, dc);
  DrawTabListButton(pc, dc);
}
