// Answers the toolkit's file dialog as a user does once it is on screen.
#ifndef PARLAVOX_TESTS_GUI_FILECHOICE_H
#define PARLAVOX_TESTS_GUI_FILECHOICE_H

#include <gtest/gtest.h>
#include <wx/filedlg.h>
#include <wx/modalhook.h>
#include <wx/timer.h>

#include <string>

#include "tests/gui/guiTestSupport.h"
#include "tests/program/keyboard.h"

namespace guitest {

// Answers the file dialog as a user does once it is on screen: the path typed into the
// chooser's location field and Return, or Escape when `path` is empty. A path that ends in "/"
// is a folder: the name the program proposed is kept after it. What the program proposed (its
// title, name and style) is kept for the test to look at. A chooser still busy setting itself
// up may miss the keys: they are typed again every little while, and a dialog that never takes
// them is cancelled, so that a test fails instead of waiting for ever. The keys go through the
// display's XTEST keyboard in one stream, as a fast typist's do: the toolkit's simulator waits
// for each key to be handled, which in a sanitizer build costs seconds for a path.
class FileChoice : public wxModalDialogHook, public wxTimer {
 public:
  explicit FileChoice(const std::string& path) : m_path(path) {
    Register();
    Start(50);
  }
  bool asked = false;
  wxString title;
  wxString proposed;
  long style = 0;

 protected:
  int Enter(wxDialog* dialog) override {
    if (auto* files = dynamic_cast<wxFileDialog*>(dialog)) {
      asked = true, m_ticks = 0, m_dialog = dialog;
      title = files->GetMessage();
      proposed = files->GetFilename();
      style = files->GetWindowStyle();
    }
    return wxID_NONE;
  }
  void Exit(wxDialog* dialog) override {
    if (dynamic_cast<wxFileDialog*>(dialog)) m_done = true;
  }
  void Notify() override {
    if (!asked || m_done || m_busy) return;
    ++m_ticks;
    if (m_ticks == kGiveUp) {
      ADD_FAILURE() << "the file dialog never took " << m_path;
      m_dialog->EndModal(wxID_CANCEL);
      return;
    }
    if (m_ticks < kFirst || (m_ticks - kFirst) % kAgain != 0) return;
    m_busy = true;
    programtest::Keyboard keyboard;
    if (m_path.empty()) {
      keyboard.Press("Escape");
    } else {
      keyboard.Press("l", "Control_L");
      guitest::Pump(200);
      // A save dialog's name field holds the proposed name, partly selected, and an earlier try
      // may have left its keys: all of it goes.
      keyboard.Press("a", "Control_L");
      const std::string typed = m_path.back() == '/' ? m_path + proposed.utf8_string() : m_path;
      EXPECT_TRUE(keyboard.Type(typed)) << "no keys type " << typed;
      // The chooser completes what was typed before it takes Return.
      guitest::Pump(200);
      keyboard.Press("Return");
    }
    m_busy = false;
  }

 private:
  // In ticks of 50 ms: the first try, the time between tries, and when to give up.
  static const int kFirst = 6, kAgain = 30, kGiveUp = kFirst + 15 * kAgain;
  std::string m_path;
  wxDialog* m_dialog = nullptr;
  int m_ticks = 0;
  bool m_done = false, m_busy = false;
};

}  // namespace guitest

#endif
