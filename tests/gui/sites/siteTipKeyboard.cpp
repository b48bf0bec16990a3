#include "tests/gui/sites/siteTipKeyboard.h"

#include <gtest/gtest.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "gui/rooms/chatRoomPanel.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/rooms/myTextCtrl.h"
#include "gui/rooms/writeMessagePanel.h"
#include "gui/sites/siteInfoToolTip.h"
#include "tests/program/keyboard.h"
#include "widgets/toolkitFunction.h"

// Last: the X headers' names would shadow the tool kit's.
#include <X11/Xlib.h>

namespace sitestest {

bool StackedAbove(wxWindow* upper, wxWindow* lower) {
  using Of = void* (*)(void*);
  using Xid = unsigned long (*)(void*);
  static const auto windowOf = toolkit::Find<Of>("gtk_widget_get_window");
  static const auto xidOf = toolkit::Find<Xid>("gdk_x11_window_get_xid");
  Display* display = XOpenDisplay(nullptr);
  if (!display || !windowOf || !xidOf) return false;
  const Window root = DefaultRootWindow(display);
  const auto children = [&](Window of, Window* parent) {
    Window top = 0, up = 0, *list = nullptr;
    unsigned count = 0;
    std::vector<Window> found;
    if (XQueryTree(display, of, &top, &up, &list, &count)) found.assign(list, list + count);
    if (list) XFree(list);
    if (parent) *parent = up;
    return found;
  };
  const auto onRoot = [&](wxWindow* w) {
    Window at = xidOf(windowOf(w->GetHandle())), parent = 0;
    while (at && (children(at, &parent), parent != root)) at = parent;
    return at;
  };
  // The root's children, from the bottom up.
  const std::vector<Window> stack = children(root, nullptr);
  const auto above = std::find(stack.begin(), stack.end(), onRoot(upper));
  const auto below = std::find(stack.begin(), stack.end(), onRoot(lower));
  XCloseDisplay(display);
  return above != stack.end() && below != stack.end() && above > below;
}

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
  EXPECT_TRUE(StackedAbove(tip, Frame())) << "the tip under the main window";
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
