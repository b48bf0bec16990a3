// The notification pop-up on its own: where it slides in, how the list and the counter follow a
// burst of notices and the user's paging, the four forms of content, and real clicks on its
// arrows and close picture. It leaves no window behind.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/settings.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "gui/notifyFrame.h"
#include "gui/notifyPanel.h"
#include "model/config.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/support/testSupport.h"

namespace {

using guitest::FindChild;
using guitest::FindChildren;

wxString Counter(NotifyFrame* f) {
  auto* label = FindChild<wxStaticText>(f, [](wxStaticText* t) { return t->GetLabel().StartsWith("("); });
  return label ? label->GetLabel() : wxString();
}

// The labels of the content on display, top to bottom.
std::vector<wxString> Shown(NotifyFrame* f) {
  std::vector<wxString> texts;
  for (NotifyPanel* p : FindChildren<NotifyPanel>(f))
    if (p->IsShown())
      for (wxStaticText* t : FindChildren<wxStaticText>(p)) texts.push_back(t->GetLabelText());
  return texts;
}

void Click(wxWindow* w) {
  wxUIActionSimulator sim;
  sim.MouseMove(w->GetScreenRect().GetPosition() + w->GetSize() / 2);
  guitest::Pump(30);
  sim.MouseClick();
  guitest::Pump(60);
}

class NotifyFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Config::SetPath(testsupport::SourceDir() + "/data/");
    m_windows = wxTopLevelWindows.GetCount();
  }
  void TearDown() override {
    if (NotifyFrame* f = NotifyFrame::GetInstance()) f->Destroy();
    guitest::PumpUntil([] { return NotifyFrame::GetInstance() == nullptr; });
    EXPECT_EQ(m_windows, wxTopLevelWindows.GetCount());
  }
  static NotifyFrame* Add(const std::string& text) {
    return NotifyFrame::AddNotification(NotifyAction(NOTIFY_ACTION_FOCUS_CHATROOM, "http://" + text), "Notification",
                                        wxString::FromUTF8(text), *wxBLUE, "said hello", *wxRED);
  }
  // Runs the pop-up's own timer `n` times.
  static void Tick(NotifyFrame* f, int n) {
    wxTimer timer;
    wxTimerEvent tick(timer);
    for (int i = 0; i < n; ++i) f->OnTimer(tick);
  }

  size_t m_windows = 0;
};

TEST_F(NotifyFrameTest, SlidesInAtTheBottomRightStaysThenHides) {
  NotifyFrame* f = Add("first");
  f->Popup();
  const int x = wxSystemSettings::GetMetric(wxSYS_SCREEN_X) - 252 - 10;
  const int y = wxSystemSettings::GetMetric(wxSYS_SCREEN_Y) - 5;
  EXPECT_EQ(wxPoint(x, y), f->GetPosition());
  EXPECT_EQ("(1/1)", Counter(f));
  EXPECT_TRUE(f->IsShown());
  struct Step {
    int ticks;
    int slide;
    int y;
    bool shown;
  } steps[] = {{1, 1, y - 1, true}, {98, 99, y - 99, true}, {1, 1000, y - 99, true}, {1, 0, y - 99, false}};
  for (const Step& s : steps) {
    Tick(f, s.ticks);
    EXPECT_EQ(s.slide, f->GetSlide());
    EXPECT_EQ(s.y, f->GetPosition().y);
    EXPECT_EQ(s.shown, f->IsShown());
  }
  // Shown again while displayed, the display is prolonged by one more period.
  f->Popup();
  Tick(f, 100);
  Add("second")->Popup();
  EXPECT_EQ(100, f->GetSlide());
  EXPECT_EQ("(2/2)", Counter(f));
  Tick(f, 1);
  EXPECT_EQ(1000, f->GetSlide());
  EXPECT_TRUE(f->IsShown());
}

TEST_F(NotifyFrameTest, ListAndCounterFollowNoticesAndPaging) {
  struct Row {
    const char* name;
    std::function<void(NotifyFrame*)> act;
    const char* counter;
    const char* text;  // first line on display
  } rows[] = {
      {"first",
       [](NotifyFrame*) {
         Add("n1")->Popup();
         Tick(NotifyFrame::GetInstance(), 1);
       },
       "(1/1)", "n1"},
      {"second moves to it", [](NotifyFrame* f) { Add("n2")->Popup(); }, "(2/2)", "n2"},
      {"back to the first",
       [](NotifyFrame* f) {
         wxMouseEvent e(wxEVT_LEFT_UP);
         f->OnPrevious(e);
       },
       "(1/2)", "n1"},
      {"previous at the first does nothing",
       [](NotifyFrame* f) {
         wxMouseEvent e(wxEVT_LEFT_UP);
         f->OnPrevious(e);
       },
       "(1/2)", "n1"},
      {"a third keeps the view", [](NotifyFrame* f) { Add("n3")->Popup(); }, "(1/3)", "n1"},
      {"next", [](NotifyFrame* f) {
         wxMouseEvent e(wxEVT_LEFT_UP);
         f->OnNext(e);
         f->OnNext(e);
         f->OnNext(e);
       },
       "(3/3)", "n3"},
      {"the 101st drops the oldest",
       [](NotifyFrame* f) {
         for (int i = 4; i <= 101; ++i) Add("n" + std::to_string(i));
         f->Popup();
       },
       "(100/100)", "n101"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    r.act(NotifyFrame::GetInstance());
    NotifyFrame* f = NotifyFrame::GetInstance();
    EXPECT_EQ(r.counter, Counter(f));
    ASSERT_FALSE(Shown(f).empty());
    EXPECT_EQ(r.text, Shown(f).front());
  }
  EXPECT_EQ(NotifyFrame::kMaxItems, NotifyFrame::GetInstance()->GetCount());
}

TEST_F(NotifyFrameTest, EachFormShowsItsLines) {
  const wxBitmap avatar(24, 24);
  struct Row {
    const char* name;
    std::function<NotifyFrame*()> add;
    std::vector<wxString> lines;
  } rows[] = {
      {"two lines", [] { return Add("bob"); }, {"bob", "said hello"}},
      {"one line when the second is empty",
       [] {
         return NotifyFrame::AddNotification(NotifyAction(0), "t", "Connection ended", *wxRED, "", *wxBLUE);
       },
       {"Connection ended"}},
      {"presence", [&] { return NotifyFrame::AddNotification(NotifyAction(1, "bob"), "t", "Bob", avatar, STATUS_NO_ACTIVITY); },
       {"Bob", "is inactive"}},
      {"unknown presence", [&] { return NotifyFrame::AddNotification(NotifyAction(1, "bob"), "t", "Bob", avatar, t_status(7)); },
       {"Bob", ""}},
      {"picture and two lines",
       [&] { return NotifyFrame::AddNotification(NotifyAction(2, "prv://x"), "t", "R&D", avatar, "Hi & bye"); },
       {"R&D", "Hi & bye"}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    NotifyFrame* f = r.add();
    f->Popup();
    EXPECT_EQ(r.lines, Shown(f));
    const auto panels = FindChildren<NotifyPanel>(f);
    EXPECT_EQ(1, std::count_if(panels.begin(), panels.end(), [](NotifyPanel* p) { return p->IsShown(); }));
  }
}

TEST_F(NotifyFrameTest, BurstOfTwentyStacksInOneWindowAndRealClicksPage) {
  // Twenty notices within two seconds, as a busy room sends them.
  for (int i = 1; i <= 20; ++i) {
    Add("m" + std::to_string(i))->Popup();
    guitest::Pump(20);
  }
  NotifyFrame* f = NotifyFrame::GetInstance();
  EXPECT_EQ(m_windows + 1, wxTopLevelWindows.GetCount());
  EXPECT_EQ("(20/20)", Counter(f));
  EXPECT_EQ("m20", Shown(f).front());
  EXPECT_GT(f->GetSlide(), 0);
  ASSERT_TRUE(guitest::PumpUntil([&] { return f->IsShownOnScreen() && f->GetSlide() >= 99; }, 5000));

  auto pictures = FindChildren<wxStaticBitmap>(f);
  // The header's pictures, left to right: mascot, left arrow, right arrow, close.
  std::vector<wxStaticBitmap*> header;
  for (wxStaticBitmap* b : pictures)
    if (b->GetParent() == f) header.push_back(b);
  ASSERT_EQ(4u, header.size());
  Click(header[1]);
  Click(header[1]);
  EXPECT_EQ("(18/20)", Counter(f));
  EXPECT_EQ("m18", Shown(f).front());
  Click(header[2]);
  EXPECT_EQ("(19/20)", Counter(f));
  // Clicking the title does nothing; the close picture only hides.
  Click(FindChild<wxStaticText>(f, [](wxStaticText* t) { return t->GetLabel() == "Notification"; }));
  EXPECT_TRUE(f->IsShown());
  Click(header[3]);
  EXPECT_FALSE(f->IsShown());
  EXPECT_EQ(0, f->GetSlide());
  EXPECT_EQ(20u, f->GetCount());
}

TEST(NotifyPanel, PresenceTexts) {
  const std::pair<int, const char*> rows[] = {{-1, "is offline"}, {0, "is offline"}, {1, "is online"},
                                              {2, "is inactive"}, {3, "is away"},    {4, "is busy"},
                                              {5, ""},            {-2, ""}};
  for (const auto& r : rows) EXPECT_EQ(r.second, NotifyPanel::StatusText(r.first)) << r.first;
}

}  // namespace
