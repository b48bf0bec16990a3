// Ending the process once its exit sequence is done (settings saved, log written, links and
// listeners closed).
//
// EndThreads stops every thread the program started (see programThreads.h) and joins them,
// within a bounded time: main then returns, and the statics are destroyed under no other thread
// of the program's. A thread that could not be stopped in time (a name lookup that does not
// return, say) must not hold the end: EndProcess then writes out what the standard streams hold
// and ends the process without running the destructor of any static object, so that thread
// never meets one half destroyed. The statics such a thread may read (the data and user paths,
// the download folder, the logger, the listener's instance) are made so as to survive the
// return from main as well.
#ifndef PARLAVOX_MODEL_PROCESSEND_H
#define PARLAVOX_MODEL_PROCESSEND_H

#include <chrono>

// The time the threads are given to return once asked to stop.
constexpr std::chrono::milliseconds kThreadsEndLimit{2000};

// Stops and joins the program's threads; traces how many are still running. True when none is.
// A later call waits no more: it joins those that have returned since.
bool EndThreads(std::chrono::milliseconds limit = kThreadsEndLimit);

// The system asked the program to end (a signal): set from the signal handler itself, so that
// what is already queued for the GUI thread gives way to the end. Never unset.
void AskEnd();
bool EndAsked();

// Builds with the leak checker run it here, as it would have run at exit: leaks found end the
// process with the checker's own failing status instead of `status`.
[[noreturn]] void EndProcess(int status);

#endif
