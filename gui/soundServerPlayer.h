// Plays sound files through the desktop's sound server (PulseAudio, or PipeWire's service for
// PulseAudio clients) on a thread of its own, so that no caller ever waits for a sound. One sound
// plays at a time: one asked for meanwhile waits for its end, and a later one takes the waiting
// one's place, so that a burst of notices is heard as two sounds rather than minutes of them.
#ifndef PARLAVOX_GUI_SOUNDSERVERPLAYER_H
#define PARLAVOX_GUI_SOUNDSERVERPLAYER_H

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class SoundServerPlayer {
 public:
  // `noServer` is called, on the player's thread, with each file that could not be played
  // because no sound server answered.
  explicit SoundServerPlayer(std::function<void(const std::string&)> noServer);
  ~SoundServerPlayer();
  SoundServerPlayer(const SoundServerPlayer&) = delete;
  SoundServerPlayer& operator=(const SoundServerPlayer&) = delete;

  // Returns at once; the thread starts with the first sound.
  void Play(const std::string& path);
  // Cuts the sound playing short, drops the waiting one and ends the thread; later sounds are
  // ignored.
  void Stop();

 private:
  void Run();
  // False when no sound server answered.
  bool PlayOne(const std::string& path);

  std::function<void(const std::string&)> m_noServer;
  std::mutex m_mutex;
  std::condition_variable m_wake;
  std::string m_waiting;
  std::atomic<bool> m_stopping{false};
  std::thread m_thread;
};

#endif
