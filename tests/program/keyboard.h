// The display's keyboard: types into whichever window has it, key by key through the XTEST
// extension as a keyboard would, the keys sent in one stream and the server waited for once.
#ifndef PARLAVOX_TESTS_PROGRAM_KEYBOARD_H
#define PARLAVOX_TESTS_PROGRAM_KEYBOARD_H

#include <string>

struct _XDisplay;

namespace programtest {

class Keyboard {
 public:
  // On a connection of its own to the display (DISPLAY), which leaves the process's other
  // connections and its X error handling as they are.
  Keyboard();
  // On a connection the caller holds.
  explicit Keyboard(_XDisplay* display);
  ~Keyboard();
  Keyboard(const Keyboard&) = delete;
  Keyboard& operator=(const Keyboard&) = delete;

  // Types `text` (Shift held where a character needs it); false when a character has no key or
  // the server has no XTEST, before any key was sent.
  bool Type(const std::string& text);
  // Presses and releases the key named as X names it ("Tab", "Return", "l"), with the modifier
  // key held when one is named ("Alt_L", "Control_L").
  bool Press(const std::string& keyName, const std::string& modifier = "");

 private:
  bool HasXTest() const;
  void PressKey(unsigned char key, bool shifted);

  _XDisplay* m_display;
  bool m_own;
};

}  // namespace programtest

#endif
