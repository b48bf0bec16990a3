#include "gui/myLog.h"

#include <cstdio>
#include <ctime>

#include "model/stringConversion.h"

std::string MyLog::FormatLine(time_t stamp, const wxString& message) {
  char buffer[100] = "";
  struct tm local;
  if (!localtime_r(&stamp, &local) || strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local) == 0) {
    fputs("get_timestamp : ERROR\n", stderr);
    buffer[0] = '\0';
  }
  return std::string(buffer) + " : " + wx2std(message);
}

void MyLog::SetSink(Sink sink) {
  std::deque<std::string> waiting;
  {
    std::lock_guard<std::mutex> hold(m_mutex);
    m_sink = sink;
    waiting.swap(m_waiting);
  }
  if (!sink) return;
  for (const std::string& line : waiting) sink(line);
}

void MyLog::DoLogRecord(wxLogLevel, const wxString& message, const wxLogRecordInfo& info) {
  const std::string line = FormatLine(static_cast<time_t>(info.timestampMS / 1000), message);
  Sink sink;
  {
    std::lock_guard<std::mutex> hold(m_mutex);
    sink = m_sink;
    if (!sink) {
      m_waiting.push_back(line);
      if (m_waiting.size() > kMaxWaiting) m_waiting.pop_front();
    }
  }
  if (sink) sink(line);
  else fprintf(stderr, "%s\n", line.c_str());
}
