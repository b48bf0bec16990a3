#include "tests/gui/sites/siteTipKeyboard.h"

#include <gtest/gtest.h>
#include <wx/uiaction.h>

#include <functional>

#include "gui/rooms/chatRoomPanel.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/rooms/myTextCtrl.h"
#include "gui/rooms/writeMessagePanel.h"
#include "gui/sites/siteInfoToolTip.h"
#include "tests/program/keyboard.h"

namespace sitestest {

void SiteTipKeyboardSession::TypeWhileTheTipComesAndGoes() {
  ASSERT_TRUE(Until([&] { return LocalServer::Instance() && Sites() && Sites()->IsShownOnScreen(); }));
  const std::string site = "http://keys.example/";
  Answer(Browse(site));
  ASSERT_TRUE(Until([&] { return Sites()->FindSitePanel(site) != nullptr; }));
  SitePanel* panel = Sites()->FindSitePanel(site);
  PickSiteMenu(panel, 1);
  ASSERT_TRUE(Until([&] { return Rooms()->IsChatRoomOpened(site) && Rooms()->IsShownOnScreen(); }));
  MyTextCtrl* input = Rooms()->GetChatRoom(site)->GetWriteMessagePanel()->GetTextCtrl();
  // The user works in the rooms' window, the main window beside it.
  Rooms()->Raise();
  ASSERT_TRUE(Until([&] { return Rooms()->IsActive(); }));
  ASSERT_TRUE(guitest::ClickOn(input, [&] { return input->HasFocus(); }));
  wxWindow* name = panel->GetSiteLabel()->GetInnerText();
  SiteInfoToolTip* tip = panel->GetSiteToolTip();

  // A key at a time, each waited for in the box: one that went elsewhere never comes.
  programtest::Keyboard keyboard;
  std::string typed;
  const auto typeUntil = [&](const char* when, const std::function<bool()>& done, int atLeast) {
    for (int keys = 0; keys < atLeast || !done(); ++keys) {
      if (keys == 200) return ::testing::AssertionFailure() << when << ": never came";
      typed += char('a' + typed.size() % 26);
      if (!keyboard.Type(typed.substr(typed.size() - 1))) return ::testing::AssertionFailure() << "no keyboard";
      if (!Until([&] { return input->GetValue() == wxString(typed); }, 5000))
        return ::testing::AssertionFailure() << when << ": the box has \"" << input->GetValue() << "\" of \""
                                             << typed << "\"";
    }
    return ::testing::AssertionSuccess();
  };
  ASSERT_TRUE(typeUntil("before", [] { return true; }, 2));
  // Sent once: the helpers that send it again bring the main window to the front first.
  guitest::SendPointerTo(guitest::Middle(name));
  ASSERT_TRUE(Until([&] { return guitest::PointerRestsOn(name, guitest::Middle(name)); }));
  ASSERT_TRUE(typeUntil("on the name", [&] { return tip->IsShownOnScreen(); }, 1));
  ASSERT_TRUE(typeUntil("with the tip up", [&] { return tip->IsShownOnScreen(); }, 8));
  EXPECT_TRUE(guitest::StackedAbove(tip, Frame())) << "the tip under the main window";
  guitest::SendPointerTo(Frame()->GetScreenRect().GetTopLeft() + wxPoint(5, 5));
  ASSERT_TRUE(typeUntil("leaving the name", [&] { return !tip->IsShown(); }, 1));
  ASSERT_TRUE(typeUntil("with the tip gone", [] { return true; }, 8));

  // Shown again and clicked, which hides it: the keyboard stays in the room.
  guitest::SendPointerTo(guitest::Middle(name));
  ASSERT_TRUE(typeUntil("on the name again", [&] { return tip->IsShownOnScreen(); }, 1));
  guitest::SendPointerTo(guitest::Middle(tip));
  ASSERT_TRUE(Until([&] { return guitest::PointerRestsOn(tip, guitest::Middle(tip)); }));
  wxUIActionSimulator().MouseClick();
  ASSERT_TRUE(Until([&] { return !tip->IsShown(); })) << "a click on the tip left it";
  ASSERT_TRUE(typeUntil("after a click on the tip", [] { return true; }, 8));
  EXPECT_TRUE(input->HasFocus());
  EXPECT_TRUE(Rooms()->IsActive());
}

}  // namespace sitestest
