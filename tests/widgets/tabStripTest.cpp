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

TEST(TabStrip, HeightAndStripLevelRecords) {
  StripFixture f(0, 0);
  // Made with the bold "Tp" height + 10; the notebook's sizer then gives it 6 more.
  TabStrip* fresh = new TabStrip(f.book, wxID_ANY, wxDefaultPosition, wxSize(77, 5), 0);
  EXPECT_EQ(wxSize(77, BoldTpHeight() + 10), fresh->GetSize());
  fresh->Destroy();
  EXPECT_EQ(BoldTpHeight() + 16, f.strip->GetMinSize().GetHeight());
  EXPECT_EQ(BoldTpHeight() + 16, f.strip->GetSize().GetHeight());

  // The strip's own record operations (the notebook swaps the windows).
  for (int i = 0; i < 3; ++i) f.strip->AddPage(wxString::Format(wxT("t%d"), i), i == 1);
  EXPECT_EQ(1, f.strip->GetSelection());
  EXPECT_EQ(-1, f.strip->GetPreviousSelection());
  f.strip->AddPage(wxT("t3"), true);
  f.strip->AddPage(wxT("t4"), false);
  EXPECT_EQ(3, f.strip->GetSelection());
  EXPECT_EQ(1, f.strip->GetPreviousSelection());
  // An insert in front shifts both so that they keep naming the same tabs.
  f.strip->InsertPage(0, nullptr, wxT("front"), false);
  EXPECT_EQ(4, f.strip->GetSelection());
  EXPECT_EQ(2, f.strip->GetPreviousSelection());
  EXPECT_EQ(wxT("t3"), f.strip->GetPageText(4));
  // Indexes that name no page are answered and ignored.
  EXPECT_EQ(wxT(""), f.strip->GetPageText(99));
  EXPECT_EQ(-1, f.strip->GetPageImage(99));
  f.strip->SetPageImage(99, 0);
  f.strip->EnablePage(99, false);
  EXPECT_EQ(6u, f.strip->GetPageCount());
  // The erase is swallowed: the paint draws everything.
  wxEraseEvent erase;
  EXPECT_TRUE(f.strip->GetEventHandler()->ProcessEvent(erase));
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

TEST(TabStrip, StyleHelpersAndMenuTexts) {
  StripFixture f(0, 2);
  EXPECT_TRUE(f.strip->HasDefaultTabShape());
  EXPECT_EQ(*wxWHITE, f.strip->GetBorderLineColour());
  f.book->SetWindowStyleFlag(TNB_SHADED_TABS);
  EXPECT_FALSE(f.strip->HasDefaultTabShape());
  f.book->SetGradientColourFrom(*wxRED);
  EXPECT_EQ(*wxRED, f.strip->GetBorderLineColour());
  f.book->SetWindowStyleFlag(TNB_ROUNDED);
  EXPECT_TRUE(f.strip->HasDefaultTabShape());
  EXPECT_EQ(wxT("Tom && Jerry"), TabStrip::EscapeMenuText(wxT("Tom & Jerry")));
  EXPECT_EQ(wxT("a b c"), TabStrip::EscapeMenuText(wxT("a\tb\nc")));
  EXPECT_EQ(wxT("&&&&"), TabStrip::EscapeMenuText(wxT("&&")));
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
  ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == text; }));
  wxUIActionSimulator sim;
  sim.Char(WXK_TAB, wxMOD_CONTROL);
  EXPECT_TRUE(PumpUntil([&] { return f.book->GetSelection() == 1; }));
  sim.Char(WXK_TAB, wxMOD_CONTROL | wxMOD_SHIFT);
  EXPECT_TRUE(PumpUntil([&] { return f.book->GetSelection() == 0; }));
}

// (The navigator itself is tested with its own cases.)
TEST(TabbedNotebookNavigation, SmartTabbingOpensNoNavigatorWithoutPages) {
  StripFixture empty(TNB_SMART_TABBING, 0);
  wxNavigationKeyEvent nav;
  nav.SetWindowChange(true);
  empty.book->GetEventHandler()->ProcessEvent(nav);
  EXPECT_EQ(nullptr, empty.book->GetNavigatorWindow());
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
