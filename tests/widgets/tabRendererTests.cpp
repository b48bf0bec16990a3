// The five tab looks: the renderer chosen for a style word, the geometry each paint records in
// the page records, and a colour of each look painted into memory.
#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/panel.h>
#include <wx/settings.h>

#include <cmath>
#include <functional>
#include <typeinfo>
#include <string>
#include <vector>

#include "tests/support/pixels.h"
#include "tests/support/testSupport.h"
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

using testsupport::ColourText;
using testsupport::PixelAt;
using widgettest::Pump;
using widgettest::PumpUntil;
using widgettest::TestFrame;

namespace {

const wxColour kFrame(0x47, 0x66, 0xe0);
const wxColour kHoverFill(0xc9, 0xda, 0xfb);
const wxColour kPressedFill(0x9e, 0x9e, 0xde);
const wxColour kGrey(0x55, 0x55, 0x55);
const wxColour kActive(255, 250, 205);

wxColour Sys(wxSystemColour c) { return wxSystemSettings::GetColour(c); }

#define EXPECT_PX(colour, img, x, y)                                                              \
  EXPECT_EQ(ColourText(colour), ColourText(PixelAt(img, x, y))) << "pixel (" << (x) << "," << (y) << ")"

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
  EXPECT_EQ(ColourText(face), ColourText(b.book->GetGradientColourTo()));
  EXPECT_EQ(ColourText(LightenColour(face, 60)), ColourText(b.book->GetGradientColourFrom()));
  b.book->SetGradientColours(*wxRED, *wxGREEN, *wxBLUE);
  b.Render();
  EXPECT_EQ(ColourText(*wxRED), ColourText(b.book->GetGradientColourFrom()));
  EXPECT_EQ(ColourText(*wxGREEN), ColourText(b.book->GetGradientColourTo()));
}

TEST(TabRenderers, RendererForEachStyleWord) {
  TabRendererMgr* mgr = GetRendererMgr();
  // With several look bits: 0x1, then 0x2, then 0x100, then 0x10000.
  const struct {
    long style;
    const std::type_info& type;
  } rows[] = {{0, typeid(TabRendererDefault)},       {TNB_BOTTOM_TABS | TNB_THIN_BORDER | 0x26218, typeid(TabRendererDefault)},
              {0x1, typeid(TabRendererBoxed)},       {0x2, typeid(TabRendererShaded)},
              {0x100, typeid(TabRendererSlanted)},   {0x10000, typeid(TabRendererRounded)},
              {0x3, typeid(TabRendererBoxed)},       {0x10101, typeid(TabRendererBoxed)},
              {0x10102, typeid(TabRendererShaded)},  {0x10100, typeid(TabRendererSlanted)}};
  for (const auto& row : rows) {
    TabRenderer* r = mgr->RendererForStyle(row.style).get();
    ASSERT_NE(nullptr, r);
    EXPECT_TRUE(typeid(*r) == row.type) << std::hex << row.style;
  }
  // One renderer per look, shared by every caller.
  EXPECT_EQ(mgr, GetRendererMgr());
  EXPECT_EQ(mgr->RendererForStyle(0x1).get(), mgr->RendererForStyle(0x41).get());
  EXPECT_NE(mgr->RendererForStyle(0x1).get(), mgr->RendererForStyle(0x2).get());
}

// GCC 12 cannot tell that a shared count above one never frees the object, and takes reading the
// count after an assignment for a use after free.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuse-after-free"
TEST(TabRenderers, SmartPointerSharesAndDeletesOnce) {
  struct Counted {
    explicit Counted(int* d) : deaths(d) {}
    ~Counted() { ++*deaths; }
    int* deaths;
  };
  int deaths = 0;
  {
    TabSmartPtr<Counted> a(new Counted(&deaths));
    TabSmartPtr<Counted> b(a);
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
#pragma GCC diagnostic pop

TEST(TabRenderers, ColourHelpers) {
  EXPECT_EQ(ColourText(wxColour(177, 177, 177)), ColourText(LightenColour(wxColour(100, 100, 100), 50)));
  EXPECT_EQ(ColourText(wxColour(10, 20, 30)), ColourText(LightenColour(wxColour(10, 20, 30), 0)));
  EXPECT_EQ(ColourText(*wxWHITE), ColourText(LightenColour(wxColour(10, 20, 30), 100)));
  // 70 % of the way: 0 + 70 * 255 / 100 = 178; 200 + 70 * 55 / 100 = 238.
  EXPECT_EQ(ColourText(wxColour(178, 238, 255)), ColourText(LightenColour(wxColour(0, 200, 255), 70)));

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
  // A tab 60 wide and 20 high at x = 10. A slant of 30 degrees widens the default tab's foot by
  // tan(30) * 18 = 10.39; the next slanted tab (at 80) shares the columns 81 to 87.
  const struct {
    const char* name;
    std::function<void(wxPoint*)> make;
    std::vector<wxPoint> points;
  } outlines[] = {
      {"rounded top", [](wxPoint* p) { TabRendererRounded::Outline(10, 60, 20, false, p); },
       {{12, 18}, {12, 6}, {14, 4}, {68, 4}, {70, 6}, {70, 18}, {12, 18}}},
      {"rounded bottom", [](wxPoint* p) { TabRendererRounded::Outline(10, 60, 20, true, p); },
       {{12, 2}, {12, 14}, {14, 16}, {68, 16}, {70, 14}, {70, 2}, {12, 2}}},
      {"default top", [](wxPoint* p) { TabRendererDefault::Outline(10, 60, 20, 0, false, p); },
       {{10, 18}, {10, 6}, {12, 4}, {68, 4}, {70, 6}, {70, 18}, {10, 18}}},
      {"default bottom, 30 degrees", [](wxPoint* p) { TabRendererDefault::Outline(10, 60, 20, 30, true, p); },
       {{10, 2}, {20, 14}, {22, 16}, {57, 16}, {59, 14}, {69, 2}, {10, 2}}},
      {"slanted top", [](wxPoint* p) { TabRendererSlanted::Outline(10, 60, 20, false, p); },
       {{11, 17}, {23, 6}, {27, 4}, {85, 4}, {86, 5}, {87, 6}, {87, 17}, {11, 17}}},
      {"slanted bottom", [](wxPoint* p) { TabRendererSlanted::Outline(10, 60, 20, true, p); },
       {{10, 2}, {22, 14}, {26, 16}, {84, 16}, {85, 15}, {86, 14}, {86, 2}, {10, 2}}},
  };
  for (const auto& o : outlines) {
    wxPoint p[8];
    o.make(p);
    EXPECT_EQ(o.points, std::vector<wxPoint>(p, p + o.points.size())) << o.name;
  }
  EXPECT_EQ(wxRect(14, 4, 57, 15), TabRendererRounded::FillBox(10, 60, 20, false));
  EXPECT_EQ(wxRect(14, 2, 57, 15), TabRendererRounded::FillBox(10, 60, 20, true));

  // Where a row crosses the slanted outline: the base, the long slant (slope -12/11), the short
  // slant and the rounded corner, and a row that matches no segment (the far edge's ends).
  TabRenderer* any = GetRendererMgr()->RendererForStyle(TNB_SLANTED).get();
  const struct {
    bool bottom;
    int y, left, right;
  } rows[] = {{false, 17, 11, 87}, {false, 10, 18, 87}, {false, 5, 25, 86}, {false, 4, 27, 85},
              {true, 2, 10, 86},   {true, 15, 24, 85}};
  for (const auto& row : rows) {
    wxPoint s[8];
    TabRendererSlanted::Outline(10, 60, 20, row.bottom, s);
    const long style = row.bottom ? TNB_BOTTOM_TABS : 0;
    EXPECT_EQ(row.left, any->TabEdgeXLeft(s, row.y, style)) << row.y;
    EXPECT_EQ(row.right, any->TabEdgeXRight(s, row.y, style)) << row.y;
  }
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
// and with no button: where each paint put each tab and the X of the selected tab, and the
// colour of the selected tab.
TEST(TabRenderers, GeometryOfEveryLook) {
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
  struct Buttons {
    const char* name;
    long bits;
    int shown;         // tabs laid out (0 .. shown-1), other looks
    int shownSlanted;  // the same for the slanted look
  };
  // Tab widths: 32, the selected tab (index 1, empty caption, X on it) 47, slanted 42.
  // Other looks lay tabs out at 6, 38, 85, 117, 149, 181, 213, 245, 277 and stop when
  // x + w + area >= 290 (area 53, 38 or 0). Slanted tabs are 10 apart: 6, 48, 100, 142, 184,
  // 226, and stop when x + w + H + 10 + area >= 290, that is x >= 195 - H, 210 - H and 248 - H.
  const Buttons kButtons[] = {
      {"x+arrows", 0, 6, 4},
      {"x+list", TNB_DROP_DOWN_TAB_LIST | TNB_NO_ROTATION_ARROWS, 7, 4},
      {"none", TNB_HIDE_CLOSE_BUTTON | TNB_NO_ROTATION_ARROWS, 8, 5},
  };
  const int kX[] = {6, 38, 85, 117, 149, 181, 213, 245, 277};
  const int kXSlanted[] = {6, 48, 100, 142, 184, 226};
  // Where each look puts the caption (the X sits one pixel right of the selected tab's empty
  // one), with tabs on top and at the bottom; and the colour of the selected tab on top.
  struct Caption {
    int offset, yTop, yBottom;
  };
  const Caption kCaption[] = {{8, 10, 6}, {6, 8, 5}, {6, 10, 6}, {8, 10, 6}, {H, 10, 6}};

  for (size_t l = 0; l < 5; ++l) {
    const Look& look = kLooks[l];
    const bool slanted = look.bits == TNB_SLANTED;
    for (bool bottom : {false, true}) {
      for (const Buttons& buttons : kButtons) {
        SCOPED_TRACE(std::string(look.name) + (bottom ? " bottom " : " top ") + buttons.name);
        const long style = look.bits | buttons.bits | TNB_CLOSE_BUTTON_ON_ACTIVE_TAB |
                           (bottom ? TNB_BOTTOM_TABS : 0);
        Book b(style, W, Digits(10, 1), 1);
        ASSERT_EQ(W, b.strip->GetClientSize().GetWidth());
        ASSERT_EQ(H, b.strip->GetClientSize().GetHeight());
        b.book->SetGradientColours(wxColour(200, 220, 255), wxColour(20, 40, 160), Sys(wxSYS_COLOUR_BTNSHADOW));
        wxImage img = b.Render();

        const int shown = slanted ? buttons.shownSlanted : buttons.shown;
        for (int i = 0; i < 10; ++i) {
          SCOPED_TRACE("tab " + std::to_string(i));
          const TabPageInfo& rec = b.Rec(i);
          if (i >= shown) {
            EXPECT_EQ(wxPoint(-1, -1), rec.GetPosition());
            EXPECT_TRUE(rec.GetRegion().IsEmpty());
            continue;
          }
          EXPECT_EQ(wxPoint(slanted ? kXSlanted[i] : kX[i], slanted || !bottom ? 4 : 0), rec.GetPosition());
          EXPECT_EQ(wxSize(i != 1 ? 32 : slanted ? 42 : 47, H), rec.GetSize());
          EXPECT_EQ(slanted, !rec.GetRegion().IsEmpty());
          if (i != 1) { EXPECT_EQ(-1, rec.GetXRect().width); }
        }
        EXPECT_EQ(shown - 1, b.strip->GetLastVisibleTab());
        const int selX = slanted ? 48 : 38;
        const Caption& cap = kCaption[l];
        const wxRect xr(selX + cap.offset + 1, bottom ? cap.yBottom : cap.yTop, 14, 13);
        EXPECT_EQ(xr, b.Rec(1).GetXRect());
        // The X is drawn where it is hit: grey, from the picture's pixel (4, 4).
        EXPECT_PX(kGrey, img, xr.x + 4, xr.y + 4);
        if (bottom || buttons.bits) continue;

        // One colour per look: the selected tab's fill, right of its X, halfway down.
        const int fillX = slanted ? xr.x + 18 : selX + 47 - 6;
        const wxColour from = b.book->GetGradientColourFrom(), to = b.book->GetGradientColourTo();
        // The shaded look runs from "to" at the top (y = 4) to "from" over H - 6 rows.
        auto mix = [&](int a, int z) { return a + ((H / 2 - 4) * (z - a) * 100 / (H - 6)) / 100; };
        const wxColour fills[] = {kActive, face, wxColour(mix(to.Red(), from.Red()), mix(to.Green(), from.Green()),
                                                          mix(to.Blue(), from.Blue())),
                                  face, kActive};
        EXPECT_PX(fills[l], img, fillX, look.bits == TNB_ROUNDED ? H - 3 : H / 2);
      }
    }
  }
}

// The buttons of the strip in each state: the plain grey X, the disabled left arrow (outline
// only), the enabled right arrow (solid), hovered and pressed, and the tab list's triangle.
TEST(TabRenderers, ButtonsShowTheirStates) {
  Book b(TNB_CLOSE_BUTTON_ON_ACTIVE_TAB, 290, Digits(10, 1), 1);
  TabSmartPtr<TabRenderer> r = b.Renderer();
  const int cx = r->CloseButtonX(b.strip), lx = r->LeftArrowButtonX(b.strip), rx = r->RightArrowButtonX(b.strip);
  wxImage img = b.Render();
  const wxColour back = PixelAt(img, 290 - 53 - 4, 7);
  EXPECT_PX(kGrey, img, cx + 4, 6 + 4);
  EXPECT_PX(PixelAt(img, cx - 2, 6), img, cx, 6);  // the mask lets the strip show through
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
  const wxRect xr = b.Rec(1).GetXRect();
  EXPECT_PX(*wxBLACK, pressed, xr.x + 5, xr.y + 5);

  b.book->SetWindowStyleFlag(TNB_DROP_DOWN_TAB_LIST | TNB_NO_ROTATION_ARROWS);
  b.strip->SetXButtonStatus(TNB_BUTTON_NONE);
  wxImage list = b.Render();
  const int tx = r->TabListButtonX(b.strip);
  EXPECT_PX(*wxBLACK, list, tx + 8, 6 + 5);
  EXPECT_PX(*wxBLACK, list, tx + 8, 6 + 9);
  // With neither X nor arrows, nothing right of the last tab.
  b.book->SetWindowStyleFlag(TNB_HIDE_CLOSE_BUTTON | TNB_NO_ROTATION_ARROWS);
  wxImage none = b.Render();
  const TabPageInfo& last = b.Rec(b.strip->GetLastVisibleTab());
  const int lastEnd = last.GetPosition().x + last.GetSize().x;
  ASSERT_LT(lastEnd + 2, 290 - 2);
  for (int x = lastEnd + 2; x < 290 - 2; ++x) EXPECT_PX(back, none, x, 6 + 7);
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
    EXPECT_TRUE(PumpUntil([&] { return !b.strip->IsShown(); }));
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
