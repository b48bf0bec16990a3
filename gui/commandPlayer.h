// Plays sound files through the command-line player (aplay) found on the PATH, one at a time: a
// sound asked for while one plays waits for its end, and a later one takes the waiting one's
// place, so that a crowd's arrivals make a sound or two, not a process each. Each player's end is
// waited for by a thread of its own, which hands it to the GUI thread: no end can go unnoticed
// and leave every later sound waiting. GUI thread only, but for the waiting threads.
#ifndef PARLAVOX_GUI_COMMANDPLAYER_H
#define PARLAVOX_GUI_COMMANDPLAYER_H

#include <sys/types.h>

#include <atomic>
#include <memory>
#include <thread>

#include <wx/string.h>

class CommandPlayer {
 public:
  CommandPlayer() = default;
  ~CommandPlayer();
  CommandPlayer(const CommandPlayer&) = delete;
  CommandPlayer& operator=(const CommandPlayer&) = delete;

  void Play(const wxString& path);
  // Ends the sound playing and its thread; nothing plays afterwards.
  void Stop();

 private:
  void Start(const wxString& path);
  void Ended();
  // Takes the ended player's zombie.
  void Reap();

  bool m_playing = false;
  wxString m_waiting;
  pid_t m_pid = 0;
  std::thread m_waiter;
  std::atomic<bool> m_stopped{false};
  // What a waiting thread's hand-over looks at, on the GUI thread, before it touches the player:
  // gone with the player, so that an end handed over late finds nothing.
  std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

#endif
