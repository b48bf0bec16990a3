// The outgoing messages of one link waiting for its writer thread, in the order they were
// queued. It is bounded both in messages and in bytes, so that a peer that stops reading
// costs a known amount of memory: past the bound a message is refused, never waited for.
#ifndef PARLAVOX_NETWORK_SENDQUEUE_H
#define PARLAVOX_NETWORK_SENDQUEUE_H

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

class SendQueue {
 public:
  enum class Take {
    kBytes,     // the batch holds one or more messages to write
    kFinished,  // Finish was called and everything queued before it was taken
    kClosed,    // Close was called: what was queued is dropped
  };

  SendQueue(size_t maxMessages, size_t maxBytes);
  SendQueue(const SendQueue&) = delete;
  SendQueue& operator=(const SendQueue&) = delete;

  // Queues one encoded message; false when the queue is finished, closed or over a bound.
  bool Push(std::vector<uint8_t>&& message);
  // Waits for messages and moves the oldest ones into batch, whole and in order: at least
  // one, and more while the batch stays within maxBytes.
  Take Next(std::vector<uint8_t>& batch, size_t maxBytes);
  // Refuses new messages; the ones already queued are still handed out.
  void Finish();
  // Refuses new messages and drops the queued ones.
  void Close();

 private:
  const size_t m_maxMessages;
  const size_t m_maxBytes;
  std::mutex m_mutex;
  std::condition_variable m_cond;
  std::deque<std::vector<uint8_t>> m_messages;
  size_t m_bytes = 0;
  bool m_finished = false;
  bool m_closed = false;
};

#endif
