// The five tab looks: the renderer chosen for a style word, the geometry each paint records in
// the page records, and pixels of paints made into memory.
#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/panel.h>
#include <wx/settings.h>

#include <cmath>
#include <string>
#include <vector>

#include "tests/widgets/widgetTestSupport.h"
#include "widgets/tabRendererBoxed.h"
#include "widgets/tabRendererDefault.h"
#include "widgets/tabRendererImages.h"
#include "widgets/tabRendererMgr.h"
#include "widgets/tabRendererRounded.h"
#include "widgets/tabRendererShaded.h"
#include "widgets/tabRendererSlanted.h"
#include "widgets/tabStrip.h"
#include "widgets/tabbedNotebook.h"

using widgettest::Pump;
using widgettest::PumpUntil;
using widgettest::TestFrame;

namespace {

const wxColour kMask(0, 128, 128);
const wxColour kFrame(0x47, 0x66, 0xe0);
const wxColour kHoverFill(0xc9, 0xda, 0xfb);
const wxColour kPressedFill(0x9e, 0x9e, 0xde);
const wxColour kGrey(0x55, 0x55, 0x55);
const wxColour kActive(255, 250, 205);

wxColour Sys(wxSystemColour c) { return wxSystemSettings::GetColour(c); }

wxColour Px(const wxImage& img, int x, int y) {
  return wxColour(img.GetRed(x, y), img.GetGreen(x, y), img.GetBlue(x, y));
}

std::string Str(const wxColour& c) {
  return wxString::Format(wxT("(%d,%d,%d)"), c.Red(), c.Green(), c.Blue()).ToStdString();
}

#define EXPECT_PX(colour, img, x, y)                                                    \
  EXPECT_EQ(Str(colour), Str(Px(img, x, y))) << "pixel (" << (x) << "," << (y) << ")"

int TabHeight() { return GetRendererMgr()->RendererForStyle(0)->ComputeTabHeight(nullptr); }

// A notebook of a given width and style in a shown frame, its tab strip and a memory paint.
struct Book {
  Book(long style, int width, const std::vector<wxString>& captions, int select = 0)
      : frame(wxSize(width + 40, 300)) {
    book = new TabbedNotebook(frame.get(), wxID_ANY, wxPoint(0, 0), wxSize(width, 200), style);
    for (const wxString& caption : captions) book->AddPage(new wxPanel(book), caption, false);
    book->SetSize(0, 0, width, 200);
    book->Layout();
    strip = book->GetTabStrip();
    PumpUntil([&] { return strip->GetClientSize().GetWidth() == width; }, 2000);
    if (select >= 0 && select < static_cast<int>(captions.size()))
      book->SetSelection(static_cast<size_t>(select));
    book->SetActiveTabColour(kActive);
  }
  TabSmartPtr<TabRenderer> Renderer() {
    return GetRendererMgr()->RendererForStyle(book->GetWindowStyleFlag());
  }
  wxImage Render(bool* skipped = nullptr) {
    wxSize size = strip->GetClientSize();
    wxBitmap bmp(size.GetWidth(), size.GetHeight());
    wxCommandEvent dummy;
    {
      wxMemoryDC dc(bmp);
      dc.SetBackground(wxBrush(wxColour(1, 2, 3)));
      dc.Clear();
      Renderer()->DrawTabArea(strip, dc, dummy);
    }
    if (skipped) *skipped = dummy.GetSkipped();
    return bmp.ConvertToImage();
  }
  const TabPageInfo& Rec(int i) { return strip->GetPageInfo(static_cast<size_t>(i)); }

  TestFrame frame;
  TabbedNotebook* book;
  TabStrip* strip;
};

std::vector<wxString> Digits(int n, int emptyAt) {
  std::vector<wxString> out;
  for (int i = 0; i < n; ++i) out.push_back(i == emptyAt ? wxString() : wxString::Format("%d", i));
  return out;
}

struct Look {
  const char* name;
  long bits;
};
const Look kLooks[] = {{"default", 0},
                       {"boxed", TNB_BOXED},
                       {"shaded", TNB_SHADED_TABS},
                       {"rounded", TNB_ROUNDED},
                       {"slanted", TNB_SLANTED}};

}  // namespace

// Runs first: the first Slanted fill of the process sets the strip's gradient colours, once.
TEST(TabRenderers, SlantedFirstFillSetsGradientOnce) {
  auto* slanted =
      dynamic_cast<TabRendererSlanted*>(GetRendererMgr()->RendererForStyle(TNB_SLANTED).get());
  ASSERT_NE(nullptr, slanted);
  ASSERT_TRUE(slanted->IsFirstFill());
  Book b(TNB_SLANTED, 400, {wxT("a"), wxT("b")});
  b.book->SetGradientColours(*wxRED, *wxGREEN, *wxBLUE);
  b.Render();
  const wxColour face = Sys(wxSYS_COLOUR_BTNFACE);
  EXPECT_FALSE(slanted->IsFirstFill());
  EXPECT_EQ(Str(face), Str(b.book->GetGradientColourTo()));
  EXPECT_EQ(Str(LightenColour(face, 60)), Str(b.book->GetGradientColourFrom()));
  b.book->SetGradientColours(*wxRED, *wxGREEN, *wxBLUE);
  b.Render();
  EXPECT_EQ(Str(*wxRED), Str(b.book->GetGradientColourFrom()));
  EXPECT_EQ(Str(*wxGREEN), Str(b.book->GetGradientColourTo()));
}

TEST(TabRenderers, RendererForEachStyleWord) {
  TabRendererMgr* mgr = GetRendererMgr();
  auto is = [&](long style, auto* probe) {
    using T = std::remove_pointer_t<decltype(probe)>;
    return dynamic_cast<T*>(mgr->RendererForStyle(style).get()) != nullptr;
  };
  EXPECT_TRUE(is(0, (TabRendererDefault*)nullptr));
  EXPECT_TRUE(is(TNB_BOTTOM_TABS | TNB_THIN_BORDER | 0x26218, (TabRendererDefault*)nullptr));
  EXPECT_TRUE(is(0x1, (TabRendererBoxed*)nullptr));
  EXPECT_TRUE(is(0x2, (TabRendererShaded*)nullptr));
  EXPECT_TRUE(is(0x100, (TabRendererSlanted*)nullptr));
  EXPECT_TRUE(is(0x10000, (TabRendererRounded*)nullptr));
  // Several look bits: 0x1, then 0x2, then 0x100, then 0x10000.
  EXPECT_TRUE(is(0x3, (TabRendererBoxed*)nullptr));
  EXPECT_TRUE(is(0x10101, (TabRendererBoxed*)nullptr));
  EXPECT_TRUE(is(0x10102, (TabRendererShaded*)nullptr));
  EXPECT_TRUE(is(0x10100, (TabRendererSlanted*)nullptr));
  // One renderer per look, shared by every caller.
  EXPECT_EQ(mgr->RendererForStyle(0x1).get(), mgr->RendererForStyle(0x41).get());
  EXPECT_NE(mgr->RendererForStyle(0x1).get(), mgr->RendererForStyle(0x2).get());
}

TEST(TabRenderers, SmartPointerSharesAndDeletesOnce) {
  struct Counted {
    explicit Counted(int* d) : deaths(d) {}
    ~Counted() { ++*deaths; }
    int* deaths;
  };
  int deaths = 0;
  {
    TabSmartPtr<Counted> a(new Counted(&deaths));
    EXPECT_EQ(1, a.use_count());
    TabSmartPtr<Counted> b(a);
    EXPECT_EQ(2, a.use_count());
    b = a;  // already shared: nothing changes
    EXPECT_EQ(2, b.use_count());
    TabSmartPtr<Counted> c(new Counted(&deaths));
    c = a;  // c lets its own object go
    EXPECT_EQ(1, deaths);
    EXPECT_EQ(3, a.use_count());
    TabSmartPtr<Counted> empty;
    EXPECT_FALSE(empty);
    b = empty;
    EXPECT_EQ(2, a.use_count());
    EXPECT_EQ(0, b.use_count());
  }
  EXPECT_EQ(2, deaths);
}

TEST(TabRenderers, ColourHelpers) {
  EXPECT_EQ(Str(wxColour(177, 177, 177)), Str(LightenColour(wxColour(100, 100, 100), 50)));
  EXPECT_EQ(Str(wxColour(10, 20, 30)), Str(LightenColour(wxColour(10, 20, 30), 0)));
  EXPECT_EQ(Str(*wxWHITE), Str(LightenColour(wxColour(10, 20, 30), 100)));
  // 70 % of the way: 0 + 70 * 255 / 100 = 178; 200 + 70 * 55 / 100 = 238.
  EXPECT_EQ(Str(wxColour(178, 238, 255)), Str(LightenColour(wxColour(0, 200, 255), 70)));

  wxBitmap bmp(20, 20);
  wxMemoryDC dc(bmp);
  dc.SetBackground(*wxBLACK_BRUSH);
  dc.Clear();
  TabDisableAntialias(dc);
  dc.SetPen(*wxCYAN_PEN);
  // One row high: nothing; two rows: start then end; the pen comes back.
  FillGradientBox(dc, wxRect(0, 0, 10, 1), *wxRED, *wxRED);
  FillGradientBox(dc, wxRect(0, 5, 10, 2), wxColour(0, 0, 200), wxColour(100, 0, 0));
  // Five columns from 0 to 100: 0, 25, 50, 75, 100.
  FillGradientBox(dc, wxRect(0, 10, 5, 3), wxColour(0, 0, 0), wxColour(100, 100, 100), false);
  EXPECT_EQ(*wxCYAN, dc.GetPen().GetColour());
  dc.SelectObject(wxNullBitmap);
  wxImage img = bmp.ConvertToImage();
  EXPECT_PX(*wxBLACK, img, 3, 0);
  EXPECT_PX(wxColour(0, 0, 200), img, 3, 5);
  EXPECT_PX(wxColour(100, 0, 0), img, 3, 6);
  EXPECT_PX(*wxBLACK, img, 3, 7);
  EXPECT_PX(wxColour(25, 25, 25), img, 1, 11);
  EXPECT_PX(wxColour(75, 75, 75), img, 3, 11);
}

TEST(TabRenderers, OutlinesAndSlantedEdges) {
  // Rounded, 60 wide and 20 high at x = 10.
  wxPoint r[7];
  TabRendererRounded::Outline(10, 60, 20, false, r);
  const wxPoint top[7] = {{12, 18}, {12, 6}, {14, 4}, {68, 4}, {70, 6}, {70, 18}, {12, 18}};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(top[i], r[i]) << i;
  EXPECT_EQ(wxRect(14, 4, 57, 15), TabRendererRounded::FillBox(10, 60, 20, false));
  TabRendererRounded::Outline(10, 60, 20, true, r);
  const wxPoint bottom[7] = {{12, 2}, {12, 14}, {14, 16}, {68, 16}, {70, 14}, {70, 2}, {12, 2}};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(bottom[i], r[i]) << i;
  EXPECT_EQ(wxRect(14, 2, 57, 15), TabRendererRounded::FillBox(10, 60, 20, true));

  // Default: square sides at angle 0; a slant widens the foot.
  wxPoint d[7];
  TabRendererDefault::Outline(10, 60, 20, 0, false, d);
  const wxPoint square[7] = {{10, 18}, {10, 6}, {12, 4}, {68, 4}, {70, 6}, {70, 18}, {10, 18}};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(square[i], d[i]) << i;
  // tan(30) * 18 = 10.39: p1.x = 20, p3.x = int(70 - 10.39) - 2 = 57, p5.x = int(10.39 + 59) = 69.
  TabRendererDefault::Outline(10, 60, 20, 30, true, d);
  const wxPoint slant[7] = {{10, 2}, {20, 14}, {22, 16}, {57, 16}, {59, 14}, {69, 2}, {10, 2}};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(slant[i], d[i]) << i;

  // Slanted, same size: the next tab (at 80) shares the columns 81 to 87.
  wxPoint s[8];
  TabRendererSlanted::Outline(10, 60, 20, false, s);
  const wxPoint st[8] = {{11, 17}, {23, 6}, {27, 4}, {85, 4}, {86, 5}, {87, 6}, {87, 17}, {11, 17}};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(st[i], s[i]) << i;
  TabRendererSlanted::Outline(10, 60, 20, true, s);
  const wxPoint sb[8] = {{10, 2}, {22, 14}, {26, 16}, {84, 16}, {85, 15}, {86, 14}, {86, 2}, {10, 2}};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(sb[i], s[i]) << i;

  TabRendererSlanted::Outline(10, 60, 20, false, s);
  TabRenderer* any = GetRendererMgr()->RendererForStyle(TNB_SLANTED).get();
  const long topStyle = 0;
  // Row 17 is the base; row 10 crosses the long slant: (10 - 17 - 11 * 11 / 12) / (-11 / 12).
  EXPECT_EQ(11, any->TabEdgeXLeft(s, 17, topStyle));
  EXPECT_EQ(87, any->TabEdgeXRight(s, 17, topStyle));
  EXPECT_EQ(18, any->TabEdgeXLeft(s, 10, topStyle));
  EXPECT_EQ(87, any->TabEdgeXRight(s, 10, topStyle));
  // Row 5: the short slant (slope -1/2) and the rounded corner.
  EXPECT_EQ(25, any->TabEdgeXLeft(s, 5, topStyle));
  EXPECT_EQ(86, any->TabEdgeXRight(s, 5, topStyle));
  // Row 4 matches no segment: the ends of the far edge.
  EXPECT_EQ(27, any->TabEdgeXLeft(s, 4, topStyle));
  EXPECT_EQ(85, any->TabEdgeXRight(s, 4, topStyle));
  TabRendererSlanted::Outline(10, 60, 20, true, s);
  EXPECT_EQ(10, any->TabEdgeXLeft(s, 2, TNB_BOTTOM_TABS));
  EXPECT_EQ(86, any->TabEdgeXRight(s, 2, TNB_BOTTOM_TABS));
  EXPECT_EQ(24, any->TabEdgeXLeft(s, 15, TNB_BOTTOM_TABS));
  EXPECT_EQ(85, any->TabEdgeXRight(s, 15, TNB_BOTTOM_TABS));
}

TEST(TabRenderers, ButtonPositionsAreaWidthsAndTabWidths) {
  Book b(0, 300, {wxT(""), wxT("1"), wxT("2")});
  TabSmartPtr<TabRenderer> r = b.Renderer();
  struct Row {
    long style;
    int area, closeX, rightX, leftX;
  };
  const Row rows[] = {
      {TNB_NO_ROTATION_ARROWS | TNB_HIDE_CLOSE_BUTTON, 0, 300, 278, 262},
      {TNB_NO_ROTATION_ARROWS, 22, 278, 262, 246},
      {TNB_HIDE_CLOSE_BUTTON, 37, 300, 278, 262},
      {TNB_DROP_DOWN_TAB_LIST, 38, 278, 262, 246},
      {TNB_DROP_DOWN_TAB_LIST | TNB_NO_ROTATION_ARROWS, 38, 278, 262, 246},
      {TNB_DROP_DOWN_TAB_LIST | TNB_HIDE_CLOSE_BUTTON, 22, 300, 278, 262},
      {TNB_DROP_DOWN_TAB_LIST | TNB_HIDE_CLOSE_BUTTON | TNB_NO_ROTATION_ARROWS, 22, 300, 278, 262},
      {0, 53, 278, 262, 246},
  };
  for (const Row& row : rows) {
    b.book->SetWindowStyleFlag(row.style);
    EXPECT_EQ(row.area, r->ButtonAreaWidth(b.strip)) << row.style;
    EXPECT_EQ(row.closeX, r->CloseButtonX(b.strip)) << row.style;
    EXPECT_EQ(row.rightX, r->RightArrowButtonX(b.strip)) << row.style;
    EXPECT_EQ(row.rightX, r->TabListButtonX(b.strip)) << row.style;
    EXPECT_EQ(row.leftX, r->LeftArrowButtonX(b.strip)) << row.style;
  }

  // Widths: 2 x padding + at least 20 for the caption; the X on the selected tab adds
  // padding + 9 (padding + 4 when slanted); an image adds padding + 16.
  const int H = TabHeight();
  EXPECT_EQ(b.strip->GetClientSize().GetHeight(), H);
  b.book->SetWindowStyleFlag(0);
  EXPECT_EQ(32, r->ComputeTabWidth(b.strip, 0, H));
  EXPECT_EQ(32, r->ComputeTabWidth(b.strip, 1, H));
  b.book->SetWindowStyleFlag(TNB_CLOSE_BUTTON_ON_ACTIVE_TAB);
  EXPECT_EQ(47, r->ComputeTabWidth(b.strip, 0, H));
  EXPECT_EQ(32, r->ComputeTabWidth(b.strip, 1, H));
  b.book->SetWindowStyleFlag(TNB_CLOSE_BUTTON_ON_ACTIVE_TAB | TNB_SLANTED);
  EXPECT_EQ(42, r->ComputeTabWidth(b.strip, 0, H));
  b.book->SetTabPadding(wxSize(10, 0));
  EXPECT_EQ(54, r->ComputeTabWidth(b.strip, 0, H));
  EXPECT_EQ(40, r->ComputeTabWidth(b.strip, 2, H));
  b.book->SetTabPadding(wxSize(6, 0));

  TabImageList images;
  images.Add(wxBitmap(16, 16));
  b.book->SetImageList(&images);
  b.book->SetPageImage(1, 0);
  b.book->SetPageImage(2, 7);  // past the end of the list: the tab still keeps room for it
  b.book->SetWindowStyleFlag(0);
  EXPECT_EQ(54, r->ComputeTabWidth(b.strip, 1, H));
  EXPECT_EQ(54, r->ComputeTabWidth(b.strip, 2, H));
  // A slant widens only the default shape: 2 x int(H tan a), and half of it again with an image.
  b.book->SetPageTabAngle(1, 15);
  const int shape = static_cast<int>(H * std::tan(15 * M_PI / 180.0));
  EXPECT_EQ(54 + 2 * shape + shape / 2, r->ComputeTabWidth(b.strip, 1, H));
  b.book->SetWindowStyleFlag(TNB_BOXED);
  EXPECT_EQ(54, r->ComputeTabWidth(b.strip, 1, H));
  b.book->SetImageList(nullptr);
}

// Every look, tabs on top and at the bottom, with the X and arrows, with the X and the tab list,
// and with no button: where each paint put each tab, the X of the selected tab, and the pixels
// of the selected tab, the line along the pages and the buttons.
TEST(TabRenderers, GeometryAndPixelsOfEveryLook) {
  const int H = TabHeight();
  // The slanted tabs' fitting keeps H + 10 pixels free; the expected counts hold for these H.
  ASSERT_GE(H, 27);
  ASSERT_LE(H, 40);
  {
    wxBitmap probe(10, 10);
    wxMemoryDC dc(probe);
    wxFont bold = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
    bold.SetWeight(wxFONTWEIGHT_BOLD);
    dc.SetFont(bold);
    // Every caption below is narrower than the 20-pixel minimum.
    ASSERT_LT(dc.GetTextExtent(wxT("8")).GetWidth(), 20);
  }
  const int W = 290;
  const wxColour face = Sys(wxSYS_COLOUR_BTNFACE);
  const wxColour shadow = Sys(wxSYS_COLOUR_BTNSHADOW);

  struct Buttons {
    const char* name;
    long bits;
    int area;
    int shown;         // tabs laid out (0 .. shown-1), other looks
    int shownSlanted;  // the same for the slanted look
  };
  // Tab widths: 32, the selected tab (index 1, empty caption, X on it) 47, slanted 42.
  // Other looks lay tabs out at 6, 38, 85, 117, 149, 181, 213, 245, 277 and stop when
  // x + w + area >= 290. Slanted tabs are 10 apart: 6, 48, 100, 142, 184, 226, and stop
  // when x + w + H + 10 + area >= 290, that is x >= 195 - H, 210 - H and 248 - H.
  const Buttons kButtons[] = {
      {"x+arrows", 0, 53, 6, 4},
      {"x+list", TNB_DROP_DOWN_TAB_LIST | TNB_NO_ROTATION_ARROWS, 38, 7, 4},
      {"none", TNB_HIDE_CLOSE_BUTTON | TNB_NO_ROTATION_ARROWS, 0, 8, 5},
  };
  const int kX[] = {6, 38, 85, 117, 149, 181, 213, 245, 277};
  const int kXSlanted[] = {6, 48, 100, 142, 184, 226};

  for (const Look& look : kLooks) {
    for (bool bottom : {false, true}) {
      for (const Buttons& buttons : kButtons) {
        SCOPED_TRACE(std::string(look.name) + (bottom ? " bottom " : " top ") + buttons.name);
        const long style = look.bits | buttons.bits | TNB_CLOSE_BUTTON_ON_ACTIVE_TAB |
                           (bottom ? TNB_BOTTOM_TABS : 0);
        const bool slanted = look.bits == TNB_SLANTED;
        Book b(style, W, Digits(10, 1), 1);
        ASSERT_EQ(W, b.strip->GetClientSize().GetWidth());
        ASSERT_EQ(H, b.strip->GetClientSize().GetHeight());
        ASSERT_EQ(0, b.strip->GetFirstVisibleTab());
        b.book->SetGradientColours(wxColour(200, 220, 255), wxColour(20, 40, 160), shadow);
        wxImage img = b.Render();

        // Records.
        const int shown = slanted ? buttons.shownSlanted : buttons.shown;
        const int selW = slanted ? 42 : 47;
        for (int i = 0; i < 10; ++i) {
          SCOPED_TRACE("tab " + std::to_string(i));
          const TabPageInfo& rec = b.Rec(i);
          if (i >= shown) {
            EXPECT_EQ(wxPoint(-1, -1), rec.GetPosition());
            EXPECT_TRUE(rec.GetRegion().IsEmpty());
            continue;
          }
          const int x = slanted ? kXSlanted[i] : kX[i];
          const int y = slanted || !bottom ? 4 : 0;
          EXPECT_EQ(wxPoint(x, y), rec.GetPosition());
          EXPECT_EQ(wxSize(i == 1 ? selW : 32, H), rec.GetSize());
          EXPECT_EQ(slanted, !rec.GetRegion().IsEmpty());
          if (i != 1) EXPECT_EQ(-1, rec.GetXRect().width);
        }
        EXPECT_EQ(shown - 1, b.strip->GetLastVisibleTab());

        // The X of the selected tab sits one pixel right of its (empty) caption.
        const int selX = slanted ? 48 : 38;
        int textOffset = 0, textY = 0;
        switch (look.bits) {
          case 0: textOffset = 8; textY = bottom ? 6 : 10; break;
          case TNB_BOXED: textOffset = 6; textY = bottom ? 5 : 8; break;
          case TNB_SHADED_TABS: textOffset = 6; textY = bottom ? 6 : 10; break;
          case TNB_ROUNDED: textOffset = 8; textY = bottom ? 6 : 10; break;
          case TNB_SLANTED: textOffset = 6 + H - 6; textY = bottom ? 6 : 10; break;
        }
        const wxRect xr(selX + textOffset + 1, textY, 14, 13);
        EXPECT_EQ(xr, b.Rec(1).GetXRect());
        // Its grey X (plain), drawn from the picture's pixel (4, 4).
        EXPECT_PX(kGrey, img, xr.x + 4, xr.y + 4);
        EXPECT_PX(kGrey, img, xr.x + 11, xr.y + 4);

        // The selected tab's fill, right of its X, halfway down.
        const int fillX = slanted ? xr.x + 18 : selX + selW - 6;
        const int midY = H / 2;
        switch (look.bits) {
          case 0:
            EXPECT_PX(kActive, img, fillX, midY);
            // Tab 3 (117, 32 wide) ends in a separator one pixel wide at 149, with nothing
            // blended into its neighbours.
            EXPECT_PX(shadow, img, 149, midY);
            EXPECT_PX(b.book->GetTabAreaColour(), img, 148, midY);
            EXPECT_PX(b.book->GetTabAreaColour(), img, 150, midY);
            break;
          case TNB_SLANTED:
            EXPECT_PX(kActive, img, fillX, midY);
            break;
          case TNB_BOXED:
            EXPECT_PX(face, img, fillX, midY);
            // A raised box: white on the left, black on the right.
            EXPECT_PX(*wxWHITE, img, selX, midY);
            EXPECT_PX(*wxBLACK, img, selX + selW, midY);
            break;
          case TNB_SHADED_TABS: {
            // A vertical gradient over (x, 4 or 2, w, H - 5) from "to" (top) to "from".
            const wxColour start = bottom ? b.book->GetGradientColourFrom()
                                          : b.book->GetGradientColourTo();
            const wxColour end = bottom ? b.book->GetGradientColourTo()
                                        : b.book->GetGradientColourFrom();
            const int y0 = bottom ? 2 : 4;
            const int steps = H - 6;
            const int i = midY - y0;
            auto mix = [&](int a, int z) { return a + (i * (z - a) * 100 / steps) / 100; };
            EXPECT_PX(wxColour(mix(start.Red(), end.Red()), mix(start.Green(), end.Green()),
                               mix(start.Blue(), end.Blue())),
                      img, fillX, midY);
            break;
          }
          case TNB_ROUNDED:
            // Two tones: the part near the pages is the button face; away from them it is
            // white (bottom tabs), or runs from white to the face (top tabs).
            EXPECT_PX(face, img, fillX, bottom ? H - 5 : H - 3);
            if (bottom) {
              EXPECT_PX(*wxWHITE, img, fillX, 3);
            } else {
              const int steps = (H - 5) / 10 * 8;
              auto mix = [&](int a, int z) { return a + (1 * (z - a) * 100 / steps) / 100; };
              EXPECT_PX(wxColour(mix(255, face.Red()), mix(255, face.Green()),
                                 mix(255, face.Blue())),
                        img, fillX, 5);
            }
            break;
        }

        // The line along the pages, in the free part of the strip and under the selected tab.
        const int gapX = W - buttons.area - 4;
        const int openX = selX + 20;
        switch (look.bits) {
          case TNB_BOXED:
            if (!bottom) {
              EXPECT_PX(*wxWHITE, img, gapX, H - 3);
              EXPECT_PX(face, img, gapX, H - 2);
              EXPECT_PX(face, img, openX, H - 3);
            } else {
              EXPECT_PX(*wxBLACK, img, gapX, 3);
              EXPECT_PX(face, img, gapX, 2);
              EXPECT_PX(face, img, openX, 3);
            }
            break;
          case TNB_ROUNDED:
            EXPECT_PX(shadow, img, gapX, bottom ? 2 : H - 2);
            EXPECT_PX(bottom ? *wxWHITE : face, img, openX, bottom ? 2 : H - 2);
            break;
          default:
            EXPECT_PX(shadow, img, gapX, bottom ? 2 : H - 3);
            EXPECT_PX(look.bits == TNB_SHADED_TABS ? b.book->GetGradientColourFrom() : *wxWHITE,
                      img, gapX, bottom ? 1 : H - 2);
            if (look.bits == 0) EXPECT_PX(bottom ? *wxWHITE : kActive, img, openX, bottom ? 2 : H - 3);
            break;
        }

        // Buttons: the plain grey X, the disabled left arrow (outline only), the enabled right
        // arrow (solid), the tab list triangle, or nothing at all.
        TabSmartPtr<TabRenderer> r = b.Renderer();
        const wxColour back = Px(img, gapX, 7);
        if (buttons.bits == 0) {
          const int cx = r->CloseButtonX(b.strip), lx = r->LeftArrowButtonX(b.strip),
                    rx = r->RightArrowButtonX(b.strip);
          EXPECT_PX(kGrey, img, cx + 4, 6 + 4);
          EXPECT_PX(Px(img, cx - 2, 6), img, cx, 6);  // the mask lets the strip show through
          EXPECT_PX(kGrey, img, lx + 9, 6 + 7);
          EXPECT_PX(back, img, lx + 7, 6 + 7);
          EXPECT_PX(kGrey, img, rx + 8, 6 + 7);

          b.strip->SetXButtonStatus(TNB_BUTTON_HOVER);
          b.strip->SetRightArrowStatus(TNB_BUTTON_PRESSED);
          wxImage hover = b.Render();
          EXPECT_PX(kFrame, hover, cx + 1, 6 + 1);
          EXPECT_PX(kHoverFill, hover, cx + 2, 6 + 2);
          EXPECT_PX(*wxBLACK, hover, cx + 4, 6 + 4);
          EXPECT_PX(kPressedFill, hover, rx + 2, 6 + 2);
          EXPECT_PX(*wxBLACK, hover, rx + 9, 6 + 8);
          b.strip->SetXButtonStatus(TNB_BUTTON_PRESSED);
          b.strip->SetTabXButtonStatus(TNB_BUTTON_PRESSED);
          wxImage pressed = b.Render();
          EXPECT_PX(kPressedFill, pressed, cx + 2, 6 + 2);
          EXPECT_PX(*wxBLACK, pressed, cx + 5, 6 + 5);
          // The pressed X of the selected tab: black, one pixel lower and further right.
          EXPECT_PX(*wxBLACK, pressed, xr.x + 5, xr.y + 5);
        } else if (buttons.bits & TNB_DROP_DOWN_TAB_LIST) {
          const int tx = r->TabListButtonX(b.strip);
          EXPECT_PX(*wxBLACK, img, tx + 8, 6 + 5);
          EXPECT_PX(*wxBLACK, img, tx + 8, 6 + 9);
          EXPECT_PX(kGrey, img, r->CloseButtonX(b.strip) + 4, 6 + 4);
        } else {
          // Nothing right of the last tab.
          const int lastEnd = slanted ? kXSlanted[shown - 1] + 32 + H - 3 : kX[shown - 1] + 32;
          ASSERT_LT(lastEnd + 2, W - 2);
          for (int x = lastEnd + 2; x < W - 2; ++x) EXPECT_PX(back, img, x, 6 + 7);
        }
      }
    }
  }
}

TEST(TabRenderers, FirstVisibleTabImagesAndEmptyStrip) {
  for (const Look& look : kLooks) {
    SCOPED_TRACE(look.name);
    Book b(look.bits | TNB_HIDE_CLOSE_BUTTON | TNB_NO_ROTATION_ARROWS, 400, Digits(5, -1), 3);
    TabImageList images;
    wxBitmap dot(16, 16);
    {
      wxMemoryDC dc(dot);
      dc.SetBackground(wxBrush(wxColour(255, 0, 255)));
      dc.Clear();
    }
    images.Add(dot);
    b.book->SetImageList(&images);
    b.book->SetPageImage(3, 0);
    b.strip->SetFirstVisibleTab(2);
    wxImage img = b.Render();
    EXPECT_TRUE(b.Rec(0).IsHidden());
    EXPECT_TRUE(b.Rec(1).IsHidden());
    EXPECT_EQ(6, b.Rec(2).GetPosition().x);
    // Tab 3 follows tab 2 (32 wide; slanted tabs are 10 further apart) and carries the image
    // 16 + padding left of its caption.
    const bool slanted = look.bits == TNB_SLANTED;
    const int x3 = slanted ? 48 : 38;
    EXPECT_EQ(x3, b.Rec(3).GetPosition().x);
    EXPECT_EQ(54, b.Rec(3).GetSize().x);
    const int H = TabHeight();
    int imageX = 0;
    switch (look.bits) {
      case 0: case TNB_ROUNDED: imageX = x3 + 6 + 2; break;
      case TNB_BOXED: case TNB_SHADED_TABS: imageX = x3 + 6; break;
      case TNB_SLANTED: imageX = x3 + 6 + H - 6; break;
    }
    const int imageY = look.bits == TNB_BOXED ? 8 : 10;
    EXPECT_PX(wxColour(255, 0, 255), img, imageX + 1, imageY + 1);
    EXPECT_PX(wxColour(255, 0, 255), img, imageX + 14, imageY + 14);
    b.book->SetImageList(nullptr);

    // A first visible tab past the last page: nothing drawn, the strip stays in sight.
    b.strip->SetFirstVisibleTab(5);
    bool skipped = false;
    b.Render(&skipped);
    EXPECT_TRUE(skipped);
    Pump(20);
    EXPECT_TRUE(b.strip->IsShown());
    b.strip->SetFirstVisibleTab(0);

    // Every page gone: nothing is laid out, the paint event goes on and the strip hides.
    b.book->DeleteAllPages();
    b.strip->Show();
    skipped = false;
    b.Render(&skipped);
    EXPECT_TRUE(skipped);
    EXPECT_TRUE(PumpUntil([&] { return !b.strip->IsShown(); }, 1000));
  }
}

TEST(TabRenderers, SlantedFittingDrawingOrderAndRandomColours) {
  const int H = TabHeight();
  // Too narrow for one tab and its slant: no tab, the buttons all the same.
  {
    Book b(TNB_SLANTED, 32 + H + 10 + 53 + 6, Digits(3, -1));
    std::vector<wxRect> rects;
    b.Renderer()->CountTabsThatFit(b.strip, rects, -1);
    EXPECT_TRUE(rects.empty());
    wxImage img = b.Render();
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(b.Rec(i).IsHidden());
    EXPECT_PX(kGrey, img, b.Renderer()->CloseButtonX(b.strip) + 4, 6 + 4);
  }
  {
    Book b(TNB_SLANTED | TNB_HIDE_CLOSE_BUTTON | TNB_NO_ROTATION_ARROWS, 400, Digits(4, -1), 0);
    std::vector<wxRect> rects;
    b.Renderer()->CountTabsThatFit(b.strip, rects, 1);
    ASSERT_EQ(3u, rects.size());
    EXPECT_EQ(wxRect(6, 4, 32, H), rects[0]);
    EXPECT_EQ(wxRect(48, 4, 32, H), rects[1]);
    // The selected leftmost tab is drawn last, over its right neighbour's slanted side.
    wxImage img = b.Render();
    wxPoint p[8];
    TabRendererSlanted::Outline(6, 32, H, false, p);
    // Near the base, the right side of tab 0 lies inside tab 1's outline too (it starts at 49).
    const int y = H - 5;
    const int x = p[6].x - 2;
    EXPECT_PX(kActive, img, x, y);
    EXPECT_TRUE(b.Rec(0).GetRegion().Contains(x, y));
    EXPECT_TRUE(b.Rec(1).GetRegion().Contains(x, y));

    // Random tab colours are chosen at the first paint and kept.
    b.book->SetWindowStyleFlag(TNB_SLANTED | TNB_RANDOM_TAB_COLOUR);
    b.Render();
    std::vector<wxColour> colours;
    for (int i = 0; i < 4; ++i) {
      ASSERT_TRUE(b.Rec(i).GetColour().IsOk()) << i;
      colours.push_back(b.Rec(i).GetColour());
    }
    wxImage again = b.Render();
    for (int i = 0; i < 4; ++i) EXPECT_EQ(colours[i], b.Rec(i).GetColour());
    // A tab that is not selected runs from its colour lightened by 50 % at its base (under the
    // line along the pages) to 80 % at its far edge; tab 2 shows on the right of tab 1.
    TabRendererSlanted::Outline(b.Rec(2).GetPosition().x, 32, H, false, p);
    const wxColour b50 = LightenColour(colours[2], 50);
    const wxColour a80 = LightenColour(colours[2], 80);
    // Row k: the base colour plus k steps of (a80 - b50) / (H - 8), added up one by one.
    auto row = [&](int from, int to, int k) {
      double sum = 0;
      for (int i = 0; i < k; ++i) sum += (to - from) / double(H - 8);
      return static_cast<int>(from + sum);
    };
    for (int k : {1, H - 8}) {
      EXPECT_PX(wxColour(row(b50.Red(), a80.Red(), k), row(b50.Green(), a80.Green(), k),
                         row(b50.Blue(), a80.Blue(), k)),
                again, p[6].x - 3, p[0].y - k);
    }
  }
}
