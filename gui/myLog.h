// The toolkit's log target: each message the toolkit logs is stamped with its local time and
// handed to the controller, which reports it to the server. Until the controller exists the
// lines wait in a short buffer (and go to the error stream), so that logging during start-up
// never creates the controller before the settings are loaded.
#ifndef PARLAVOX_GUI_MYLOG_H
#define PARLAVOX_GUI_MYLOG_H

#include <wx/log.h>

#include <deque>
#include <functional>
#include <mutex>
#include <string>

class MyLog : public wxLog {
 public:
  using Sink = std::function<void(const std::string&)>;

  // Lines kept while no sink is set; older ones are dropped.
  static constexpr size_t kMaxWaiting = 100;

  // From now on lines go to `sink`; the waiting ones go first, in order.
  void SetSink(Sink sink);

  // "YYYY-MM-DD HH:MM:SS : message" in local time.
  static std::string FormatLine(time_t stamp, const wxString& message);

 protected:
  void DoLogRecord(wxLogLevel level, const wxString& message, const wxLogRecordInfo& info) override;

 private:
  std::mutex m_mutex;
  Sink m_sink;
  std::deque<std::string> m_waiting;
};

#endif
