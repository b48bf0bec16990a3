// Keys typed in a site's room while the site's tip comes and goes, under a real window manager,
// which hands the keyboard to whichever window is activated: each lands in the room.
#include <gtest/gtest.h>

#include "tests/gui/sites/siteTipKeyboard.h"
#include "tests/program/desktopProgram.h"

namespace {

class SiteTipKeyboardUnderWindowManager : public programtest::UnderWindowManager<sitestest::SiteTipKeyboardSession> {};

TEST_F(SiteTipKeyboardUnderWindowManager, KeysTypedWhileTheTipComesAndGoesReachTheRoom) {
  TypeWhileTheTipComesAndGoes();
}

}  // namespace
