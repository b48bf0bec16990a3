// The tool bar of the real main window driven by real clicks: what each button opens, where the
// small windows dock and how they follow the main window, the connection button's two looks
// against a test server, the chat-rooms button, and the blinking of the contacts-manager button.
#include <gtest/gtest.h>
#include <wx/bmpbuttn.h>
#include <wx/timer.h>

#include "gui/aboutFrame.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/contacts/contactsShortFrame.h"
#include "gui/rooms/filesFrame.h"
#include "gui/preferencesFrame.h"
#include "gui/toolBar.h"
#include "gui/sites/webSitesShortFrame.h"
#include "tests/gui/mainWindowFixture.h"

namespace {

using guitest::ClickUntil;
using guitest::FindChild;
using guitest::PumpUntil;

template <class T>
T* Find(wxWindow* parent) {
  return FindChild<T>(parent, [](T*) { return true; });
}

wxBitmapButton* Button(ToolBar* bar, const wxString& tip) {
  return FindChild<wxBitmapButton>(bar, [&](wxBitmapButton* b) { return b->GetToolTipText() == tip; });
}

// The window hangs off the main window's left edge with its top level with `button`.
bool DockedAt(wxWindow* window, wxWindow* main, wxWindow* button) {
  const wxRect r = window->GetRect();
  return r.GetRight() + 1 == main->GetPosition().x && r.y == button->GetScreenPosition().y;
}

class ToolBarTest : public guitest::MainWindowTest {};

TEST_F(ToolBarTest, EveryButtonDoesWhatItSays) {
  testserver::TestServer& server = UseTestServer();
  guitest::SpyMainFrame* frame = Open();
  auto* bar = Find<ToolBar>(frame);
  auto* preferences = Find<PreferencesFrame>(frame);
  auto* sites = Find<WebSitesShortFrame>(frame);
  auto* contacts = Find<ContactsShortFrame>(frame);
  auto* about = Find<AboutFrame>(frame);
  auto* files = Find<FilesFrame>(frame);
  auto* rooms = Find<ChatRoomsNotebook>(frame);
  ASSERT_TRUE(bar && preferences && sites && contacts && about && files && rooms);

  // Seven buttons at first, the chat-rooms button hidden, nothing blinking.
  int shown = 0;
  for (wxBitmapButton* b : guitest::FindChildren<wxBitmapButton>(bar)) shown += b->IsShown() ? 1 : 0;
  EXPECT_EQ(7, shown);
  EXPECT_FALSE(Button(bar, "Show chatrooms")->IsShown());
  EXPECT_FALSE(bar->IsBlinking());

  // The connection button starts a log-in; once the server accepts it the button says so.
  ClickUntil(Button(bar, "Click to connect"), [] { return !GetManager()->IsDisconnected(); });
  auto link = AcceptLogIn(server);
  ASSERT_TRUE(link);
  ASSERT_TRUE(PumpUntil([&] { return Button(bar, "Click to disconnect") != nullptr; }));

  const struct {
    const char* tip;
    wxWindow* opens;
    std::vector<wxWindow*> hidden;  // shown before the click, hidden by it
  } rows[] = {
      {"Show preferences", preferences, {}},
      {"Sites manager", sites, {preferences}},
      {"Parlavoxers manager", contacts, {sites}},
      {"Show preferences", preferences, {contacts}},
      {"Download/Upload files", files, {}},
      {"About Parlavox", about, {preferences}},
  };
  bar->BlinkContactsManager(-1);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.tip);
    wxBitmapButton* button = Button(bar, row.tip);
    ClickUntil(button, [&] { return row.opens->IsShown(); });
    for (wxWindow* w : row.hidden) EXPECT_FALSE(w->IsShown());
    if (row.opens != files) { EXPECT_TRUE(DockedAt(row.opens, frame, button)); }
  }
  // The contacts manager's button ended even an endless blink.
  EXPECT_FALSE(bar->IsBlinking());
  EXPECT_EQ(0, bar->GetBlinkCount());

  // A second click on an open window's button leaves it open.
  // Once the press has reached the button, its release is let through before looking.
  EXPECT_TRUE(guitest::ClickOn(Button(bar, "About Parlavox")));
  guitest::Pump(100);
  EXPECT_TRUE(about->IsShown());

  // Moving the main window takes the docked windows along, hidden ones too.
  frame->Move(frame->GetPosition() + wxPoint(120, 40));
  EXPECT_TRUE(PumpUntil([&] {
    return DockedAt(about, frame, Button(bar, "About Parlavox")) &&
           DockedAt(contacts, frame, Button(bar, "Parlavoxers manager")) &&
           DockedAt(preferences, frame, Button(bar, "Show preferences"));
  }));
  EXPECT_FALSE(contacts->IsShown());

  // The chat-rooms button, once shown, opens the rooms and goes away.
  rooms->Show(false);
  frame->ShowChatRoomsButton();
  wxBitmapButton* roomsButton = Button(bar, "Show chatrooms");
  ASSERT_TRUE(PumpUntil([&] { return roomsButton->IsShownOnScreen(); }));
  ClickUntil(roomsButton, [&] { return rooms->IsShown() && !roomsButton->IsShown(); });

  // The connection button ends the session.
  frame->Raise();
  ClickUntil(Button(bar, "Click to disconnect"), [] { return !GetManager()->IsConnected(); });
  EXPECT_TRUE(link->WaitClosed());

  // The exit button quits without a question.
  frame->Raise();
  ClickUntil(Button(bar, "Exit Parlavox"), Gone);
  EXPECT_TRUE(boxes.seen.empty()) << boxes.seen[0];
}

TEST_F(ToolBarTest, BlinkCountsDownStaysEndlessAndEndsOnClick) {
  guitest::SpyMainFrame* frame = Open();
  auto* bar = Find<ToolBar>(frame);
  wxTimer timer;
  wxTimerEvent tick(timer);
  auto ticks = [&](int n) {
    int lit = 0;
    for (int i = 0; i < n; ++i) {
      bar->OnBlinkTimer(tick);
      lit += bar->IsBlinkFrameLit() ? 1 : 0;
    }
    return lit;
  };
  // Sixty ticks: thirty lit, then the button rests unlit and the timer stops.
  bar->BlinkContactsManager(60);
  EXPECT_TRUE(bar->IsBlinking());
  bar->OnBlinkTimer(tick);
  EXPECT_TRUE(bar->IsBlinkFrameLit());
  EXPECT_EQ(29, ticks(59));
  EXPECT_FALSE(bar->IsBlinking());
  EXPECT_FALSE(bar->IsBlinkFrameLit());

  // A new announcement while 20 ticks remain starts the count again.
  bar->BlinkContactsManager(60);
  ticks(40);
  EXPECT_EQ(20, bar->GetBlinkCount());
  bar->BlinkContactsManager(60);
  EXPECT_EQ(60, bar->GetBlinkCount());

  // Endless is never shortened; 0 blinks until the button is clicked, from either frame.
  const struct {
    int first, second, expected;
  } endless[] = {{-1, 60, -1}, {0, 0, 0}, {-1, 0, -1}};
  for (const auto& row : endless) {
    SCOPED_TRACE(row.first);
    bar->BlinkContactsManager(row.first);
    bar->BlinkContactsManager(row.second);
    EXPECT_EQ(row.expected, bar->GetBlinkCount());
    ticks(201);
    EXPECT_TRUE(bar->IsBlinking());
    EXPECT_TRUE(bar->IsBlinkFrameLit());
    ClickUntil(Button(bar, "Parlavoxers manager"), [&] { return !bar->IsBlinking(); });
    EXPECT_FALSE(bar->IsBlinkFrameLit());
    EXPECT_EQ(0, bar->GetBlinkCount());
    // The next blink starts with the lit frame.
    bar->BlinkContactsManager(60);
    bar->OnBlinkTimer(tick);
    EXPECT_TRUE(bar->IsBlinkFrameLit());
    bar->BlinkContactsManager(1);
    bar->OnBlinkTimer(tick);
    EXPECT_FALSE(bar->IsBlinking());
  }

  // The connection button's looks, and the chat-rooms count.
  const struct {
    int connected;
    const char* tip;
  } looks[] = {{1, "Click to disconnect"}, {0, "Click to connect"}, {5, "Click to disconnect"}, {0, "Click to connect"}};
  for (const auto& look : looks) {
    bar->SetConnectionStatus(look.connected);
    EXPECT_TRUE(Button(bar, look.tip)) << look.connected;
  }
  bar->ShowChatRoomsButton(true);
  wxBitmapButton* roomsButton = Button(bar, "Show chatrooms");
  bar->SetChatRoomsCount(3);
  EXPECT_TRUE(roomsButton->IsShown());
  bar->SetChatRoomsCount(0);
  EXPECT_FALSE(roomsButton->IsShown());
}

}  // namespace
