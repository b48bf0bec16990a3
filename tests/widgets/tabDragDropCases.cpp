// Tab drag and drop: moves inside a notebook and between notebooks, the payload checks, and the
// start of a drag from the strip's mouse handler.
#include <gtest/gtest.h>
#include <wx/settings.h>
#include <wx/timer.h>
#include <wx/uiaction.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "tests/widgets/tabStripInputFixture.h"
#include "widgets/tabDropTarget.h"

using widgettest::Book;
using widgettest::NotebookEventLog;

namespace {

// A drop target like the strip's and the notebook's, whose data comes from the test instead of a
// running drag. Like the toolkit, it hands over whatever bytes it got and ignores a refusal.
template <class T>
class FedDropTarget : public TabDropTarget<T> {
 public:
  FedDropTarget(T* owner, typename TabDropTarget<T>::Handler handler)
      : TabDropTarget<T>(owner, handler) {}
  bool GetData() override {
    this->GetDataObject()->SetData(TabDragFormat(), bytes.size(), bytes.data());
    return true;
  }
  wxDragResult Drop(int x, int y, const std::string& payload) {
    bytes = payload;
    return this->OnData(x, y, wxDragMove);
  }
  std::string bytes;
};

typedef FedDropTarget<TabStrip> StripTarget;
typedef FedDropTarget<TabbedNotebook> BookTarget;

std::string Bytes(const TabDragInfo& info) {
  return std::string(reinterpret_cast<const char*>(&info), sizeof info);
}

std::string Payload(TabStrip* strip, int page) { return Bytes(TabDragInfo(strip, page)); }

wxBitmap Square(const wxColour& colour) {
  wxBitmap bmp(16, 16);
  wxMemoryDC dc(bmp);
  dc.SetBackground(wxBrush(colour));
  dc.Clear();
  dc.SelectObject(wxNullBitmap);
  return bmp;
}

}  // namespace

TEST(TabDragDrop, PayloadLayoutAndTheRegistryOfLiveStrips) {
  Book b(0, 2);
  const uint64_t token = TabStripToken(b.strip);
  ASSERT_NE(0u, token);
  EXPECT_EQ(b.strip, FindTabStrip(token));
  EXPECT_EQ(token, RegisterTabStrip(b.strip));  // registering again keeps the token

  // 24 bytes: magic "TNB!", pid, token, page index, a zero word; all little-endian here.
  TabDragInfo info(b.strip, 1);
  const std::string bytes = Bytes(info);
  ASSERT_EQ(24u, bytes.size());
  EXPECT_EQ(std::string("TNB!", 4), bytes.substr(0, 4));
  int32_t pid = 0;
  std::memcpy(&pid, bytes.data() + 4, 4);
  EXPECT_EQ(static_cast<int32_t>(getpid()), pid);
  uint64_t carried = 0;
  std::memcpy(&carried, bytes.data() + 8, 8);
  EXPECT_EQ(token, carried);
  EXPECT_EQ(std::string("\x01\0\0\0\0\0\0\0", 8), bytes.substr(16, 8));
  EXPECT_EQ(b.strip, info.FindSource());

  TabDragInfoDataObject data(TabDragFormat());
  EXPECT_EQ(24u, data.GetDataSize());
  EXPECT_FALSE(data.HasInfo());
  EXPECT_TRUE(data.SetData(bytes.size(), bytes.data()));
  EXPECT_TRUE(data.HasInfo());
  std::string back(24, '\0');
  EXPECT_TRUE(data.GetDataHere(&back[0]));
  EXPECT_EQ(bytes, back);
  // Any other length is refused and empties the object.
  EXPECT_FALSE(data.SetData(8, bytes.data()));
  EXPECT_FALSE(data.HasInfo());
  EXPECT_FALSE(data.SetData(25, (bytes + "x").data()));
  EXPECT_FALSE(data.SetData(24, nullptr));
  EXPECT_EQ(wxT("TNB"), data.GetFormat().GetId());

  // A destroyed strip leaves the registry; its token then names nothing.
  TabbedNotebook* other = new TabbedNotebook(b.frame, wxID_ANY);
  const uint64_t gone = TabStripToken(other->GetTabStrip());
  ASSERT_NE(0u, gone);
  EXPECT_NE(token, gone);
  delete other;
  EXPECT_EQ(nullptr, FindTabStrip(gone));
}

TEST(TabDragDrop, DropsInsideOneNotebookMoveThePage) {
  Book b(0, 4);
  NotebookEventLog log(b.frame);
  for (int i = 0; i < 4; ++i) b.notebook->SetPageText(i, wxString(wxChar('W' + i)));
  b.Render();
  wxWindow* w = b.notebook->GetPage(0);
  StripTarget target(b.strip, &TabStrip::OnDropTarget);

  // W X Y Z: tab 0 onto Y gives X Y W Z with W selected, and no page events.
  wxPoint y = b.TabPoint(2);
  EXPECT_EQ(wxDragMove, target.Drop(y.x, y.y, Payload(b.strip, 0)));
  EXPECT_EQ(wxT("X Y W Z"), b.Captions());
  EXPECT_EQ(2, b.notebook->GetSelection());
  EXPECT_EQ(w, b.notebook->GetPage(2));
  EXPECT_EQ(w, b.notebook->GetCurrentPage());
  EXPECT_TRUE(w->IsShown());
  EXPECT_EQ(-1, b.notebook->GetPreviousSelection());
  EXPECT_EQ("", log.Summary());

  // Tab 3 onto tab 1 (the notebook's own tests show which windows a move shows).
  for (int i = 0; i < 4; ++i) b.notebook->SetPageText(i, wxString(wxChar('W' + i)));
  b.Render();
  wxPoint x1 = b.TabPoint(1);
  EXPECT_EQ(wxDragMove, target.Drop(x1.x, x1.y, Payload(b.strip, 3)));
  EXPECT_EQ(wxT("W Z X Y"), b.Captions());
  EXPECT_EQ(1, b.notebook->GetSelection());

  // On itself, on the empty area, on a button: nothing changes, the drop is still a move.
  b.Render();
  wxPoint self = b.TabPoint(1);
  EXPECT_EQ(wxDragMove, target.Drop(self.x, self.y, Payload(b.strip, 1)));
  EXPECT_EQ(wxDragMove, target.Drop(b.EmptyPoint().x, b.EmptyPoint().y, Payload(b.strip, 0)));
  wxPoint xb = b.ButtonPoint(TNB_HIT_CLOSE_BUTTON);
  EXPECT_EQ(wxDragMove, target.Drop(xb.x, xb.y, Payload(b.strip, 0)));
  EXPECT_EQ(wxT("W Z X Y"), b.Captions());
  EXPECT_EQ(1, b.notebook->GetSelection());

  // A disabled page can be dragged, but every drop of it is cancelled.
  b.notebook->EnablePage(0, false);
  b.Render();
  wxPoint t2 = b.TabPoint(2);
  EXPECT_EQ(wxDragCancel, target.Drop(t2.x, t2.y, Payload(b.strip, 0)));
  EXPECT_EQ(wxT("W Z X Y"), b.Captions());
}

TEST(TabDragDrop, DropsBetweenNotebooksMoveThePageWhenAllowed) {
  Book a(0, 3, wxSize(500, 250), wxPoint(20, 20));
  Book b(0, 2, wxSize(500, 250), wxPoint(20, 320));
  NotebookEventLog logA(a.frame);
  NotebookEventLog logB(b.frame);
  TabImageList imagesA, imagesB;
  imagesA.Add(Square(*wxRED));
  imagesA.Add(Square(*wxGREEN));
  imagesB.Add(Square(*wxBLUE));
  a.notebook->SetImageList(&imagesA);
  b.notebook->SetImageList(&imagesB);
  a.notebook->SetPageImage(1, 1);
  a.Render();
  BookTarget target(b.notebook, &TabbedNotebook::OnDropTarget);
  wxWindow* moving = a.notebook->GetPage(1);

  // Without the style the other notebook refuses quietly.
  EXPECT_EQ(wxDragMove, target.Drop(b.EmptyPoint().x, b.EmptyPoint().y, Payload(a.strip, 1)));
  EXPECT_EQ(wxT("P0 P1 P2"), a.Captions());
  EXPECT_EQ(wxT("P0 P1"), b.Captions());
  EXPECT_EQ("", logA.Summary());

  // With it, a drop on the empty strip area of the target appends the page there and selects it.
  b.notebook->SetWindowStyleFlag(TNB_DRAG_BETWEEN_NOTEBOOKS);
  b.Render();
  EXPECT_EQ(wxDragMove, target.Drop(b.EmptyPoint().x, b.EmptyPoint().y, Payload(a.strip, 1)));
  EXPECT_EQ(wxT("P0 P2"), a.Captions());
  EXPECT_EQ(wxT("P0 P1 P1"), b.Captions());
  EXPECT_EQ(moving, b.notebook->GetPage(2));
  EXPECT_EQ(b.notebook, moving->GetParent());
  EXPECT_EQ(2, b.notebook->GetSelection());
  EXPECT_TRUE(moving->IsShown());
  EXPECT_EQ("closing(1,-1) changing(0,0) changed(0,-1) closed(1,-1)", logA.Summary());
  EXPECT_EQ(0, a.notebook->GetSelection());
  // The image went along as a new last entry of the target's list.
  ASSERT_EQ(2u, imagesB.GetCount());
  EXPECT_EQ(1, b.notebook->GetPageImage(2));
  EXPECT_EQ(2u, imagesA.GetCount());

  // A drop on a tab inserts the page at that tab; a page without an image gets none.
  b.Render();
  wxPoint onFirst = b.TabPoint(0);
  EXPECT_EQ(wxDragMove, target.Drop(onFirst.x, onFirst.y, Payload(a.strip, 1)));
  EXPECT_EQ(wxT("P2 P0 P1 P1"), b.Captions());
  EXPECT_EQ(0, b.notebook->GetSelection());
  EXPECT_EQ(-1, b.notebook->GetPageImage(0));
  EXPECT_EQ(2u, imagesB.GetCount());
  EXPECT_EQ(wxT("P0"), a.Captions());

  // A source that vetoes the closing keeps its page and nothing is inserted.
  logA.vetoClosing = true;
  wxWindow* kept = a.notebook->GetPage(0);
  EXPECT_EQ(wxDragNone, target.Drop(b.EmptyPoint().x, b.EmptyPoint().y, Payload(a.strip, 0)));
  EXPECT_EQ(wxT("P0"), a.Captions());
  EXPECT_EQ(a.notebook, kept->GetParent());
  EXPECT_EQ(4, b.notebook->GetPageCount());
  logA.vetoClosing = false;

  // The last page can leave; the source notebook is then empty.
  EXPECT_EQ(wxDragMove, target.Drop(b.EmptyPoint().x, b.EmptyPoint().y, Payload(a.strip, 0)));
  EXPECT_EQ(0, a.notebook->GetPageCount());
  EXPECT_EQ(5, b.notebook->GetPageCount());
  EXPECT_EQ(kept, b.notebook->GetCurrentPage());
}

TEST(TabDragDrop, ForgedPayloadsAreRefusedAndChangeNothing) {
  Book a(0, 3, wxSize(500, 250), wxPoint(20, 20));
  Book b(TNB_DRAG_BETWEEN_NOTEBOOKS, 2, wxSize(500, 250), wxPoint(20, 320));
  NotebookEventLog logA(a.frame);
  NotebookEventLog logB(b.frame);
  StripTarget stripTarget(b.strip, &TabStrip::OnDropTarget);
  BookTarget bookTarget(b.notebook, &TabbedNotebook::OnDropTarget);
  const wxPoint at = b.EmptyPoint();
  const std::string good = Payload(a.strip, 1);

  std::vector<std::string> forged;
  forged.push_back(std::string());                       // nothing
  forged.push_back(good.substr(0, 8));                   // an 8-byte pointer-sized payload
  forged.push_back(good.substr(0, 23));                  // one byte short
  forged.push_back(good + std::string(1, '\0'));         // one byte long
  forged.push_back(std::string(24, '\xff'));             // noise
  TabDragInfo info(a.strip, 1);
  info.magic = 0x12345678u;
  forged.push_back(Bytes(info));                         // wrong magic
  info = TabDragInfo(a.strip, 1);
  info.pid = static_cast<int32_t>(getpid()) + 1;
  forged.push_back(Bytes(info));                         // another process
  info = TabDragInfo(a.strip, 1);
  info.token = 0;
  forged.push_back(Bytes(info));                         // no strip
  info.token = TabStripToken(a.strip) + 1000;
  forged.push_back(Bytes(info));                         // unknown token
  forged.push_back(Payload(a.strip, 3));                 // page past the end
  forged.push_back(Payload(a.strip, -1));                // negative page
  forged.push_back(Payload(a.strip, 0x7fffffff));

  for (size_t i = 0; i < forged.size(); ++i) {
    EXPECT_EQ(wxDragNone, stripTarget.Drop(at.x, at.y, forged[i])) << i;
    EXPECT_EQ(wxDragNone, bookTarget.Drop(at.x, at.y, forged[i])) << i;
  }
  // A refused payload leaves no trace for the next drop either.
  EXPECT_EQ(wxDragNone, stripTarget.Drop(at.x, at.y, good.substr(0, 20)));
  EXPECT_EQ(wxT("P0 P1 P2"), a.Captions());
  EXPECT_EQ(wxT("P0 P1"), b.Captions());
  EXPECT_EQ("", logA.Summary());
  EXPECT_EQ("", logB.Summary());

  // A payload whose strip has gone since the drag started.
  std::string stale;
  {
    Book c(0, 2, wxSize(300, 200), wxPoint(700, 20));
    stale = Payload(c.strip, 0);
    ASSERT_EQ(wxDragMove, stripTarget.Drop(at.x, at.y, Payload(c.strip, 1)));
  }
  EXPECT_EQ(wxDragNone, stripTarget.Drop(at.x, at.y, stale));
  EXPECT_EQ(3, b.notebook->GetPageCount());

  // The strip itself refuses a source that is not a live strip or an index it does not have.
  EXPECT_EQ(wxDragNone, b.strip->OnDropTarget(at.x, at.y, 0, nullptr));
  EXPECT_EQ(wxDragNone, b.strip->OnDropTarget(at.x, at.y, 0, a.frame));
  EXPECT_EQ(wxDragNone, b.strip->OnDropTarget(at.x, at.y, 9, a.strip));
  EXPECT_EQ(wxT("P0 P1 P2"), a.Captions());
  // The good payload still works.
  EXPECT_EQ(wxDragMove, bookTarget.Drop(at.x, at.y, good));
  EXPECT_EQ(wxT("P0 P2"), a.Captions());
}

TEST(TabDragDrop, ADragStartsFromAMotionOverATabWithAButtonHeld) {
  Book a(0, 3, wxSize(500, 250), wxPoint(20, 20));
  Book b(TNB_DRAG_BETWEEN_NOTEBOOKS, 1, wxSize(500, 250), wxPoint(20, 320));
  BookTarget target(b.notebook, &TabbedNotebook::OnDropTarget);
  int loops = 0;
  int flags = 0;
  std::string carried;
  wxDragResult answer = wxDragError;
  bool feedback = true;
  SetTabDragLoop([&](TabDropSource& source, int f) {
    ++loops;
    flags = f;
    EXPECT_EQ(a.strip, source.GetStrip());
    wxDataObject* data = source.GetDataObject();
    EXPECT_NE(nullptr, data);
    if (!data) return wxDragNone;
    carried.resize(data->GetDataSize(TabDragFormat()));
    data->GetDataHere(TabDragFormat(), &carried[0]);
    feedback = source.GiveFeedback(wxDragMove);
    // Dropped on the other notebook's empty strip area.
    answer = target.Drop(b.EmptyPoint().x, b.EmptyPoint().y, carried);
    return answer;
  });
  struct Reset {
    ~Reset() { SetTabDragLoop(nullptr); }
  } reset;

  // A press at p, then a motion with the button held past the drag distance.
  const int reach = std::max(wxSystemSettings::GetMetric(wxSYS_DRAG_X, a.strip), 8) + 1;
  auto pressAndMove = [&](const wxPoint& p) {
    a.Mouse(wxEVT_LEFT_DOWN, p, true);
    return a.Mouse(wxEVT_MOTION, p + wxPoint(reach, 0), true);
  };
  // Motion without a button, and a press on the empty area, start nothing.
  a.Mouse(wxEVT_MOTION, a.TabPoint(1));
  pressAndMove(a.EmptyPoint());
  EXPECT_EQ(0, loops);
  // Not with drag and drop switched off either.
  a.notebook->SetWindowStyleFlag(TNB_NO_DRAG_AND_DROP);
  a.Render();
  pressAndMove(a.TabPoint(1));
  EXPECT_EQ(0, loops);

  a.notebook->SetWindowStyleFlag(0);
  a.Render();
  EXPECT_TRUE(pressAndMove(a.TabPoint(1)));
  EXPECT_EQ(1, loops);
  EXPECT_EQ(wxDrag_DefaultMove, flags);
  EXPECT_EQ(Payload(a.strip, 1), carried);
  EXPECT_FALSE(feedback);
  EXPECT_EQ(wxDragMove, answer);
  EXPECT_EQ(wxT("P0 P2"), a.Captions());
  EXPECT_EQ(wxT("P0 P1"), b.Captions());
  EXPECT_EQ(1, b.notebook->GetSelection());

  // A disabled page starts a drag too; its drop is cancelled.
  a.notebook->EnablePage(1, false);
  a.Render();
  pressAndMove(a.TabPoint(1));
  EXPECT_EQ(2, loops);
  EXPECT_EQ(wxDragCancel, answer);
  EXPECT_EQ(wxT("P0 P2"), a.Captions());
}

TEST(TabDragDrop, APointerDragCarriesThePageToTheOtherNotebook) {
  Book a(0, 3, wxSize(500, 200), wxPoint(20, 20));
  Book b(TNB_DRAG_BETWEEN_NOTEBOOKS, 1, wxSize(500, 200), wxPoint(20, 320));
  wxWindow* moving = a.notebook->GetPage(1);
  const wxPoint from = a.strip->ClientToScreen(a.TabPoint(1));
  const wxPoint to = b.strip->ClientToScreen(b.EmptyPoint());
  wxUIActionSimulator sim;
  int step = 0;
  wxTimer timer;
  // The platform's drag loop runs inside the strip's motion handler; the timer moves the pointer
  // from within it, then lets go over the other notebook.
  timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    ++step;
    if (step <= 8)
      sim.MouseMove(from.x + (to.x - from.x) * step / 8, from.y + (to.y - from.y) * step / 8);
    else if (step == 9 || step == 80)
      sim.MouseUp();
  });
  sim.MouseMove(from);
  widgettest::Pump(100);
  sim.MouseDown();
  widgettest::Pump(50);
  timer.Start(60);
  // Past the drag distance, so that the drag (and its loop) starts here.
  sim.MouseMove(from.x + std::max(wxSystemSettings::GetMetric(wxSYS_DRAG_X, a.strip), 8) + 2,
                from.y);
  const bool moved = widgettest::PumpUntil([&] { return b.notebook->GetPageCount() == 2; }, 8000);
  widgettest::PumpUntil([&] { return step > 9; }, 2000);
  timer.Stop();
  EXPECT_TRUE(moved);
  EXPECT_EQ(wxT("P0 P2"), a.Captions());
  EXPECT_EQ(wxT("P0 P1"), b.Captions());
  EXPECT_EQ(moving, b.notebook->GetCurrentPage());
}
