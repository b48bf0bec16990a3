#include "tests/program/keyboard.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <vector>

namespace programtest {

Keyboard::Keyboard() : m_display(XOpenDisplay(nullptr)), m_own(true) {}

Keyboard::Keyboard(_XDisplay* display) : m_display(display), m_own(false) {}

Keyboard::~Keyboard() {
  if (m_own && m_display) XCloseDisplay(m_display);
}

bool Keyboard::HasXTest() const {
  int event = 0, error = 0, major = 0, minor = 0;
  return m_display && XTestQueryExtension(m_display, &event, &error, &major, &minor);
}

void Keyboard::PressKey(unsigned char key, bool shifted) {
  const KeyCode shift = XKeysymToKeycode(m_display, XK_Shift_L);
  if (shifted) XTestFakeKeyEvent(m_display, shift, True, CurrentTime);
  XTestFakeKeyEvent(m_display, key, True, CurrentTime);
  XTestFakeKeyEvent(m_display, key, False, CurrentTime);
  if (shifted) XTestFakeKeyEvent(m_display, shift, False, CurrentTime);
}

bool Keyboard::Type(const std::string& text) {
  if (!HasXTest()) return false;
  // Every character's key is found first, so that nothing is typed of a text that cannot be.
  std::vector<std::pair<KeyCode, bool>> keys;
  for (const char c : text) {
    // Printable ASCII characters are their own key symbols.
    const auto keysym = static_cast<KeySym>(static_cast<unsigned char>(c));
    if (keysym < 0x20 || keysym > 0x7e) return false;
    const KeyCode key = XKeysymToKeycode(m_display, keysym);
    if (key == 0) return false;
    // A character that the key gives only with Shift (upper case, most punctuation).
    const bool shifted = XkbKeycodeToKeysym(m_display, key, 0, 0) != keysym;
    if (shifted && XKeysymToKeycode(m_display, XK_Shift_L) == 0) return false;
    keys.emplace_back(key, shifted);
  }
  for (const auto& key : keys) PressKey(key.first, key.second);
  XSync(m_display, False);
  return true;
}

bool Keyboard::Press(const std::string& keyName, const std::string& modifier) {
  if (!HasXTest()) return false;
  const KeySym keysym = XStringToKeysym(keyName.c_str());
  const KeyCode key = keysym == NoSymbol ? 0 : XKeysymToKeycode(m_display, keysym);
  const KeyCode held = modifier.empty() ? 0 : XKeysymToKeycode(m_display, XStringToKeysym(modifier.c_str()));
  if (key == 0 || (!modifier.empty() && held == 0)) return false;
  if (held) XTestFakeKeyEvent(m_display, held, True, CurrentTime);
  PressKey(key, false);
  if (held) XTestFakeKeyEvent(m_display, held, False, CurrentTime);
  XSync(m_display, False);
  return true;
}

}  // namespace programtest
