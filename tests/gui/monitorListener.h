// Listens to the monitor of a test sound server's sink (pulseServer.h) on a thread of its own:
// what the server plays there is heard, as a sample louder than the silence of a null sink.
#ifndef PARLAVOX_TESTS_GUI_MONITORLISTENER_H
#define PARLAVOX_TESTS_GUI_MONITORLISTENER_H

#include <pulse/simple.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class MonitorListener {
 public:
  // Heard at this rate, one channel.
  static constexpr uint32_t kRate = 22050;
  // Louder than this is heard: the silence of a null sink is 0.
  static constexpr int kHeard = 1000;

  explicit MonitorListener(const std::string& server) {
    pa_sample_spec spec{PA_SAMPLE_S16LE, kRate, 1};
    pa_buffer_attr attr{uint32_t(-1), uint32_t(-1), uint32_t(-1), uint32_t(-1), kRate / 10 * 2};
    int error = 0;
    m_stream = pa_simple_new(server.c_str(), "soundPlayerTest", PA_STREAM_RECORD, "testsink.monitor", "monitor",
                             &spec, nullptr, &attr, &error);
    if (m_stream) m_thread = std::thread([this] { Listen(); });
  }
  ~MonitorListener() {
    m_done = true;
    if (m_thread.joinable()) m_thread.join();
    if (m_stream) pa_simple_free(m_stream);
  }
  MonitorListener(const MonitorListener&) = delete;
  MonitorListener& operator=(const MonitorListener&) = delete;

  bool Connected() const { return m_stream != nullptr; }

  // Whether something was heard since the last Forget, waiting up to `ms` for it.
  bool WaitHeard(int ms) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_heard; });
  }
  void Forget() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_heard = false;
  }
  // Whether a whole second passes, within `ms`, in which nothing is heard.
  bool WaitQuiet(int ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < deadline) {
      Forget();
      if (!WaitHeard(1000)) return true;
    }
    return false;
  }
  // How many samples louder than `level` were heard in all: the length of the tones heard so
  // loud, in samples at kRate.
  long SamplesLouderThan(int level) {
    std::lock_guard<std::mutex> lock(m_mutex);
    long louder = 0;
    for (int16_t s : m_loudSamples) louder += s > level || s < -level ? 1 : 0;
    return louder;
  }

 private:
  void Listen() {
    int16_t samples[1024];
    int error = 0;
    while (!m_done && pa_simple_read(m_stream, samples, sizeof samples, &error) == 0) {
      std::lock_guard<std::mutex> lock(m_mutex);
      for (int16_t s : samples) {
        if (s <= kHeard && s >= -kHeard) continue;
        m_heard = true;
        m_loudSamples.push_back(s);
      }
      if (m_heard) m_changed.notify_all();
    }
  }

  pa_simple* m_stream = nullptr;
  std::atomic<bool> m_done{false};
  std::mutex m_mutex;
  std::condition_variable m_changed;
  bool m_heard = false;
  std::vector<int16_t> m_loudSamples;
  std::thread m_thread;
};

#endif
