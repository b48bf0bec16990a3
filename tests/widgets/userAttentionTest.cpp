#include <gtest/gtest.h>
#include <unistd.h>
#include <wx/evtloop.h>
#include <wx/frame.h>
#include <wx/utils.h>

#include "tests/program/screen.h"
#include "tests/widgets/widgetTestSupport.h"
#include "widgets/userAttention.h"

using widgettest::Pump;
using widgettest::PumpUntil;

namespace {

// Asking runs nothing that waits: a window's close from the desktop (and the question it opens),
// a message from the server, would otherwise run inside the request, where a question never gets
// the keyboard or the mouse. The mark is set only on a window the user is not on, and goes when
// the user comes to it.
TEST(UserAttention, AskedWithoutRunningWhatWaitsAndGoneOnceTheUserComes) {
  // As in the program, a loop runs (the toolkit's own request runs it only then).
  wxGUIEventLoop loop;
  wxEventLoopActivator running(&loop);
  widgettest::TestFrame active;
  active->Raise();
  ASSERT_TRUE(PumpUntil([&] { return active->IsActive(); }, 5000)) << "no window took the keyboard";
  auto* frame = new wxFrame(nullptr, wxID_ANY, wxT("rooms"), wxPoint(400, 100), wxSize(300, 200));
  int closes = 0;
  frame->Bind(wxEVT_CLOSE_WINDOW, [&closes](wxCloseEvent& event) {
    ++closes;
    event.Veto();
  });
  frame->Show();
  Pump(30);
  if (frame->IsActive()) active->Raise();
  ASSERT_TRUE(PumpUntil([&] { return active->IsActive() && !frame->IsActive(); }, 5000));

  // The desktop asks the window to close and a handler is queued; then attention is asked.
  programtest::Screen screen;
  ASSERT_TRUE(screen.Close(screen.WindowShown(getpid(), "rooms")));
  wxMilliSleep(50);
  bool ran = false;
  frame->CallAfter([&ran] { ran = true; });
  attention::Ask(frame);
  EXPECT_EQ(0, closes) << "asking ran the desktop's close";
  EXPECT_FALSE(ran) << "asking ran the queue";
  EXPECT_TRUE(attention::IsAsked(frame));
  // Asked again in a burst: still one mark, taken away once.
  attention::Ask(frame);
  EXPECT_TRUE(PumpUntil([&] { return ran && closes == 1; }, 5000));
  EXPECT_TRUE(attention::IsAsked(frame));

  frame->Raise();
  ASSERT_TRUE(PumpUntil([&] { return frame->IsActive(); }, 5000)) << "the window never became active";
  EXPECT_TRUE(PumpUntil([&] { return !attention::IsAsked(frame); }, 5000));
  // The window the user is on is not marked.
  attention::Ask(frame);
  EXPECT_FALSE(attention::IsAsked(frame));
  // Once the user has gone elsewhere it is marked again, and again cleared by coming back.
  active->Raise();
  ASSERT_TRUE(PumpUntil([&] { return active->IsActive(); }, 5000));
  attention::Ask(frame);
  EXPECT_TRUE(attention::IsAsked(frame));
  frame->Raise();
  EXPECT_TRUE(PumpUntil([&] { return frame->IsActive() && !attention::IsAsked(frame); }, 5000));
  frame->Destroy();
  Pump(10);
}

}  // namespace
