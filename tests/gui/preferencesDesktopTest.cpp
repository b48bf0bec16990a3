// The preferences window under a real window manager, beside windows kept on top, and the
// "Always on top" choice made there as the program runs.
#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <functional>

#include "gui/aboutFrame.h"
#include "gui/contacts/contactsShortFrame.h"
#include "gui/loginDialog.h"
#include "gui/preferencesFrame.h"
#include "gui/profiles/contactInfoFrame.h"
#include "gui/profiles/contactInfoToolTip.h"
#include "gui/rooms/chatRoomPanel.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/rooms/commentsFrame.h"
#include "gui/rooms/commentsPageLoader.h"
#include "gui/rooms/filesFrame.h"
#include "gui/rooms/myTextCtrl.h"
#include "gui/rooms/writeMessagePanel.h"
#include "gui/sites/contactButtonBitmap.h"
#include "gui/sites/webSiteInfoFrame.h"
#include "tests/gui/httpTestServer.h"
#include "tests/gui/mainWindowFixture.h"
#include "tests/gui/sites/sitesSessionFixture.h"
#include "tests/program/desktopProgram.h"
#include "tests/program/screen.h"

namespace {

using guitest::ButtonLabelled;
using guitest::FindChild;
using guitest::FindChildren;

wxTextCtrl* Field(wxWindow* w, int n) { return FindChildren<wxTextCtrl>(w).at(n); }

}  // namespace

namespace {

// Under a real window manager, with the main window and the chat rooms kept on top or not: the
// preferences window opened from the main window lies in front of them where they overlap (the
// pointer over its caption is over it), takes real clicks and keys, and once cancelled hands the
// keyboard back to the field the user was typing in.
class PreferencesOnADesktop : public guitest::MainWindowTest {};

TEST_F(PreferencesOnADesktop, InFrontOfTheWindowsKeptOnTopAndTheKeyboardGoesBack) {
  auto manager = programtest::DesktopProgram::WindowManager();
  ASSERT_TRUE(manager->Up()) << manager->Errors();
  for (const bool onTop : {true, false}) {
    SCOPED_TRACE(onTop ? "kept on top" : "not on top");
    Config::GetInstance()->SetAlwaysTopStatus(onTop);
    guitest::SpyMainFrame* frame = Open();
    frame->OnSwitchChatRooms();
    ChatRoomsNotebook* rooms = nullptr;
    for (wxWindow* top : wxTopLevelWindows)
      if (auto* found = dynamic_cast<ChatRoomsNotebook*>(top)) rooms = found;
    ASSERT_TRUE(rooms);
    // The chat rooms stand over the place where the preferences dock, left of the main window.
    rooms->SetSize(0, 0, frame->GetScreenPosition().x + 60, 700);
    ASSERT_TRUE(guitest::PumpUntil([&] { return guitest::Managed(rooms) && rooms->GetScreenRect().GetRight() > 700; }));

    wxTextCtrl* login = FindChildren<wxTextCtrl>(frame->GetLoginPanel()).at(0);
    ASSERT_TRUE(guitest::PumpUntil([&] { return guitest::Managed(login); }));
    ASSERT_TRUE(guitest::ClickOn(login, [&] { return login->HasFocus(); }));
    frame->OnSwitchPreferences();
    auto* window = FindChild<PreferencesFrame>(frame, [](PreferencesFrame*) { return true; });
    wxWindow* caption = window->GetChildren().front();
    ASSERT_TRUE(guitest::PumpUntil([&] { return guitest::Managed(caption); }));
    ASSERT_TRUE(rooms->GetScreenRect().Contains(window->GetScreenPosition() + wxPoint(8, 8)));
    ASSERT_TRUE(guitest::MovePointer(caption, caption->GetScreenPosition() + wxPoint(8, 4)));

    wxTextCtrl* delay = Field(window, 0);
    ASSERT_TRUE(guitest::ClickOn(delay, [&] { return delay->HasFocus(); }));
    wxUIActionSimulator sim;
    sim.Char('a', wxMOD_CONTROL);
    sim.Text("42");
    EXPECT_TRUE(guitest::PumpUntil([&] { return delay->GetValue() == "42"; })) << delay->GetValue();

    ASSERT_TRUE(guitest::ClickOn(ButtonLabelled(window, "&Cancel"), [&] { return !window->IsShown(); }));
    EXPECT_TRUE(guitest::PumpUntil([&] { return login->HasFocus() && frame->IsActive(); }, 5000));
    login->SetInsertionPointEnd();
    sim.Text("z");
    EXPECT_TRUE(guitest::PumpUntil([&] { return login->GetValue().EndsWith("z"); }, 5000)) << login->GetValue();
    frame->Close(true);
    ASSERT_TRUE(guitest::PumpUntil(Gone));
  }
}

}  // namespace

namespace {

const char kSite[] = "http://www.ontop.example/";

// The whole program under a window manager, "Always on top" changed from the preferences window
// as a user changes it, by real clicks: the gear button, the box, Save.
class OnTopOnADesktop : public programtest::UnderWindowManager<sitestest::SitesSession> {
 protected:
  void SetUp() override {
    UnderWindowManager::SetUp();
    comments::SetBaseAddress(m_pages.Url("/"));
  }
  void TearDown() override {
    comments::SetBaseAddress("");
    UnderWindowManager::TearDown();
  }
  // The site open in the browser, with its comments and its panel, and its room entered from the
  // panel: the chat rooms.
  SitePanel* OpenTheSiteAndItsRoom() {
    EXPECT_TRUE(Until([&] { return LocalServer::Instance() && Sites() && Sites()->IsShownOnScreen(); }));
    Answer(Browse(kSite));
    EXPECT_TRUE(Until([&] { return Sites()->FindSitePanel(kSite) && CommentsFrame::Find(kSite); }));
    Frame()->SubscribeChatRoom(kSite);
    EXPECT_TRUE(Until([&] { return Rooms()->IsChatRoomOpened(kSite); }));
    return Sites()->FindSitePanel(kSite);
  }
  // A real click on the main window's tool-bar button with this tip, the window brought to the
  // front first where another one covers the button.
  bool ClickToolBar(const wxString& tip, const std::function<bool()>& done) {
    wxWindow* button = ToolBarButton(tip);
    return button && guitest::MovePointer(button, guitest::Middle(button)) && guitest::ClickOn(button, done);
  }
  void Choose(bool onTop) {
    auto* preferences = Satellite<PreferencesFrame>();
    ASSERT_TRUE(ClickToolBar("Show preferences", [&] { return guitest::Managed(preferences); }))
        << "the preferences shown " << preferences->IsShown() << ", in the state " << guitest::ManagedState(preferences)
        << "; the main window active " << Frame()->IsActive();
    wxCheckBox* box = FindChildren<wxCheckBox>(preferences).at(4);
    ASSERT_TRUE(guitest::ClickOn(box, [&] { return box->GetValue() == onTop; }));
    ASSERT_TRUE(guitest::ClickOn(ButtonLabelled(preferences, "&Save"), [&] { return !preferences->IsShown(); }));
    ASSERT_EQ(onTop, Config::GetInstance()->GetAlwaysTopStatus());
  }
  // The window manager shows the window in the layer of the choice.
  ::testing::AssertionResult InLayer(wxTopLevelWindow* window, bool onTop) {
    if (Until([&] { return guitest::Managed(window) && guitest::KeptAbove(window) == onTop; }, 5000))
      return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << (onTop ? "not kept on top" : "kept on top") << ", shown "
                                         << guitest::Managed(window);
  }
  // Once the window is active, a key typed lands in it.
  ::testing::AssertionResult TypedInto(wxTopLevelWindow* window, wxTextCtrl* field = nullptr) {
    if (!Until([&] { return window->IsActive(); }, 5000))
      return ::testing::AssertionFailure() << "not active" << (Frame()->IsActive() ? "; the main window is" : "");
    guitest::KeyPresses presses;
    const wxString before = field ? field->GetValue() : wxString();
    if (!m_keyboard.Type("k") || !Until([&] { return presses.count == 1; }, 5000))
      return ::testing::AssertionFailure() << "the key went nowhere";
    if (!window->IsActive() || (field && field->GetValue() != before + "k"))
      return ::testing::AssertionFailure() << "the key went elsewhere";
    return ::testing::AssertionSuccess();
  }
  guitest::HttpTestServer m_pages;
  programtest::Keyboard m_keyboard;
  programtest::Screen m_screen;
};

// Turned on and then off while the program runs, the choice reaches every kind of window the
// program opens: at once where it is on screen, when it shows where it is not, and again each
// time it is hidden and shown. The keyboard goes back to the main window after a Cancel of the
// preferences opened by its gear button, and when the chat rooms opened from its tool bar close;
// a window closed while one shown after it is still on screen hands it back to none.
TEST_F(OnTopOnADesktop, TheChoiceReachesEveryWindowAndTheKeyboardGoesBack) {
  // bob on the site too: his avatar in the site's panel, for his tip.
  SitePanel* panel = nullptr;
  ASSERT_NO_FATAL_FAILURE(panel = OpenTheSiteAndItsRoom());
  standintest::TestUser& bob = LogIn("bob");
  bob.Link().SendOpenChatRoom(bob.Key(), kSite);
  ASSERT_TRUE(Until([&] { return panel->FindContact("bob"); }));

  const auto hover = [&]() -> wxTopLevelWindow* {
    wxWindow* avatar = panel->FindContact("bob");
    EXPECT_TRUE(guitest::MovePointer(avatar, guitest::Middle(avatar)));
    EXPECT_TRUE(Until([&] { return panel->GetContactToolTip() && panel->GetContactToolTip()->IsShown(); }));
    return panel->GetContactToolTip();
  };
  const struct {
    const char* name;
    std::function<wxTopLevelWindow*()> show;
  } kinds[] = {
      {"main window", [&] { Frame()->Show(true); return Frame(); }},
      {"chat rooms", [&] { Frame()->OnSwitchChatRooms(); return Rooms(); }},
      {"preferences", [&] { Frame()->OnSwitchPreferences(); return Satellite<PreferencesFrame>(); }},
      {"contacts manager", [&] { Frame()->OnSwitchContactsManager(); return Satellite<ContactsShortFrame>(); }},
      {"sites manager", [&] { Frame()->OnSwitchWebSitesManager(); return Satellite<WebSitesShortFrame>(); }},
      {"about box", [&] { wxCommandEvent about; Frame()->OnAbout(about); return Satellite<AboutFrame>(); }},
      {"file transfers", [&] { Frame()->OnSwitchFiles(); return Satellite<FilesFrame>(); }},
      {"profile", [&] {
         ContactInfoFrame::OpenContactInfoFor("bob");
         return ContactInfoFrame::GetContactInfoFor("bob");
       }},
      {"comments", [&] { CommentsFrame::OpenCommentsFor(kSite); return CommentsFrame::Find(kSite); }},
      {"site settings", [&] {
         wxCommandEvent settings(wxEVT_MENU, ID_SITE_PROFILE);
         panel->GetEventHandler()->ProcessEvent(settings);
         return FindChild<WebSiteInfoFrame>(panel, [](WebSiteInfoFrame*) { return true; });
       }},
      {"contact tip", hover},
  };
  // Hidden as a user hides it: the tip by the pointer leaving the avatar, the others as their close
  // box or button hides them.
  const auto hide = [&](wxTopLevelWindow* window) {
    if (window == panel->GetContactToolTip()) guitest::SendPointerTo(Frame()->GetScreenPosition() + wxPoint(5, 5));
    else window->Show(false);
    return Until([&] { return !window->IsShown() && guitest::ManagedState(window) == 0; });
  };
  for (const bool onTop : {true, false}) {
    SCOPED_TRACE(onTop ? "turned on" : "turned off");
    // Turned on with every kind made and hidden but the main window; turned off with each on
    // screen as the turn before left it, but the small ones beside the main window, which the
    // preferences window hides.
    if (onTop) {
      for (const auto& kind : kinds) {
        wxTopLevelWindow* window = kind.show();
        ASSERT_TRUE(window && Until([&] { return guitest::Managed(window); })) << kind.name;
        if (window != Frame()) {
          ASSERT_TRUE(hide(window)) << kind.name;
        }
      }
    }
    ASSERT_NO_FATAL_FAILURE(Choose(onTop));
    // The gear button again, and Cancel: the keyboard is back in the main window.
    auto* preferences = Satellite<PreferencesFrame>();
    ASSERT_TRUE(ClickToolBar("Show preferences", [&] { return preferences->IsActive(); }));
    EXPECT_TRUE(InLayer(preferences, onTop));
    ASSERT_TRUE(guitest::ClickOn(ButtonLabelled(preferences, "&Cancel"), [&] { return !preferences->IsShown(); }));
    EXPECT_TRUE(TypedInto(Frame()));
    for (const auto& kind : kinds) {
      SCOPED_TRACE(kind.name);
      wxTopLevelWindow* window = kind.show();
      EXPECT_TRUE(InLayer(window, onTop)) << "shown";
      ASSERT_TRUE(hide(window));
      EXPECT_TRUE(InLayer(kind.show(), onTop)) << "shown again";
    }
  }

  // Every window but the main one put away, the chat rooms by their close box.
  for (wxWindow* window : wxTopLevelWindows)
    if (window != Frame() && window != Rooms() && window->IsShown()) {
      ASSERT_TRUE(hide(static_cast<wxTopLevelWindow*>(window)));
    }
  ASSERT_TRUE(m_screen.Close(guitest::TopLevelXWindow(Rooms())));
  ASSERT_TRUE(Until([&] { return guitest::ManagedState(Rooms()) == 0; }));
  MyTextCtrl* input = Rooms()->GetChatRoom(kSite)->GetWriteMessagePanel()->GetTextCtrl();
  // From the main window's tool bar; the user types in the room and closes the window.
  ASSERT_TRUE(ClickToolBar("Show chatrooms", [&] { return guitest::Managed(Rooms()); }));
  ASSERT_TRUE(guitest::ClickOn(input, [&] { return input->HasFocus(); }));
  ASSERT_TRUE(TypedInto(Rooms(), input));
  ASSERT_TRUE(m_screen.Close(guitest::TopLevelXWindow(Rooms())));
  EXPECT_TRUE(TypedInto(Frame()));

  // The preferences opened from the gear button, the chat rooms since (the preferences cover their
  // button): the user goes back to the preferences and cancels them, and the keyboard stays with
  // the chat rooms.
  auto* preferences = Satellite<PreferencesFrame>();
  ASSERT_TRUE(ClickToolBar("Show preferences", [&] { return guitest::Managed(preferences); }));
  Frame()->OnSwitchChatRooms();
  ASSERT_TRUE(Until([&] { return guitest::Managed(Rooms()); }));
  ASSERT_TRUE(guitest::ClickOn(input, [&] { return input->HasFocus() && Rooms()->IsActive(); }));
  wxTextCtrl* delay = Field(preferences, 0);
  ASSERT_TRUE(guitest::ClickOn(delay, [&] { return delay->HasFocus() && preferences->IsActive(); }));
  ASSERT_TRUE(guitest::ClickOn(ButtonLabelled(preferences, "&Cancel"), [&] { return !preferences->IsShown(); }));
  EXPECT_TRUE(TypedInto(Rooms(), input));
  EXPECT_TRUE(guitest::StackedAbove(Rooms(), Frame())) << "the main window was brought over the chat rooms";
}

}  // namespace
