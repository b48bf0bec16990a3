// One sound played through the desktop's sound server on the caller's thread, by the server's
// asynchronous interface: every wait on the server (the connection, the stream, room for the
// samples, their end) is a turn of an event loop of the sound's own that also watches a stop
// descriptor. A server that answers slowly or not at all holds the caller only until the stop
// comes; the end drops the stream and the connection without asking the server anything.
#ifndef PARLAVOX_GUI_SERVERSOUND_H
#define PARLAVOX_GUI_SERVERSOUND_H

#include <pulse/context.h>
#include <pulse/mainloop.h>
#include <pulse/stream.h>

#include <functional>
#include <string>

struct WavFile;

class ServerSound {
 public:
  // `stop` becomes readable when the sound is to end at once; it is watched, never read.
  explicit ServerSound(int stop);
  ~ServerSound();
  ServerSound(const ServerSound&) = delete;
  ServerSound& operator=(const ServerSound&) = delete;

  // Connects to the sound server and opens a stream for the file's samples. False when no server
  // answered, when it refused the stream, or on the stop.
  bool Open(const WavFile& wav);
  // Hands the samples over as the server asks for them and waits until they are played. Returns
  // once they are, when the server drops the stream, or at the stop (the stream then cut short
  // by the destructor).
  void Play(const std::string& samples);

 private:
  // Turns the loop until done() holds; false at the stop or when the server failed first.
  bool Wait(const std::function<bool()>& done);
  bool Failed() const;
  void TraceFailure(const char* what) const;

  pa_mainloop* m_loop;
  pa_io_event* m_stopWatch = nullptr;
  bool m_stopped = false;
  pa_context* m_context = nullptr;
  pa_stream* m_stream = nullptr;
};

#endif
