// The journal of what reached the server: each decoded client request on one line, written as
// it arrives, so that a test reads what a client really sent. A line is the sender's login ("-"
// before it logged in), the request's kind, then its fields as name=value: texts quoted (a
// quote, a backslash and control characters escaped), numbers and enumerations as they read
// in the schema, true/false, binary data as "<N bytes>", a nested value in braces, a list in
// brackets; a field left out is not written, the log-in key never and a password as ***.
//   alice sendmessage site="http://example.org/" message="Hi \"you\""
//   - connect login="bob" password=*** version="1.2" status=online default-avatar-hash=<20 bytes>
#ifndef PARLAVOX_STANDIN_JOURNAL_H
#define PARLAVOX_STANDIN_JOURNAL_H

#include <C2S-Request.h>

#include <cstdio>
#include <string>

namespace standin {

// The request as one journal line, without the sender.
std::string DescribeRequest(const C2S_Request_t& request);

class Journal {
 public:
  Journal() = default;
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  // Starts the journal afresh in the file; false when it cannot be written.
  bool Open(const std::string& path);
  // One line, flushed at once (a reader sees whole lines only).
  void Write(const std::string& sender, const C2S_Request_t& request);

 private:
  FILE* m_file = nullptr;
};

}  // namespace standin

#endif
