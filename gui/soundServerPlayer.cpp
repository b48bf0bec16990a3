#include "gui/soundServerPlayer.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>

#include "gui/wavFile.h"
#include "model/log.h"

namespace {

// What the server holds ahead of the speaker: small, so that a stop is heard at once and the
// last drain is short.
constexpr pa_usec_t kBufferedUsec = 100 * 1000;
constexpr pa_usec_t kChunkUsec = 50 * 1000;

}  // namespace

SoundServerPlayer::SoundServerPlayer(std::function<void(const std::string&)> noServer)
    : m_noServer(std::move(noServer)) {}

SoundServerPlayer::~SoundServerPlayer() { Stop(); }

void SoundServerPlayer::Play(const std::string& path) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_stopping) return;
  m_waiting = path;
  if (!m_thread.joinable()) m_thread = std::thread(&SoundServerPlayer::Run, this);
  m_wake.notify_one();
}

void SoundServerPlayer::Stop() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stopping = true;
    m_waiting.clear();
    m_wake.notify_one();
  }
  if (m_thread.joinable()) m_thread.join();
}

void SoundServerPlayer::Run() {
  for (;;) {
    std::string path;
    {
      std::unique_lock<std::mutex> lock(m_mutex);
      m_wake.wait(lock, [this] { return m_stopping || !m_waiting.empty(); });
      if (m_stopping) return;
      path.swap(m_waiting);
    }
    if (!PlayOne(path) && m_noServer) m_noServer(path);
  }
}

bool SoundServerPlayer::PlayOne(const std::string& path) {
  WavFile wav;
  if (!wav.Load(path)) {
    TRACE_ERROR("not a sound that can be played: %s", path.c_str());
    return true;
  }
  pa_sample_spec spec;
  spec.format = wav.bitsPerSample == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE;
  spec.rate = wav.rate;
  spec.channels = uint8_t(wav.channels);
  pa_buffer_attr buffer;
  buffer.maxlength = uint32_t(-1);
  buffer.tlength = uint32_t(pa_usec_to_bytes(kBufferedUsec, &spec));
  buffer.prebuf = uint32_t(-1);
  buffer.minreq = uint32_t(-1);
  buffer.fragsize = uint32_t(-1);
  int error = 0;
  pa_simple* stream =
      pa_simple_new(nullptr, "Parlavox", PA_STREAM_PLAYBACK, nullptr, "notification", &spec, nullptr, &buffer, &error);
  if (!stream) {
    TRACE_INFO("no sound server: %s", pa_strerror(error));
    return false;
  }
  const size_t chunk = std::max<size_t>(pa_usec_to_bytes(kChunkUsec, &spec), pa_frame_size(&spec));
  bool failed = false;
  for (size_t at = 0; at < wav.samples.size() && !m_stopping && !failed; at += chunk)
    failed = pa_simple_write(stream, wav.samples.data() + at, std::min(chunk, wav.samples.size() - at), &error) < 0;
  if (failed) TRACE_ERROR("the sound server dropped the sound: %s", pa_strerror(error));
  else if (m_stopping) pa_simple_flush(stream, &error);
  else pa_simple_drain(stream, &error);
  pa_simple_free(stream);
  return true;
}
