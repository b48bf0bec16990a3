#include "tests/gui/guiTestSupport.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/eventfilter.h>
#include <wx/settings.h>
#include <wx/timer.h>
#include <wx/toplevel.h>
#include <wx/uiaction.h>

#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>

#include "tests/program/screen.h"

// Last: the X headers define names (None, Status, ...) the other headers use.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace guitest {

namespace {

// Handles what is waiting in the event loop, without waiting for more.
void DispatchPending() {
  wxTheApp->ProcessPendingEvents();
  if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) {
    while (loop->Pending()) loop->Dispatch();
  } else {
    wxTheApp->Yield(true);
  }
}

// Events until `cond` holds, looking at it every millisecond: for what the display answers at
// once, where the steps of PumpUntil would add up over many clicks.
bool Await(const std::function<bool()>& cond, int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!cond()) {
    if (std::chrono::steady_clock::now() >= end) return cond();
    DispatchPending();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace

// At least one pass over what is waiting, however late the thread runs: a test that posts an
// event and pumps briefly must find it handled even when the machine kept it from running for
// longer than that.
void Pump(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  do {
    DispatchPending();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  } while (std::chrono::steady_clock::now() < end);
}

void RunLoopFor(int ms) {
  wxEventLoop loop;
  wxEventLoopActivator active(&loop);
  wxTimer end;
  end.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { loop.ScheduleExit(); });
  end.StartOnce(ms);
  loop.Run();
}

bool PumpUntil(const std::function<bool()>& cond, int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!cond()) {
    if (std::chrono::steady_clock::now() >= end) return cond();
    Pump(10);
  }
  return true;
}

namespace {

// One simulator for all the input sent here: each opens a connection to the display of its own,
// which takes long enough to matter over hundreds of clicks.
wxUIActionSimulator& Simulator() {
  static auto* simulator = new wxUIActionSimulator();
  return *simulator;
}

// A connection of the tests' own, asking the display where the pointer is and over which windows.
Display* OwnDisplay() {
  static Display* display = XOpenDisplay(nullptr);
  return display;
}

// Counts the presses of a mouse button that reach `target` or one of its children.
class PressCounter : public wxEventFilter {
 public:
  explicit PressCounter(wxWindow* target) : m_target(target) { wxEvtHandler::AddFilter(this); }
  ~PressCounter() override { wxEvtHandler::RemoveFilter(this); }
  int presses = 0;

  int FilterEvent(wxEvent& event) override {
    const wxEventType type = event.GetEventType();
    if (type == wxEVT_LEFT_DOWN || type == wxEVT_RIGHT_DOWN || type == wxEVT_MIDDLE_DOWN || type == wxEVT_LEFT_DCLICK) {
      for (auto* w = dynamic_cast<wxWindow*>(event.GetEventObject()); w; w = w->GetParent()) {
        if (w == m_target) {
          ++presses;
          break;
        }
        if (w->IsTopLevel()) break;
      }
    }
    return Event_Skip;
  }

 private:
  wxWindow* m_target;
};

}  // namespace

// Through the toolkit's own functions, found at run time: the tests are not built against the
// toolkit's headers.
unsigned long TopLevelXWindow(wxWindow* w) {
  using WindowOf = void* (*)(void*);
  using XidOf = unsigned long (*)(void*);
  static const auto windowOf = reinterpret_cast<WindowOf>(dlsym(RTLD_DEFAULT, "gtk_widget_get_window"));
  static const auto xidOf = reinterpret_cast<XidOf>(dlsym(RTLD_DEFAULT, "gdk_x11_window_get_xid"));
  wxWindow* top = wxGetTopLevelParent(w);
  if (!windowOf || !xidOf || !top || !top->GetHandle()) return 0;
  void* gdkWindow = windowOf(top->GetHandle());
  return gdkWindow ? xidOf(gdkWindow) : 0;
}

namespace {

// The values of a property of 32-bit items that the window manager put on the top-level window
// holding `w`; none while it put none.
std::vector<long> WindowManagerProperty(wxWindow* w, const char* name, const char* typeName) {
  Display* display = OwnDisplay();
  const unsigned long xid = TopLevelXWindow(w);
  std::vector<long> values;
  if (!display || !xid) return values;
  const Atom property = XInternAtom(display, name, False), wanted = XInternAtom(display, typeName, False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(display, xid, property, 0, 32, False, wanted, &type, &format, &count, &after, &data) ==
          Success &&
      type == wanted && format == 32)
    values.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + count);
  if (data) XFree(data);
  return values;
}

}  // namespace

long ManagedState(wxWindow* w) {
  const std::vector<long> state = WindowManagerProperty(w, "WM_STATE", "WM_STATE");
  return state.empty() ? 0 : state[0];
}

bool KeptAbove(wxWindow* w) {
  const std::vector<long> states = WindowManagerProperty(w, "_NET_WM_STATE", "ATOM");
  if (states.empty()) return false;
  const long above = long(XInternAtom(OwnDisplay(), "_NET_WM_STATE_ABOVE", False));
  return std::find(states.begin(), states.end(), above) != states.end();
}

bool StackedAbove(wxWindow* upper, wxWindow* lower) {
  Display* display = OwnDisplay();
  if (!display) return false;
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
    Window at = TopLevelXWindow(w), parent = 0;
    while (at && (children(at, &parent), parent != root)) at = parent;
    return at;
  };
  // The root's children, from the bottom up.
  const std::vector<Window> stack = children(root, nullptr);
  const auto above = std::find(stack.begin(), stack.end(), onRoot(upper));
  const auto below = std::find(stack.begin(), stack.end(), onRoot(lower));
  return above != stack.end() && below != stack.end() && above > below;
}

namespace {

// The toolkit has handled the display's news that its top-level window is mapped: it took the
// news (the window is no longer withdrawn for it) and has no event left waiting. Until then, a
// window hidden meanwhile is taken for shown again when the news is handled, and shown again at
// the next raise.
bool MapSeen(wxWindow* top) {
  using WindowOf = void* (*)(void*);
  using StateOf = int (*)(void*);
  using Pending = int (*)();
  static const auto windowOf = reinterpret_cast<WindowOf>(dlsym(RTLD_DEFAULT, "gtk_widget_get_window"));
  static const auto stateOf = reinterpret_cast<StateOf>(dlsym(RTLD_DEFAULT, "gdk_window_get_state"));
  static const auto pending = reinterpret_cast<Pending>(dlsym(RTLD_DEFAULT, "gdk_events_pending"));
  const int withdrawn = 1;  // GDK_WINDOW_STATE_WITHDRAWN
  void* gdkWindow = windowOf && stateOf && pending && top->GetHandle() ? windowOf(top->GetHandle()) : nullptr;
  return gdkWindow && !(stateOf(gdkWindow) & withdrawn) && !pending();
}

}  // namespace

bool Managed(wxWindow* w) {
  Display* display = OwnDisplay();
  wxWindow* top = wxGetTopLevelParent(w);
  if (!display || !top || ManagedState(top) != NormalState || !MapSeen(top)) return false;
  if (w == top) return true;
  const Window xid = TopLevelXWindow(top);
  int x = 0, y = 0;
  Window child = 0;
  XWindowAttributes attributes{};
  if (!XTranslateCoordinates(display, xid, DefaultRootWindow(display), 0, 0, &x, &y, &child) ||
      !XGetWindowAttributes(display, xid, &attributes))
    return false;
  return wxRect(x, y, attributes.width, attributes.height).Contains(w->GetScreenPosition());
}

bool PointerRestsOn(wxWindow* w, const wxPoint& point) {
  Display* display = OwnDisplay();
  const unsigned long want = TopLevelXWindow(w);
  if (!display || !want || !w->IsShownOnScreen()) return false;
  Window root = DefaultRootWindow(display), at = root, rootBack = 0, child = 0;
  int rootX = 0, rootY = 0, x = 0, y = 0;
  unsigned int mask = 0;
  bool over = false;
  // Down the windows under the pointer: the top-level one (or the frame a window manager put
  // around it) is among them once it is mapped and in front there.
  while (XQueryPointer(display, at, &rootBack, &child, &rootX, &rootY, &x, &y, &mask) && child != 0) {
    if (child == want) over = true;
    at = child;
  }
  return over && rootX == point.x && rootY == point.y;
}

// For a failure's message: where the display has the pointer, which of the program's top-level
// windows is in front there, and whether the one wanted is mapped.
std::string UnderPointer(wxWindow* w, const wxPoint& point) {
  Display* display = OwnDisplay();
  if (!display) return "no display";
  Window root = DefaultRootWindow(display), rootBack = 0, child = 0;
  int rootX = 0, rootY = 0, x = 0, y = 0;
  unsigned int mask = 0;
  XQueryPointer(display, root, &rootBack, &child, &rootX, &rootY, &x, &y, &mask);
  std::string front = "no window";
  for (wxWindow* top : wxTopLevelWindows)
    if (child && TopLevelXWindow(top) == child)
      front = wxString(top->GetClassInfo()->GetClassName()).utf8_string() + " \"" + top->GetLabel().utf8_string() + "\"";
  XWindowAttributes attributes{};
  const unsigned long want = TopLevelXWindow(w);
  const bool mapped = want && XGetWindowAttributes(display, want, &attributes) && attributes.map_state == IsViewable;
  std::ostringstream out;
  out << "wanted at " << point.x << "," << point.y << ", pointer at " << rootX << "," << rootY << " over " << front
      << "; the window wanted is " << (mapped ? "" : "not ") << "mapped, shown " << w->IsShownOnScreen();
  return out.str();
}

unsigned long ShownWindowTitled(const wxString& title) {
  Display* display = OwnDisplay();
  if (!display) return 0;
  Window root = DefaultRootWindow(display), parent = 0, *children = nullptr, found = 0;
  unsigned count = 0;
  XQueryTree(display, root, &root, &parent, &children, &count);
  for (unsigned i = 0; i < count && !found; ++i) {
    char* name = nullptr;
    XWindowAttributes attributes{};
    if (XFetchName(display, children[i], &name) && name) {
      if (title == wxString::FromUTF8(name) && XGetWindowAttributes(display, children[i], &attributes) &&
          attributes.map_state == IsViewable)
        found = children[i];
      XFree(name);
    }
  }
  if (children) XFree(children);
  return found;
}

bool SendCloseBox(const wxString& title) {
  Display* display = OwnDisplay();
  const Window target = ShownWindowTitled(title);
  if (!target) return false;
  programtest::SendCloseBox(display, target);
  return true;
}

void SendPointerTo(const wxPoint& point) { Simulator().MouseMove(point); }

bool MovePointer(wxWindow* w, const wxPoint& point) {
  for (int tries = 0; tries < 20; ++tries) {
    // Another window come in front meanwhile (one the program opened late): the user brings the
    // one wanted forward first.
    if (tries > 0) wxGetTopLevelParent(w)->Raise();
    Simulator().MouseMove(point);
    if (Await([&] { return PointerRestsOn(w, point); }, 500)) {
      // The display has it there: the motion and crossing events come before anything sent after.
      return true;
    }
  }
  ADD_FAILURE() << "the pointer did not come over the window: " << UnderPointer(w, point);
  return false;
}

namespace {

// Where and when the clicks of the last moment went.
struct Click {
  wxPoint point;
  std::chrono::steady_clock::time_point at;
};
std::vector<Click> g_clicks;

std::chrono::milliseconds DoubleClickTime() {
  return std::chrono::milliseconds(std::max(wxSystemSettings::GetMetric(wxSYS_DCLICK_MSEC), 400) + 50);
}

// How far apart two presses may be and still make a double click.
int DoubleClickDistance() { return std::max(wxSystemSettings::GetMetric(wxSYS_DCLICK_X), 5); }

bool Near(const wxPoint& a, const wxPoint& b) {
  const int distance = DoubleClickDistance();
  return std::abs(a.x - b.x) <= distance && std::abs(a.y - b.y) <= distance;
}

// When the last click of the last moment near `point` went, or no time: a single click there now
// would be taken by the tool kit for the second of a double click, even with clicks elsewhere
// between them (a text field then selects the word under the pointer), which no test means.
std::chrono::steady_clock::time_point ClickedNearJustNow(const wxPoint& point) {
  const auto now = std::chrono::steady_clock::now();
  g_clicks.erase(std::remove_if(g_clicks.begin(), g_clicks.end(),
                                [&](const Click& click) { return now - click.at > DoubleClickTime(); }),
                 g_clicks.end());
  std::chrono::steady_clock::time_point last{};
  for (const Click& click : g_clicks)
    if (Near(point, click.point)) last = std::max(last, click.at);
  return last;
}

// Where a click of the last moment went near `point`, the click waits out the double-click time,
// as a user's second click would come.
void NotASecondClick(const wxPoint& point) {
  const auto last = ClickedNearJustNow(point);
  if (last == std::chrono::steady_clock::time_point{}) return;
  const auto until = last + DoubleClickTime();
  Await([&] { return std::chrono::steady_clock::now() >= until; }, int(DoubleClickTime().count()) + 100);
}

// The middle of `w`, or where a click went near it just now, a spot beside it within `w` out of
// that click's reach: no wait for the double-click time.
wxPoint SpotFor(wxWindow* w) {
  const wxSize size = w->GetSize();
  const wxPoint middle(size.x / 2, size.y / 2);
  const int step = DoubleClickDistance() + 2;
  for (const wxPoint& shift : {wxPoint(0, 0), wxPoint(step, 0), wxPoint(-step, 0), wxPoint(0, step), wxPoint(0, -step)}) {
    const wxPoint at = middle + shift;
    if (at.x < 1 || at.y < 1 || at.x > size.x - 2 || at.y > size.y - 2) continue;
    if (ClickedNearJustNow(w->GetScreenPosition() + at) == std::chrono::steady_clock::time_point{}) return at;
  }
  return middle;
}

}  // namespace

bool ClickOn(wxWindow* w, const std::function<bool()>& done, int button, bool twice) {
  return ClickAt(w, SpotFor(w), done, button, twice);
}

bool ClickAt(wxWindow* w, const wxPoint& offset, const std::function<bool()>& done, int button, bool twice) {
  PressCounter counter(w);
  const std::function<bool()> reached = done ? done : [&] { return counter.presses > 0; };
  wxUIActionSimulator& sim = Simulator();
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < end) {
    // Where the control stands now: a layout may have moved it since the last try.
    const wxPoint point = w->GetScreenPosition() + offset;
    NotASecondClick(point);
    if (!MovePointer(w, point)) return false;
    if (twice) sim.MouseDblClick(button);
    else sim.MouseClick(button);
    g_clicks.push_back({point, std::chrono::steady_clock::now()});
    if (Await([&] { return counter.presses > 0 || reached(); }, 1500) && counter.presses > 0) break;
    if (reached()) return true;
  }
  return PumpUntil(reached);
}

KeyPresses::KeyPresses() { wxEvtHandler::AddFilter(this); }

KeyPresses::~KeyPresses() { wxEvtHandler::RemoveFilter(this); }

int KeyPresses::FilterEvent(wxEvent& event) {
  if (event.GetEventType() == wxEVT_KEY_DOWN) {
    const int code = static_cast<wxKeyEvent&>(event).GetKeyCode();
    if (code != WXK_SHIFT && code != WXK_CONTROL && code != WXK_ALT) ++count;
  }
  return Event_Skip;
}

ModalDriver::ModalDriver(wxDialog* dialog, const std::function<void()>& input) : m_dialog(dialog), m_input(input) {
  Start(20);
}

void ModalDriver::Notify() {
  ++m_ticks;
  if (!m_sent && m_dialog->IsShownOnScreen() && m_ticks >= 5) {
    m_sent = true;
    m_dialog->Raise();
    m_input();
    return;
  }
  if (m_ticks > 250 && m_dialog->IsModal()) {
    timedOut = true;
    Stop();
    m_dialog->EndModal(-12345);
  }
}

int RunModal(wxDialog* dialog, const std::function<void()>& input) {
  ModalDriver driver(dialog, input);
  const int answer = dialog->ShowModal();
  driver.Stop();
  EXPECT_FALSE(driver.timedOut) << "the dialog did not answer the input";
  return answer;
}

}  // namespace guitest
