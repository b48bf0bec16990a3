// Answers a chain of modal dialogs with real input, from inside their own loops: each step
// waits until the dialog on top is on screen and its condition holds, then sends its clicks or
// keys. A dialog still open long after is cancelled, so that a test fails instead of hanging.
#ifndef PARLAVOX_TESTS_GUI_ROOMS_DIALOGSTEPS_H
#define PARLAVOX_TESTS_GUI_ROOMS_DIALOGSTEPS_H

#include <gtest/gtest.h>
#include <wx/dialog.h>
#include <wx/modalhook.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <functional>
#include <vector>

#include "tests/gui/guiTestSupport.h"

namespace roomstest {

class DialogSteps : public wxModalDialogHook, public wxTimer {
 public:
  struct Step {
    std::function<bool(wxDialog*)> ready;  // on the dialog on top
    std::function<void(wxDialog*)> act;
  };

  explicit DialogSteps(std::vector<Step> steps) : m_steps(std::move(steps)) {
    Register();
    Start(50);
  }
  ~DialogSteps() override { Stop(); }

  bool Done() const { return m_next == m_steps.size(); }

  // A real click in the middle of a window.
  static void Click(wxWindow* window, bool right = false) {
    wxUIActionSimulator sim;
    sim.MouseMove(window->GetScreenRect().GetPosition() + window->GetSize() / 2);
    sim.MouseClick(right ? wxMOUSE_BTN_RIGHT : wxMOUSE_BTN_LEFT);
  }

  // A step for a dialog of type T.
  template <class T>
  static Step On(std::function<bool(T*)> ready, std::function<void(T*)> act) {
    return {[ready](wxDialog* d) { T* t = dynamic_cast<T*>(d); return t && ready(t); },
            [act](wxDialog* d) { act(dynamic_cast<T*>(d)); }};
  }

 protected:
  int Enter(wxDialog* dialog) override {
    if (m_open.empty() || m_open.back() != dialog) m_open.push_back(dialog);
    m_ticks = 0;
    return wxID_NONE;
  }
  void Exit(wxDialog* dialog) override {
    for (size_t i = m_open.size(); i-- > 0;)
      if (m_open[i] == dialog) m_open.erase(m_open.begin() + long(i));
    m_ticks = 0;
  }
  void Notify() override {
    if (m_busy || m_open.empty()) return;
    wxDialog* top = m_open.back();
    if (++m_ticks > kGiveUp) {
      m_ticks = 0;
      if (top->IsModal()) {
        ADD_FAILURE() << "a dialog stayed open at step " << m_next;
        top->EndModal(wxID_CANCEL);
      }
      return;
    }
    if (Done() || m_ticks < kSettle || !top->IsShownOnScreen() || !m_steps[m_next].ready(top)) return;
    m_busy = true;
    top->Raise();
    m_steps[m_next++].act(top);
    m_ticks = 0;
    m_busy = false;
  }

 private:
  static const int kSettle = 6;    // ticks of 50 ms once a dialog is on screen
  static const int kGiveUp = 400;  // ticks without progress
  std::vector<Step> m_steps;
  std::vector<wxDialog*> m_open;
  size_t m_next = 0;
  int m_ticks = 0;
  bool m_busy = false;
};

}  // namespace roomstest

#endif
