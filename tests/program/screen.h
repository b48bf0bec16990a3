// The display as another process sees it: the windows a program shows, and a keyboard that types
// into them from outside the program.
#ifndef PARLAVOX_TESTS_PROGRAM_SCREEN_H
#define PARLAVOX_TESTS_PROGRAM_SCREEN_H

#include <sys/types.h>

#include <string>

struct _XDisplay;

namespace programtest {

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
  // Types `text` into the window that has the keyboard, key by key through the XTEST extension
  // as a keyboard would (Shift held where a character needs it); false when a character has no
  // key or the server has no XTEST.
  bool Type(const std::string& text);
  // Presses and releases the key named as X names it ("Tab", "Return"), with the modifier key
  // held when one is named ("Alt_L", "Control_L").
  bool Press(const std::string& keyName, const std::string& modifier = "");
  // Brings the top-level window to the front, moves the pointer to (x, y) inside it and clicks
  // the button there (1: the left one) through the XTEST extension.
  bool Click(WindowId window, int x, int y, unsigned int button = 1);
  // Asks the window to close as a window manager does for its close box (WM_DELETE_WINDOW).
  bool Close(WindowId window);
  // Looks at what the window shows (brought to the front first) for a horizontal run of at least
  // `length` pixels of the colour 0xRRGGBB, each channel within `tolerance` of it (a thin line
  // drawn smoothed is lighter), such as a link's underline or a coloured row; the middle of the
  // lowest such run, in the window's coordinates. False when none shows.
  bool FindRun(WindowId window, unsigned long rgb, int length, int* x, int* y, int tolerance = 0);

 private:
  bool PressKey(unsigned long keysym, bool shifted);

  _XDisplay* m_display;
};

}  // namespace programtest

#endif
