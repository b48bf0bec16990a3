// The desktop's own programs that a user runs beside ours: a window manager, a tray host. Tests
// that depend on stacking, focus or the tray start one on their own display (OWN_DISPLAY) and
// end it again, so that the same program can also check the display without one.
#ifndef PARLAVOX_TESTS_PROGRAM_DESKTOPPROGRAM_H
#define PARLAVOX_TESTS_PROGRAM_DESKTOPPROGRAM_H

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/program/childProgram.h"
#include "tests/support/testSupport.h"

namespace programtest {

class DesktopProgram {
 public:
  // A window manager (xfwm4), up once it manages the screen (_NET_SUPPORTING_WM_CHECK on the
  // root names a window of its own).
  static std::unique_ptr<DesktopProgram> WindowManager();
  // A tray host (trayer) at the screen's bottom edge, up once it owns the tray selection.
  static std::unique_ptr<DesktopProgram> TrayHost();

  // Ends the program (SIGTERM, then SIGKILL) and waits until what it held on the display is
  // let go: no window manager's mark, no tray selection owner.
  ~DesktopProgram();
  DesktopProgram(const DesktopProgram&) = delete;
  DesktopProgram& operator=(const DesktopProgram&) = delete;

  // True when the program came up within its time; what it wrote otherwise.
  bool Up() const { return m_up; }
  std::string Errors() const { return m_child ? m_child->Errors() : std::string(); }
  // Ends it now, as a panel that quits or crashes does; the destructor then does nothing more.
  void End();

 private:
  enum class Kind { WindowManager, TrayHost };
  DesktopProgram(Kind kind, const std::vector<std::string>& argv);
  bool Holds() const;

  Kind m_kind;
  testsupport::TempDir m_dir;
  std::unique_ptr<ChildProgram> m_child;
  bool m_up = false;
};

// The fixture `Session` with a window manager on its display, from before its set-up until after
// its tear-down.
template <class Session>
class UnderWindowManager : public Session {
 protected:
  void SetUp() override {
    m_windowManager = DesktopProgram::WindowManager();
    EXPECT_TRUE(m_windowManager->Up()) << m_windowManager->Errors();
    Session::SetUp();
  }
  void TearDown() override {
    Session::TearDown();
    m_windowManager.reset();
  }
  std::unique_ptr<DesktopProgram> m_windowManager;
};

}  // namespace programtest

#endif
