#include "gui/soundServerPlayer.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>

#include "gui/serverSound.h"
#include "gui/wavFile.h"
#include "model/log.h"
#include "model/programThreads.h"

struct SoundServerPlayer::Shared {
  explicit Shared(std::function<void(const std::string&)> handOn)
      : noServer(std::move(handOn)), stop(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (stop < 0) {
      TRACE_ERROR("no sounds through the sound server: no event descriptor");
      stopping = true;
    }
  }
  ~Shared() {
    if (stop >= 0) close(stop);
  }

  void Stop();
  void Run();
  // False when no sound server answered.
  bool PlayOne(const std::string& path);

  const std::function<void(const std::string&)> noServer;
  std::mutex mutex;
  std::condition_variable wake;
  std::condition_variable ended;
  std::string waiting;
  bool running = false;
  bool stopping = false;
  // Readable from the first stop on (never read): every wait on the server watches it.
  const int stop;
};

void SoundServerPlayer::Shared::Stop() {
  std::lock_guard<std::mutex> lock(mutex);
  stopping = true;
  waiting.clear();
  wake.notify_all();
  if (stop >= 0) (void)!eventfd_write(stop, 1);
}

void SoundServerPlayer::Shared::Run() {
  for (;;) {
    std::string path;
    {
      std::unique_lock<std::mutex> lock(mutex);
      wake.wait(lock, [this] { return stopping || !waiting.empty(); });
      if (stopping) break;
      path.swap(waiting);
    }
    if (PlayOne(path)) continue;
    // Under the lock, so that nothing is handed on once the player was stopped: what it hands
    // to (the application) may be going.
    std::lock_guard<std::mutex> lock(mutex);
    if (!stopping && noServer) noServer(path);
  }
  std::lock_guard<std::mutex> lock(mutex);
  running = false;
  ended.notify_all();
}

bool SoundServerPlayer::Shared::PlayOne(const std::string& path) {
  WavFile wav;
  if (!wav.Load(path)) {
    TRACE_ERROR("not a sound that can be played: %s", path.c_str());
    return true;
  }
  ServerSound sound(stop);
  if (!sound.Open(wav)) return false;
  sound.Play(wav.samples);
  return true;
}

SoundServerPlayer::SoundServerPlayer(std::function<void(const std::string&)> noServer)
    : m_shared(std::make_shared<Shared>(std::move(noServer))) {}

SoundServerPlayer::~SoundServerPlayer() { Stop(); }

void SoundServerPlayer::Play(const std::string& path) {
  Shared& shared = *m_shared;
  {
    std::lock_guard<std::mutex> lock(shared.mutex);
    if (shared.stopping) return;
    shared.waiting = path;
    shared.wake.notify_all();
    if (shared.running) return;
    shared.running = true;
  }
  // Out of the lock: the program's threads are started, and woken, under a lock of their own.
  const std::shared_ptr<Shared> kept = m_shared;
  if (programThreads::Start("sound player", [kept] { kept->Run(); }, [kept] { kept->Stop(); })) return;
  // The program is ending: nothing plays any more.
  std::lock_guard<std::mutex> lock(shared.mutex);
  shared.stopping = true;
  shared.waiting.clear();
  shared.running = false;
  shared.ended.notify_all();
}

void SoundServerPlayer::Stop() { m_shared->Stop(); }

bool SoundServerPlayer::WaitEnded(std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lock(m_shared->mutex);
  return m_shared->ended.wait_for(lock, limit, [this] { return !m_shared->running; });
}
