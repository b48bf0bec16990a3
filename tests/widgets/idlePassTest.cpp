#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/button.h>
#include <wx/panel.h>

#include <memory>

#include "tests/widgets/widgetTestSupport.h"
#include "widgets/idlePass.h"

using widgettest::Pump;
using widgettest::PumpUntil;

namespace {

// Counts the idle passes that reach it, and the idle events, asking for more time on demand.
class CountingWindow : public wxWindow {
 public:
  explicit CountingWindow(wxWindow* parent) : wxWindow(parent, wxID_ANY, wxDefaultPosition, wxSize(20, 20)) {
    Bind(wxEVT_IDLE, [this](wxIdleEvent& event) {
      ++events;
      if (askMore) event.RequestMore();
    });
  }
  void OnInternalIdle() override {
    ++passes;
    wxWindow::OnInternalIdle();
  }
  int passes = 0;
  int events = 0;
  bool askMore = false;
};

// A frame whose idle pass leaves out what the user cannot see, as the program's frames do.
class RestingFrame : public wxFrame {
 public:
  RestingFrame(wxWindow* parent, const wxPoint& at)
      : wxFrame(parent, wxID_ANY, wxT("resting"), at, wxSize(200, 150)), window(new CountingWindow(this)) {}
  bool SendIdleEvents(wxIdleEvent& event) override { return idlePass::SendToShown(this, event); }
  CountingWindow* window;
};

// Where each counting window stands in the test's tree of windows.
struct Tree {
  RestingFrame* frame;
  wxPanel* shownPanel;
  wxPanel* hiddenPanel;
  CountingWindow* shown;
  CountingWindow* belowHidden;
  CountingWindow* asking;
  RestingFrame* owned;

  void Reset() {
    for (CountingWindow* w : {frame->window, shown, belowHidden, asking, owned->window}) w->passes = w->events = 0;
  }
};

Tree MakeTree() {
  Tree t;
  t.frame = new RestingFrame(nullptr, wxPoint(50, 50));
  t.shownPanel = new wxPanel(t.frame, wxID_ANY, wxPoint(0, 30), wxSize(100, 100));
  t.shown = new CountingWindow(t.shownPanel);
  t.asking = new CountingWindow(t.shownPanel);
  t.asking->SetExtraStyle(t.asking->GetExtraStyle() | wxWS_EX_PROCESS_IDLE);
  t.hiddenPanel = new wxPanel(t.frame, wxID_ANY, wxPoint(100, 30), wxSize(100, 100));
  t.belowHidden = new CountingWindow(t.hiddenPanel);
  t.hiddenPanel->Hide();
  // A top-level window the frame owns: among the frame's children and in the list of top-level
  // windows alike.
  t.owned = new RestingFrame(t.frame, wxPoint(300, 50));
  t.frame->Show();
  t.owned->Show();
  return t;
}

// One idle pass of the application, over every top-level window, as the event loop runs it.
bool OnePass() { return wxTheApp->ProcessIdle(); }

}  // namespace

// Each window the user sees has one visit per pass, a top-level window it owns included; nothing
// under a hidden window has any until it is shown; a hidden frame costs nothing; the windows that
// ask for idle events get them, and their asking for more reaches the event loop.
TEST(IdlePass, OnlyTheShownWindowsAreVisitedEachOnce) {
  const wxIdleMode mode = wxIdleEvent::GetMode();
  wxIdleEvent::SetMode(wxIDLE_PROCESS_SPECIFIED);
  Tree t = MakeTree();
  ASSERT_TRUE(PumpUntil([&] { return t.frame->IsShownOnScreen() && t.owned->IsShownOnScreen(); }));
  Pump();

  t.Reset();
  EXPECT_FALSE(OnePass());
  EXPECT_EQ(1, t.frame->window->passes);
  EXPECT_EQ(1, t.shown->passes);
  EXPECT_EQ(1, t.asking->passes);
  EXPECT_EQ(1, t.owned->window->passes) << "a top-level window visited from its owner and on its own";
  EXPECT_EQ(0, t.belowHidden->passes);
  // Only the window that asks for idle events has them in this mode.
  EXPECT_EQ(1, t.asking->events);
  EXPECT_EQ(0, t.shown->events);

  t.asking->askMore = true;
  EXPECT_TRUE(OnePass()) << "a window's asking for more idle time is lost";
  t.asking->askMore = false;

  // Shown again, the hidden part has its passes again.
  t.hiddenPanel->Show();
  t.Reset();
  OnePass();
  EXPECT_EQ(1, t.belowHidden->passes);

  // A frame hidden: nothing of it is visited, its owned frame still is, once.
  t.frame->Hide();
  t.Reset();
  OnePass();
  EXPECT_EQ(0, t.frame->window->passes + t.shown->passes + t.asking->passes + t.belowHidden->passes);
  EXPECT_EQ(0, t.asking->events);
  EXPECT_EQ(1, t.owned->window->passes);

  // Where every window asks for idle events, every shown window gets one.
  t.frame->Show();
  t.hiddenPanel->Hide();
  wxIdleEvent::SetMode(wxIDLE_PROCESS_ALL);
  t.Reset();
  OnePass();
  EXPECT_EQ(1, t.shown->events);
  EXPECT_EQ(1, t.asking->events);
  EXPECT_EQ(0, t.belowHidden->events);
  wxIdleEvent::SetMode(mode);

  t.owned->Destroy();
  t.frame->Destroy();
  Pump();
}

// A window left out of the pass, as the contacts list is: nothing of it is visited but at the
// first pass that finds it shown after it was left out and after each Due below it, and then the
// whole of it once; the keyboard order of the windows made below it is worked out then, as the
// tool kit's own pass would. Once it no longer is left out, every pass visits it again.
TEST(IdlePass, AWindowLeftOutIsVisitedOnlyWhenDue) {
  const wxIdleMode mode = wxIdleEvent::GetMode();
  wxIdleEvent::SetMode(wxIDLE_PROCESS_SPECIFIED);
  auto* frame = new RestingFrame(nullptr, wxPoint(50, 50));
  auto* list = new wxPanel(frame, wxID_ANY, wxPoint(0, 30), wxSize(150, 100));
  auto* row = new CountingWindow(list);
  auto* asking = new CountingWindow(frame);
  asking->SetExtraStyle(asking->GetExtraStyle() | wxWS_EX_PROCESS_IDLE);
  frame->Show();
  ASSERT_TRUE(PumpUntil([&] { return frame->IsShownOnScreen(); }));
  Pump();
  row->passes = asking->passes = asking->events = 0;

  auto leftOut = std::make_unique<idlePass::LeftOut>(list);
  EXPECT_FALSE(idlePass::IsLeftOut(list)) << "the first pass visits what was there before";
  OnePass();
  EXPECT_EQ(1, row->passes);
  EXPECT_TRUE(idlePass::IsLeftOut(list));
  for (int k = 0; k < 3; ++k) OnePass();
  EXPECT_EQ(1, row->passes);
  EXPECT_EQ(4, asking->passes) << "the other windows keep their passes";
  EXPECT_EQ(4, asking->events);

  // A window made below it: the list's keyboard order waits for the pass that Due asks for.
  auto* made = new wxButton(list, wxID_ANY, wxT("made"), wxPoint(0, 40));
#ifdef __WXGTK__
  EXPECT_TRUE(list->m_dirtyTabOrder);
#endif
  OnePass();
  EXPECT_EQ(1, row->passes);
  idlePass::Due(made);
  OnePass();
  EXPECT_EQ(2, row->passes);
#ifdef __WXGTK__
  EXPECT_FALSE(list->m_dirtyTabOrder) << "the keyboard order of a window made below was never worked out";
#endif
  OnePass();
  EXPECT_EQ(2, row->passes);

  // Due while hidden: the pass comes once it is shown again.
  list->Hide();
  idlePass::Due(row);
  OnePass();
  EXPECT_EQ(2, row->passes);
  list->Show();
  OnePass();
  OnePass();
  EXPECT_EQ(3, row->passes);

  // Due for a window that no window left out holds changes nothing.
  idlePass::Due(asking);
  OnePass();
  EXPECT_EQ(3, row->passes);

  leftOut.reset();
  EXPECT_FALSE(idlePass::IsLeftOut(list));
  OnePass();
  OnePass();
  EXPECT_EQ(5, row->passes);

  wxIdleEvent::SetMode(mode);
  frame->Destroy();
  Pump();
}
