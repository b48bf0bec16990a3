#include <gtest/gtest.h>
#include <wx/panel.h>
#include <wx/sizer.h>

#include <memory>

#include "tests/widgets/widgetTestSupport.h"
#include "widgets/tabStrip.h"
#include "widgets/tabbedNotebook.h"

using widgettest::NotebookEventLog;
using widgettest::Pump;
using widgettest::PumpUntil;
using widgettest::TestFrame;

namespace {

class NotebookTest : public ::testing::Test {
 protected:
  void Build(long style = 0, int pages = 0) {
    frame.reset(new TestFrame(wxSize(700, 400)));
    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
    book = new TabbedNotebook(frame->get(), wxID_ANY, wxDefaultPosition, wxDefaultSize, style,
                              wxT("Tabbed Notebook"));
    sizer->Add(book, 1, wxEXPAND);
    frame->get()->SetSizer(sizer);
    frame->get()->Layout();
    for (int i = 0; i < pages; ++i) Add(wxString::Format(wxT("P%d"), i));
    log.reset(new NotebookEventLog(frame->get()));
  }
  void TearDown() override {
    log.reset();
    frame.reset();
  }

  wxWindow* Add(const wxString& caption, bool select = false) {
    wxPanel* page = new wxPanel(frame->get(), wxID_ANY);
    page->SetName(caption);
    book->AddPage(page, caption, select, -1);
    return page;
  }
  wxWindow* NewPage(const wxString& name) {
    wxPanel* page = new wxPanel(frame->get(), wxID_ANY);
    page->SetName(name);
    return page;
  }

  // The names of the page windows in tab order.
  std::string Order() {
    std::string out;
    for (int i = 0; i < book->GetPageCount(); ++i) {
      if (!out.empty()) out += " ";
      out += book->GetPage(i)->GetName().utf8_string();
    }
    return out;
  }

  // Exactly the selected page's window is shown and in the sizer, next to the strip.
  void ExpectShownIsSelection() {
    int sel = book->GetSelection();
    int shown = 0;
    for (int i = 0; i < book->GetPageCount(); ++i) {
      wxWindow* w = book->GetPage(i);
      bool inSizer = book->GetMainSizer()->GetItem(w) != nullptr;
      if (i == sel) {
        EXPECT_TRUE(w->IsShown()) << "page " << i;
        EXPECT_TRUE(inSizer) << "page " << i;
      } else {
        EXPECT_FALSE(w->IsShown()) << "page " << i;
        EXPECT_FALSE(inSizer) << "page " << i;
      }
      shown += w->IsShown();
    }
    EXPECT_EQ(sel >= 0 ? 1 : 0, shown);
    EXPECT_EQ(static_cast<size_t>(sel >= 0 ? 2 : 1), book->GetMainSizer()->GetItemCount());
  }

  std::unique_ptr<TestFrame> frame;
  TabbedNotebook* book = nullptr;
  std::unique_ptr<NotebookEventLog> log;
};

}  // namespace

TEST(TabPageInfo, AngleIsLimitedAndCopied) {
  TabPageInfo room(wxT("Room"), 2);
  EXPECT_TRUE(room.IsHidden());  // not laid out until painted
  room.SetTabAngle(60);
  EXPECT_EQ(45u, room.GetTabAngle());
  room.SetTabAngle(44);
  EXPECT_EQ(44u, TabPageInfo(room).GetTabAngle());
}

// A clone carries the veto; the class records make default objects, a notebook without window.
TEST(TabbedNotebookEvent, CloneAndClassRecords) {
  TabbedNotebookEvent c(wxEVT_TABBEDNOTEBOOK_PAGE_CHANGING, 7, 3, 1);
  c.Veto();
  std::unique_ptr<wxEvent> clone(c.Clone());
  auto* copy = dynamic_cast<TabbedNotebookEvent*>(clone.get());
  ASSERT_NE(nullptr, copy);
  EXPECT_EQ(3, copy->GetSelection());
  EXPECT_EQ(1, copy->GetOldSelection());
  EXPECT_EQ(7, copy->GetId());
  EXPECT_FALSE(copy->IsAllowed());
  std::unique_ptr<wxObject> event(wxCreateDynamicObject(wxT("TabbedNotebookEvent")));
  EXPECT_NE(nullptr, dynamic_cast<TabbedNotebookEvent*>(event.get()));
  std::unique_ptr<wxObject> made(wxCreateDynamicObject(wxT("TabbedNotebook")));
  auto* book = dynamic_cast<TabbedNotebook*>(made.get());
  ASSERT_NE(nullptr, book);
  EXPECT_EQ(nullptr, book->GetTabStrip());
  EXPECT_EQ(0, book->GetPageCount());
}

TEST_F(NotebookTest, EmptyNotebook) {
  Build(0x26218);
  EXPECT_EQ(-1, book->GetSelection());
  EXPECT_EQ(nullptr, book->GetCurrentPage());
  // The strip reads the notebook's style: it has none of its own bits.
  EXPECT_TRUE(book->GetTabStrip()->HasNotebookStyle(TNB_SMART_TABBING));
  EXPECT_FALSE(book->GetTabStrip()->HasNotebookStyle(TNB_BOXED));
  EXPECT_FALSE(book->DeleteAllPages());
}

TEST_F(NotebookTest, AddingPagesSelectsFirstAndOnRequest) {
  Build();
  wxWindow* p0 = Add(wxT("P0"), false);
  // The first page is selected even without asking.
  EXPECT_EQ(0, book->GetSelection());
  EXPECT_EQ(p0, book->GetCurrentPage());
  EXPECT_EQ(p0->GetParent(), book);
  EXPECT_EQ("changing(0,-1) changed(0,-1)", log->Summary());
  log->Clear();

  Add(wxT("P1"), false);
  EXPECT_EQ(0, book->GetSelection());
  EXPECT_EQ("", log->Summary());
  ExpectShownIsSelection();

  Add(wxT("P2"), true);
  EXPECT_EQ(2, book->GetSelection());
  EXPECT_EQ(0, book->GetPreviousSelection());
  // The changing event names the page that really was selected.
  EXPECT_EQ("changing(2,0) changed(2,-1)", log->Summary());
  for (const auto& e : log->entries) {
    EXPECT_EQ(book->GetId(), e.id);
    EXPECT_EQ(book, e.object);
  }
  ExpectShownIsSelection();
  EXPECT_FALSE(book->AddPage(nullptr, wxT("x")));
  EXPECT_EQ(-1, book->GetPageIndex(frame->get()));
  EXPECT_EQ(nullptr, book->GetPage(3));
}

TEST_F(NotebookTest, InsertingBeforeTheSelectionKeepsTheSameWindowSelected) {
  Build(0, 3);
  book->SetSelection(2);
  book->SetSelection(1);
  wxWindow* selected = book->GetPage(1);
  ASSERT_EQ(2, book->GetPreviousSelection());
  log->Clear();

  book->InsertPage(0, NewPage(wxT("N")), wxT("N"), false);
  EXPECT_EQ("N P0 P1 P2", Order());
  EXPECT_EQ(2, book->GetSelection());
  EXPECT_EQ(selected, book->GetCurrentPage());
  EXPECT_EQ(3, book->GetPreviousSelection());
  EXPECT_EQ("", log->Summary());
  ExpectShownIsSelection();

  // A later selection swaps the right windows.
  book->SetSelection(0);
  ExpectShownIsSelection();
  EXPECT_EQ(2, book->GetPreviousSelection());

  // Insert with select in the middle: old selection and previous selection are the real ones.
  log->Clear();
  book->InsertPage(2, NewPage(wxT("M")), wxT("M"), true);
  EXPECT_EQ("N P0 M P1 P2", Order());
  EXPECT_EQ(2, book->GetSelection());
  EXPECT_EQ(0, book->GetPreviousSelection());
  EXPECT_EQ("changing(2,0) changed(2,-1)", log->Summary());
  ExpectShownIsSelection();

  // An index past the end is appended.
  book->InsertPage(99, NewPage(wxT("Z")), wxT("Z"), false);
  EXPECT_EQ("N P0 M P1 P2 Z", Order());
  EXPECT_EQ(wxT("Z"), book->GetPageText(5));
}

TEST_F(NotebookTest, VetoedInsertSelectionLeavesTheOldPageShown) {
  Build(0, 2);
  log->vetoChanging = true;
  wxWindow* old = book->GetCurrentPage();
  book->InsertPage(0, NewPage(wxT("V")), wxT("V"), true);
  EXPECT_EQ("changing(0,1)", log->Summary());
  EXPECT_EQ(1, book->GetSelection());
  EXPECT_EQ(old, book->GetCurrentPage());
  EXPECT_EQ(3, book->GetPageCount());
  ExpectShownIsSelection();
}

TEST_F(NotebookTest, SetSelectionRangeDisabledPagesAndVeto) {
  Build(0, 2);
  log->Clear();
  book->SetSelection(2);
  EXPECT_EQ("", log->Summary());
  EXPECT_EQ(0, book->GetSelection());

  book->EnablePage(1, false);
  EXPECT_FALSE(book->GetPageEnabled(1));
  EXPECT_FALSE(book->GetPage(1)->IsEnabled());
  book->SetSelection(1);
  EXPECT_EQ(0, book->GetSelection());
  EXPECT_EQ("", log->Summary());
  book->EnablePage(7, false);  // out of range: nothing
  EXPECT_TRUE(book->GetPageEnabled(7));

  // A vetoed change leaves page, selection and strip alone, and no changed event follows.
  book->EnablePage(1, true);
  log->vetoChanging = true;
  book->SetSelection(1);
  EXPECT_EQ("changing(1,0)", log->Summary());
  EXPECT_EQ(0, book->GetSelection());
  EXPECT_EQ(-1, book->GetPreviousSelection());
  ExpectShownIsSelection();

  // Vetoing the changed event changes nothing.
  log->vetoChanging = false;
  log->vetoOthers = true;
  log->Clear();
  book->SetSelection(1);
  EXPECT_EQ("changing(1,0) changed(1,-1)", log->Summary());
  EXPECT_EQ(1, book->GetSelection());
  EXPECT_EQ(0, book->GetPreviousSelection());

  // Re-selecting the selected page sends both events and keeps the previous selection.
  log->Clear();
  book->SetSelection(1);
  EXPECT_EQ("changing(1,1) changed(1,-1)", log->Summary());
  EXPECT_EQ(0, book->GetPreviousSelection());
  ExpectShownIsSelection();
}

TEST_F(NotebookTest, LoneDisabledPageIsSelected) {
  Build();
  wxWindow* only = NewPage(wxT("only"));
  book->AddPage(only, wxT("only"), false);
  book->EnablePage(0, false);
  book->SetSelection(0);
  EXPECT_EQ(0, book->GetSelection());
  EXPECT_EQ(only, book->GetCurrentPage());
}

TEST_F(NotebookTest, RemovingAndDeletingPages) {
  Build(0, 5);
  book->SetSelection(4);
  book->SetSelection(2);
  log->Clear();

  // Vetoed closing keeps the page; without notify no event at all.
  log->vetoClosing = true;
  EXPECT_FALSE(book->RemovePage(1, true));
  EXPECT_EQ(5, book->GetPageCount());
  EXPECT_EQ("closing(1,-1)", log->Summary());
  log->Clear();
  book->DeletePage(1, true);
  EXPECT_EQ(5, book->GetPageCount());
  log->vetoClosing = false;
  log->Clear();

  // Removing the selected page 2 when the previous was 4 selects the page that was 4.
  wxWindow* removed = book->GetPage(2);
  wxWindow* wasFour = book->GetPage(4);
  EXPECT_TRUE(book->RemovePage(2, true));
  EXPECT_EQ("P0 P1 P3 P4", Order());
  EXPECT_EQ(3, book->GetSelection());
  EXPECT_EQ(wasFour, book->GetCurrentPage());
  EXPECT_EQ(-1, book->GetPreviousSelection());
  EXPECT_EQ("closing(2,-1) changing(3,3) changed(3,-1) closed(2,-1)", log->Summary());
  // The caller owns the removed window now; it was neither destroyed nor hidden.
  EXPECT_EQ(wxT("P2"), removed->GetName());
  removed->Destroy();
  ExpectShownIsSelection();

  // Removing a page before the selection keeps the same page selected.
  book->SetSelection(1);  // prev 3 (P4)
  wxWindow* p1 = book->GetCurrentPage();
  log->Clear();
  EXPECT_TRUE(book->RemovePage(0, false));
  EXPECT_EQ(0, book->GetSelection());
  EXPECT_EQ(p1, book->GetCurrentPage());
  EXPECT_EQ(2, book->GetPreviousSelection());
  ExpectShownIsSelection();
  EXPECT_FALSE(book->RemovePage(9, true));
}

TEST_F(NotebookTest, ClosingAnotherLastPageKeepsTheSelection) {
  Build(0, 5);
  book->SetSelection(1);
  wxWindow* p1 = book->GetCurrentPage();
  book->DeletePage(4, true);
  EXPECT_EQ(4, book->GetPageCount());
  EXPECT_EQ(1, book->GetSelection());
  EXPECT_EQ(p1, book->GetCurrentPage());
  ExpectShownIsSelection();

  // Removing the selected last page selects the new last page.
  book->SetSelection(3);
  book->DeletePage(3, true);
  EXPECT_EQ(2, book->GetSelection());
  ExpectShownIsSelection();
}

TEST_F(NotebookTest, DeletingTheSelectedPageShowsAnotherEvenDisabledOne) {
  Build(0, 3);
  book->SetSelection(1);
  book->EnablePage(0, false);
  book->EnablePage(2, false);
  wxWindowID id = book->GetPage(1)->GetId();
  log->Clear();
  book->DeletePage(1, true);
  // The window goes once the events being handled are over.
  PumpUntil([&] { return wxWindow::FindWindowById(id, book) == nullptr; });
  EXPECT_EQ(nullptr, wxWindow::FindWindowById(id, book));
  EXPECT_EQ(2, book->GetPageCount());
  // No previous selection: page 0 is chosen although it is disabled.
  EXPECT_EQ(0, book->GetSelection());
  EXPECT_EQ("closing(1,-1) changing(0,0) changed(0,-1) closed(1,-1)", log->Summary());
  ExpectShownIsSelection();

  // A veto cannot keep a page that is gone: the replacement is shown all the same.
  book->EnablePage(0, true);
  book->SetSelection(1 - 1);
  log->vetoChanging = true;
  book->DeletePage(0, true);
  EXPECT_EQ(1, book->GetPageCount());
  EXPECT_EQ(0, book->GetSelection());
  ExpectShownIsSelection();
  log->vetoChanging = false;

  // Removing the only page leaves no selection and hides the strip.
  book->DeletePage(0, true);
  EXPECT_EQ(0, book->GetPageCount());
  EXPECT_EQ(-1, book->GetSelection());
  EXPECT_FALSE(book->GetTabStrip()->IsShown());
  // The next page shows it again.
  Add(wxT("again"));
  EXPECT_TRUE(book->GetTabStrip()->IsShown());
  EXPECT_EQ(0, book->GetSelection());
}

TEST_F(NotebookTest, DeleteAllPagesSendsNothing) {
  Build(0, 4);
  book->SetSelection(2);
  std::vector<wxWindowID> ids;
  for (int i = 0; i < 4; ++i) ids.push_back(book->GetPage(i)->GetId());
  log->Clear();
  EXPECT_TRUE(book->DeleteAllPages());
  EXPECT_EQ("", log->Summary());
  EXPECT_EQ(0, book->GetPageCount());
  EXPECT_EQ(-1, book->GetSelection());
  EXPECT_EQ(-1, book->GetPreviousSelection());
  EXPECT_EQ(0, book->GetTabStrip()->GetFirstVisibleTab());
  PumpUntil([&] {
    for (wxWindowID id : ids)
      if (wxWindow::FindWindowById(id, frame->get())) return false;
    return true;
  });
  for (wxWindowID id : ids) EXPECT_EQ(nullptr, wxWindow::FindWindowById(id, frame->get()));
  EXPECT_EQ(1u, book->GetMainSizer()->GetItemCount());
  EXPECT_FALSE(book->DeleteAllPages());
}

TEST_F(NotebookTest, AdvanceSelectionWraps) {
  Build(0, 3);
  book->SetSelection(2);
  book->AdvanceSelection(true);
  EXPECT_EQ(0, book->GetSelection());
  book->AdvanceSelection(false);
  EXPECT_EQ(2, book->GetSelection());
  book->AdvanceSelection(false);
  EXPECT_EQ(1, book->GetSelection());
  // Disabled pages are not skipped: the notebook refuses them.
  book->EnablePage(2, false);
  book->AdvanceSelection(true);
  EXPECT_EQ(1, book->GetSelection());

  TestFrame other;
  TabbedNotebook empty(other.get(), wxID_ANY);
  empty.AdvanceSelection(true);
  EXPECT_EQ(-1, empty.GetSelection());
}

TEST_F(NotebookTest, StyleChangeMovesTheStripWithoutPageEvents) {
  Build(0, 3);
  book->SetSelection(1);
  log->Clear();
  wxSizer* sizer = book->GetMainSizer();
  ASSERT_EQ(book->GetTabStrip(), sizer->GetItem(static_cast<size_t>(0))->GetWindow());

  book->SetWindowStyleFlag(book->GetWindowStyleFlag() | TNB_BOTTOM_TABS);
  ASSERT_EQ(2u, sizer->GetItemCount());
  EXPECT_EQ(book->GetPage(1), sizer->GetItem(static_cast<size_t>(0))->GetWindow());
  EXPECT_EQ(book->GetTabStrip(), sizer->GetItem(1)->GetWindow());
  frame->get()->Layout();
  Pump(50);
  EXPECT_LT(book->GetPage(1)->GetPosition().y, book->GetTabStrip()->GetPosition().y);

  book->SetWindowStyleFlag(book->GetWindowStyleFlag() & ~TNB_BOTTOM_TABS);
  EXPECT_EQ(book->GetTabStrip(), sizer->GetItem(static_cast<size_t>(0))->GetWindow());
  EXPECT_EQ(book->GetPage(1), sizer->GetItem(1)->GetWindow());
  EXPECT_EQ("", log->Summary());
  EXPECT_EQ(1, book->GetSelection());
  EXPECT_EQ(0, book->GetPreviousSelection());

  // A new page selected under bottom tabs also goes above the strip.
  book->SetWindowStyleFlag(book->GetWindowStyleFlag() | TNB_BOTTOM_TABS);
  book->SetSelection(2);
  EXPECT_EQ(book->GetPage(2), sizer->GetItem(static_cast<size_t>(0))->GetWindow());
  ExpectShownIsSelection();
}

TEST_F(NotebookTest, TabImagesTextsAndAngles) {
  Build(0, 3);
  book->SetPageImage(0, 1);
  EXPECT_EQ(1, book->GetPageImage(0));
  EXPECT_EQ(-1, book->GetPageImage(5));
  book->SetPageImage(5, 0);
  EXPECT_FALSE(book->GetTabStrip()->TabHasImage(0));  // no image list yet
  TabImageList images;
  images.Add(wxBitmap(16, 16));
  images.Add(wxBitmap(16, 16));
  book->SetImageList(&images);
  EXPECT_TRUE(book->GetTabStrip()->TabHasImage(0));
  EXPECT_FALSE(book->GetTabStrip()->TabHasImage(1));
  book->SetImageList(nullptr);
  EXPECT_FALSE(book->SetPageText(3, wxT("x")));
  EXPECT_EQ(wxT(""), book->GetPageText(3));

  // Angles above 15 degrees are refused: the tab keeps or gets none.
  unsigned int angle = 99;
  EXPECT_FALSE(book->GetPageTabAngle(-1, &angle));
  EXPECT_FALSE(book->GetPageTabAngle(3, &angle));
  book->SetPageTabAngle(0, 20);
  ASSERT_TRUE(book->GetPageTabAngle(0, &angle));
  EXPECT_EQ(0u, angle);
  book->SetPageTabAngle(0, 10);
  book->GetPageTabAngle(0, &angle);
  EXPECT_EQ(10u, angle);
  book->SetAllPagesTabAngle(16);
  book->GetPageTabAngle(2, &angle);
  EXPECT_EQ(0u, angle);
  book->SetAllPagesTabAngle(15);
  book->GetPageTabAngle(2, &angle);
  EXPECT_EQ(15u, angle);

  wxMenu* menu = new wxMenu;
  book->SetRightClickMenu(menu);
  EXPECT_EQ(menu, book->GetTabStrip()->GetTabMenu());
  book->SetRightClickMenu(new wxMenu);  // the first menu is freed
}

TEST_F(NotebookTest, MovingPagesSelectsTheMovedPageWithoutEvents) {
  Build(0, 0);
  for (const char* name : {"W", "X", "Y", "Z"}) Add(wxString::FromUTF8(name));
  book->SetSelection(3);
  log->Clear();
  TabStrip* strip = book->GetTabStrip();

  strip->MoveTabPage(0, 2);
  EXPECT_EQ("X Y W Z", Order());
  EXPECT_EQ(wxT("W"), book->GetPageText(2));
  EXPECT_EQ(2, book->GetSelection());
  EXPECT_EQ(-1, book->GetPreviousSelection());
  EXPECT_EQ("", log->Summary());
  ExpectShownIsSelection();

  strip->MoveTabPage(3, 1);
  EXPECT_EQ("X Z Y W", Order());
  EXPECT_EQ(wxT("Z"), book->GetPageText(1));
  EXPECT_EQ(1, book->GetSelection());
  ExpectShownIsSelection();

  // Onto itself, or with indexes that name no page: nothing moves.
  strip->MoveTabPage(2, 2);
  strip->MoveTabPage(7, 0);
  strip->MoveTabPage(-1, 0);
  strip->MoveTabPage(0, -3);
  EXPECT_EQ("X Z Y W", Order());
  EXPECT_EQ(1, book->GetSelection());

  // With bottom tabs the moved page goes above the strip.
  book->SetWindowStyleFlag(TNB_BOTTOM_TABS);
  strip->MoveTabPage(0, 3);
  EXPECT_EQ("Z Y W X", Order());
  EXPECT_EQ(book->GetPage(3), book->GetMainSizer()->GetItem(static_cast<size_t>(0))->GetWindow());
  ExpectShownIsSelection();
  EXPECT_EQ("", log->Summary());
}
