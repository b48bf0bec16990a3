#include "gui/serverSound.h"

#include <pulse/error.h>
#include <pulse/operation.h>

#include <algorithm>

#include "gui/wavFile.h"
#include "model/log.h"

namespace {

// What the server holds ahead of the speaker: small, so that a stop is heard at once and the
// last drain is short.
constexpr pa_usec_t kBufferedUsec = 100 * 1000;

void OnStop(pa_mainloop_api*, pa_io_event*, int, pa_io_event_flags_t, void* stopped) {
  *static_cast<bool*>(stopped) = true;
}

// 1 once the samples were played, -1 when the server could not say so.
void OnDrained(pa_stream*, int success, void* drained) { *static_cast<int*>(drained) = success ? 1 : -1; }

}  // namespace

ServerSound::ServerSound(int stop) : m_loop(pa_mainloop_new()) {
  if (!m_loop) return;
  pa_mainloop_api* api = pa_mainloop_get_api(m_loop);
  m_stopWatch = api->io_new(api, stop, PA_IO_EVENT_INPUT, &OnStop, &m_stopped);
}

ServerSound::~ServerSound() {
  // Nothing here waits for the server: it drops what it still held of the stream when it sees
  // the connection go, whenever that is.
  if (m_stream) {
    pa_stream_disconnect(m_stream);
    pa_stream_unref(m_stream);
  }
  if (m_context) {
    pa_context_disconnect(m_context);
    pa_context_unref(m_context);
  }
  if (m_loop) pa_mainloop_free(m_loop);
}

bool ServerSound::Failed() const {
  if (m_context && !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context))) return true;
  return m_stream && !PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream));
}

bool ServerSound::Wait(const std::function<bool()>& done) {
  while (!done()) {
    if (m_stopped || Failed()) return false;
    if (pa_mainloop_iterate(m_loop, 1, nullptr) < 0) return false;
  }
  return true;
}

void ServerSound::TraceFailure(const char* what) const {
  if (m_stopped) return;
  TRACE_INFO("%s: %s", what, m_context ? pa_strerror(pa_context_errno(m_context)) : "no event loop");
}

bool ServerSound::Open(const WavFile& wav) {
  if (!m_stopWatch) return false;
  m_context = pa_context_new(pa_mainloop_get_api(m_loop), "Parlavox");
  if (!m_context || pa_context_connect(m_context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0 ||
      !Wait([this] { return pa_context_get_state(m_context) == PA_CONTEXT_READY; })) {
    TraceFailure("no sound server");
    return false;
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
  m_stream = pa_stream_new(m_context, "notification", &spec, nullptr);
  if (!m_stream ||
      pa_stream_connect_playback(m_stream, nullptr, &buffer, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr) < 0 ||
      !Wait([this] { return pa_stream_get_state(m_stream) == PA_STREAM_READY; })) {
    TraceFailure("the sound server refused the sound");
    return false;
  }
  return true;
}

void ServerSound::Play(const std::string& samples) {
  // Whole frames only: the file holds whole frames, and so does the room the server gives.
  const size_t frame = pa_frame_size(pa_stream_get_sample_spec(m_stream));
  for (size_t at = 0; at < samples.size();) {
    size_t room = 0;
    if (!Wait([&] { return (room = pa_stream_writable_size(m_stream)) >= frame && room != size_t(-1); })) {
      TraceFailure("the sound server dropped the sound");
      return;
    }
    const size_t length = std::min(room - room % frame, samples.size() - at);
    if (pa_stream_write(m_stream, samples.data() + at, length, nullptr, 0, PA_SEEK_RELATIVE) < 0) {
      TraceFailure("the sound server dropped the sound");
      return;
    }
    at += length;
  }
  int drained = 0;
  pa_operation* drain = pa_stream_drain(m_stream, &OnDrained, &drained);
  if (!drain) return;
  if (!Wait([&] { return drained != 0; })) TraceFailure("the sound server did not finish the sound");
  // Cut short, the drain is let go: its answer, if one ever comes, reaches nobody.
  if (pa_operation_get_state(drain) == PA_OPERATION_RUNNING) pa_operation_cancel(drain);
  pa_operation_unref(drain);
}
