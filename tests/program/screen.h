// The display as another process sees it: the windows a program shows, and a keyboard that types
// into them from outside the program.
#ifndef PARLAVOX_TESTS_PROGRAM_SCREEN_H
#define PARLAVOX_TESTS_PROGRAM_SCREEN_H

#include <sys/types.h>

#include <cstddef>
#include <string>

#include "tests/program/keyboard.h"

struct _XDisplay;

namespace programtest {

// Asks the window to close as its close box does (the window manager's WM_DELETE_WINDOW); true
// when the request went out.
bool SendCloseBox(_XDisplay* display, unsigned long window);

// The display (DISPLAY), one connection held while windows are looked for: a connection per
// look, many a second, can fill the server's table of clients.
class Screen {
 public:
  // An X window; 0 is none.
  using WindowId = unsigned long;

  Screen();
  ~Screen();
  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;

  // The top-level window of the process with exactly this title, mapped and viewable; 0 when
  // it shows none.
  WindowId WindowShown(pid_t pid, const std::string& title);
  bool ShowsWindow(pid_t pid, const std::string& title) { return WindowShown(pid, title) != 0; }
  // A top-level window of the process without a title (a borderless tool window that draws its
  // own) of at least this size, mapped and viewable; 0 when it shows none.
  WindowId UntitledWindowShown(pid_t pid, int width, int height);

  // Gives the keyboard to `window`; true once the server says that it, or a window inside it,
  // has it. False while the window cannot take it (not viewable yet, gone): ask again.
  bool Focus(WindowId window);
  // Types `text` into the window that has the keyboard, and presses a key (keyboard.h).
  bool Type(const std::string& text) { return m_keyboard.Type(text); }
  bool Press(const std::string& keyName, const std::string& modifier = "") { return m_keyboard.Press(keyName, modifier); }
  // Brings the top-level window to the front, moves the pointer to (x, y) inside it and clicks
  // the button there (1: the left one) through the XTEST extension.
  bool Click(WindowId window, int x, int y, unsigned int button = 1);
  // Moves the pointer through the XTEST extension, as the user's mouse does, to the corner of the
  // screen farthest from the window's middle: away from all that the window shows.
  bool PointAwayFrom(WindowId window);
  // Asks the window to close as a window manager does for its close box (WM_DELETE_WINDOW).
  bool Close(WindowId window);
  // The process's top-level window shown at (x, y) of `window` (the topmost there), whatever
  // its title: the borderless tool windows carry none, and are found where they stand beside
  // the window that opened them. 0 when none of the process's windows is there.
  WindowId WindowAt(pid_t pid, WindowId window, int x, int y);
  // Brings the top-level window to the front and counts the pixels of the colour (0xRRGGBB)
  // in the rectangle of it that starts at (x, y); what was drawn before the window came to the
  // front may still show, so ask again until it holds.
  size_t CountColour(WindowId window, int x, int y, int width, int height, unsigned long rgb);
  // Looks at what the window shows (brought to the front first) for a horizontal run of at least
  // `length` pixels of the colour 0xRRGGBB, each channel within `tolerance` of it (a thin line
  // drawn smoothed is lighter), such as a link's underline or a coloured row; the middle of the
  // lowest such run, in the window's coordinates. False when none shows.
  bool FindRun(WindowId window, unsigned long rgb, int length, int* x, int* y, int tolerance = 0);

 private:
  _XDisplay* m_display;
  Keyboard m_keyboard;
};

}  // namespace programtest

#endif
