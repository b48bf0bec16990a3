// Plays sound files through the desktop's sound server (PulseAudio, or PipeWire's service for
// PulseAudio clients) on a thread of its own, so that no caller ever waits for a sound. One sound
// plays at a time: one asked for meanwhile waits for its end, and a later one takes the waiting
// one's place, so that a burst of notices is heard as two sounds rather than minutes of them.
//
// The thread is one of the program's (programThreads.h), woken by Stop. It waits on the server
// only in turns of an event loop that also watches the stop (serverSound.h): a server that stops
// answering in the middle of a sound holds no end of the program. What the thread uses is shared
// with it, so that it outlives the player when it has to.
#ifndef PARLAVOX_GUI_SOUNDSERVERPLAYER_H
#define PARLAVOX_GUI_SOUNDSERVERPLAYER_H

#include <chrono>
#include <functional>
#include <memory>
#include <string>

class SoundServerPlayer {
 public:
  // `noServer` is called, on the player's thread, with each file that could not be played
  // because no sound server answered; never once Stop was called.
  explicit SoundServerPlayer(std::function<void(const std::string&)> noServer);
  // Stops the player; its thread ends on its own.
  ~SoundServerPlayer();
  SoundServerPlayer(const SoundServerPlayer&) = delete;
  SoundServerPlayer& operator=(const SoundServerPlayer&) = delete;

  // Returns at once; the thread starts with the first sound.
  void Play(const std::string& path);
  // Cuts the sound playing short, drops the waiting one and has the thread end; later sounds are
  // ignored. Returns at once; safe from any thread.
  void Stop();
  // Whether the thread has ended (or never started), waiting up to `limit` for it.
  bool WaitEnded(std::chrono::milliseconds limit);

 private:
  struct Shared;
  std::shared_ptr<Shared> m_shared;
};

#endif
