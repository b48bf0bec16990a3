// Keys typed in a site's room while the site's tip comes and goes, under a real window manager,
// which hands the keyboard to whichever window is activated: each lands in the room.
#include <gtest/gtest.h>

#include <memory>

#include "tests/gui/sites/siteTipKeyboard.h"
#include "tests/program/desktopProgram.h"

namespace {

// The same under a window manager, which hands the keyboard to whichever window is activated.
class SiteTipKeyboardUnderWindowManager : public sitestest::SiteTipKeyboardSession {
 protected:
  void SetUp() override {
    m_windowManager = programtest::DesktopProgram::WindowManager();
    EXPECT_TRUE(m_windowManager->Up()) << m_windowManager->Errors();
    SiteTipKeyboardSession::SetUp();
  }
  void TearDown() override {
    SiteTipKeyboardSession::TearDown();
    m_windowManager.reset();
  }
  std::unique_ptr<programtest::DesktopProgram> m_windowManager;
};

TEST_F(SiteTipKeyboardUnderWindowManager, KeysTypedWhileTheTipComesAndGoesReachTheRoom) {
  TypeWhileTheTipComesAndGoes();
}

}  // namespace
