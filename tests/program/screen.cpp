#include "tests/program/screen.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace programtest {

namespace {

int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

long PidOf(Display* display, Window window) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  long pid = 0;
  const Atom property = XInternAtom(display, "_NET_WM_PID", False);
  if (XGetWindowProperty(display, window, property, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                         &data) == Success &&
      type == XA_CARDINAL && format == 32 && count == 1) {
    pid = *reinterpret_cast<long*>(data);
  }
  if (data) XFree(data);
  return pid;
}

// A viewable top-level window of the process, with exactly the title, or (width above 0) with
// no title and at least that size.
bool Matches(Display* display, Window window, pid_t pid, const std::string& title, int width = 0, int height = 0) {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable) return false;
  if (PidOf(display, window) != pid) return false;
  char* name = nullptr;
  const bool named = XFetchName(display, window, &name) && name && *name;
  const bool same = width > 0 ? !named && attributes.width >= width && attributes.height >= height
                              : named && title == name;
  if (name) XFree(name);
  return same;
}

Window Search(Display* display, Window window, pid_t pid, const std::string& title, int depth, int width = 0,
              int height = 0) {
  if (Matches(display, window, pid, title, width, height)) return window;
  Window root = 0, parent = 0, *children = nullptr;
  unsigned int count = 0;
  if (depth == 0 || !XQueryTree(display, window, &root, &parent, &children, &count)) return 0;
  Window found = 0;
  for (unsigned int i = 0; i < count && !found; ++i)
    found = Search(display, children[i], pid, title, depth - 1, width, height);
  if (children) XFree(children);
  return found;
}

// True when `inner` is `outer` or lies inside it.
bool Within(Display* display, Window inner, Window outer) {
  const Window rootWindow = DefaultRootWindow(display);
  while (inner != 0 && inner != PointerRoot && inner != rootWindow) {
    if (inner == outer) return true;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, inner, &root, &parent, &children, &count)) return false;
    if (children) XFree(children);
    inner = parent;
  }
  return false;
}

// The colour channel of the pixel under the mask, as 8 bits.
unsigned long Channel(unsigned long pixel, unsigned long mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (!((mask >> shift) & 1)) ++shift;
  const unsigned long top = mask >> shift;
  return ((pixel & mask) >> shift) * 255 / top;
}

// The pixel of the image as 0xRRGGBB, whatever the image's layout.
unsigned long Rgb(const XImage* image, unsigned long pixel) {
  return Channel(pixel, image->red_mask) << 16 | Channel(pixel, image->green_mask) << 8 | Channel(pixel, image->blue_mask);
}

// Each of the three channels of the pixel within `tolerance` of the colour's.
bool Near(unsigned long pixel, unsigned long rgb, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8) {
    const int difference = static_cast<int>((pixel >> shift) & 0xff) - static_cast<int>((rgb >> shift) & 0xff);
    if (difference > tolerance || difference < -tolerance) return false;
  }
  return true;
}

}  // namespace

Screen::Screen() : m_display(XOpenDisplay(nullptr)), m_keyboard(m_display) {
  // This process looks only: errors about windows gone meanwhile are no reason to end it.
  XSetErrorHandler(IgnoreErrors);
}

Screen::~Screen() {
  if (m_display) XCloseDisplay(m_display);
}

Screen::WindowId Screen::WindowShown(pid_t pid, const std::string& title) {
  if (!m_display) return 0;
  // Top-level windows are the root's children, or its grandchildren under a window manager.
  const Window found = Search(m_display, DefaultRootWindow(m_display), pid, title, 2);
  XSync(m_display, False);
  return found;
}

Screen::WindowId Screen::UntitledWindowShown(pid_t pid, int width, int height) {
  if (!m_display || width <= 0) return 0;
  const Window found = Search(m_display, DefaultRootWindow(m_display), pid, "", 2, width, height);
  XSync(m_display, False);
  return found;
}

bool Screen::Focus(WindowId window) {
  if (!m_display || window == 0) return false;
  XWindowAttributes attributes;
  // Only a viewable window can take the keyboard (the server refuses it otherwise).
  if (!XGetWindowAttributes(m_display, window, &attributes) || attributes.map_state != IsViewable) return false;
  XSetInputFocus(m_display, window, RevertToParent, CurrentTime);
  XSync(m_display, False);
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(m_display, &focus, &revert);
  return Within(m_display, focus, window);
}

bool Screen::Click(WindowId window, int x, int y, unsigned int button) {
  int event = 0, error = 0, major = 0, minor = 0;
  if (!m_display || window == 0 || !XTestQueryExtension(m_display, &event, &error, &major, &minor)) return false;
  Window child = 0;
  int rootX = 0, rootY = 0;
  if (!XTranslateCoordinates(m_display, window, DefaultRootWindow(m_display), x, y, &rootX, &rootY, &child))
    return false;
  // The window is brought to the front first, as the user would, so that the click reaches it.
  XRaiseWindow(m_display, window);
  XSync(m_display, False);
  XTestFakeMotionEvent(m_display, -1, rootX, rootY, CurrentTime);
  XTestFakeButtonEvent(m_display, button, True, CurrentTime);
  XTestFakeButtonEvent(m_display, button, False, CurrentTime);
  XSync(m_display, False);
  return true;
}

bool Screen::PointAwayFrom(WindowId window) {
  int event = 0, error = 0, major = 0, minor = 0;
  if (!m_display || window == 0 || !XTestQueryExtension(m_display, &event, &error, &major, &minor)) return false;
  XWindowAttributes attributes;
  Window child = 0;
  int x = 0, y = 0;
  if (!XGetWindowAttributes(m_display, window, &attributes) ||
      !XTranslateCoordinates(m_display, window, DefaultRootWindow(m_display), attributes.width / 2,
                             attributes.height / 2, &x, &y, &child)) {
    return false;
  }
  const int width = DisplayWidth(m_display, DefaultScreen(m_display));
  const int height = DisplayHeight(m_display, DefaultScreen(m_display));
  XTestFakeMotionEvent(m_display, -1, x < width / 2 ? width - 1 : 0, y < height / 2 ? height - 1 : 0, CurrentTime);
  XSync(m_display, False);
  return true;
}

bool SendCloseBox(Display* display, unsigned long window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  const bool sent = XSendEvent(display, window, False, NoEventMask, &event) != 0;
  XSync(display, False);
  return sent;
}

bool Screen::Close(WindowId window) {
  if (!m_display || window == 0) return false;
  return SendCloseBox(m_display, window);
}

Screen::WindowId Screen::WindowAt(pid_t pid, WindowId window, int x, int y) {
  if (!m_display || window == 0) return 0;
  const Window rootWindow = DefaultRootWindow(m_display);
  Window child = 0;
  int rootX = 0, rootY = 0;
  if (!XTranslateCoordinates(m_display, window, rootWindow, x, y, &rootX, &rootY, &child)) return 0;
  Window root = 0, parent = 0, *children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(m_display, rootWindow, &root, &parent, &children, &count)) return 0;
  Window found = 0;
  // The root's children come bottom first: the topmost window holding the point is the last.
  for (unsigned int i = count; i > 0 && !found; --i) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(m_display, children[i - 1], &attributes) || attributes.map_state != IsViewable) continue;
    if (rootX < attributes.x || rootY < attributes.y || rootX >= attributes.x + attributes.width ||
        rootY >= attributes.y + attributes.height) {
      continue;
    }
    if (PidOf(m_display, children[i - 1]) == pid) found = children[i - 1];
  }
  if (children) XFree(children);
  return found;
}


size_t Screen::CountColour(WindowId window, int x, int y, int width, int height, unsigned long rgb) {
  if (!m_display || window == 0 || width <= 0 || height <= 0) return 0;
  XRaiseWindow(m_display, window);
  XSync(m_display, False);
  XImage* image = XGetImage(m_display, window, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height),
                            AllPlanes, ZPixmap);
  if (!image) return 0;
  size_t count = 0;
  for (int row = 0; row < height; ++row) {
    for (int column = 0; column < width; ++column) {
      count += Rgb(image, XGetPixel(image, column, row)) == rgb ? 1 : 0;
    }
  }
  XDestroyImage(image);
  return count;
}

bool Screen::FindRun(WindowId window, unsigned long rgb, int length, int* x, int* y, int tolerance) {
  XWindowAttributes attributes;
  if (!m_display || window == 0 || !XGetWindowAttributes(m_display, window, &attributes) ||
      attributes.map_state != IsViewable) {
    return false;
  }
  // What another window covers reads as that window's pixels: the window goes to the front.
  XRaiseWindow(m_display, window);
  XSync(m_display, False);
  XImage* image =
      XGetImage(m_display, window, 0, 0, static_cast<unsigned>(attributes.width),
                static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
  if (!image) return false;
  bool found = false;
  for (int row = attributes.height - 1; row >= 0 && !found; --row) {
    int run = 0;
    for (int column = 0; column <= attributes.width && !found; ++column) {
      if (column < attributes.width && Near(Rgb(image, XGetPixel(image, column, row)), rgb, tolerance)) {
        ++run;
        continue;
      }
      if (run >= length) {
        *x = column - run / 2 - 1;
        *y = row;
        found = true;
      }
      run = 0;
    }
  }
  XDestroyImage(image);
  return found;
}

}  // namespace programtest
