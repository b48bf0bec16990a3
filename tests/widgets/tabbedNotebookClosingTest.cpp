// Pages that close themselves, or every page, from their own handlers: the windows must outlive
// the handler that asked for their removal.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/uiaction.h>
#include <wx/weakref.h>

#include "tests/widgets/widgetTestSupport.h"

using widgettest::Pump;
using widgettest::PumpUntil;

namespace {

// A chat page whose button closes its own page (or every page), then goes on using the page as
// a handler does: what it still sees is appended to `seen`.
class SelfClosingPage : public wxPanel {
 public:
  SelfClosingPage(TabbedNotebook* book, bool all, wxArrayString* seen) : wxPanel(book) {
    button = new wxButton(this, wxID_ANY, all ? wxT("all") : wxT("one"), wxPoint(10, 10));
    button->Bind(wxEVT_BUTTON, [=](wxCommandEvent&) {
      if (all)
        book->DeleteAllPages();
      else
        book->DeletePage(static_cast<size_t>(book->GetPageIndex(this)), true);
      seen->push_back(button->GetLabel() + wxString::Format(wxT(" %d"), book->GetPageCount()));
    });
  }
  wxButton* button;
};

}  // namespace

TEST(TabbedNotebookClosing, PagesCloseThemselvesFromTheirOwnButtons) {
  widgettest::TestFrame frame(wxSize(500, 300));
  TabbedNotebook* book = new TabbedNotebook(frame.get(), wxID_ANY);
  frame->SetSizer(new wxBoxSizer(wxVERTICAL));
  frame->GetSizer()->Add(book, 1, wxEXPAND);
  frame->Layout();
  wxArrayString seen;
  std::vector<SelfClosingPage*> pages;
  std::vector<wxWeakRef<wxWindow>> alive;
  for (bool all : {false, false, true}) {
    pages.push_back(new SelfClosingPage(book, all, &seen));
    book->AddPage(pages.back(), pages.back()->button->GetLabel());
    alive.emplace_back(pages.back());
  }
  wxUIActionSimulator sim;
  auto click = [&](wxWindow* button, size_t handled) {
    ASSERT_TRUE(PumpUntil([&] { return button->IsShownOnScreen(); }));
    const wxRect r = button->GetScreenRect();
    sim.MouseMove(r.x + r.width / 2, r.y + r.height / 2);
    Pump(80);
    sim.MouseClick();
    PumpUntil([&] { return seen.size() == handled; });
  };

  // The page leaves the notebook at once; its window lives on until its handler is over.
  click(pages[0]->button, 1);
  ASSERT_EQ(1u, seen.size());
  EXPECT_EQ("one 2", seen[0].ToStdString());
  EXPECT_EQ(pages[1], book->GetCurrentPage());
  EXPECT_TRUE(PumpUntil([&] { return !alive[0]; }));

  book->SetSelection(1);
  click(pages[2]->button, 2);
  ASSERT_EQ(2u, seen.size());
  EXPECT_EQ("all 0", seen[1].ToStdString());
  EXPECT_TRUE(PumpUntil([&] { return !alive[1] && !alive[2]; }));

  // A notebook destroyed before its closed pages went takes them along, once.
  wxWeakRef<wxWindow> last(new wxPanel(book));
  book->AddPage(last, wxT("last"));
  book->DeletePage(0, false);
  EXPECT_TRUE(last);
  book->Destroy();
  EXPECT_FALSE(last);
  Pump(30);
}
