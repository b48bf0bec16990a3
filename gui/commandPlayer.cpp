#include "gui/commandPlayer.h"

#include <errno.h>
#include <signal.h>
#include <sys/wait.h>

#include <wx/app.h>
#include <wx/filefn.h>

#include "model/childProcess.h"
#include "model/log.h"

namespace {

// The player found on the PATH, or "". Looked up each time: one installed while the program
// runs is found.
wxString PlayerOnPath() {
  wxPathList list;
  list.AddEnvList("PATH");
  return list.FindAbsoluteValidPath("aplay");
}

// Starts the player with the file, in a process group of its own.
pid_t Spawn(const wxString& player, const wxString& path) {
  const wxCharBuffer program = player.fn_str();
  const wxCharBuffer file = path.fn_str();
  char quiet[] = "-q";
  char* argv[] = {const_cast<char*>(program.data()), quiet, const_cast<char*>(file.data()), nullptr};
  pid_t pid = 0;
  return childprocess::Spawn(argv, -1, false, &pid) == 0 ? pid : 0;
}

}  // namespace

CommandPlayer::~CommandPlayer() { Stop(); }

void CommandPlayer::Play(const wxString& path) {
  if (m_stopped) return;
  if (m_playing) {
    m_waiting = path;
    return;
  }
  Start(path);
}

void CommandPlayer::Start(const wxString& path) {
  const wxString player = PlayerOnPath();
  if (player.empty()) return;
  const pid_t pid = Spawn(player, path);
  if (pid <= 0) {
    TRACE_ERROR("no sound player could start");
    return;
  }
  m_pid = pid;
  m_playing = true;
  const std::weak_ptr<int> alive = m_alive;
  m_waiter = std::thread([this, pid, alive] {
    // The end is seen, not taken: the player stays a zombie until the GUI thread reaps it, so
    // that its id, which a stop kills as a group, can belong to no other process meanwhile.
    siginfo_t info;
    while (waitid(P_PID, id_t(pid), &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) {
    }
    if (m_stopped) return;
    if (wxAppConsole* app = wxAppConsole::GetInstance()) {
      app->CallAfter([this, alive] {
        if (alive.lock()) Ended();
      });
    }
  });
}

void CommandPlayer::Reap() {
  if (m_pid <= 0) return;
  while (waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
  }
  m_pid = 0;
}

void CommandPlayer::Ended() {
  // The thread has handed the end over: it is done, or about to be.
  if (m_waiter.joinable()) m_waiter.join();
  if (m_stopped) return;
  Reap();
  m_playing = false;
  if (m_waiting.empty()) return;
  const wxString next = m_waiting;
  m_waiting.clear();
  Start(next);
}

void CommandPlayer::Stop() {
  m_stopped = true;
  m_waiting.clear();
  if (m_pid > 0) kill(-m_pid, SIGKILL);
  if (m_waiter.joinable()) m_waiter.join();
  Reap();
  m_playing = false;
}
