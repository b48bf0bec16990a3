#include "model/processEnd.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "model/log.h"
#include "model/programThreads.h"

#if defined(__SANITIZE_ADDRESS__)
#define PARLAVOX_LEAK_CHECK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(leak_sanitizer)
#define PARLAVOX_LEAK_CHECK 1
#endif
#endif

#ifdef PARLAVOX_LEAK_CHECK
#include <sanitizer/lsan_interface.h>
#endif

namespace {

// Lock-free, so that a signal handler may set it.
std::atomic<bool> g_endAsked{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

}  // namespace

void AskEnd() { g_endAsked.store(true, std::memory_order_relaxed); }

bool EndAsked() { return g_endAsked.load(std::memory_order_relaxed); }

bool EndThreads(std::chrono::milliseconds limit) {
  // A second call (main after the application's own end) only joins what has returned since.
  static bool s_called = false;
  if (s_called) limit = std::chrono::milliseconds(0);
  s_called = true;
  std::string late;
  const size_t running = programThreads::StopAll(limit, &late);
  if (running == 0) TRACE_INFO("threads still running: 0");
  else TRACE_ERROR("threads still running: %zu (%s)", running, late.c_str());
  return running == 0;
}

void EndProcess(int status) {
  log_flush();
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
#ifdef PARLAVOX_LEAK_CHECK
  // _Exit skips the check the leak checker makes at exit; it is made here instead. What the
  // statics and the running threads still hold is reachable, so only true leaks are reported.
  __lsan_do_leak_check();
#endif
  std::_Exit(status);
}
