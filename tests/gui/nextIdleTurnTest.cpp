// Idle work spread over many turns of the real event loop.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/frame.h>
#include <wx/timer.h>

#include <dlfcn.h>

#include "model/nextIdleTurn.h"

namespace {

// GLib's own functions, found at run time: the tests are not built against the tool kit's headers.
template <typename Function>
Function Find(const char* name) {
  return reinterpret_cast<Function>(dlsym(RTLD_DEFAULT, name));
}

// A source's count of references, the fourth field of its public structure.
unsigned References(void* source) { return *reinterpret_cast<unsigned*>(static_cast<char*>(source) + 3 * sizeof(void*)); }

// Runs the event loop while `turns` idle turns, each asking for the next, are taken.
int RunIdleTurns(int turns) {
  wxEventLoop loop;
  wxEventLoopActivator active(&loop);
  int taken = 0;
  auto onIdle = [&](wxIdleEvent& event) {
    event.Skip();
    if (taken == turns) return loop.ScheduleExit();
    ++taken;
    AskNextIdleTurn();
  };
  // A window of its own, shown, takes the idle events as the program's windows do.
  wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "idle");
  frame->SetExtraStyle(wxWS_EX_PROCESS_IDLE);
  frame->Bind(wxEVT_IDLE, onIdle);
  frame->Show();
  wxTimer bound;
  bound.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { loop.ScheduleExit(); });
  bound.StartOnce(60000);
  AskNextIdleTurn();
  loop.Run();
  frame->Unbind(wxEVT_IDLE, onIdle);
  frame->Destroy();
  return taken;
}

}  // namespace

// A source often ready (a timer of a millisecond, as a running animation has) keeps the references it had: a reference
// left by each turn made the loop walk past more dead sources at every later turn, and the
// program slowed the longer it ran.
TEST(NextIdleTurn, ManyTurnsLeaveTheLoopNoReferenceOnReadySources) {
  const auto newTimeout = Find<void* (*)(unsigned)>("g_timeout_source_new");
  const auto setCallback = Find<void (*)(void*, int (*)(void*), void*, void (*)(void*))>("g_source_set_callback");
  const auto attach = Find<unsigned (*)(void*, void*)>("g_source_attach");
  const auto destroy = Find<void (*)(void*)>("g_source_destroy");
  const auto unref = Find<void (*)(void*)>("g_source_unref");
  ASSERT_TRUE(newTimeout && setCallback && attach && destroy && unref);
  void* ready = newTimeout(1);
  int fired = 0;
  setCallback(ready, [](void* count) { return ++*static_cast<int*>(count), 1; }, &fired, nullptr);
  attach(ready, nullptr);
  const unsigned before = References(ready);
  EXPECT_EQ(500, RunIdleTurns(500));
  EXPECT_GT(fired, 0);
  EXPECT_EQ(before, References(ready));
  destroy(ready);
  unref(ready);
}
