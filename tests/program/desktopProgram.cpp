#include "tests/program/desktopProgram.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <signal.h>

#include <chrono>

namespace programtest {

namespace {

// The window the root's _NET_SUPPORTING_WM_CHECK names, when that window names itself too (a
// window manager that ended leaves the property standing on the root but takes its window).
bool WindowManagerMarked(Display* display) {
  const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
  auto named = [&](Window on, Window* out) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const bool ok = XGetWindowProperty(display, on, check, 0, 1, False, XA_WINDOW, &type, &format, &count,
                                       &after, &data) == Success &&
                    type == XA_WINDOW && format == 32 && count == 1;
    if (ok) *out = static_cast<Window>(*reinterpret_cast<unsigned long*>(data));
    if (data) XFree(data);
    return ok;
  };
  Window child = 0, self = 0;
  return named(DefaultRootWindow(display), &child) && named(child, &self) && self == child;
}

bool TraySelectionOwned(Display* display) {
  const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(DefaultScreen(display));
  return XGetSelectionOwner(display, XInternAtom(display, name.c_str(), False)) != None;
}

// X errors of a window that goes while it is looked at are expected here.
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

}  // namespace

std::unique_ptr<DesktopProgram> DesktopProgram::WindowManager() {
  return std::unique_ptr<DesktopProgram>(
      new DesktopProgram(Kind::WindowManager, {"dbus-run-session", "--", "xfwm4", "--compositor=off", "--replace"}));
}

std::unique_ptr<DesktopProgram> DesktopProgram::TrayHost() {
  return std::unique_ptr<DesktopProgram>(new DesktopProgram(
      Kind::TrayHost, {"trayer", "--edge", "bottom", "--align", "right", "--widthtype", "request", "--height", "32"}));
}

DesktopProgram::DesktopProgram(Kind kind, const std::vector<std::string>& argv) : m_kind(kind) {
  // xfwm4 reads its settings through a settings daemon on the session bus: the window manager
  // runs under a session bus of its own, which starts the daemon, with a home of its own for
  // what the daemon keeps. Everything they start stays in the child's group, ended with it.
  const Environment environment = {{"HOME", m_dir.path()}, {"XDG_CONFIG_HOME", m_dir.file("config")},
                                   {"XDG_CACHE_HOME", m_dir.file("cache")}, {"XDG_DATA_HOME", m_dir.file("data")},
                                   {"DBUS_SESSION_BUS_ADDRESS", ""}, {"SESSION_MANAGER", ""}};
  m_child.reset(new ChildProgram(argv, environment, m_dir.path()));
  m_up = m_child->Pid() > 0 &&
         testsupport::WaitFor([this] { return Holds(); }, std::chrono::seconds(30));
}

DesktopProgram::~DesktopProgram() { End(); }

void DesktopProgram::End() {
  if (!m_child) return;
  kill(-m_child->Pid(), SIGTERM);
  if (m_child->WaitExit(std::chrono::seconds(5)) < 0) {
    kill(-m_child->Pid(), SIGKILL);
    m_child->WaitExit(std::chrono::seconds(5));
  }
  testsupport::WaitFor([this] { return !Holds(); }, std::chrono::seconds(10));
  m_child.reset();
}

bool DesktopProgram::Holds() const {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  XErrorHandler previous = XSetErrorHandler(IgnoreErrors);
  const bool holds = m_kind == Kind::WindowManager ? WindowManagerMarked(display) : TraySelectionOwned(display);
  XSync(display, False);
  XSetErrorHandler(previous);
  XCloseDisplay(display);
  return holds;
}

}  // namespace programtest
