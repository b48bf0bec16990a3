// The controller that a network thread reports to, bound and unbound while those threads run.
// A controller binds itself when it is made (the last binding holds) and unbinds on its
// destruction; a call never reaches a controller that has been unbound, and unbinding waits
// for the calls already inside it on other threads, so the controller can be destroyed as soon
// as its unbinding returns.
#ifndef PARLAVOX_NETWORK_CONTROLLERBINDING_H
#define PARLAVOX_NETWORK_CONTROLLERBINDING_H

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

template <typename T>
class ControllerBinding {
 public:
  explicit ControllerBinding(T* target = nullptr) : m_target(target) {}
  ControllerBinding(const ControllerBinding&) = delete;
  ControllerBinding& operator=(const ControllerBinding&) = delete;

  void Bind(T* target) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_target = target;
  }

  // Unbinds target when it is the bound controller (otherwise the binding stays as it is).
  // Either way it returns once no other thread is inside a call to target. A call of this
  // thread's own (an unbinding from within a call) is not waited for. Must not be called with
  // a lock held that those calls may need.
  void Unbind(T* target) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_target == target) m_target = nullptr;
    const std::thread::id self = std::this_thread::get_id();
    m_idle.wait(lock, [&] {
      return std::none_of(m_calls.begin(), m_calls.end(), [&](const std::pair<T*, std::thread::id>& call) {
        return call.first == target && call.second != self;
      });
    });
  }

  T* Bound() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_target;
  }

  // Calls f with the bound controller; false (and f not called) when none is bound.
  template <typename F>
  bool Call(F&& f) {
    T* target;
    const std::thread::id self = std::this_thread::get_id();
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      target = m_target;
      if (!target) return false;
      m_calls.emplace_back(target, self);
    }
    struct Leave {
      ControllerBinding* binding;
      T* target;
      std::thread::id self;
      ~Leave() {
        std::lock_guard<std::mutex> lock(binding->m_mutex);
        auto& calls = binding->m_calls;
        auto it = std::find(calls.begin(), calls.end(), std::make_pair(target, self));
        if (it != calls.end()) calls.erase(it);
        binding->m_idle.notify_all();
      }
    } leave{this, target, self};
    f(*target);
    return true;
  }

 private:
  std::mutex m_mutex;
  std::condition_variable m_idle;
  T* m_target;
  // The calls in progress: which controller, on which thread.
  std::vector<std::pair<T*, std::thread::id>> m_calls;
};

#endif
