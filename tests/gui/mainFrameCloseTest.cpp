// Closing the main window as a user does, with and without a tray on the desktop: the window
// manager's close message, the exit-or-reduce question answered by real clicks and keys, the
// remembered choice, the Quit command, and a settings file that cannot be written.
#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/taskbar.h>
#include <wx/weakref.h>

#include <memory>
#include <string>
#include <vector>

#include "gui/appStartup.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/rooms/commentsFrame.h"
#include "gui/rooms/commentsPageLoader.h"
#include "gui/preferencesFrame.h"
#include "gui/reduceDialog.h"
#include "tests/gui/mainWindowFixture.h"

// Last: Xlib's macros would clash with the toolkit's names.
#include <X11/Xlib.h>

namespace {

using guitest::ClickUntil;
using guitest::FindChild;
using guitest::SendCloseBox;

// Owns the desktop's tray selection while it lives, so that the toolkit sees a tray.
class FakeTray {
 public:
  FakeTray() : m_display(XOpenDisplay(nullptr)) {
    m_window = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(m_display, XInternAtom(m_display, "_NET_SYSTEM_TRAY_S0", False), m_window, CurrentTime);
    XSync(m_display, False);
  }
  ~FakeTray() { XCloseDisplay(m_display); }

 private:
  Display* m_display;
  Window m_window;
};

// Answers the exit-or-reduce question with real input once it is on screen.
class Answer : public wxTimer {
 public:
  explicit Answer(std::function<void(ReduceDialog*)> input) : m_input(std::move(input)) { Start(20); }
  bool done = false;

 private:
  void Notify() override {
    ReduceDialog* open = nullptr;
    for (wxWindow* w : wxTopLevelWindows)
      if (auto* d = dynamic_cast<ReduceDialog*>(w))
        if (d->IsModal()) open = d;
    if (open && open->IsShownOnScreen() && ++m_ticks == 5) m_input(open);
    done = m_ticks >= 5 && !open;
  }
  std::function<void(ReduceDialog*)> m_input;
  int m_ticks = 0;
};

// Once the window titled `title` has been on the display a moment, clicks its close box as a
// window manager does; it may be a box of the desktop's own that runs its own loop.
class CloseWhenShown : public wxTimer {
 public:
  explicit CloseWhenShown(const wxString& title) : m_title(title) { Start(20); }
  bool sent = false;

 private:
  void Notify() override {
    if (!sent && guitest::ShownWindowTitled(m_title) && ++m_ticks >= 5) sent = SendCloseBox(m_title);
  }
  wxString m_title;
  int m_ticks = 0;
};

void Press(ReduceDialog* d, const char* label) { ClickUntil(guitest::ButtonLabelled(d, label), [] { return true; }); }
void Remember(ReduceDialog* d) {
  wxCheckBox* box = FindChild<wxCheckBox>(d, [](wxCheckBox*) { return true; });
  ClickUntil(box, [box] { return box->GetValue(); });
}

enum Choice { kNothing, kReduce, kExit };

class MainFrameClose : public guitest::MainWindowTest {};

TEST_F(MainFrameClose, EveryWayOfClosing) {
  const struct {
    const char* name;
    bool tray;
    Choice remembered;
    bool quit;                                  // the Quit command, not the close box
    std::function<void(ReduceDialog*)> answer;  // empty: no question
    bool failSave;                              // the settings cannot be written; "No" to quitting anyway
    bool exits, hidden, iconized;
    Choice after;
  } cases[] = {
      {"exit", false, kNothing, false, [](ReduceDialog* d) { Press(d, "&Exit"); }, false, true, false, false, kNothing},
      {"reduce remembered, no tray", false, kNothing, false, [](ReduceDialog* d) { Remember(d), Press(d, "&Reduce"); },
       false, false, false, true, kReduce},
      {"reduce, tray", true, kNothing, false, [](ReduceDialog* d) { Press(d, "&Reduce"); }, false, false, true, false,
       kNothing},
      {"exit remembered", true, kNothing, false, [](ReduceDialog* d) { Remember(d), Press(d, "&Exit"); }, false, true,
       false, false, kExit},
      {"cancel remembers nothing", false, kNothing, false, [](ReduceDialog* d) { Remember(d), Press(d, "Cancel"); },
       false, false, false, false, kNothing},
      {"escape", false, kNothing, false, [](ReduceDialog*) { wxUIActionSimulator().Char(WXK_ESCAPE); }, false, false,
       false, false, kNothing},
      {"the question's close box", true, kNothing, false,
       [](ReduceDialog* d) { Remember(d), SendCloseBox(d->GetTitle()); }, false, false, false, false, kNothing},
      {"reduce remembered, tray", true, kReduce, false, nullptr, false, false, true, false, kReduce},
      {"reduce remembered, no tray", false, kReduce, false, nullptr, false, false, false, true, kReduce},
      {"exit remembered", false, kExit, false, nullptr, false, true, false, false, kExit},
      {"quit while reduce is remembered", true, kReduce, true, nullptr, false, true, false, false, kReduce},
      {"quit, settings not written, stay", false, kNothing, true, nullptr, true, false, false, false, kNothing},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<FakeTray> tray(c.tray ? new FakeTray : nullptr);
    ASSERT_EQ(c.tray, wxTaskBarIcon::IsAvailable());
    Config* config = Config::GetInstance();
    config->SetRememberClose(c.remembered != kNothing);
    config->SetClose(c.remembered == kExit);
    guitest::SpyMainFrame* frame = Open();
    auto* preferences = FindChild<PreferencesFrame>(frame, [](PreferencesFrame*) { return true; });
    preferences->Show(true);
    saves = 0;
    failSaves = c.failSave;
    boxes.answer = wxID_NO;
    boxes.seen.clear();

    std::unique_ptr<Answer> answer(c.answer ? new Answer(c.answer) : nullptr);
    wxCommandEvent quit;
    if (c.quit) frame->OnQuit(quit);
    else ASSERT_TRUE(SendCloseBox(frame->GetTitle()));
    EXPECT_TRUE(guitest::PumpUntil([&] {
      if (answer && !answer->done) return false;
      if (c.exits && saves == 0) return false;
      if (c.failSave && boxes.seen.empty()) return false;
      return c.exits ? Gone() : c.hidden ? !frame->IsShown() : (frame->iconized || !c.iconized);
    }));
    guitest::Pump(50);
    EXPECT_EQ(c.exits, Gone());
    EXPECT_EQ(c.exits ? 1 : 0, saves);
    EXPECT_EQ(c.failSave ? 1u : 0u, boxes.seen.size());
    EXPECT_EQ(c.after != kNothing, config->GetRememberClose());
    EXPECT_EQ(c.after == kExit, config->GetRememberClose() && config->GetClose());
    if (c.exits) continue;
    EXPECT_EQ(!c.hidden, frame->IsShown());
    EXPECT_EQ(c.iconized, frame->iconized);
    // Reducing takes the docked windows down too; anything else leaves them.
    EXPECT_EQ(!c.hidden && !c.iconized, preferences->IsShown());
    failSaves = false;
    saves = 0;
    frame->OnQuit(quit);
    ASSERT_TRUE(guitest::PumpUntil(Gone));
    // The settings are written once at the end, not again when the program's loop ends.
    startup::EndApplication();
    EXPECT_EQ(1, saves);
  }
}

// Asked whether to quit all the same when the settings cannot be written, the user who closes
// the question from its title bar has not agreed to lose them: the program stays.
TEST_F(MainFrameClose, TheSaveQuestionClosedUnansweredKeepsTheProgram) {
  guitest::SpyMainFrame* frame = Open();
  saves = 0;
  failSaves = true;
  boxes.answer = wxID_NONE;
  boxes.seen.clear();
  CloseWhenShown closer("Save error");
  wxCommandEvent quit;
  frame->OnQuit(quit);
  EXPECT_TRUE(closer.sent);
  guitest::Pump(50);
  EXPECT_EQ(1u, boxes.seen.size());
  ASSERT_FALSE(Gone());
  EXPECT_TRUE(frame->IsShown());
  EXPECT_EQ(0, saves);
  failSaves = false;
  frame->OnQuit(quit);
  ASSERT_TRUE(guitest::PumpUntil(Gone));
  EXPECT_EQ(1, saves);
}

// Reduced to the tray, or iconised without one, the main window takes every comments window on
// screen down with it, however many go one after the other: those of open sites stay, hidden;
// those whose page has closed (two shown before it closed, one made afterwards from a room's
// tab) go, unless they hold text typed and not sent while their room's tab is open: those stay,
// hidden, with the text.
TEST_F(MainFrameClose, ReducingHidesEveryCommentsWindow) {
  comments::SetBaseAddress("http://127.0.0.1:9/");
  Config::GetInstance()->SetRememberClose(true);
  Config::GetInstance()->SetClose(false);
  for (const bool withTray : {true, false}) {
    SCOPED_TRACE(withTray ? "tray" : "no tray");
    std::unique_ptr<FakeTray> tray(withTray ? new FakeTray : nullptr);
    guitest::SpyMainFrame* frame = Open();
    // Made by a room's opening or, once the page closed, asked for from its room's tab.
    const struct {
      const char* url;
      bool madeByRoom, pageClosed;
      const char* typed;  // and not sent
      bool tab;           // the room's tab open
    } windows[] = {{"http://closed1.example/", true, true, "", false},  {"http://closed2.example/", true, true, "", true},
                   {"http://open1.example/", true, false, "", false},   {"http://closed3.example/", false, true, "", true},
                   {"http://open2.example/", true, false, "", false},   {"http://typed1.example/", true, true, "half", true},
                   {"http://typed2.example/", false, true, "all", true}, {"http://typed3.example/", false, true, "x", false}};
    auto* rooms = FindChild<ChatRoomsNotebook>(frame, [](ChatRoomsNotebook*) { return true; });
    std::vector<wxWeakRef<CommentsFrame>> going, kept;
    std::vector<wxString> titles;
    for (const auto& w : windows) {
      if (w.madeByRoom) CommentsFrame::CreateCommentsFor(frame, frame, GetManager(), w.url, "", 99.0f, "", 99);
      if (w.tab) rooms->CreateChatRoom(w.url, w.url, "Chatroom opened");
      frame->OpenComments(w.url);
      wxWeakRef<CommentsFrame> shown(CommentsFrame::Find(w.url));
      ASSERT_TRUE(shown && guitest::PumpUntil([&] { return shown->IsShownOnScreen(); })) << w.url;
      if (*w.typed) guitest::Type(shown->GetCommentText(), w.typed);
      (w.pageClosed && !(*w.typed && w.tab) ? going : kept).push_back(shown);
      titles.push_back(shown->GetTitle());
    }
    for (const auto& w : windows)
      if (w.madeByRoom && w.pageClosed) CommentsFrame::SiteClosed(w.url);

    ASSERT_TRUE(SendCloseBox(frame->GetTitle()));
    EXPECT_TRUE(guitest::PumpUntil([&] { return withTray ? !frame->IsShown() : frame->iconized; }));
    for (const wxString& title : titles)
      EXPECT_TRUE(guitest::PumpUntil([&] { return guitest::ShownWindowTitled(title) == 0; })) << title;
    for (const wxWeakRef<CommentsFrame>& w : going) EXPECT_TRUE(guitest::PumpUntil([&] { return !w; }));
    for (const wxWeakRef<CommentsFrame>& w : kept) {
      ASSERT_TRUE(w);
      EXPECT_FALSE(w->IsShown());
      EXPECT_EQ(w.get(), CommentsFrame::Find(w->GetURL()));
    }
    EXPECT_EQ("half", kept[2]->GetCommentText()->GetValue());
    EXPECT_EQ("all", kept[3]->GetCommentText()->GetValue());
    wxCommandEvent quit;
    frame->OnQuit(quit);
    ASSERT_TRUE(guitest::PumpUntil(Gone));
    startup::EndApplication();
  }
  comments::SetBaseAddress("");
}

}  // namespace
