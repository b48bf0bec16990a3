// The preferences window under a real window manager, beside windows kept on top.
#include <gtest/gtest.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include "gui/loginDialog.h"
#include "gui/preferencesFrame.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "tests/gui/mainWindowFixture.h"
#include "tests/program/desktopProgram.h"

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
