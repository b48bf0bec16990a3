#include "tests/gui/guiTestSupport.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/timer.h>

#include <chrono>
#include <thread>

namespace guitest {

void Pump(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) {
    wxTheApp->ProcessPendingEvents();
    if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) {
      while (loop->Pending()) loop->Dispatch();
    } else {
      wxTheApp->Yield(true);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

bool PumpUntil(const std::function<bool()>& cond, int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!cond()) {
    if (std::chrono::steady_clock::now() >= end) return cond();
    Pump(10);
  }
  return true;
}

ModalDriver::ModalDriver(wxDialog* dialog, const std::function<void()>& input) : m_dialog(dialog), m_input(input) {
  Start(20);
}

void ModalDriver::Notify() {
  ++m_ticks;
  if (!m_sent && m_dialog->IsShownOnScreen() && m_ticks >= 5) {
    m_sent = true;
    m_dialog->Raise();
    m_input();
    return;
  }
  if (m_ticks > 250 && m_dialog->IsModal()) {
    timedOut = true;
    Stop();
    m_dialog->EndModal(-12345);
  }
}

int RunModal(wxDialog* dialog, const std::function<void()>& input) {
  ModalDriver driver(dialog, input);
  const int answer = dialog->ShowModal();
  driver.Stop();
  EXPECT_FALSE(driver.timedOut) << "the dialog did not answer the input";
  return answer;
}

}  // namespace guitest
