#include "network/sendQueue.h"

#include "model/log.h"

SendQueue::SendQueue(size_t maxMessages, size_t maxBytes) : m_maxMessages(maxMessages), m_maxBytes(maxBytes) {}

bool SendQueue::Push(std::vector<uint8_t>&& message) {
  size_t size = message.size();
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_finished && !m_closed && m_messages.size() < m_maxMessages && size <= m_maxBytes - m_bytes) {
      m_messages.push_back(std::move(message));
      m_bytes += size;
      m_cond.notify_one();
      return true;
    }
  }
  TRACE_ERROR("message of %zu bytes refused: link closed or its queue full", size);
  return false;
}

SendQueue::Take SendQueue::Next(std::vector<uint8_t>& batch, size_t maxBytes) {
  batch.clear();
  std::unique_lock<std::mutex> lock(m_mutex);
  m_cond.wait(lock, [this] { return m_closed || m_finished || !m_messages.empty(); });
  if (m_closed) return Take::kClosed;
  if (m_messages.empty()) return Take::kFinished;
  do {
    const std::vector<uint8_t>& first = m_messages.front();
    batch.insert(batch.end(), first.begin(), first.end());
    m_bytes -= first.size();
    m_messages.pop_front();
  } while (!m_messages.empty() && batch.size() + m_messages.front().size() <= maxBytes);
  return Take::kBytes;
}

void SendQueue::Finish() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_finished = true;
  m_cond.notify_all();
}

void SendQueue::Close() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_closed = true;
  m_messages.clear();
  m_bytes = 0;
  m_cond.notify_all();
}
