// The notification pop-up: where it slides in and how long it stays, how its list and counter
// follow the notices and the user's paging, its four forms, and, over the real main window, a
// burst of notices and real clicks on each kind of notification and on the pop-up's pictures.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <wx/arrstr.h>
#include <wx/settings.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include <algorithm>
#include <chrono>
#include <functional>

#include "gui/profiles/contactInfoFrame.h"
#include "gui/contacts/contactsShortFrame.h"
#include "gui/notifyFrame.h"
#include "gui/notifyPanel.h"
#include "gui/preferencesFrame.h"
#include "gui/webBrowser.h"
#include "tests/gui/mainWindowFixture.h"
// Last: the X headers' names would shadow the tool kit's.
#include "tests/support/screenCapture.h"

namespace {

using guitest::FindChild;
using guitest::FindChildren;

wxStaticText* CounterLabel(NotifyFrame* f) {
  return FindChild<wxStaticText>(f, [](wxStaticText* t) { return t->GetLabel().StartsWith("("); });
}

wxString Counter(NotifyFrame* f) { return CounterLabel(f)->GetLabel(); }

// The counter's label holds its whole text, and the header's pictures beside it stay clear of it.
void ExpectCounterWhole(NotifyFrame* f) {
  wxStaticText* label = CounterLabel(f);
  SCOPED_TRACE(label->GetLabel());
  EXPECT_GE(label->GetSize().x, label->GetTextExtent(label->GetLabel()).x);
  for (wxStaticBitmap* picture : FindChildren<wxStaticBitmap>(f)) {
    if (picture->GetParent() != f) continue;
    EXPECT_FALSE(picture->GetRect().Intersects(label->GetRect()));
  }
}

// The labels of the content on display.
std::vector<wxString> Shown(NotifyFrame* f) {
  std::vector<wxString> texts;
  for (NotifyPanel* p : FindChildren<NotifyPanel>(f))
    if (p->IsShown())
      for (wxStaticText* t : FindChildren<wxStaticText>(p)) texts.push_back(t->GetLabelText());
  return texts;
}

NotifyFrame* Add(const std::string& text) {
  return NotifyFrame::AddNotification(NotifyAction(NOTIFY_ACTION_CONTACTS_MANAGER), "Notification",
                                      wxString::FromUTF8(text), *wxBLUE, "", *wxRED);
}

void Tick(NotifyFrame* f, int n) {
  wxTimer timer;
  wxTimerEvent tick(timer);
  for (int i = 0; i < n; ++i) f->OnTimer(tick);
}

// The header's pictures, left to right: mascot, previous, next, close.
std::vector<wxStaticBitmap*> Header(NotifyFrame* f) {
  std::vector<wxStaticBitmap*> header;
  for (wxStaticBitmap* b : FindChildren<wxStaticBitmap>(f))
    if (b->GetParent() == f) header.push_back(b);
  return header;
}

TEST(NotifyFrame, SlidesStaysAndKeepsTheLastHundred) {
  Config::SetPath(testsupport::SourceDir() + "/data/");
  NotifyFrame* f = Add("n1");
  f->Popup();
  const int x = wxSystemSettings::GetMetric(wxSYS_SCREEN_X) - 252 - 10;
  const int y = wxSystemSettings::GetMetric(wxSYS_SCREEN_Y) - 5;
  EXPECT_EQ(wxPoint(x, y), f->GetPosition());
  // Ticks, then slide state, height and visibility: up 99 pixels, displayed, hidden.
  const int steps[][4] = {{1, 1, y - 1, 1}, {98, 99, y - 99, 1}, {1, 1000, y - 99, 1}, {1, 0, y - 99, 0}};
  for (const auto& s : steps) {
    Tick(f, s[0]);
    EXPECT_EQ(s[1], f->GetSlide());
    EXPECT_EQ(wxPoint(x, s[2]), f->GetPosition());
    EXPECT_EQ(bool(s[3]), f->IsShown());
  }
  const wxBitmap avatar(24, 24);
  wxMouseEvent click(wxEVT_LEFT_UP);
  struct Row {
    std::function<void()> act;
    const char* counter;
    std::vector<wxString> lines;
  } rows[] = {
      {[&] { f->Popup(); Tick(f, 100); }, "(1/1)", {"n1"}},
      {[&] { NotifyFrame::AddNotification(NotifyAction(1, "bob"), "t", "R&D", *wxBLUE, "left", *wxRED)->Popup(); },
       "(2/2)", {"R&D", "left"}},
      {[&] { f->OnPrevious(click); }, "(1/2)", {"n1"}},
      {[&] { f->OnPrevious(click); }, "(1/2)", {"n1"}},
      {[&] { NotifyFrame::AddNotification(NotifyAction(1, "bob"), "t", "Bob", avatar, STATUS_NO_ACTIVITY)->Popup(); },
       "(1/3)", {"n1"}},
      {[&] { f->OnNext(click); f->OnNext(click); }, "(3/3)", {"Bob", "is inactive"}},
      {[&] { f->OnNext(click); }, "(3/3)", {"Bob", "is inactive"}},
      {[&] { NotifyFrame::AddNotification(NotifyAction(1, "bob"), "t", "Bob", avatar, t_status(7))->Popup(); },
       "(4/4)", {"Bob", ""}},
      {[&] {
         for (int i = 5; i <= 10; ++i) Add("n" + std::to_string(i));
         f->OnPrevious(click);
       },
       "(9/10)", {"n9"}},
      {[&] { f->OnNext(click); }, "(10/10)", {"n10"}},
      {[&] {
         for (int i = 11; i <= 101; ++i) Add("n" + std::to_string(i));
         NotifyFrame::AddNotification(NotifyAction(2, "prv://x"), "t", "Ann", avatar, "Hi & bye")->Popup();
       },
       "(100/100)", {"Ann", "Hi & bye"}},
  };
  for (const Row& r : rows) {
    r.act();
    // Notices in quick succession are put on display once the burst is over.
    guitest::PumpUntil([&] { return Counter(f) == r.counter && Shown(f) == r.lines; });
    EXPECT_EQ(r.counter, Counter(f));
    EXPECT_EQ(r.lines, Shown(f));
    ExpectCounterWhole(f);
  }
  EXPECT_EQ(NotifyFrame::kMaxItems, f->GetCount());
  // A server's burst of five hundred: the newest is on display once the event loop turns.
  for (int i = 1; i <= 500; ++i)
    NotifyFrame::AddNotification(NotifyAction(1, "bob"), "t", "b" + std::to_string(i), *wxBLUE, "", *wxRED)->Popup();
  guitest::PumpUntil([&] { return Shown(f) == std::vector<wxString>{"b500"}; });
  EXPECT_EQ(std::vector<wxString>{"b500"}, Shown(f));
  f->Destroy();
  guitest::PumpUntil([] { return !NotifyFrame::GetInstance(); });
}

// A crowd logging in one by one over the event loop's turns: the pop-up is not laid out again
// for each notice while the stream lasts, the newest is on display at its end, and the user's
// own paging in the middle of it answers at once.
TEST(NotifyFrame, AStreamOfNoticesIsShownAtMostOncePerSpan) {
  Config::SetPath(testsupport::SourceDir() + "/data/");
  int drawn = 0;
  // Times the stream stopped for longer than a span (a loaded machine): the burst is then over,
  // and the next notices are shown at once again.
  int stops = 0;
  NotifyFrame* f = nullptr;
  // The stream's pace is taken from the first notice's end: the first makes the pop-up's window,
  // seconds on a loaded machine, and shows only itself meanwhile.
  std::chrono::steady_clock::time_point paced;
  // The pop-up reads the clock somewhere between the start of a notice's adding and the end of
  // its popping up: the time from the one notice's start to the next one's end bounds the gap it
  // saw between the two, however the machine's stalls fall around them.
  const auto stream = [&](int from, int to) {
    auto lastStart = std::chrono::steady_clock::now();
    for (int i = from; i <= to; ++i) {
      const auto start = std::chrono::steady_clock::now();
      f = NotifyFrame::AddNotification(NotifyAction(1, "u" + std::to_string(i)), "t", "u" + std::to_string(i),
                                       NotifyPicture([&] { ++drawn; return wxBitmap(8, 8); }), STATUS_ONLINE);
      f->Popup();
      const auto end = std::chrono::steady_clock::now();
      if (i == 1) paced = end;
      if (i > from && end - lastStart > std::chrono::milliseconds(90)) ++stops;
      lastStart = start;
      guitest::Pump(3);
    }
  };
  stream(1, 200);
  // 200 notices over at least 600 ms: the first few of each burst, then at most one display per
  // 100 ms, however slowly a loaded machine lets the notices come (the old pop-up drew one for
  // nearly every turn of the loop).
  const auto spans = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - paced) /
                     std::chrono::milliseconds(100);
  EXPECT_LE(drawn, 8 * (1 + stops) + spans + 2) << stops << " stops";
  ASSERT_TRUE(guitest::PumpUntil([&] { return Shown(f).size() == 2 && Shown(f)[0] == "u200"; }, 2000));
  // Paging back in the middle of a stream shows the older notice right away.
  stream(201, 210);
  wxMouseEvent click(wxEVT_LEFT_UP);
  f->OnPrevious(click);
  EXPECT_EQ("(99/100)", Counter(f));
  EXPECT_EQ("u209", Shown(f)[0]);
  f->Destroy();
  guitest::PumpUntil([] { return !NotifyFrame::GetInstance(); });
}

// The slide run by its own timer, the window system answering each step: the pop-up ends 99
// pixels up, where the program believes it is and where the window system has put it.
TEST(NotifyFrame, SlideEndsWhereTheWindowSystemPutsIt) {
  Config::SetPath(testsupport::SourceDir() + "/data/");
  NotifyFrame* f = Add("n0");
  f->Popup();
  const wxPoint end = f->GetPosition() - wxPoint(0, 99);
  // On a loaded machine the ticks come late: the slide may take several seconds.
  ASSERT_TRUE(guitest::PumpUntil([&] { return f->GetSlide() == 1000; }, 60000));
  guitest::PumpUntil([&] { return f->GetPosition() == end && f->GetScreenPosition() == end; });
  EXPECT_EQ(end, f->GetPosition());
  EXPECT_EQ(end, f->GetScreenPosition());
  f->Destroy();
  guitest::PumpUntil([] { return !NotifyFrame::GetInstance(); });
}

// The rows of the pop-up that the screen shows at its place, from its top to the screen's bottom.
wxImage ShownRows(NotifyFrame* f) {
  const wxRect rect = f->GetScreenRect();
  const int bottom = wxSystemSettings::GetMetric(wxSYS_SCREEN_Y);
  return screencapture::Capture(wxRect(rect.x, rect.y, rect.width, std::min(rect.height, bottom - rect.y)));
}

bool SameRows(const wxImage& shown, const wxImage& whole) {
  const size_t row = size_t(whole.GetWidth()) * 3;
  return shown.GetWidth() == whole.GetWidth() && shown.GetHeight() <= whole.GetHeight() &&
         std::equal(shown.GetData(), shown.GetData() + row * size_t(shown.GetHeight()), whole.GetData());
}

// Each step of the slide, taken without the event loop turning (the program draws nothing
// meanwhile): the line that rose into view is shown at once, the same as in the pop-up at rest,
// and no line is left behind or drawn twice.
TEST(NotifyFrame, EachLineRisingIntoViewIsShownWithoutBeingDrawnAgain) {
  Display* display = static_cast<Display*>(wxGetDisplayInfo().dpy);
  if (DoesBackingStore(DefaultScreenOfDisplay(display)) == NotUseful) GTEST_SKIP() << "no backing store";
  Config::SetPath(testsupport::SourceDir() + "/data/");
  NotifyFrame* f = NotifyFrame::AddNotification(NotifyAction(1, "bob"), "Notification", "Bob Marley-Lane",
                                                *wxBLUE, "is online now", *wxRED);
  f->Popup();
  ASSERT_TRUE(guitest::PumpUntil([&] { return f->GetSlide() == 1000; }, 60000));
  guitest::Pump(100);
  const wxImage whole = ShownRows(f);
  ASSERT_EQ(f->GetSize().y, whole.GetHeight());
  wxMouseEvent click(wxEVT_LEFT_UP);
  f->OnHide(click);
  f->Popup();
  // Shown again, drawn whole once.
  ASSERT_TRUE(guitest::PumpUntil([&] { return f->IsShownOnScreen() && SameRows(ShownRows(f), whole); }));
  for (int step = 0; step < 40 && f->GetSlide() < 99; ++step) {
    Tick(f, 1);
    XSync(display, False);
    const wxImage shown = ShownRows(f);
    SCOPED_TRACE(testing::Message() << "at " << f->GetPosition().y << ", " << shown.GetHeight() << " rows in view");
    ASSERT_TRUE(SameRows(shown, whole));
  }
  f->Destroy();
  guitest::PumpUntil([] { return !NotifyFrame::GetInstance(); });
}

// Notices coming faster than the slide's steps: the pop-up slides up while they come, instead of
// starting over at each one, and a page back taken before its first step stays where it was put.
TEST(NotifyFrame, NoticesFasterThanTheSlideDoNotStartItOver) {
  Config::SetPath(testsupport::SourceDir() + "/data/");
  NotifyFrame* f = Add("n0");
  f->Popup();
  const int start = f->GetPosition().y;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(400);
  for (int i = 1; std::chrono::steady_clock::now() < end; ++i) {
    Add("n" + std::to_string(i))->Popup();
    guitest::Pump(2);
  }
  EXPECT_LT(f->GetPosition().y, start - 5);
  f->Destroy();
  guitest::PumpUntil([] { return !NotifyFrame::GetInstance(); });

  f = Add("a");
  Add("b")->Popup();
  wxMouseEvent click(wxEVT_LEFT_UP);
  f->OnPrevious(click);
  Add("c")->Popup();
  EXPECT_EQ("(1/3)", Counter(f));
  f->Destroy();
  guitest::PumpUntil([] { return !NotifyFrame::GetInstance(); });
}

// Notices one after the other on screen, some repeating the last one's second line: each line
// is broken as a pop-up showing that notice first would break it, and its label keeps the room
// of every line it holds, whether the line was measured again or kept as it was.
TEST(NotifyFrame, ARepeatedLineKeepsItsBreaksAndItsRoom) {
  Config::SetPath(testsupport::SourceDir() + "/data/");
  const wxString longLine = "a second line long enough to be broken over two lines or more in the pop-up";
  const struct {
    const char* text;
    int side;
    wxString text2;
  } rows[] = {
      {"Ann", 24, longLine}, {"Bob", 24, longLine},   {"Bob", 64, longLine},
      {"Cy", 64, "short"},   {"Dee", 64, longLine}, {"Eve", 24, "another second line, long enough to be broken over lines too"},
  };
  NotifyFrame* f = nullptr;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text + (" " + std::to_string(row.side)));
    const wxBitmap picture(row.side, row.side);
    f = NotifyFrame::AddNotification(NotifyAction(2, "prv://x"), "t", row.text, picture, row.text2);
    f->Popup();
    ASSERT_TRUE(guitest::PumpUntil([&] { return !Shown(f).empty() && Shown(f)[0] == row.text; }, 5000));
    ASSERT_TRUE(guitest::PumpUntil([&] { return f->IsShownOnScreen(); }, 5000));
    // The same notice in a panel of its own, fitted once.
    auto* fresh = new NotifyPanel(f, wxEmptyString, wxNullBitmap, wxEmptyString);
    fresh->Hide();
    fresh->SetContent(row.text, wxNullColour, row.text2, wxNullColour, picture, STATUS_OFFLINE);
    std::vector<wxString> expected;
    for (wxStaticText* t : FindChildren<wxStaticText>(fresh)) expected.push_back(t->GetLabelText());
    fresh->Destroy();
    EXPECT_EQ(expected, Shown(f));
    EXPECT_NE(longLine, Shown(f)[1]);
    for (NotifyPanel* p : FindChildren<NotifyPanel>(f)) {
      if (!p->IsShown()) continue;
      for (wxStaticText* t : FindChildren<wxStaticText>(p)) {
        wxSize room;
        for (const wxString& line : wxSplit(t->GetLabelText(), '\n', '\0')) {
          const wxSize extent = t->GetTextExtent(line.empty() ? wxString("W") : line);
          room = wxSize(std::max(room.x, line.empty() ? 0 : extent.x), room.y + extent.y);
        }
        EXPECT_GE(t->GetMinSize().x, room.x) << t->GetLabelText();
        EXPECT_GE(t->GetMinSize().y, room.y) << t->GetLabelText();
      }
    }
  }
  f->Destroy();
  guitest::PumpUntil([] { return !NotifyFrame::GetInstance(); });
}

// Notices on a pop-up already on screen whose first line grows word by word past the width of
// the pop-up, then shrinks back: each is broken as a fresh hidden panel breaks it (the labels on
// screen are measured by the toolkit alone), each label keeps the room of its lines, the pop-up
// grows for the long ones and comes back to its usual size, and the picture follows the notice
// whether it is the one shown again or another.
TEST(NotifyFrame, ALineGrowingAndShrinkingOnScreenFitsAsAFreshOne) {
  Config::SetPath(testsupport::SourceDir() + "/data/");
  const wxBitmap avatar(48, 48), other(48, 48);
  std::vector<std::pair<wxString, wxBitmap>> rows;
  wxString line = "Ann";
  for (int i = 0; i < 14; ++i) rows.emplace_back(line += " Wide", i % 5 == 4 ? other : avatar);
  rows.emplace_back("Ann", avatar);
  rows.emplace_back("Ann", other);
  NotifyFrame* f = NotifyFrame::AddNotification(NotifyAction(1, "ann"), "t", "start", avatar, STATUS_ONLINE);
  f->Popup();
  ASSERT_TRUE(guitest::PumpUntil([&] { return f->IsShownOnScreen() && !Shown(f).empty(); }, 5000));
  const wxSize usual = f->GetSize();
  bool grew = false;
  for (const auto& [text, picture] : rows) {
    SCOPED_TRACE(text);
    NotifyFrame::AddNotification(NotifyAction(1, "ann"), "t", text, picture, STATUS_ONLINE)->Popup();
    const auto onDisplay = [&] {
      wxString shown = Shown(f)[0];
      shown.Replace("\n", " ");
      return shown == text;
    };
    ASSERT_TRUE(guitest::PumpUntil(onDisplay, 5000));
    auto* fresh = new NotifyPanel(f, wxEmptyString, wxNullBitmap, STATUS_OFFLINE);
    fresh->Hide();
    fresh->SetContent(text, wxNullColour, "", wxNullColour, picture, STATUS_ONLINE);
    std::vector<wxString> expected;
    for (wxStaticText* t : FindChildren<wxStaticText>(fresh)) expected.push_back(t->GetLabelText());
    fresh->Destroy();
    EXPECT_EQ(expected, Shown(f));
    for (NotifyPanel* p : FindChildren<NotifyPanel>(f)) {
      if (!p->IsShown()) continue;
      EXPECT_TRUE(FindChildren<wxStaticBitmap>(p)[0]->GetBitmap().IsSameAs(picture));
      // Each label as wide as its widest line and a pixel, as high as its lines.
      for (wxStaticText* t : FindChildren<wxStaticText>(p)) {
        wxSize room;
        for (const wxString& part : wxSplit(t->GetLabelText(), '\n', '\0')) {
          const wxSize extent = t->GetTextExtent(part);
          room = wxSize(std::max(room.x, extent.x), room.y + extent.y);
        }
        EXPECT_EQ(room + wxSize(1, 0), t->GetMinSize()) << t->GetLabelText();
        EXPECT_EQ(room + wxSize(1, 0), t->GetSize()) << t->GetLabelText();
      }
    }
    grew = grew || f->GetSize().y > usual.y;
  }
  EXPECT_TRUE(grew);
  EXPECT_EQ(usual, f->GetSize());
  f->Destroy();
  guitest::PumpUntil([] { return !NotifyFrame::GetInstance(); });
}

class NotifyActions : public guitest::MainWindowTest {};

TEST_F(NotifyActions, BurstThenEachClickDoesWhatItSays) {
  // A browser that only writes down what it was asked to open.
  std::vector<std::string> opened;
  browser::SetRecorder([&](const std::string& url) { opened.push_back(url); });
  guitest::SpyMainFrame* frame = Open();
  const size_t windows = wxTopLevelWindows.GetCount();

  // Twenty notices within two seconds stack in the one pop-up, the newest on display.
  for (int i = 1; i <= 20; ++i) {
    Add("m" + std::to_string(i))->Popup();
    guitest::Pump(20);
  }
  NotifyFrame* popup = NotifyFrame::GetInstance();
  EXPECT_EQ(windows, wxTopLevelWindows.GetCount());
  EXPECT_EQ("(20/20)", Counter(popup));
  ASSERT_TRUE(guitest::PumpUntil([&] { return popup->GetSlide() >= 99; }, 5000));
  const std::vector<wxStaticBitmap*> header = Header(popup);
  ASSERT_EQ(4u, header.size());
  guitest::ClickUntil(header[1], [&] { return Counter(popup) == "(19/20)"; });
  guitest::ClickUntil(header[1], [&] { return Counter(popup) == "(18/20)"; });
  guitest::ClickUntil(header[2], [&] { return Counter(popup) == "(19/20)"; });
  EXPECT_EQ("m19", Shown(popup).front());
  guitest::ClickUntil(header[3], [&] { return !popup->IsShown(); });  // the close picture only hides
  guitest::Pump(30);

  auto* contacts = FindChild<ContactsShortFrame>(frame, [](ContactsShortFrame*) { return true; });
  auto* preferences = FindChild<PreferencesFrame>(frame, [](PreferencesFrame*) { return true; });
  EXPECT_FALSE(contacts->IsShown());
  preferences->Show(true);
  struct Row {
    NotifyAction action;
    std::vector<std::string> requests;
    bool contactsManager;
    bool profile;
  } rows[] = {
      {NotifyAction(NOTIFY_ACTION_NONE), {}, false, false},
      {NotifyAction(7, "bob"), {}, false, false},
      {NotifyAction(NOTIFY_ACTION_BROWSER, "file:///etc/passwd"), {}, false, false},
      {NotifyAction(NOTIFY_ACTION_BROWSER, "https://www.example.com/page?a=1"), {}, false, false},
      {NotifyAction(NOTIFY_ACTION_PRIVATE_CHATROOM, "bob"), {"private bob"}, false, false},
      {NotifyAction(NOTIFY_ACTION_SUBSCRIBE, "http://a.example"), {"private bob", "subscribe http://a.example"}, false,
       false},
      {NotifyAction(NOTIFY_ACTION_CONTACTS_MANAGER), {"private bob", "subscribe http://a.example"}, true, false},
      {NotifyAction(NOTIFY_ACTION_OWN_PROFILE), {"private bob", "subscribe http://a.example"}, true, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.action.GetType());
    NotifyFrame::AddNotification(r.action, "Notification", "click me", *wxBLUE, "", *wxRED)->Popup();
    Tick(popup, 100);
    auto* text = FindChild<wxStaticText>(popup, [](wxStaticText* t) { return t->IsShown() && t->GetLabel() == "click me"; });
    ASSERT_TRUE(guitest::PumpUntil([&] { return text->IsShownOnScreen(); }));
    guitest::ClickUntil(text, [&] { return !popup->IsShown(); });
    ContactInfoFrame* own = nullptr;
    guitest::PumpUntil([&] {
      own = ContactInfoFrame::GetContactInfoFor("alice");
      return r.requests == frame->requests && r.contactsManager == contacts->IsShown() &&
             r.contactsManager != preferences->IsShown() && r.profile == (own && own->IsShown());
    });
    EXPECT_EQ(r.requests, frame->requests);
    EXPECT_EQ(r.contactsManager, contacts->IsShown());
    EXPECT_EQ(!r.contactsManager, preferences->IsShown());
    own = ContactInfoFrame::GetContactInfoFor("alice");
    EXPECT_EQ(r.profile, own && own->IsShown());
  }
  // The browser was asked for the web page, and for nothing else.
  EXPECT_EQ(std::vector<std::string>{"https://www.example.com/page?a=1"}, opened);
  browser::SetRecorder(nullptr);
}

}  // namespace
