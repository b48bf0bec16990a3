// A real tray host and window manager beside the program: reduced to the tray, the main window
// comes back iconised when the tray goes away.
#include <gtest/gtest.h>
#include <wx/taskbar.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include "gui/myTaskBar.h"
#include "tests/gui/mainWindowFixture.h"
#include "tests/program/desktopProgram.h"

// Last: Xlib's macros would clash with the toolkit's names.
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include <algorithm>
#include <string>

namespace {

using guitest::PumpUntil;

class Tray : public guitest::MainWindowTest {};

// The program's tray icons on the display, mapped: `inTray` of them held by a tray host, the
// others left standing on their own.
struct Icons {
  int inTray = 0;
  int astray = 0;
  // One held by a tray host, where the user clicks it.
  Window held = 0;
};

void CountIcons(Display* d, Window window, bool underTray, Icons* icons) {
  XClassHint hint{};
  if (XGetClassHint(d, window, &hint)) {
    underTray = underTray || (hint.res_class && std::string(hint.res_class) == "trayer");
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
  }
  const Atom embed = XInternAtom(d, "_XEMBED_INFO", False), pidAtom = XInternAtom(d, "_NET_WM_PID", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  bool ours = false;
  if (XGetWindowProperty(d, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data) ==
          Success && count == 1)
    ours = *reinterpret_cast<unsigned long*>(data) == static_cast<unsigned long>(getpid());
  if (data) XFree(data);
  int properties = 0;
  Atom* names = ours ? XListProperties(d, window, &properties) : nullptr;
  const bool icon = names && std::find(names, names + properties, embed) != names + properties;
  if (names) XFree(names);
  XWindowAttributes attributes{};
  if (icon && XGetWindowAttributes(d, window, &attributes) && attributes.map_state == IsViewable) {
    ++(underTray ? icons->inTray : icons->astray);
    if (underTray) icons->held = window;
  }
  Window root = 0, parent = 0, *children = nullptr;
  unsigned n = 0;
  if (!XQueryTree(d, window, &root, &parent, &children, &n)) return;
  for (unsigned i = 0; i < n; ++i) CountIcons(d, children[i], underTray, icons);
  if (children) XFree(children);
}

Icons ShownIcons() {
  Display* d = XOpenDisplay(nullptr);
  Icons icons;
  CountIcons(d, DefaultRootWindow(d), false, &icons);
  XCloseDisplay(d);
  return icons;
}

// A real click in the middle of the program's icon in the tray.
void ClickTrayIcon() {
  Display* d = XOpenDisplay(nullptr);
  Icons icons;
  CountIcons(d, DefaultRootWindow(d), false, &icons);
  XWindowAttributes attributes{};
  int x = 0, y = 0;
  Window child = 0;
  if (icons.held && XGetWindowAttributes(d, icons.held, &attributes) &&
      XTranslateCoordinates(d, icons.held, DefaultRootWindow(d), 0, 0, &x, &y, &child)) {
    wxUIActionSimulator sim;
    sim.MouseMove(x + attributes.width / 2, y + attributes.height / 2);
    sim.MouseClick();
  }
  XCloseDisplay(d);
}

// The main window is back on the screen and the program has heard so: the display has it mapped
// (asked through the program's own connection, which then holds the news of the map), and the
// program takes that news in. A close before that would be undone: the tool kit takes the news
// of a map that comes after a hide for a show, and the window hidden to the tray would stand as
// shown while off the screen.
bool Back(wxWindow* frame) {
  Display* d = static_cast<Display*>(wxGetDisplayInfo().dpy);
  XWindowAttributes attributes{};
  const bool back = frame->IsShown() && guitest::ManagedState(frame) == NormalState &&
                    XGetWindowAttributes(d, guitest::TopLevelXWindow(frame), &attributes) &&
                    attributes.map_state == IsViewable;
  if (back) guitest::Pump(10);
  return back;
}

// Reduced to the tray, the program stays within the user's reach when the tray goes away (the
// panel ends): the main window comes back iconised, managed by the window manager; reducing
// again once a tray is back hides it, and that tray going away brings it back again.
TEST_F(Tray, GoneWhileReducedTheMainWindowComesBackIconised) {
  auto manager = programtest::DesktopProgram::WindowManager();
  ASSERT_TRUE(manager->Up()) << manager->Errors();
  Config::GetInstance()->SetRememberClose(true);
  Config::GetInstance()->SetClose(false);
  guitest::SpyMainFrame* frame = Open();
  ASSERT_TRUE(PumpUntil([&] { return guitest::ManagedState(frame) == NormalState; }));
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    auto tray = programtest::DesktopProgram::TrayHost();
    ASSERT_TRUE(tray->Up()) << tray->Errors();
    ASSERT_TRUE(PumpUntil([] { return wxTaskBarIcon::IsAvailable(); }));
    // The icon comes to a tray that came after it, the first time and again.
    EXPECT_TRUE(PumpUntil([] { return ShownIcons().inTray == 1; }));
    // The user brings the window back from the previous round, then closes it.
    frame->Iconize(false);
    ASSERT_TRUE(PumpUntil([&] { return Back(frame); }));
    frame->Close();
    ASSERT_TRUE(PumpUntil([&] { return !frame->IsShown() && guitest::ManagedState(frame) != NormalState; }))
        << frame->IsShown() << " " << guitest::ManagedState(frame);
    // Nothing changes while the tray is there.
    guitest::RunLoopFor(1500);
    EXPECT_FALSE(frame->IsShown());
    EXPECT_TRUE(frame->GetTrayWatch().IsRunning());
    if (round == 0) {
      // The user brings the window back from the tray: the watch stops, and starts again when
      // the window goes back to the tray.
      for (int click = 0; click < 5 && !frame->IsShown(); ++click) {
        ClickTrayIcon();
        PumpUntil([&] { return frame->IsShown(); }, 2000);
      }
      ASSERT_TRUE(PumpUntil([&] { return Back(frame); }));
      EXPECT_TRUE(PumpUntil([&] { return !frame->GetTrayWatch().IsRunning(); }, 3000));
      frame->Close();
      ASSERT_TRUE(PumpUntil([&] { return !frame->IsShown() && guitest::ManagedState(frame) != NormalState; }));
      EXPECT_TRUE(frame->GetTrayWatch().IsRunning());
    }
    tray->End();
    // The watch brings the window back, and stops there.
    ASSERT_TRUE(PumpUntil([&] { return frame->IsShown(); }));
    EXPECT_FALSE(frame->GetTrayWatch().IsRunning());
    EXPECT_TRUE(PumpUntil([&] { return guitest::ManagedState(frame) == IconicState; })) << guitest::ManagedState(frame);
    EXPECT_TRUE(frame->iconized);
    // The icon waits for the next tray, out of sight.
    EXPECT_TRUE(frame->GetTaskBar()->IsIconInstalled());
    EXPECT_EQ(0, ShownIcons().astray + ShownIcons().inTray);
  }
}

}  // namespace
