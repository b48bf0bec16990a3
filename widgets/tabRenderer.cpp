#include "widgets/tabRenderer.h"

#include <wx/control.h>
#include <wx/dcmemory.h>
#include <wx/graphics.h>
#include <wx/settings.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "widgets/tabRendererImages.h"
#include "widgets/tabStrip.h"
#include "widgets/tabTextMetrics.h"
#include "widgets/tabbedNotebook.h"

namespace {

// Process-wide size of the bold "Tp", measured once.
int g_tabTextWidth = -1;
int g_tabTextHeight = -1;

// Background of the strip in the "Boxed" look.
const wxColour kBoxedBackground(247, 243, 233);
// Every button is drawn at this y; its saved background is 16 x 14.
const int kButtonY = 6;
const int kButtonWidth = 16;
const int kButtonBackgroundHeight = 14;

int PageCount(TabStrip* pc) { return static_cast<int>(pc->GetPageCount()); }

int Padding(TabStrip* pc) { return pc->GetNotebook()->GetTabPadding(); }

wxColour System(wxSystemColour which) { return wxSystemSettings::GetColour(which); }

wxPen SolidPen(const wxColour& colour) { return wxPen(colour, 1, wxPENSTYLE_SOLID); }

}  // namespace

void TabDisableAntialias(wxDC& dc) {
  if (wxGraphicsContext* gc = dc.GetGraphicsContext()) gc->SetAntialiasMode(wxANTIALIAS_NONE);
}

TabRenderer::TabRenderer()
    : m_tabCloseBackground(16, 16),
      m_closeButtonBackground(kButtonWidth, kButtonBackgroundHeight),
      m_leftArrowBackground(kButtonWidth, kButtonBackgroundHeight),
      m_rightArrowBackground(kButtonWidth, kButtonBackgroundHeight) {}

TabRenderer::~TabRenderer() {}

const TabRendererImages& TabRenderer::Images() {
  if (!m_images) m_images.reset(new TabRendererImages);
  return *m_images;
}

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

wxFont TabRenderer::CaptionFont(bool selected) {
  return selected ? BoldTabFont() : wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
}

int TabRenderer::TabWidthBesidesCaption(TabStrip* pc, int tabIndex, int tabHeight) {
  const int padding = Padding(pc);
  const TabPageInfo& info = pc->GetPageInfo(tabIndex);
  const bool selected = tabIndex == pc->GetSelection();
  const bool defaultShape = pc->HasDefaultTabShape();

  int shapePoints = 0;
  if (defaultShape)
    shapePoints = static_cast<int>(tabHeight * std::tan(info.GetTabAngle() / 180.0 * M_PI));

  int width = 2 * padding;
  if (pc->HasNotebookStyle(TNB_CLOSE_BUTTON_ON_ACTIVE_TAB) && selected)
    width += pc->HasNotebookStyle(TNB_SLANTED) ? padding + 4 : padding + 9;
  if (defaultShape) width += 2 * shapePoints;
  if (pc->TabHasImage(tabIndex)) {
    width += padding + 16;
    if (defaultShape) width += shapePoints / 2;
  }
  return width;
}

wxString TabRenderer::ShownCaption(TabStrip* pc, wxDC& dc, int tabIndex, int tabHeight,
                                   int* width) {
  const wxString& caption = pc->GetPageInfo(tabIndex).GetCaption();
  wxCoord w = 0, h = 0;
  dc.GetTextExtent(caption, &w, &h);
  // The widest caption that still lets the tab fit the strip alone (see CountTabsThatFit).
  const int room = pc->GetClientSize().GetWidth() - Padding(pc) - ButtonAreaWidth(pc) -
                   FitReserve(pc, tabHeight) - 1 - TabWidthBesidesCaption(pc, tabIndex, tabHeight) -
                   CaptionClearance(pc, tabHeight);
  wxString shown = caption;
  if (w > room) {
    shown = room > 0 ? wxControl::Ellipsize(caption, dc, wxELLIPSIZE_END, room,
                                            wxELLIPSIZE_FLAGS_NONE)
                     : wxString();
    dc.GetTextExtent(shown, &w, &h);
  }
  if (width) *width = w;
  return shown;
}

bool TabRenderer::IsCaptionShortened(TabStrip* pc, int tabIndex) {
  if (tabIndex < 0 || tabIndex >= PageCount(pc)) return false;
  wxBitmap bmp(10, 10);
  wxMemoryDC dc(bmp);
  dc.SetFont(CaptionFont(tabIndex == pc->GetSelection()));
  const bool shortened = ShownCaption(pc, dc, tabIndex, ComputeTabHeight(pc)) !=
                         pc->GetPageInfo(tabIndex).GetCaption();
  dc.SelectObject(wxNullBitmap);
  return shortened;
}

int TabRenderer::ComputeTabWidth(TabStrip* pc, int tabIndex, int tabHeight) {
  wxBitmap bmp(10, 10);
  wxMemoryDC dc(bmp);
  dc.SetFont(CaptionFont(tabIndex == pc->GetSelection()));
  int w = 0;
  ShownCaption(pc, dc, tabIndex, tabHeight, &w);
  dc.SelectObject(wxNullBitmap);
  // The caption takes at least 20 pixels, which may already hold its clearance.
  return TabWidthBesidesCaption(pc, tabIndex, tabHeight) +
         std::max(w + CaptionClearance(pc, tabHeight), 20);
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

void TabRenderer::SaveButtonBackgrounds(TabStrip* pc, wxDC& dc) {
  CopyAreaToBitmap(dc, wxRect(CloseButtonX(pc), kButtonY, kButtonWidth, kButtonBackgroundHeight),
                   m_closeButtonBackground);
  CopyAreaToBitmap(dc,
                   wxRect(RightArrowButtonX(pc), kButtonY, kButtonWidth, kButtonBackgroundHeight),
                   m_rightArrowBackground);
  CopyAreaToBitmap(dc,
                   wxRect(LeftArrowButtonX(pc), kButtonY, kButtonWidth, kButtonBackgroundHeight),
                   m_leftArrowBackground);
}

bool TabRenderer::NothingToDraw(TabStrip* pc, wxDC& dc, wxEvent& event) {
  const int count = PageCount(pc);
  if (count > 0 && pc->GetFirstVisibleTab() < count) return false;
  // The area is cleared all the same, so a buffered paint never shows an unpainted buffer.
  const wxSize client = pc->GetClientSize();
  dc.SetPen(SolidPen(pc->GetBackgroundColour()));
  dc.SetBrush(wxBrush(pc->GetBackgroundColour()));
  dc.DrawRectangle(0, 0, client.GetWidth(), client.GetHeight());
  event.Skip(true);
  // A strip without pages goes out of sight, after the paint (hiding re-lays the notebook out).
  // A first visible tab past the last page is the strip's to mend: it keeps its place.
  if (count == 0 && pc->IsShown()) {
    pc->CallAfter([pc] {
      if (pc->GetPageCount() == 0 && pc->IsShown()) {
        pc->Hide();
        if (pc->GetParent()) pc->GetParent()->Layout();
      }
    });
  }
  return true;
}

void TabRenderer::MarkHidden(TabStrip* pc, int from, int to) {
  for (int i = from; i < to; ++i) {
    pc->GetPageInfo(i).SetPosition(wxPoint(-1, -1));
    pc->GetPageInfo(i).ClearRegion();
  }
}

void TabRenderer::DrawTabArea(TabStrip* pc, wxDC& dc, wxEvent& event) {
  TabDisableAntialias(dc);
  if (NothingToDraw(pc, dc, event)) return;
  DrawAreaBackground(pc, dc);
  int selX1 = -1;
  int selX2 = -1;
  DrawVisibleTabs(pc, dc, &selX1, &selX2);
  DrawLeftArrowButton(pc, dc);
  DrawRightArrowButton(pc, dc);
  DrawCloseButton(pc, dc);
  DrawTabListButton(pc, dc);
  if (pc->HasNotebookStyle(TNB_ROUNDED)) DrawTabStripBorder(pc, dc, selX1, selX2);
}

void TabRenderer::DrawAreaBackground(TabStrip* pc, wxDC& dc) {
  const wxSize client = pc->GetClientSize();
  const bool boxed = pc->HasNotebookStyle(TNB_BOXED);
  const bool rounded = pc->HasNotebookStyle(TNB_ROUNDED);
  const bool bottom = pc->HasNotebookStyle(TNB_BOTTOM_TABS);
  const wxSize window = pc->GetSize();
  const int SW = window.GetWidth();
  const int SH = window.GetHeight();
  const wxPen borderPen = SolidPen(System(wxSYS_COLOUR_BTNSHADOW));

  dc.SetTextBackground(boxed ? kBoxedBackground : pc->GetBackgroundColour());
  dc.SetTextForeground(pc->GetActiveTabTextColour());
  dc.SetBrush(wxBrush(boxed ? kBoxedBackground : pc->GetTabAreaColour()));
  if (pc->HasNotebookStyle(TNB_THIN_BORDER))
    dc.SetPen(borderPen);
  else
    dc.SetPen(SolidPen(boxed ? kBoxedBackground : pc->GetBackgroundColour()));

  if (!rounded) {
    dc.DrawRectangle(0, 0, SW, SH);
  } else {
    const wxColour& area = pc->GetTabAreaColour();
    wxColour light = LightenColour(area, pc->HasNotebookStyle(TNB_GRADIENT_TAB_AREA) ? 70 : 0);
    FillGradientBox(dc, wxRect(client), area, light, true);
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(0, 0, SW, SH);
  }

  SaveButtonBackgrounds(pc, dc);

  dc.SetPen(borderPen);
  if (!rounded) DrawTabStripBorder(pc, dc, -1, -1);
  dc.SetPen(borderPen);

  if (boxed) {
    const int y1 = bottom ? 0 : SH - 2;
    const int y2 = bottom ? 3 : SH - 3;
    dc.SetPen(SolidPen(System(wxSYS_COLOUR_BTNFACE)));
    for (int y = y1; y <= y1 + 2; ++y) dc.DrawLine(0, y, SW, y);
    dc.SetPen(bottom ? *wxBLACK_PEN : *wxWHITE_PEN);
    dc.DrawLine(1, y2, SW - 1, y2);
    dc.SetPen(borderPen);
  }
}

void TabRenderer::DrawVisibleTabs(TabStrip* pc, wxDC& dc, int* selX1, int* selX2) {
  const int count = PageCount(pc);
  const int W = pc->GetClientSize().GetWidth();
  const bool rounded = pc->HasNotebookStyle(TNB_ROUNDED);
  const bool bottom = pc->HasNotebookStyle(TNB_BOTTOM_TABS);
  const int tabHeight = ComputeTabHeight(pc);
  const wxPen borderPen = SolidPen(System(wxSYS_COLOUR_BTNSHADOW));
  const wxBrush faceBrush(System(wxSYS_COLOUR_BTNFACE));
  const wxBrush selBrush(pc->GetActiveTabColour());
  const wxFont normal = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
  const wxFont bold = BoldTabFont();
  dc.SetFont(bold);

  const int from = pc->GetFirstVisibleTab();
  const int selection = pc->GetSelection();
  int x = Padding(pc);
  MarkHidden(pc, 0, from);
  int i = from;
  for (; i < count; ++i) {
    const bool selected = i == selection;
    dc.SetPen(borderPen);
    if (!rounded) dc.SetBrush(selected ? selBrush : faceBrush);
    dc.SetFont(selected ? bold : normal);
    const int w = ComputeTabWidth(pc, i, tabHeight);
    if (x + w + ButtonAreaWidth(pc) >= W) break;

    TabPageInfo& info = pc->GetPageInfo(i);
    info.ClearRegion();
    const wxRect xr = info.GetXRect();
    info.SetXRect(wxRect(xr.x, xr.y, -1, -1));

    DrawTab(pc, dc, x, i, w, tabHeight, pc->GetTabXButtonStatus());
    if (selected) {
      *selX1 = x;
      *selX2 = x + w + 2;
    }
    dc.SetTextForeground(pc->GetActiveTabTextColour());
    info.SetPosition(wxPoint(x, bottom ? 0 : 4));
    info.SetSize(wxSize(w, tabHeight));
    x += w;
  }
  MarkHidden(pc, i, count);
}

void TabRenderer::DrawTabStripBorder(TabStrip* pc, wxDC& dc, int selX1, int selX2) {
  const wxSize client = pc->GetClientSize();
  const int w = client.GetWidth();
  const int h = client.GetHeight();
  const bool bottom = pc->HasNotebookStyle(TNB_BOTTOM_TABS);
  const wxColour shadow = System(wxSYS_COLOUR_BTNSHADOW);
  const wxColour face = System(wxSYS_COLOUR_BTNFACE);

  if (!pc->HasNotebookStyle(TNB_ROUNDED)) {
    const wxRect inner = bottom ? wxRect(0, 2, w, h - 2) : wxRect(0, 0, w, h - 2);
    const wxRect outer = bottom ? wxRect(0, 1, w, h - 1) : wxRect(0, 0, w, h - 1);
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.SetPen(SolidPen(pc->GetBorderLineColour()));
    dc.DrawRectangle(outer);
    dc.DrawRectangle(0, 0, w, h);
    dc.SetPen(SolidPen(shadow));
    dc.DrawRectangle(inner);
    if (!pc->HasNotebookStyle(TNB_THIN_BORDER)) {
      dc.SetPen(SolidPen(pc->HasNotebookStyle(TNB_BOXED) ? kBoxedBackground
                                                          : pc->GetTabAreaColour()));
      dc.DrawLine(0, 0, 0, inner.height + 1);
      if (bottom)
        dc.DrawLine(0, inner.height + 1, inner.width, inner.height + 1);
      else
        dc.DrawLine(0, 0, inner.width, 0);
      dc.DrawLine(inner.width - 1, 0, inner.width - 1, inner.height + 1);
    }
    return;
  }

  const wxColour c = bottom ? *wxWHITE : face;
  if (!bottom) {
    dc.SetPen(SolidPen(c));
    dc.DrawLine(1, h, w - 1, h);
    dc.DrawLine(1, h - 1, w - 1, h - 1);
    dc.SetPen(SolidPen(shadow));
    dc.DrawLine(1, h - 2, w - 1, h - 2);
    dc.SetPen(SolidPen(face));
    dc.DrawLine(selX1 + 2, h - 2, selX2 - 1, h - 2);
  } else {
    dc.SetPen(SolidPen(c));
    dc.DrawLine(1, 0, w - 1, 0);
    dc.DrawLine(1, 1, w - 1, 1);
    dc.SetPen(SolidPen(shadow));
    dc.DrawLine(1, 2, w - 1, 2);
    dc.SetPen(SolidPen(c));
    dc.DrawLine(selX1 + 2, 2, selX2 - 1, 2);
  }
}

void TabRenderer::DrawTabContents(TabStrip* pc, wxDC& dc, int x, int tabIndex, int textOffset,
                                  int textY, int xButtonStatus, bool nonActiveColour) {
  const TabPageInfo& info = pc->GetPageInfo(tabIndex);
  const bool selected = tabIndex == pc->GetSelection();
  const int padding = Padding(pc);
  if (nonActiveColour && !selected) dc.SetTextForeground(pc->GetNonActiveTabTextColour());
  if (pc->TabHasImage(tabIndex)) {
    // An index past the end of the list draws no image (the tab keeps its room for one).
    const int index = info.GetImageIndex();
    TabImageList* list = pc->GetImageList();
    if (index >= 0 && index < static_cast<int>(list->GetCount()) && (*list)[index].IsOk())
      dc.DrawBitmap((*list)[index], x + textOffset - 16 - padding, textY, true);
  }
  int w = 0;
  dc.DrawText(ShownCaption(pc, dc, tabIndex, ComputeTabHeight(pc), &w), x + textOffset, textY);

  if (selected && pc->HasNotebookStyle(TNB_CLOSE_BUTTON_ON_ACTIVE_TAB)) {
    const wxRect rect(x + textOffset + w + 1, textY, 16, 16);
    CopyAreaToBitmap(dc, rect, m_tabCloseBackground);
    DrawActiveTabCloseButton(pc, dc, rect, tabIndex, xButtonStatus);
  }
}

void TabRenderer::DrawActiveTabCloseButton(TabStrip* pc, wxDC& dc, const wxRect& rect,
                                           const int& tabIndex, int status) {
  if (!pc->HasNotebookStyle(TNB_CLOSE_BUTTON_ON_ACTIVE_TAB) || tabIndex < 0 ||
      tabIndex != pc->GetSelection())
    return;
  dc.DrawBitmap(m_tabCloseBackground, rect.x, rect.y, false);
  dc.DrawBitmap(Images().TabCloseButton(status), rect.x, rect.y, true);
  pc->GetPageInfo(tabIndex).SetXRect(wxRect(rect.x, rect.y, 14, 13));
}

void TabRenderer::DrawButton(wxDC& dc, int x, const wxBitmap& background, const wxBitmap& image) {
  dc.DrawBitmap(background, x, kButtonY, false);
  dc.DrawBitmap(image, x, kButtonY, true);
}

void TabRenderer::DrawCloseButton(TabStrip* pc, wxDC& dc) {
  if (pc->GetPageCount() == 0 || pc->HasNotebookStyle(TNB_HIDE_CLOSE_BUTTON)) return;
  DrawButton(dc, CloseButtonX(pc), m_closeButtonBackground,
             Images().CloseButton(pc->GetXButtonStatus()));
}

void TabRenderer::DrawLeftArrowButton(TabStrip* pc, wxDC& dc) {
  if (pc->GetPageCount() == 0 || pc->HasNotebookStyle(TNB_NO_ROTATION_ARROWS)) return;
  const bool disabled = pc->GetFirstVisibleTab() == 0;
  DrawButton(dc, LeftArrowButtonX(pc), m_leftArrowBackground,
             Images().LeftArrow(pc->GetLeftArrowStatus(), disabled));
}

void TabRenderer::DrawRightArrowButton(TabStrip* pc, wxDC& dc) {
  if (pc->GetPageCount() == 0 || pc->HasNotebookStyle(TNB_NO_ROTATION_ARROWS)) return;
  // Disabled as soon as the last tab was laid out.
  const bool disabled = !pc->GetPageInfoArray().back().IsHidden();
  DrawButton(dc, RightArrowButtonX(pc), m_rightArrowBackground,
             Images().RightArrow(pc->GetRightArrowStatus(), disabled));
}

void TabRenderer::DrawTabListButton(TabStrip* pc, wxDC& dc) {
  if (pc->GetPageCount() == 0 || !pc->HasNotebookStyle(TNB_DROP_DOWN_TAB_LIST)) return;
  DrawButton(dc, TabListButtonX(pc), m_rightArrowBackground,
             Images().TabList(pc->GetTabListButtonStatus()));
}

void TabRenderer::DrawDropHint(TabStrip*, int) {}

namespace {

// The x where the row y crosses the first matching segment (a, b) of an outline: a.y <= y < b.y
// for bottom tabs, a.y >= y > b.y for top tabs; `fallback` when none matches.
int EdgeX(const wxPoint* points, const int (*segments)[2], int count, int y, bool bottom,
          int fallback) {
  for (int i = 0; i < count; ++i) {
    const wxPoint& a = points[segments[i][0]];
    const wxPoint& b = points[segments[i][1]];
    const bool match = bottom ? (a.y <= y && y < b.y) : (a.y >= y && y > b.y);
    if (!match) continue;
    if (a.x == b.x) return a.x;
    const double slope = static_cast<double>(b.y - a.y) / (b.x - a.x);
    if (slope == 0) return a.x;
    return static_cast<int>((y - (a.y - slope * a.x)) / slope);
  }
  return fallback;
}

}  // namespace

int TabRenderer::TabEdgeXLeft(const wxPoint* points, const int& y, long style) {
  static const int kSegments[3][2] = {{0, 1}, {1, 2}, {2, 3}};
  return EdgeX(points, kSegments, 3, y, (style & TNB_BOTTOM_TABS) != 0, points[2].x);
}

int TabRenderer::TabEdgeXRight(const wxPoint* points, const int& y, long style) {
  static const int kSegments[4][2] = {{7, 6}, {6, 5}, {5, 4}, {4, 3}};
  return EdgeX(points, kSegments, 4, y, (style & TNB_BOTTOM_TABS) != 0, points[3].x);
}

void TabRenderer::FillTwoToneBox(wxDC& dc, const wxRect& rect, const bool& selected,
                                 const bool& upperTabs) {
  int split;
  if (!selected)
    split = rect.y + rect.height / 2;
  else
    split = upperTabs ? rect.y + (rect.height / 10) * 8 : rect.y + (rect.height / 10) * 5;
  const wxPoint leftPt(rect.x, split);
  const wxPoint rightPt(rect.x + rect.width - 2, split);
  const wxRect upper(rect.GetTopLeft(), rightPt);
  const wxRect lower(leftPt, rect.GetBottomRight());
  const wxColour face = System(wxSYS_COLOUR_BTNFACE);
  const wxColour light = selected ? *wxWHITE : LightenColour(face, 50);

  if (!upperTabs) {
    FillGradientBox(dc, lower, face, face, true);
    FillGradientBox(dc, upper, selected ? light : face, light, true);
  } else {
    FillGradientBox(dc, upper, selected ? light : face, selected ? face : light, true);
    FillGradientBox(dc, lower, face, face, true);
  }
  dc.SetBrush(*wxTRANSPARENT_BRUSH);
}

wxColour LightenColour(const wxColour& colour, int percent) {
  auto channel = [percent](int c) { return c + (percent * (255 - c) * 100 / 100) / 100; };
  return wxColour(channel(colour.Red()), channel(colour.Green()), channel(colour.Blue()));
}

void FillGradientBox(wxDC& dc, const wxRect& rect, const wxColour& start, const wxColour& end,
                     bool vertical) {
  const wxPen savedPen = dc.GetPen();
  const wxBrush savedBrush = dc.GetBrush();
  const int steps = vertical ? rect.height - 1 : rect.width - 1;
  if (steps >= 1) {
    for (int i = 0; i <= steps; ++i) {
      auto mix = [&](int a, int b) { return a + (i * (b - a) * 100 / steps) / 100; };
      dc.SetPen(SolidPen(wxColour(mix(start.Red(), end.Red()), mix(start.Green(), end.Green()),
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

namespace {

double RelativeLuminance(const wxColour& c) {
  auto linear = [](int channel) {
    const double v = channel / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(c.Red()) + 0.7152 * linear(c.Green()) + 0.0722 * linear(c.Blue());
}

}  // namespace

double ContrastRatio(const wxColour& a, const wxColour& b) {
  const double la = RelativeLuminance(a);
  const double lb = RelativeLuminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

wxColour ReadableTextColour(const wxColour& from, const wxColour& to) {
  // Between a colour and a lighter copy of it every channel moves the same way, so the two ends
  // are the lightest and the darkest colours of the gradient.
  auto worst = [&](const wxColour& text) {
    return std::min(ContrastRatio(text, from), ContrastRatio(text, to));
  };
  return worst(*wxBLACK) >= worst(*wxWHITE) ? *wxBLACK : *wxWHITE;
}
