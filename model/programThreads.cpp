#include "model/programThreads.h"

#include <atomic>
#include <cstdlib>
#include <condition_variable>
#include <list>
#include <mutex>
#include <thread>
#include <vector>

namespace programThreads {
namespace {

struct Entry {
  std::string name;
  std::function<void()> wake;
  std::thread thread;
  bool done = false;
};

struct Roll {
  std::mutex mutex;
  std::condition_variable finished;
  std::list<Entry> entries;
  std::atomic<bool> ending{false};
};

void JoinFinishedAtExit();

// Made on first use and never destroyed: a thread left running at a forced end may still
// report to it.
Roll& TheRoll() {
  static Roll* roll = [] {
    std::atexit(&JoinFinishedAtExit);
    return new Roll;
  }();
  return *roll;
}

// Takes the entries of threads that have returned out of the roll (lock held).
std::list<Entry> TakeDone(Roll& roll) {
  std::list<Entry> done;
  for (auto it = roll.entries.begin(); it != roll.entries.end();) {
    auto next = std::next(it);
    if (it->done) done.splice(done.end(), roll.entries, it);
    it = next;
  }
  return done;
}

// Joins threads that have marked themselves done: each only has its return left to make.
void Join(std::list<Entry>& done) {
  for (Entry& entry : done)
    if (entry.thread.joinable()) entry.thread.join();
}

// A process that returns from main without ending its threads first (a test program) joins
// those that have returned and lets the others go as they are, waiting for none; the program
// itself has joined them all by then.
void JoinFinishedAtExit() {
  Roll& roll = TheRoll();
  std::list<Entry> done;
  {
    std::lock_guard<std::mutex> lock(roll.mutex);
    done = TakeDone(roll);
    for (Entry& entry : roll.entries)
      if (entry.thread.joinable()) entry.thread.detach();
  }
  Join(done);
}

}  // namespace

bool Start(const std::string& name, std::function<void()> body, std::function<void()> wake) {
  Roll& roll = TheRoll();
  std::list<Entry> done;
  {
    std::lock_guard<std::mutex> lock(roll.mutex);
    if (roll.ending) return false;
    done = TakeDone(roll);
    roll.entries.emplace_back();
    Entry* entry = &roll.entries.back();
    entry->name = name;
    entry->wake = std::move(wake);
    // The entry stays in the roll until its thread is joined, so the thread may mark it.
    entry->thread = std::thread([&roll, entry, body = std::move(body)]() mutable {
      body();
      // What the body captured goes on this thread, before it counts as done.
      body = nullptr;
      std::lock_guard<std::mutex> lock(roll.mutex);
      entry->done = true;
      roll.finished.notify_all();
    });
  }
  Join(done);
  return true;
}

bool Ending() { return TheRoll().ending; }

size_t Running() {
  Roll& roll = TheRoll();
  std::lock_guard<std::mutex> lock(roll.mutex);
  size_t running = 0;
  for (const Entry& entry : roll.entries) running += entry.done ? 0 : 1;
  return running;
}

size_t StopAll(std::chrono::milliseconds limit, std::string* late) {
  Roll& roll = TheRoll();
  const auto deadline = std::chrono::steady_clock::now() + limit;
  std::vector<std::function<void()>> wakes;
  {
    std::lock_guard<std::mutex> lock(roll.mutex);
    roll.ending = true;
    for (const Entry& entry : roll.entries)
      if (!entry.done && entry.wake) wakes.push_back(entry.wake);
  }
  // Out of the lock: a wake may trace, or take a lock a body holds while it finishes.
  for (auto& wake : wakes) wake();
  std::list<Entry> done;
  size_t running = 0;
  {
    std::unique_lock<std::mutex> lock(roll.mutex);
    auto allDone = [&] {
      for (const Entry& entry : roll.entries)
        if (!entry.done) return false;
      return true;
    };
    roll.finished.wait_until(lock, deadline, allDone);
    done = TakeDone(roll);
    for (Entry& entry : roll.entries) {
      ++running;
      if (late) *late += (late->empty() ? "" : ", ") + entry.name;
    }
  }
  Join(done);
  return running;
}

}  // namespace programThreads
