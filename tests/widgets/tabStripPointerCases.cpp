// The tab strip under the real pointer (X test extension): the tab list menu, captions too long
// for the strip, where a tab drag starts and what it carries, and clicks on overlapping Slanted
// tabs.
#include <gtest/gtest.h>
#include <wx/settings.h>
#include <wx/timer.h>
#include <wx/tooltip.h>
#include <wx/uiaction.h>

#include <cstring>
#include <vector>

#include "tests/widgets/tabStripInputFixture.h"
#include "widgets/tabDropTarget.h"

using widgettest::Book;
using widgettest::Pump;
using widgettest::PumpUntil;

namespace {

// Runs `tick` every 60 ms from a timer, which goes on ticking inside the nested loops (menus,
// drags) that the input starts, until `done`; returns whether it came.
bool Drive(const std::function<void(int)>& tick, const std::function<bool()>& done) {
  int n = 0;
  wxTimer timer;
  timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { tick(++n); });
  timer.Start(60);
  const bool ok = PumpUntil(done, 8000);
  Pump(150);
  return ok;
}

// Clicks the tab list button and, once the menu is up, picks `item` with the keyboard (Escape
// when the menu never shows). Records the labels of every menu shown.
bool PickFromTabList(Book& b, int item, std::vector<wxArrayString>& menus) {
  wxUIActionSimulator sim;
  const size_t before = menus.size();
  int keys = 0;
  sim.MouseMove(b.strip->ClientToScreen(b.ButtonPoint(TNB_HIT_TAB_LIST_BUTTON)));
  // A click soon after the last one would be taken for a double click.
  Pump(600);
  sim.MouseClick();
  return Drive(
      [&](int n) {
        if (n == 60) sim.Char(WXK_ESCAPE);
        if (menus.size() > before && keys <= item + 1)
          sim.Char(keys++ <= item ? WXK_DOWN : WXK_RETURN);
      },
      [&] { return keys > item + 1; });
}

// Presses at `from` (strip coordinates), slides to `to()` in eight steps and lets go. The first
// step is taken here: a drag it starts runs the platform's loop here, where the timer taking the
// other steps still ticks. A drag that missed the release is ended with Escape, then a click.
void PressAndSlide(Book& b, const wxPoint& from, const std::function<wxPoint()>& to) {
  wxUIActionSimulator sim;
  const wxPoint a = b.strip->ClientToScreen(from);
  sim.MouseMove(a);
  Pump(80);
  sim.MouseDown();
  Pump(150);  // the press repaints the strip
  const wxPoint z = b.strip->ClientToScreen(to());
  auto at = [&](int k) { return wxPoint(a.x + (z.x - a.x) * k / 8, a.y + (z.y - a.y) * k / 8); };
  int step = 1;
  Drive(
      [&](int n) {
        if (step <= 8)
          sim.MouseMove(at(step++));
        else if (step++ == 9)
          sim.MouseUp();
        if (n == 40) sim.Char(WXK_ESCAPE);
        if (n == 60) sim.MouseClick();
      },
      [&] {
        if (step == 1) sim.MouseMove(at(step++));  // before the first tick
        return step > 9;
      });
}

}  // namespace

TEST(TabStripPointer, EmptyAndOverlongCaptionsStayVisibleAndWhole) {
  Book b(0x26218, 4, wxSize(500, 250));
  wxString longCaption;
  for (int i = 0; i < 12; ++i) longCaption += wxString::Format(wxT("room-%d.example.org/"), i);
  b.notebook->SetPageText(0, wxEmptyString);
  b.notebook->SetPageText(2, longCaption);
  b.notebook->SetPageText(3, wxT(" \t"));
  std::vector<wxArrayString> menus;
  b.strip->Bind(wxEVT_MENU_OPEN, [&](wxMenuEvent& e) {
    menus.emplace_back();
    for (wxMenuItem* item : e.GetMenu()->GetMenuItems())
      menus.back().push_back(item->GetItemLabelText());
  });

  // Every page is listed, blank captions under a visible name, the long one whole.
  ASSERT_TRUE(PickFromTabList(b, 0, menus));
  ASSERT_EQ(4u, menus[0].size());
  for (int i : {0, 3}) EXPECT_FALSE(wxString(menus[0][i]).Trim().Trim(false).empty()) << i;
  EXPECT_EQ(longCaption.ToStdString(), menus[0][2].ToStdString());
  EXPECT_EQ(0, b.notebook->GetSelection());

  // Picking the long caption shows its tab, shortened to fit the strip.
  ASSERT_TRUE(PickFromTabList(b, 2, menus));
  EXPECT_EQ(2, b.notebook->GetSelection());
  ASSERT_TRUE(PumpUntil([&] { return !b.strip->GetPageInfo(2).IsHidden(); }));
  const TabPageInfo& tab = b.strip->GetPageInfo(2);
  EXPECT_LE(tab.GetPosition().x + tab.GetSize().GetWidth(), b.strip->GetClientSize().GetWidth());

  // Over its tab the tool tip holds the whole caption; over the others or off the tabs, none.
  // The strip has handled the pointer's motion to `p` (it sets its tip there) before the tip is read.
  wxPoint moved(-1, -1);
  b.strip->Bind(wxEVT_MOTION, [&](wxMouseEvent& event) {
    moved = event.GetPosition();
    event.Skip();
  });
  wxUIActionSimulator sim;
  auto tipOver = [&](const wxPoint& p) {
    sim.MouseMove(b.strip->ClientToScreen(p));
    EXPECT_TRUE(PumpUntil([&] { return moved == p; })) << "the strip saw no motion to " << p.x << "," << p.y;
    return b.strip->GetToolTip() ? b.strip->GetToolTip()->GetTip().ToStdString() : "";
  };
  EXPECT_EQ(longCaption.ToStdString(), tipOver(b.TabPoint(2)));
  EXPECT_EQ("", tipOver(b.ButtonPoint(TNB_HIT_TAB_LIST_BUTTON)));
  EXPECT_EQ(longCaption.ToStdString(), tipOver(b.TabPoint(2)));
  b.notebook->SetSelection(1);
  Pump(100);
  EXPECT_EQ("", tipOver(b.TabPoint(1)));
}

TEST(TabStripPointer, ADragCarriesThePressedTabOnlyPastTheDragDistance) {
  Book b(0x26218, 6, wxSize(760, 250));
  b.notebook->SetPageText(0, wxT("news.example.org, the longest room name"));
  b.notebook->SetPageText(3, wxT("ab"));
  b.notebook->SetPageText(4, wxT("forum.example.net"));
  b.Render();
  // Pressing tab 3 selects it: tab 0 loses its bold caption and its X, the tabs move left and
  // the pressed spot comes to lie over tab 4.
  const TabPageInfo& three = b.strip->GetPageInfo(3);
  const wxPoint pressed(three.GetPosition().x + three.GetSize().GetWidth() - 2, b.TabPoint(3).y);
  PressAndSlide(b, pressed, [&] {
    TabPageInfo record;
    int under = -1;
    b.strip->HitTest(pressed, record, under);
    EXPECT_EQ(4, under) << "the press no longer moves the tabs";
    return b.TabPoint(1);
  });
  const std::string order = "news.example.org, the longest room name ab P1 P2 forum.example.net P5";
  EXPECT_EQ(order, b.Captions().ToStdString());
  EXPECT_EQ(1, b.notebook->GetSelection());

  // Pressing the X of the selected tab and sliding off it moves nothing and closes nothing.
  b.Render();
  const wxRect x = b.strip->GetPageInfo(1).GetXRect();
  PressAndSlide(b, x.GetPosition() + wxPoint(4, 4), [&] { return b.TabPoint(4); });
  EXPECT_EQ(order, b.Captions().ToStdString());

  // Within the system's drag distance the pointer starts no drag; one pixel further it does,
  // with the pressed tab.
  std::vector<int> carried;
  SetTabDragLoop([&](TabDropSource& source, int) {
    TabDragInfo info;
    source.GetDataObject()->GetDataHere(TabDragFormat(), &info);
    carried.push_back(info.pageIndex);
    return wxDragNone;
  });
  const int reach = std::max(wxSystemSettings::GetMetric(wxSYS_DRAG_X, b.strip), 8);
  b.Render();
  const wxPoint start = b.strip->ClientToScreen(b.TabPoint(2));
  wxUIActionSimulator sim;
  sim.MouseMove(start);
  Pump(80);
  sim.MouseDown();
  Pump(150);
  for (int dx = 1; dx <= reach; ++dx) {
    sim.MouseMove(start.x + dx, start.y);
    Pump(20);
  }
  EXPECT_TRUE(carried.empty());
  sim.MouseMove(start.x + reach + 1, start.y);
  PumpUntil([&] { return !carried.empty(); });
  sim.MouseUp();
  Pump(80);
  SetTabDragLoop(nullptr);
  EXPECT_EQ(std::vector<int>{2}, carried);
}

TEST(TabStripPointer, SlantedClicksFollowWhatIsDrawnOnTop) {
  Book b(TNB_SLANTED, 4, wxSize(700, 250));
  for (int i = 0; i < 4; ++i) b.notebook->SetPageText(i, wxT("chatroom"));
  b.Render();
  // A spot where tab `left` and its right-hand neighbour overlap.
  auto overlap = [&](int left) {
    const wxRegion& l = b.strip->GetPageInfo(left).GetRegion();
    const wxRegion& r = b.strip->GetPageInfo(left + 1).GetRegion();
    const wxRect box = r.GetBox();
    for (int y = box.GetBottom(); y >= box.y; --y)
      for (int x = box.x; x <= box.GetRight(); ++x)
        if (l.Contains(x, y) == wxInRegion && r.Contains(x, y) == wxInRegion &&
            l.Contains(x + 2, y - 2) == wxInRegion)
          return wxPoint(x + 1, y - 1);
    return wxPoint(-1, -1);
  };
  // A click is over once the strip has handled its release.
  int releases = 0;
  b.strip->Bind(wxEVT_LEFT_UP, [&](wxMouseEvent& event) {
    ++releases;
    event.Skip();
  });
  wxUIActionSimulator sim;
  auto click = [&](const wxPoint& p) {
    sim.MouseMove(b.strip->ClientToScreen(p));
    Pump(50);
    const int before = releases;
    sim.MouseClick();
    EXPECT_TRUE(PumpUntil([&] { return releases > before; })) << "the click did not reach the strip";
    b.Render();
    return b.notebook->GetSelection();
  };
  // The tab seen there is hit: the left one of two others, the selected one over its neighbour.
  EXPECT_EQ(1, click(overlap(1)));
  EXPECT_EQ(2, click(overlap(2)));
  EXPECT_EQ(2, click(overlap(1)));

  // The selected tab leaves its left neighbour's caption whole: tab 1's caption looks the same
  // whether tab 2, drawn over it, or tab 3 is selected.
  const TabPageInfo& one = b.strip->GetPageInfo(1);
  wxMemoryDC measure;
  measure.SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT));
  const wxRect caption(wxPoint(one.GetPosition().x + b.notebook->GetTabPadding() +
                                   one.GetSize().GetHeight() - 6, 10),
                       measure.GetTextExtent(wxT("chatroom")) + wxSize(1, 0));
  const wxImage over = b.Render().GetSubImage(caption);
  b.notebook->SetSelection(3);
  const wxImage apart = b.Render().GetSubImage(caption);
  EXPECT_EQ(0, memcmp(over.GetData(), apart.GetData(), caption.width * caption.height * 3));
}
