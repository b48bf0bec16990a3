// The user types in a site's room while the pointer rests on the site's name until its tip
// shows, then goes away, and once more until the user clicks the tip; the same with and without
// a window manager (siteTipDesktopTest.cpp).
#ifndef PARLAVOX_TESTS_GUI_SITES_SITETIPKEYBOARD_H
#define PARLAVOX_TESTS_GUI_SITES_SITETIPKEYBOARD_H

#include "tests/gui/sites/sitesSessionFixture.h"

namespace sitestest {

// Every key lands in the room's input box, which keeps the keyboard.
class SiteTipKeyboardSession : public sitestest::SitesSession {
 public:
  void TypeWhileTheTipComesAndGoes();
};

}  // namespace sitestest

#endif
