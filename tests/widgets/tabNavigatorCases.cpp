// The tab navigator: its list, its highlight, its header, and Ctrl+Tab typed on the keyboard.
#include <gtest/gtest.h>
#include <wx/settings.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <cstdlib>

#include "tests/support/pixels.h"
#include "tests/widgets/tabStripInputFixture.h"
#include "widgets/tabNavigatorWindow.h"
#include "widgets/tabRenderer.h"

using widgettest::Book;
using widgettest::NotebookEventLog;
using widgettest::Pump;
using widgettest::PumpUntil;

namespace {

struct Navigator {
  explicit Navigator(TabbedNotebook* book) : nav(new TabNavigatorWindow(book)) {}
  ~Navigator() { nav->Destroy(); }
  TabNavigatorWindow* operator->() const { return nav; }
  wxString Items() const {
    wxString out;
    for (const wxString& s : nav->GetPageList()->GetStrings()) out += (out.empty() ? "" : " ") + s;
    return out;
  }
  void Key(bool forward) {
    wxNavigationKeyEvent e;
    e.SetWindowChange(true);
    e.SetDirection(forward);
    nav->GetPageList()->GetEventHandler()->ProcessEvent(e);
  }
  void KeyUp(int code) {
    wxKeyEvent e(wxEVT_KEY_UP);
    e.m_keyCode = code;
    e.SetEventObject(nav->GetPageList());
    nav->GetPageList()->GetEventHandler()->ProcessEvent(e);
  }
  TabNavigatorWindow* nav;
};

bool Near(const wxColour& a, const wxColour& b) { return testsupport::NearColour(a, b, 3); }

}  // namespace

TEST(TabNavigator, ListsCurrentThenPreviousThenTheOthers) {
  Book b(TNB_SMART_TABBING, 4);
  NotebookEventLog log(b.frame);
  b.notebook->SetSelection(2);  // P0 was selected before
  log.Clear();
  {
    Navigator n(b.notebook);
    EXPECT_EQ(wxT("P2 P0 P1 P3"), n.Items());
    EXPECT_EQ(1, n->GetPageList()->GetSelection());
    const std::map<int, int> expected = {{0, 2}, {1, 0}, {2, 1}, {3, 3}};
    EXPECT_EQ(expected, n->GetItemToPage());

    // The highlight wraps both ways.
    n.Key(true);
    n.Key(true);
    EXPECT_EQ(3, n->GetPageList()->GetSelection());
    n.Key(true);
    EXPECT_EQ(0, n->GetPageList()->GetSelection());
    n.Key(false);
    EXPECT_EQ(3, n->GetPageList()->GetSelection());
    n.Key(false);
    EXPECT_EQ(2, n->GetPageList()->GetSelection());
    // Other keys released leave it open and select nothing.
    n.KeyUp(WXK_SHIFT);
    n.KeyUp(WXK_TAB);
    n.KeyUp('A');
    EXPECT_EQ(-1, n->GetSelectedItem());
    EXPECT_EQ(2, b.notebook->GetSelection());
    // Releasing Ctrl selects the highlighted page (the loop is not running here, so nothing
    // else happens).
    n.KeyUp(WXK_CONTROL);
    EXPECT_EQ(2, n->GetSelectedItem());
    EXPECT_EQ(1, b.notebook->GetSelection());
    EXPECT_EQ("changing(1,2) changed(1,-1)", log.Summary());
  }
  {
    // A double click selects as well.
    Navigator n(b.notebook);
    EXPECT_EQ(wxT("P1 P2 P0 P3"), n.Items());
    wxCommandEvent dclick(wxEVT_LISTBOX_DCLICK, n->GetPageList()->GetId());
    dclick.SetEventObject(n->GetPageList());
    n->GetPageList()->GetEventHandler()->ProcessEvent(dclick);
    EXPECT_EQ(2, b.notebook->GetSelection());
  }

  // No previous page, or one that names the current page or no page: the lowest other page
  // comes second and is highlighted, and nothing is listed twice.
  b.notebook->SetSelection(1);
  for (int previous : {-1, 1, 9}) {
    b.strip->SetPreviousSelection(previous);
    Navigator n(b.notebook);
    EXPECT_EQ(wxT("P1 P0 P2 P3"), n.Items()) << previous;
    EXPECT_EQ(1, n->GetPageList()->GetSelection()) << previous;
  }
  // A single page: one item, highlighted; releasing Ctrl selects it again.
  Book one(TNB_SMART_TABBING, 1, wxSize(300, 200), wxPoint(700, 20));
  Navigator n(one.notebook);
  EXPECT_EQ(wxT("P0"), n.Items());
  EXPECT_EQ(0, n->GetPageList()->GetSelection());
  n.Key(true);
  EXPECT_EQ(0, n->GetPageList()->GetSelection());
  n.Key(false);
  EXPECT_EQ(0, n->GetPageList()->GetSelection());
  n.KeyUp(WXK_CONTROL);
  EXPECT_EQ(0, one.notebook->GetSelection());
}

TEST(TabNavigator, HeaderIsMeasuredAndDrawnOncePerProcess) {
  Book b(TNB_SMART_TABBING, 3);
  // The renderers' tab height is the bold "Tp" height + 16.
  const int tp = GetRendererMgr()->RendererForStyle(0)->ComputeTabHeight(b.strip) - 16;
  const int expected = std::max(tp + 4, 24);
  {
    Navigator n(b.notebook);
    EXPECT_EQ(expected, TabNavigatorWindow::GetHeaderHeight());
    EXPECT_EQ(expected, n->GetHeaderPanel()->GetSize().GetHeight());
    EXPECT_EQ(200, n->GetHeaderPanel()->GetSize().GetWidth());
    // The list sits under the header and is at least as large as it was made.
    EXPECT_GE(n->GetPageList()->GetPosition().y, expected);
    EXPECT_GE(n->GetPageList()->GetSize().GetHeight(), 150);
    ASSERT_TRUE(TabNavigatorWindow::GetHeaderIcon().IsOk());
    n->Show();
    ASSERT_TRUE(PumpUntil([] { return TabNavigatorWindow::GetHeaderImage().IsOk(); }));
    PumpUntil([&] { return n->GetHeaderPanel()->GetClientSize() == TabNavigatorWindow::GetHeaderImage().GetSize(); });
    wxImage header = TabNavigatorWindow::GetHeaderImage().ConvertToImage();
    EXPECT_EQ(n->GetHeaderPanel()->GetClientSize(), header.GetSize());
    // A vertical gradient down to the shadow colour.
    const wxColour shadow = wxSystemSettings::GetColour(wxSYS_COLOUR_3DSHADOW);
    EXPECT_TRUE(Near(shadow, testsupport::PixelAt(header, header.GetWidth() - 2, header.GetHeight() - 1)));
    // The text right of the icon stands out from both ends of the gradient.
    const wxColour text = ReadableTextColour(LightenColour(shadow, 50), shadow);
    EXPECT_GE(ContrastRatio(text, LightenColour(shadow, 50)), 4.5);
    EXPECT_GE(ContrastRatio(text, shadow), 4.5);
    bool written = false;
    for (int x = 23; x < header.GetWidth() && !written; ++x)
      for (int y = 0; y < header.GetHeight() && !written; ++y)
        written = testsupport::NearColour(text, testsupport::PixelAt(header, x, y), 16);
    EXPECT_TRUE(written);
    n->Hide();
  }
  // A second navigator reuses the height and the picture.
  wxBitmap first = TabNavigatorWindow::GetHeaderImage();
  Navigator second(b.notebook);
  EXPECT_EQ(expected, TabNavigatorWindow::GetHeaderHeight());
  second->Show();
  Pump(200);
  EXPECT_TRUE(first.IsSameAs(TabNavigatorWindow::GetHeaderImage()));
  second->Hide();
}

TEST(TabNavigator, CtrlTabTabReleaseCtrlSelectsThePage) {
  Book b(TNB_SMART_TABBING, 4);
  b.notebook->SetSelection(2);  // P0 was selected before
  NotebookEventLog log(b.frame);
  wxWindow* text = b.notebook->GetPage(2)->GetChildren().front();
  b.frame->Raise();
  text->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == text; }));

  wxUIActionSimulator sim;
  wxArrayString listed;
  int firstHighlight = -1;
  int secondHighlight = -1;
  int extraTabs = 1;
  int step = 0;
  int ticks = 0;
  wxTimer timer;
  // Runs inside the navigator's modal loop: each tick takes one step once the navigator has the
  // keyboard; after 8 s it gives up and closes the navigator so that nothing hangs.
  timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    TabNavigatorWindow* nav = b.notebook->GetNavigatorWindow();
    if (!nav) return;
    if (++ticks > 160) {
      sim.KeyUp(WXK_CONTROL);
      if (nav->IsModal()) nav->EndModal(wxID_CANCEL);
      return;
    }
    switch (step) {
      case 0:
        if (!nav->IsShown() || wxWindow::FindFocus() != nav->GetPageList()) return;
        listed = nav->GetPageList()->GetStrings();
        firstHighlight = nav->GetPageList()->GetSelection();
        step = extraTabs > 0 ? 1 : 3;
        break;
      case 1:
        sim.KeyDown(WXK_TAB);
        step = 2;
        break;
      case 2:
        sim.KeyUp(WXK_TAB);
        step = 3;
        break;
      case 3:
        secondHighlight = nav->GetPageList()->GetSelection();
        sim.KeyUp(WXK_CONTROL);
        step = 4;
        break;
      default: break;
    }
  });
  timer.Start(50);

  auto ctrlTab = [&] {
    step = 0;
    ticks = 0;
    sim.KeyDown(WXK_CONTROL);
    Pump(30);
    // Press and release at once: a Tab held while the modal loop runs would repeat.
    sim.KeyDown(WXK_TAB);
    sim.KeyUp(WXK_TAB);
    bool done = PumpUntil([&] { return step == 4 && !b.notebook->GetNavigatorWindow(); }, 10000);
    sim.KeyUp(WXK_CONTROL);
    Pump(30);
    return done;
  };

  // Ctrl+Tab opens it on the previous page; Tab moves on to P1; releasing Ctrl selects P1.
  ASSERT_TRUE(ctrlTab());
  EXPECT_EQ(4u, listed.size());
  EXPECT_EQ(wxT("P2"), listed[0]);
  EXPECT_EQ(wxT("P0"), listed[1]);
  EXPECT_EQ(1, firstHighlight);
  EXPECT_EQ(2, secondHighlight);
  EXPECT_EQ(1, b.notebook->GetSelection());
  // The navigator's choice, then the notebook selecting its page once more.
  EXPECT_EQ("changing(1,2) changed(1,-1) changing(1,1) changed(1,-1)", log.Summary());

  // Ctrl+Tab and releasing Ctrl goes back to the page selected before (P2).
  extraTabs = 0;
  ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() != nullptr; }));
  ASSERT_TRUE(ctrlTab());
  EXPECT_EQ(1, firstHighlight);
  EXPECT_EQ(wxT("P1"), listed[0]);
  EXPECT_EQ(wxT("P2"), listed[1]);
  EXPECT_EQ(2, b.notebook->GetSelection());

  timer.Stop();
}

TEST(TabNavigator, ClosesByItselfWhenCtrlIsNoLongerHeld) {
  Book b(TNB_SMART_TABBING, 3);
  b.notebook->SetSelection(2);  // P0 was selected before
  NotebookEventLog log(b.frame);
  // Opened with no key held at all, so no release will ever reach it.
  int ticks = 0;
  bool wasOpen = false;
  wxTimer guard;
  guard.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    TabNavigatorWindow* nav = b.notebook->GetNavigatorWindow();
    wasOpen = wasOpen || (nav && nav->IsModal());
    if (++ticks > 100 && nav && nav->IsModal()) nav->EndModal(wxID_CANCEL);
  });
  guard.Start(50);
  wxNavigationKeyEvent nav;
  nav.SetWindowChange(true);
  nav.SetDirection(true);
  nav.SetEventObject(b.notebook);
  b.notebook->GetEventHandler()->ProcessEvent(nav);
  guard.Stop();
  EXPECT_TRUE(wasOpen);
  EXPECT_LE(ticks, 100);
  EXPECT_EQ(nullptr, b.notebook->GetNavigatorWindow());
  EXPECT_EQ(0, b.notebook->GetSelection());
  EXPECT_EQ("changing(0,2) changed(0,-1) changing(0,0) changed(0,-1)", log.Summary());
}

TEST(TabNavigator, HeaderTextColourReadsOnLightAndDarkGradients) {
  // Light caption gradients of today's themes, and dark ones.
  const wxColour rows[][2] = {{LightenColour(wxColour(205, 199, 194), 50), wxColour(205, 199, 194)},
                              {wxColour(246, 245, 244), wxColour(222, 221, 218)},
                              {wxColour(90, 90, 90), wxColour(40, 40, 40)},
                              {wxColour(60, 70, 110), wxColour(0, 0, 0)}};
  for (const auto& r : rows) {
    const wxColour text = ReadableTextColour(r[0], r[1]);
    EXPECT_GE(std::min(ContrastRatio(text, r[0]), ContrastRatio(text, r[1])), 4.5)
        << r[0].GetAsString().ToStdString();
  }
  // Worked out by hand: white on black 21:1 either way round; grey 119 has a luminance of
  // 0.1845, so 1.05 / 0.2345 = 4.48 against white.
  EXPECT_NEAR(21.0, ContrastRatio(*wxBLACK, *wxWHITE), 1e-9);
  EXPECT_NEAR(21.0, ContrastRatio(*wxWHITE, *wxBLACK), 1e-9);
  EXPECT_NEAR(4.48, ContrastRatio(*wxWHITE, wxColour(119, 119, 119)), 0.01);
}
