#include "network/uploadProgress.h"

#include <utility>

#include "network/fileTransferLink.h"

UploadProgress::UploadProgress(FileTransferLink& link, std::function<void(int64_t)> report)
    : m_link(link), m_report(std::move(report)), m_lastReport(std::chrono::steady_clock::now() - kInterval) {}

void UploadProgress::Queued(int64_t bytes) {
  m_queued += bytes;
  m_marks.push_back({m_link.QueuedEnd(), m_queued});
}

int64_t UploadProgress::Gone() {
  const int64_t taken = m_link.Taken();
  while (!m_marks.empty() && m_marks.front().wireEnd <= taken) {
    m_gone = m_marks.front().fileEnd;
    m_marks.pop_front();
  }
  return m_gone;
}

void UploadProgress::Tick() {
  const auto now = std::chrono::steady_clock::now();
  if (now - m_lastReport < kInterval) return;
  const int64_t gone = Gone();
  if (gone == m_reported) return;
  m_reported = gone;
  m_lastReport = now;
  m_report(gone);
}
