#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <memory>

#include "tests/widgets/widgetTestSupport.h"
#include "widgets/tabNavigatorWindow.h"
#include "widgets/tabRendererMgr.h"
#include "widgets/tabStrip.h"
#include "widgets/tabTextMetrics.h"
#include "widgets/tabbedNotebook.h"

using widgettest::NotebookEventLog;
using widgettest::Pump;
using widgettest::PumpUntil;
using widgettest::TestFrame;

namespace {

int BoldTpHeight() { return MeasureBoldTabText().GetHeight(); }

struct StripFixture {
  explicit StripFixture(long style, int pages, int width = 420) : frame(wxSize(width, 300)) {
    book = new TabbedNotebook(frame.get(), wxID_ANY, wxDefaultPosition, wxDefaultSize, style);
    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(book, 1, wxEXPAND);
    frame->SetSizer(sizer);
    for (int i = 0; i < pages; ++i) {
      wxPanel* page = new wxPanel(book, wxID_ANY);
      new wxTextCtrl(page, wxID_ANY, wxT(""), wxPoint(5, 5), wxSize(200, 30));
      book->AddPage(page, wxString::Format(wxT("Room number %d"), i), false);
    }
    frame->Layout();
    strip = book->GetTabStrip();
    PumpUntil([&] { return strip->GetClientSize().GetWidth() > width - 40; }, 2000);
    Pump(30);
  }
  // Paints the strip into memory, as a paint would, and returns the picture.
  wxImage Render() {
    wxSize size = strip->GetClientSize();
    wxBitmap bmp(size.GetWidth(), size.GetHeight());
    {
      wxMemoryDC dc(bmp);
      wxCommandEvent dummy;
      GetRendererMgr()->RendererForStyle(book->GetWindowStyleFlag())->DrawTabArea(strip, dc, dummy);
    }
    return bmp.ConvertToImage();
  }
  void Resize(int width) {
    frame->SetSize(wxSize(width, 300));
    PumpUntil([&] { return std::abs(strip->GetClientSize().GetWidth() - (width - 0)) < 40; }, 2000);
    Pump(50);
  }

  TestFrame frame;
  TabbedNotebook* book;
  TabStrip* strip;
};

}  // namespace

TEST(TabStrip, NewStripHeightAndStripLevelRecords) {
  StripFixture f(0, 0);
  EXPECT_EQ(-1, f.strip->GetSelection());
  EXPECT_EQ(-1, f.strip->GetPreviousSelection());
  EXPECT_EQ(0, f.strip->GetFirstVisibleTab());
  // Made with the bold "Tp" height + 10; the notebook's sizer then gives it 6 more.
  TabStrip* fresh = new TabStrip(f.book, wxID_ANY, wxDefaultPosition, wxSize(77, 5), 0);
  EXPECT_EQ(wxSize(77, BoldTpHeight() + 10), fresh->GetSize());
  EXPECT_TRUE(fresh->HasFlag(wxBORDER_NONE));
  fresh->Destroy();
  EXPECT_EQ(BoldTpHeight() + 16, f.strip->GetMinSize().GetHeight());
  EXPECT_EQ(BoldTpHeight() + 16, f.strip->GetSize().GetHeight());
  EXPECT_EQ(TNB_BUTTON_NONE, f.strip->GetXButtonStatus());
  EXPECT_EQ(TNB_HIT_NOWHERE, f.strip->GetLeftClickZone());
  EXPECT_EQ(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW), f.strip->GetBorderColour());
  EXPECT_EQ(*wxWHITE, f.strip->GetActiveTabColour());
  EXPECT_EQ(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE), f.strip->GetTabAreaColour());

  // The strip's own record operations (the notebook swaps the windows).
  for (int i = 0; i < 3; ++i) f.strip->AddPage(wxString::Format(wxT("t%d"), i), i == 1);
  EXPECT_EQ(1, f.strip->GetSelection());
  EXPECT_EQ(-1, f.strip->GetPreviousSelection());
  f.strip->AddPage(wxT("t3"), true);
  EXPECT_EQ(3, f.strip->GetSelection());
  EXPECT_EQ(1, f.strip->GetPreviousSelection());
  f.strip->AddPage(wxT("t4"), false);
  EXPECT_EQ(3, f.strip->GetSelection());
  EXPECT_EQ(1, f.strip->GetPreviousSelection());
  // An insert in front shifts both so that they keep naming the same tabs.
  f.strip->InsertPage(0, nullptr, wxT("front"), false);
  EXPECT_EQ(4, f.strip->GetSelection());
  EXPECT_EQ(2, f.strip->GetPreviousSelection());
  EXPECT_EQ(wxT("t3"), f.strip->GetPageText(4));
  EXPECT_EQ(wxT(""), f.strip->GetPageText(99));
  EXPECT_EQ(-1, f.strip->GetPageImage(99));
  EXPECT_TRUE(f.strip->GetPageEnabled(99));
  f.strip->SetPageImage(99, 0);
  f.strip->EnablePage(99, false);
  EXPECT_EQ(6u, f.strip->GetPageCount());

  // Records and erase events: the erase is swallowed.
  wxEraseEvent erase;
  EXPECT_TRUE(f.strip->GetEventHandler()->ProcessEvent(erase));
  EXPECT_FALSE(erase.GetSkipped());
  f.strip->DeleteAllPages();
}

TEST(TabStrip, SelectingScrollsTheFirstVisibleTab) {
  StripFixture f(TNB_HIDE_CLOSE_BUTTON | TNB_DROP_DOWN_TAB_LIST | TNB_NO_ROTATION_ARROWS, 12);
  ASSERT_EQ(0, f.book->GetSelection());
  EXPECT_EQ(0, f.strip->GetFirstVisibleTab());
  ASSERT_FALSE(f.strip->CanTabFit(11));

  // Right of the last visible tab: the first visible tab moves one by one until it fits.
  f.book->SetSelection(11);
  int from = f.strip->GetFirstVisibleTab();
  EXPECT_GT(from, 0);
  EXPECT_TRUE(f.strip->CanTabFit(11));
  f.strip->SetFirstVisibleTab(from - 1);
  EXPECT_FALSE(f.strip->CanTabFit(11));
  f.strip->SetFirstVisibleTab(from);
  // The selected page's window has the keyboard focus.
  EXPECT_TRUE(PumpUntil([&] {
    wxWindow* focus = wxWindow::FindFocus();
    return focus && (focus == f.book->GetPage(11) || focus->GetParent() == f.book->GetPage(11));
  }, 1000));

  // The paint records which tabs it drew: none before the first visible tab.
  f.Render();
  EXPECT_TRUE(f.strip->GetPageInfo(from - 1).IsHidden());
  EXPECT_FALSE(f.strip->GetPageInfo(from).IsHidden());
  EXPECT_FALSE(f.strip->GetPageInfo(11).IsHidden());
  EXPECT_EQ(11, f.strip->GetLastVisibleTab());
  EXPECT_EQ(12 - from, f.strip->CountVisibleTabs());
  EXPECT_TRUE(f.strip->IsTabInVisibleRange(11));
  EXPECT_FALSE(f.strip->IsTabInVisibleRange(from - 1));
  EXPECT_EQ(wxPoint(f.book->GetTabPadding(), 4), f.strip->GetPageInfo(from).GetPosition());

  // Left of the first visible tab: it becomes the first visible tab.
  f.book->SetSelection(1);
  EXPECT_EQ(1, f.strip->GetFirstVisibleTab());
  f.book->SetSelection(0);
  EXPECT_EQ(0, f.strip->GetFirstVisibleTab());
  f.Render();
  EXPECT_TRUE(f.strip->GetPageInfo(11).IsHidden());
  EXPECT_FALSE(f.strip->IsTabInVisibleRange(11));
}

TEST(TabStrip, WideningScrollsBackNarrowingNeverAdvances) {
  StripFixture f(TNB_HIDE_CLOSE_BUTTON | TNB_NO_ROTATION_ARROWS, 8, 420);
  f.book->SetSelection(7);
  int from = f.strip->GetFirstVisibleTab();
  ASSERT_GT(from, 0);

  f.Resize(1260);
  EXPECT_EQ(0, f.strip->GetFirstVisibleTab());
  EXPECT_TRUE(f.strip->CanTabFit(7));

  f.strip->SetFirstVisibleTab(5);
  f.Resize(300);
  EXPECT_LE(f.strip->GetFirstVisibleTab(), 5);
  f.Resize(250);
  EXPECT_LE(f.strip->GetFirstVisibleTab(), 5);
}

TEST(TabStrip, StyleHelpersAndRendererChoice) {
  StripFixture f(0, 2);
  EXPECT_TRUE(f.strip->HasDefaultTabShape());
  EXPECT_EQ(*wxWHITE, f.strip->GetBorderLineColour());
  f.book->SetWindowStyleFlag(TNB_SHADED_TABS);
  EXPECT_FALSE(f.strip->HasDefaultTabShape());
  f.book->SetGradientColourFrom(*wxRED);
  EXPECT_EQ(*wxRED, f.strip->GetBorderLineColour());
  f.book->SetWindowStyleFlag(TNB_ROUNDED);
  EXPECT_TRUE(f.strip->HasDefaultTabShape());

  TabRendererMgr* mgr = GetRendererMgr();
  EXPECT_EQ(mgr, GetRendererMgr());
  // The order of the tests decides: Boxed, Shaded, Slanted, Rounded, else the default.
  EXPECT_NE(nullptr, mgr->RendererForStyle(0).get());
  EXPECT_NE(nullptr, mgr->RendererForStyle(0x3).get());
  EXPECT_NE(nullptr, mgr->RendererForStyle(0x10100).get());

  EXPECT_EQ(wxT("Tom && Jerry"), TabStrip::EscapeMenuText(wxT("Tom & Jerry")));
  EXPECT_EQ(wxT("a b c"), TabStrip::EscapeMenuText(wxT("a\tb\nc")));
  EXPECT_EQ(wxT("&&&&"), TabStrip::EscapeMenuText(wxT("&&")));
}

TEST(TabStrip, ClickOnATabSelectsEnabledOnly) {
  StripFixture f(0x26218, 3, 600);
  NotebookEventLog log(f.frame.get());
  f.Render();
  f.book->EnablePage(2, false);
  auto click = [&](int tab) {
    wxRect r(f.strip->GetPageInfo(tab).GetPosition(), f.strip->GetPageInfo(tab).GetSize());
    wxMouseEvent down(wxEVT_LEFT_DOWN);
    down.SetEventObject(f.strip);
    down.m_x = r.x + 3;
    down.m_y = r.y + r.height / 2;
    f.strip->GetEventHandler()->ProcessEvent(down);
  };
  click(1);
  EXPECT_EQ(1, f.book->GetSelection());
  EXPECT_EQ("changing(1,0) changed(1,-1)", log.Summary());
  click(2);
  EXPECT_EQ(1, f.book->GetSelection());
}

TEST(TabbedNotebookNavigation, WindowChangeKeyAdvancesWithoutSmartTabbing) {
  StripFixture f(0, 3, 600);
  wxNavigationKeyEvent nav;
  nav.SetWindowChange(true);
  nav.SetDirection(true);
  nav.SetEventObject(f.book);
  f.book->GetEventHandler()->ProcessEvent(nav);
  EXPECT_EQ(1, f.book->GetSelection());
  nav.SetDirection(false);
  f.book->GetEventHandler()->ProcessEvent(nav);
  f.book->GetEventHandler()->ProcessEvent(nav);
  EXPECT_EQ(2, f.book->GetSelection());

  // Ctrl+Tab typed in a page's text box reaches the notebook.
  f.book->SetSelection(0);
  wxWindow* text = f.book->GetPage(0)->GetChildren().front();
  text->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == text; }, 1000));
  wxUIActionSimulator sim;
  sim.Char(WXK_TAB, wxMOD_CONTROL);
  EXPECT_TRUE(PumpUntil([&] { return f.book->GetSelection() == 1; }, 2000));
  sim.Char(WXK_TAB, wxMOD_CONTROL | wxMOD_SHIFT);
  EXPECT_TRUE(PumpUntil([&] { return f.book->GetSelection() == 0; }, 2000));
}

TEST(TabbedNotebookNavigation, SmartTabbingOpensTheNavigatorOnlyWithPages) {
  StripFixture empty(TNB_SMART_TABBING, 0);
  wxNavigationKeyEvent nav;
  nav.SetWindowChange(true);
  empty.book->GetEventHandler()->ProcessEvent(nav);
  EXPECT_EQ(nullptr, empty.book->GetNavigatorWindow());

  StripFixture f(TNB_SMART_TABBING, 4, 600);
  f.book->SetSelection(2);
  NotebookEventLog log(f.frame.get());
  wxArrayString listed;
  int highlighted = -1;
  bool seen = false;
  wxTheApp->CallAfter([&] {
    TabNavigatorWindow* navigator = f.book->GetNavigatorWindow();
    if (!navigator) return;
    seen = true;
    listed = navigator->GetPageList()->GetStrings();
    highlighted = navigator->GetPageList()->GetSelection();
    // A second window-change key while it is open moves its highlight instead.
    wxNavigationKeyEvent again;
    again.SetWindowChange(true);
    again.SetDirection(true);
    f.book->GetEventHandler()->ProcessEvent(again);
    navigator->SelectAndClose();
  });
  f.book->GetEventHandler()->ProcessEvent(nav);
  ASSERT_TRUE(seen);
  EXPECT_EQ(nullptr, f.book->GetNavigatorWindow());
  ASSERT_EQ(4u, listed.size());
  // Current page, previous page, then the others in order; the previous one highlighted.
  EXPECT_EQ(wxT("Room number 2"), listed[0]);
  EXPECT_EQ(wxT("Room number 0"), listed[1]);
  EXPECT_EQ(wxT("Room number 1"), listed[2]);
  EXPECT_EQ(wxT("Room number 3"), listed[3]);
  EXPECT_EQ(1, highlighted);
  // The key moved the highlight to "Room number 1".
  EXPECT_EQ(1, f.book->GetSelection());
  EXPECT_EQ("changing(1,2) changed(1,-1) changing(1,1) changed(1,-1)", log.Summary());
}

TEST(TabbedNotebookNavigation, PlainFocusMovesGoToTheParent) {
  TestFrame frame(wxSize(500, 300));
  wxPanel* parent = new wxPanel(frame.get(), wxID_ANY);
  TabbedNotebook* book = new TabbedNotebook(parent, wxID_ANY);
  book->AddPage(new wxPanel(book, wxID_ANY), wxT("a"));
  book->AddPage(new wxPanel(book, wxID_ANY), wxT("b"));
  int seen = 0;
  wxWindow* focus = nullptr;
  parent->Bind(wxEVT_NAVIGATION_KEY, [&](wxNavigationKeyEvent& e) {
    ++seen;
    focus = e.GetCurrentFocus();
  });
  wxNavigationKeyEvent nav;
  nav.SetWindowChange(false);
  nav.SetDirection(true);
  nav.SetEventObject(book);
  book->GetEventHandler()->ProcessEvent(nav);
  EXPECT_EQ(1, seen);
  EXPECT_EQ(book, focus);
  EXPECT_EQ(0, book->GetSelection());
  EXPECT_EQ(book->GetTabStrip()->GetClientSize(), book->GetTabStripSize());
}
