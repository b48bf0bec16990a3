// Every thread the program starts, accounted for from its start to its join.
//
// A thread is started with its body and a way to wake it (close its socket, set its stop flag,
// write to its pipe). At the end, StopAll asks each running thread to stop, waits a bounded
// time for them and joins them, so that main returns with one thread of the program's alive and
// the statics are destroyed under no other. Finished threads are joined as new ones start, so
// the accounting never grows with the number of transfers a session runs.
#ifndef PARLAVOX_MODEL_PROGRAMTHREADS_H
#define PARLAVOX_MODEL_PROGRAMTHREADS_H

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

namespace programThreads {

// Runs body on a new thread. wake, when given, is called (from the ending thread, once) to make
// a blocking body return soon; it must be safe to call at any time, even after body returned.
// Once the end has begun, nothing new starts: body is dropped and false returned.
bool Start(const std::string& name, std::function<void()> body, std::function<void()> wake = nullptr);

// True once the end has begun: bodies that poll (a transfer's progress call) give up then.
bool Ending();

// How many started threads have not returned yet.
size_t Running();

// Begins the end: wakes every running thread, waits for them all within limit and joins those
// that returned. Returns how many are still running (0 on a clean end), with the names of those
// in *late when given. Called once, from the thread that will return from main.
size_t StopAll(std::chrono::milliseconds limit, std::string* late = nullptr);

}  // namespace programThreads

#endif
