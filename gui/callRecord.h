// What a window that is not built yet was asked to show, one line per call, so the main
// window's handlers can be followed before the window itself exists.
#ifndef PARLAVOX_GUI_CALLRECORD_H
#define PARLAVOX_GUI_CALLRECORD_H

#include <string>
#include <vector>

class CallRecord {
 public:
  const std::vector<std::string>& Calls() const { return m_calls; }
  void ClearCalls() { m_calls.clear(); }

 protected:
  void Record(const std::string& line) { m_calls.push_back(line); }

 private:
  std::vector<std::string> m_calls;
};

#endif
