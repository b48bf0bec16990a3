// Hit testing, buttons, clicks and menus of the tab strip, driven through its event table.
#include <gtest/gtest.h>
#include <wx/tooltip.h>

#include <functional>
#include <vector>

#include "tests/widgets/tabStripInputFixture.h"
#include "widgets/tabDropTarget.h"

using widgettest::Book;
using widgettest::NotebookEventLog;

namespace {

// What a pop-up menu held when the strip showed it.
struct PoppedMenu {
  wxMenu* menu;
  std::vector<int> ids;
  std::vector<wxString> labels;
  std::vector<wxString> helps;
};

// Catches the strip's pop-up menus for the life of the object; `onPopup` may act on the menu
// while it is "shown".
struct MenuCatcher {
  MenuCatcher() {
    TabStrip::SetMenuPopupHook([this](TabStrip*, wxMenu* menu) {
      PoppedMenu p{menu, {}, {}, {}};
      for (wxMenuItem* item : menu->GetMenuItems()) {
        p.ids.push_back(item->GetId());
        p.labels.push_back(item->GetItemLabel());
        p.helps.push_back(item->GetHelp());
      }
      popped.push_back(p);
      if (onPopup) onPopup(menu);
    });
  }
  ~MenuCatcher() { TabStrip::SetMenuPopupHook(nullptr); }
  std::vector<PoppedMenu> popped;
  std::function<void(wxMenu*)> onPopup;
};

// Drags must not start in these cases: any that does is recorded and dropped nowhere.
struct NoDrag {
  NoDrag() {
    SetTabDragLoop([this](TabDropSource&, int) {
      ++started;
      return wxDragNone;
    });
  }
  ~NoDrag() { SetTabDragLoop(nullptr); }
  int started = 0;
};

}  // namespace

TEST(TabStripMouse, HitTestEveryRegionAndStyle) {
  {
    Book empty(0, 0);
    TabPageInfo r;
    int idx = 7;
    EXPECT_EQ(TNB_HIT_NOWHERE, empty.strip->HitTest(wxPoint(5, 10), r, idx));
    EXPECT_EQ(-1, idx);
  }
  Book b(0, 3);
  const int W = b.strip->GetClientSize().GetWidth();
  // The buttons' squares are 16 x 16 from y = 8: the X at W - 22, the right arrow (or the tab
  // list) at W - 38, the left arrow at W - 54, each moving right into the place of a hidden one.
  // Index kTabX: the point is on the selected tab's X (tab 1), as painted with its style.
  enum { kTabX = -3 };
  const struct {
    long style;
    wxPoint point;
    int zone, index;
  } rows[] = {
      {0, {W - 22 + 8, 16}, TNB_HIT_CLOSE_BUTTON, -1},
      {0, {W - 22, 8}, TNB_HIT_CLOSE_BUTTON, -1},
      {0, {W - 22 + 15, 23}, TNB_HIT_CLOSE_BUTTON, -1},
      {0, {W - 22 + 8, 7}, TNB_HIT_NOWHERE, -1},
      {0, {W - 22 + 8, 24}, TNB_HIT_NOWHERE, -1},
      {0, {W - 38 + 8, 16}, TNB_HIT_RIGHT_ARROW, -1},
      {0, {W - 54 + 8, 16}, TNB_HIT_LEFT_ARROW, -1},
      {0, b.EmptyPoint(), TNB_HIT_NOWHERE, -1},
      // Tabs below the pages: the buttons still at y = 8, the tabs where they were drawn.
      {TNB_BOTTOM_TABS, {W - 22 + 8, 8}, TNB_HIT_CLOSE_BUTTON, -1},
      {TNB_BOTTOM_TABS, {W - 22 + 8, 7}, TNB_HIT_NOWHERE, -1},
      {TNB_BOTTOM_TABS, {W - 54 + 8, 23}, TNB_HIT_LEFT_ARROW, -1},
      {TNB_BOTTOM_TABS, {0, 1}, TNB_HIT_TAB, 2},  // x: 2 pixels into tab 2
      // The hidden X's square moves past the right edge and answers nothing.
      {TNB_HIDE_CLOSE_BUTTON, {W + 4, 16}, TNB_HIT_NOWHERE, -1},
      {TNB_HIDE_CLOSE_BUTTON, {W - 22 + 8, 16}, TNB_HIT_RIGHT_ARROW, -1},
      {TNB_HIDE_CLOSE_BUTTON, {W - 38 + 8, 16}, TNB_HIT_LEFT_ARROW, -1},
      {TNB_NO_ROTATION_ARROWS, {W - 22 + 8, 16}, TNB_HIT_CLOSE_BUTTON, -1},
      {TNB_NO_ROTATION_ARROWS, {W - 38 + 8, 16}, TNB_HIT_NOWHERE, -1},
      {TNB_NO_ROTATION_ARROWS, {W - 54 + 8, 16}, TNB_HIT_NOWHERE, -1},
      {TNB_DROP_DOWN_TAB_LIST, {W - 38 + 8, 16}, TNB_HIT_TAB_LIST_BUTTON, -1},
      {TNB_DROP_DOWN_TAB_LIST, {W - 54 + 8, 16}, TNB_HIT_LEFT_ARROW, -1},
      {TNB_DROP_DOWN_TAB_LIST | TNB_NO_ROTATION_ARROWS, {W - 38 + 8, 16}, TNB_HIT_TAB_LIST_BUTTON, -1},
      {TNB_DROP_DOWN_TAB_LIST | TNB_NO_ROTATION_ARROWS, {W - 54 + 8, 16}, TNB_HIT_NOWHERE, -1},
      {TNB_DROP_DOWN_TAB_LIST | TNB_HIDE_CLOSE_BUTTON, {W - 22 + 8, 16}, TNB_HIT_TAB_LIST_BUTTON, -1},
      // The X on the selected tab answers only with its style, and carries the tab.
      {TNB_CLOSE_BUTTON_ON_ACTIVE_TAB, {}, TNB_HIT_TAB_CLOSE_BUTTON, kTabX},
      {0, {}, TNB_HIT_TAB, kTabX},
  };
  b.notebook->SetSelection(1);
  long painted = -1;
  for (const auto& row : rows) {
    if (row.style != painted) {
      b.notebook->SetWindowStyleFlag(painted = row.style);
      b.Render();
    }
    wxPoint p = row.point;
    int expected = row.index;
    if (row.style == TNB_BOTTOM_TABS && row.index == 2) p.x = b.strip->GetPageInfo(2).GetPosition().x + 2;
    if (row.index == kTabX) {
      b.notebook->SetWindowStyleFlag(TNB_CLOSE_BUTTON_ON_ACTIVE_TAB);
      b.Render();
      const wxRect x1 = b.strip->GetPageInfo(1).GetXRect();
      ASSERT_GT(x1.width, 0);
      p = wxPoint(x1.x + 2, x1.y + 2);
      b.notebook->SetWindowStyleFlag(row.style);
      painted = -1;
      expected = 1;
    }
    TabPageInfo r;
    int idx = 99;
    EXPECT_EQ(row.zone, b.strip->HitTest(p, r, idx)) << std::hex << row.style << std::dec << " " << p.x << "," << p.y;
    EXPECT_EQ(expected, idx) << std::hex << row.style << std::dec << " " << p.x << "," << p.y;
  }
  // Each tab, and left of the selected tab's X the tab itself.
  b.notebook->SetWindowStyleFlag(TNB_CLOSE_BUTTON_ON_ACTIVE_TAB);
  b.Render();
  TabPageInfo r;
  int idx = 0;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(TNB_HIT_TAB, b.strip->HitTest(b.TabPoint(i), r, idx)) << i;
    EXPECT_EQ(i, idx);
    EXPECT_EQ(wxString::Format(wxT("P%d"), i), r.GetCaption());
  }
  const wxRect x1 = b.strip->GetPageInfo(1).GetXRect();
  EXPECT_EQ(TNB_HIT_TAB, b.strip->HitTest(wxPoint(b.strip->GetPageInfo(1).GetPosition().x + 3, x1.y + 2), r, idx));

  // Slanted tabs are hit through their regions; of two overlapping tabs the selected one wins,
  // otherwise the earlier one, drawn over the later.
  b.notebook->SetWindowStyleFlag(TNB_SLANTED);
  b.notebook->SetSelection(0);
  b.Render();
  for (int i = 0; i < 3; ++i) ASSERT_FALSE(b.strip->GetPageInfo(i).IsHidden());
  b.strip->GetPageInfo(0).SetRegion(wxRegion(10, 4, 60, 20));
  b.strip->GetPageInfo(1).SetRegion(wxRegion(50, 4, 60, 20));
  b.strip->GetPageInfo(2).SetRegion(wxRegion(100, 4, 60, 20));
  // Tabs 0 and 1 with 0 selected; 1 and 2 (the left one is drawn on top); 0 alone; 1 alone (found after the loop); none; inside
  // tab 0's rectangle but outside its region.
  const struct {
    wxPoint point;
    int index;
  } slanted[] = {{{55, 10}, 0}, {{105, 10}, 1}, {{15, 10}, 0}, {{80, 10}, 1}, {{200, 10}, -1}, {{15, 30}, -1}};
  for (const auto& row : slanted) {
    EXPECT_EQ(row.index < 0 ? TNB_HIT_NOWHERE : TNB_HIT_TAB, b.strip->HitTest(row.point, r, idx)) << row.point.x;
    EXPECT_EQ(row.index, idx) << row.point.x;
  }
}

TEST(TabStripMouse, LeftClicksOnTabsAndTheCloseButton) {
  Book b(0, 5);
  NotebookEventLog log(b.frame);
  b.notebook->EnablePage(2, false);

  b.Click(b.TabPoint(1));
  EXPECT_EQ(1, b.notebook->GetSelection());
  EXPECT_EQ("changing(1,0) changed(1,-1)", log.Summary());
  log.Clear();
  b.Click(b.TabPoint(2));  // disabled
  EXPECT_EQ(1, b.notebook->GetSelection());
  b.Click(b.TabPoint(1));  // already selected
  EXPECT_EQ("", log.Summary());
  // A press is kept, a release is passed on.
  EXPECT_FALSE(b.Mouse(wxEVT_LEFT_DOWN, b.EmptyPoint(), true));
  EXPECT_EQ(TNB_HIT_NOWHERE, b.strip->GetLeftClickZone());
  EXPECT_TRUE(b.Mouse(wxEVT_LEFT_UP, b.EmptyPoint()));

  const wxPoint x = b.ButtonPoint(TNB_HIT_CLOSE_BUTTON);
  // Press on the X and release elsewhere: nothing closes.
  b.Mouse(wxEVT_LEFT_DOWN, x, true);
  EXPECT_EQ(TNB_BUTTON_PRESSED, b.strip->GetXButtonStatus());
  EXPECT_EQ(TNB_HIT_CLOSE_BUTTON, b.strip->GetLeftClickZone());
  b.Mouse(wxEVT_MOTION, b.EmptyPoint(), true);
  EXPECT_EQ(TNB_BUTTON_NONE, b.strip->GetXButtonStatus());
  b.Mouse(wxEVT_LEFT_UP, b.EmptyPoint());
  b.Mouse(wxEVT_LEFT_UP, x);  // a release without a press on the X
  EXPECT_EQ(5, b.notebook->GetPageCount());
  EXPECT_EQ(TNB_HIT_NOWHERE, b.strip->GetLeftClickZone());

  // Press, move off, come back with the button held, release: the selected page closes.
  b.Mouse(wxEVT_LEFT_DOWN, x, true);
  b.Mouse(wxEVT_MOTION, b.EmptyPoint(), true);
  b.Mouse(wxEVT_MOTION, x, true);
  EXPECT_EQ(TNB_BUTTON_PRESSED, b.strip->GetXButtonStatus());
  b.Mouse(wxEVT_LEFT_UP, x);
  EXPECT_EQ(TNB_BUTTON_HOVER, b.strip->GetXButtonStatus());
  EXPECT_EQ(wxT("P0 P2 P3 P4"), b.Captions());
  EXPECT_EQ("closing(1,-1) changing(0,0) changed(0,-1) closed(1,-1)", log.Summary());

  // A double click on the X closes two pages.
  b.Render();
  b.DoubleClick(x);
  EXPECT_EQ(2, b.notebook->GetPageCount());
  EXPECT_EQ(wxT("P3 P4"), b.Captions());

  // A vetoed closing keeps the page.
  log.vetoClosing = true;
  b.Click(x);
  EXPECT_EQ(2, b.notebook->GetPageCount());
}

TEST(TabStripMouse, ArrowsScrollOneTabWhileTheyCan) {
  Book b(0, 30);
  const wxPoint left = b.ButtonPoint(TNB_HIT_LEFT_ARROW);
  const wxPoint right = b.ButtonPoint(TNB_HIT_RIGHT_ARROW);
  ASSERT_TRUE(b.strip->GetPageInfo(29).IsHidden());

  // The left arrow does nothing at the first tab.
  b.Click(left);
  EXPECT_EQ(0, b.strip->GetFirstVisibleTab());
  b.Click(right);
  EXPECT_EQ(1, b.strip->GetFirstVisibleTab());
  EXPECT_EQ(TNB_BUTTON_HOVER, b.strip->GetRightArrowStatus());
  b.Render();
  b.Click(right);
  EXPECT_EQ(2, b.strip->GetFirstVisibleTab());
  b.Render();
  // A release without a press scrolls nothing.
  b.Mouse(wxEVT_LEFT_UP, right);
  EXPECT_EQ(2, b.strip->GetFirstVisibleTab());
  // A double click scrolls once: its second press is not a press of the arrow.
  b.DoubleClick(right);
  EXPECT_EQ(3, b.strip->GetFirstVisibleTab());
  b.Render();
  b.Click(left);
  EXPECT_EQ(2, b.strip->GetFirstVisibleTab());
  EXPECT_EQ(TNB_BUTTON_HOVER, b.strip->GetLeftArrowStatus());

  // Once the last tab is drawn the right arrow does nothing.
  b.strip->SetFirstVisibleTab(27);
  b.Render();
  ASSERT_FALSE(b.strip->GetPageInfo(29).IsHidden());
  b.Click(right);
  EXPECT_EQ(27, b.strip->GetFirstVisibleTab());
  b.strip->SetFirstVisibleTab(29);
  b.Render();
  b.Click(right);
  EXPECT_EQ(29, b.strip->GetFirstVisibleTab());
}

TEST(TabStripMouse, DoubleAndMiddleClicksCloseTheTabUnderThePointer) {
  NoDrag noDrag;
  Book b(0, 5);
  NotebookEventLog log(b.frame);
  b.notebook->EnablePage(3, false);

  // Without their styles neither closes anything.
  EXPECT_FALSE(b.Mouse(wxEVT_LEFT_DCLICK, b.TabPoint(2), true));
  EXPECT_FALSE(b.Mouse(wxEVT_MIDDLE_DOWN, b.TabPoint(2)));
  EXPECT_EQ(5, b.notebook->GetPageCount());
  EXPECT_EQ("", log.Summary());
  EXPECT_TRUE(b.Mouse(wxEVT_LEFT_DCLICK, b.EmptyPoint(), true));

  b.notebook->SetWindowStyleFlag(TNB_DOUBLE_CLICK_CLOSES_TAB | TNB_MIDDLE_BUTTON_CLOSES_TAB);
  b.Render();
  EXPECT_FALSE(b.Mouse(wxEVT_LEFT_DCLICK, b.TabPoint(2), true));
  EXPECT_EQ(wxT("P0 P1 P3 P4"), b.Captions());
  // The selection stays on the page it was on.
  EXPECT_EQ(0, b.notebook->GetSelection());
  EXPECT_EQ("closing(2,-1) changing(0,0) changed(0,-1) closed(2,-1)", log.Summary());
  b.Render();
  // A disabled tab closes as well, by double click...
  b.Mouse(wxEVT_LEFT_DCLICK, b.TabPoint(2), true);
  EXPECT_EQ(wxT("P0 P1 P4"), b.Captions());
  b.notebook->EnablePage(2, false);
  b.Render();
  // ... and by middle click, which is passed on.
  EXPECT_TRUE(b.Mouse(wxEVT_MIDDLE_DOWN, b.TabPoint(2)));
  EXPECT_EQ(wxT("P0 P1"), b.Captions());
  b.Render();
  EXPECT_TRUE(b.Mouse(wxEVT_MIDDLE_DOWN, b.EmptyPoint()));
  EXPECT_EQ(2, b.notebook->GetPageCount());
  // The selected page closes too.
  EXPECT_TRUE(b.Mouse(wxEVT_MIDDLE_DOWN, b.TabPoint(0)));
  EXPECT_EQ(wxT("P1"), b.Captions());
  EXPECT_EQ(0, b.notebook->GetSelection());
  EXPECT_EQ(0, noDrag.started);
}

TEST(TabStripMouse, RightClicksMenusAndTheContextEvent) {
  MenuCatcher catcher;
  Book b(0, 3);
  NotebookEventLog log(b.frame);
  b.notebook->EnablePage(1, false);

  // The empty area: nothing without the properties style.
  EXPECT_FALSE(b.Mouse(wxEVT_RIGHT_DOWN, b.EmptyPoint()));
  EXPECT_TRUE(catcher.popped.empty());
  EXPECT_EQ(nullptr, b.strip->GetPropertiesMenu());

  b.notebook->SetWindowStyleFlag(TNB_PROPERTIES_MENU);
  b.Render();
  b.Mouse(wxEVT_RIGHT_DOWN, b.EmptyPoint());
  ASSERT_EQ(1u, catcher.popped.size());
  wxMenu* properties = b.strip->GetPropertiesMenu();
  ASSERT_NE(nullptr, properties);
  EXPECT_EQ(properties, catcher.popped[0].menu);
  ASSERT_EQ(1u, catcher.popped[0].labels.size());
  EXPECT_EQ(wxT("Properties..."), catcher.popped[0].labels[0]);
  EXPECT_EQ(wxT(""), catcher.popped[0].helps[0]);
  EXPECT_NE(wxID_ANY, catcher.popped[0].ids[0]);
  // The same menu object every time.
  b.Mouse(wxEVT_RIGHT_DOWN, b.EmptyPoint());
  ASSERT_EQ(2u, catcher.popped.size());
  EXPECT_EQ(properties, catcher.popped[1].menu);
  EXPECT_EQ(1u, properties->GetMenuItemCount());

  // An enabled tab without a tab menu: selected, then one context event.
  EXPECT_FALSE(b.Mouse(wxEVT_RIGHT_DOWN, b.TabPoint(2)));
  EXPECT_EQ(2, b.notebook->GetSelection());
  EXPECT_EQ("changing(2,0) changed(2,-1) menu(2,2)", log.Summary());
  ASSERT_EQ(3u, log.entries.size());
  EXPECT_EQ(b.notebook->GetId(), log.entries[2].id);
  EXPECT_EQ(b.notebook, log.entries[2].object);
  // A vetoed selection: the event still comes, with the old selection.
  log.Clear();
  log.vetoChanging = true;
  b.Render();
  b.Mouse(wxEVT_RIGHT_DOWN, b.TabPoint(0));
  EXPECT_EQ("changing(0,2) menu(0,2)", log.Summary());
  log.vetoChanging = false;
  // A disabled tab: nothing at all.
  log.Clear();
  b.Mouse(wxEVT_RIGHT_DOWN, b.TabPoint(1));
  EXPECT_EQ("", log.Summary());
  EXPECT_EQ(2u, catcher.popped.size());

  // With a tab menu the menu pops up instead of the event.
  wxMenu* tabMenu = new wxMenu;
  tabMenu->Append(wxID_ANY, wxT("Close room"));
  b.notebook->SetRightClickMenu(tabMenu);
  b.Render();
  b.Mouse(wxEVT_RIGHT_DOWN, b.TabPoint(0));
  EXPECT_EQ(0, b.notebook->GetSelection());
  ASSERT_EQ(3u, catcher.popped.size());
  EXPECT_EQ(tabMenu, catcher.popped[2].menu);
  EXPECT_EQ("changing(0,2) changed(0,-1)", log.Summary());
}

TEST(TabStripMouse, TabListMenuListsEveryPageLiterally) {
  MenuCatcher catcher;
  Book b(TNB_DROP_DOWN_TAB_LIST | TNB_NO_ROTATION_ARROWS, 4);
  b.notebook->SetPageText(0, wxT("Tom & Jerry\tCtrl+Q"));
  b.notebook->EnablePage(3, false);
  b.Render();
  const wxPoint list = b.ButtonPoint(TNB_HIT_TAB_LIST_BUTTON);

  // A release alone shows nothing.
  b.Mouse(wxEVT_LEFT_UP, list);
  EXPECT_TRUE(catcher.popped.empty());

  int chosen = 2;
  catcher.onPopup = [&](wxMenu* menu) {
    wxCommandEvent pick(wxEVT_MENU, chosen);
    pick.SetEventObject(menu);
    menu->ProcessEvent(pick);
  };
  b.Mouse(wxEVT_LEFT_DOWN, list, true);
  EXPECT_EQ(TNB_BUTTON_PRESSED, b.strip->GetTabListButtonStatus());
  b.Mouse(wxEVT_LEFT_UP, list);
  EXPECT_EQ(TNB_BUTTON_NONE, b.strip->GetTabListButtonStatus());
  ASSERT_EQ(1u, catcher.popped.size());
  const PoppedMenu& m = catcher.popped[0];
  ASSERT_EQ(4u, m.ids.size());
  for (int i = 0; i < 4; ++i) EXPECT_EQ(i, m.ids[i]);
  // "&" is not a mnemonic and the tab starts no accelerator; the help keeps the caption.
  EXPECT_EQ(wxT("Tom && Jerry Ctrl+Q"), m.labels[0]);
  EXPECT_EQ(wxT("Tom & Jerry\tCtrl+Q"), m.helps[0]);
  EXPECT_EQ(wxT("P3"), m.labels[3]);
  EXPECT_EQ(wxT("P3"), m.helps[3]);
  EXPECT_EQ(2, b.notebook->GetSelection());

  // A disabled page picked from the list is refused by the notebook.
  chosen = 3;
  b.Click(list);
  EXPECT_EQ(2, b.notebook->GetSelection());
  chosen = 0;
  b.Click(list);
  EXPECT_EQ(0, b.notebook->GetSelection());
}

TEST(TabStripMouse, HoverStatusesEnterLeaveAndToolTips) {
  NoDrag noDrag;
  Book b(TNB_CLOSE_BUTTON_ON_ACTIVE_TAB, 30);
  const wxPoint x = b.ButtonPoint(TNB_HIT_CLOSE_BUTTON);
  const wxPoint left = b.ButtonPoint(TNB_HIT_LEFT_ARROW);
  const wxPoint right = b.ButtonPoint(TNB_HIT_RIGHT_ARROW);

  EXPECT_TRUE(b.Mouse(wxEVT_MOTION, x));
  EXPECT_EQ(TNB_BUTTON_HOVER, b.strip->GetXButtonStatus());
  b.Mouse(wxEVT_MOTION, left);
  EXPECT_EQ(TNB_BUTTON_NONE, b.strip->GetXButtonStatus());
  EXPECT_EQ(TNB_BUTTON_HOVER, b.strip->GetLeftArrowStatus());
  b.Mouse(wxEVT_MOTION, right);
  EXPECT_EQ(TNB_BUTTON_NONE, b.strip->GetLeftArrowStatus());
  EXPECT_EQ(TNB_BUTTON_HOVER, b.strip->GetRightArrowStatus());
  wxRect tabX = b.strip->GetPageInfo(0).GetXRect();
  ASSERT_GT(tabX.width, 0);
  const wxPoint onTabX(tabX.x + 2, tabX.y + 2);
  b.Mouse(wxEVT_MOTION, onTabX);
  EXPECT_EQ(TNB_BUTTON_HOVER, b.strip->GetTabXButtonStatus());
  EXPECT_EQ(TNB_BUTTON_NONE, b.strip->GetRightArrowStatus());

  // Held after a press elsewhere, a button does not light up.
  b.Mouse(wxEVT_LEFT_DOWN, x, true);
  b.Mouse(wxEVT_MOTION, left, true);
  EXPECT_EQ(TNB_BUTTON_NONE, b.strip->GetLeftArrowStatus());
  EXPECT_EQ(TNB_BUTTON_NONE, b.strip->GetXButtonStatus());
  b.Mouse(wxEVT_LEFT_UP, left);

  // Leaving clears every look.
  b.Mouse(wxEVT_MOTION, x);
  EXPECT_TRUE(b.Mouse(wxEVT_LEAVE_WINDOW, wxPoint(-5, -5)));
  EXPECT_EQ(TNB_BUTTON_NONE, b.strip->GetXButtonStatus());
  EXPECT_EQ(TNB_BUTTON_NONE, b.strip->GetTabXButtonStatus());

  // A press made outside the strip never closes a page when released over the tab's X.
  b.Mouse(wxEVT_LEFT_DOWN, onTabX, true);
  EXPECT_EQ(TNB_BUTTON_PRESSED, b.strip->GetTabXButtonStatus());
  b.Mouse(wxEVT_LEAVE_WINDOW, wxPoint(-5, -5), true);
  EXPECT_TRUE(b.Mouse(wxEVT_ENTER_WINDOW, onTabX, true));
  EXPECT_EQ(TNB_HIT_NOWHERE, b.strip->GetLeftClickZone());
  b.Mouse(wxEVT_MOTION, onTabX, true);
  EXPECT_EQ(TNB_BUTTON_NONE, b.strip->GetTabXButtonStatus());
  b.Mouse(wxEVT_LEFT_UP, onTabX);
  EXPECT_EQ(30, b.notebook->GetPageCount());
  // A press on it and a release there does close it.
  b.Click(onTabX);
  EXPECT_EQ(29, b.notebook->GetPageCount());
  EXPECT_EQ(wxT("P1"), b.notebook->GetPageText(0));
  b.Render();

  // Tooltips: a page's own tooltip shows over its tab; a page without one leaves it.
  b.notebook->GetPage(1)->SetToolTip(wxT("Room about cats"));
  b.Mouse(wxEVT_MOTION, b.TabPoint(1));
  ASSERT_NE(nullptr, b.strip->GetToolTip());
  EXPECT_EQ(wxT("Room about cats"), b.strip->GetToolTip()->GetTip());
  b.Mouse(wxEVT_MOTION, b.TabPoint(2));
  EXPECT_EQ(wxT("Room about cats"), b.strip->GetToolTip()->GetTip());
  // A disabled tab under the pointer changes no button look.
  b.notebook->EnablePage(2, false);
  b.Mouse(wxEVT_MOTION, b.TabPoint(2));
  EXPECT_EQ(TNB_BUTTON_NONE, b.strip->GetXButtonStatus());
  b.Mouse(wxEVT_MOTION, b.EmptyPoint());
  EXPECT_EQ(0, noDrag.started);

  // No pages: motion is passed on and nothing changes.
  Book empty(0, 0, wxSize(300, 200), wxPoint(700, 20));
  EXPECT_TRUE(empty.Mouse(wxEVT_MOTION, wxPoint(300 - 22 + 8, 16)));
  EXPECT_EQ(TNB_BUTTON_NONE, empty.strip->GetXButtonStatus());
}
