// What a window that is not built yet was asked to show, one line per call, so the main
// window's handlers can be followed before the window itself exists. Only the latest calls are
// kept, so that a flood of events does not grow the program's memory.
#ifndef PARLAVOX_GUI_CALLRECORD_H
#define PARLAVOX_GUI_CALLRECORD_H

#include <string>
#include <vector>

class CallRecord {
 public:
  const std::vector<std::string>& Calls() const { return m_calls; }
  void ClearCalls() { m_calls.clear(); }

 protected:
  void Record(const std::string& line) {
    if (m_calls.size() >= kKept) m_calls.erase(m_calls.begin(), m_calls.begin() + kKept / 2);
    m_calls.push_back(line);
  }

 private:
  static constexpr size_t kKept = 4096;
  std::vector<std::string> m_calls;
};

#endif
