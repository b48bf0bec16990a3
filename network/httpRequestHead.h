// The head of one HTTP request (request line and header fields), read as its bytes come in,
// with bounds on everything it keeps: the request line is cut at kMaxRequestLine bytes, only the
// fields the caller names are kept, each value to kMaxValue bytes, and a head of more than
// kMaxFields field lines or kMaxHeadBytes bytes is given up as too large.
#ifndef PARLAVOX_NETWORK_HTTPREQUESTHEAD_H
#define PARLAVOX_NETWORK_HTTPREQUESTHEAD_H

#include <cstddef>
#include <string>
#include <vector>

class HttpRequestHead {
 public:
  static constexpr size_t kMaxRequestLine = 1000;
  static constexpr size_t kMaxValue = 1024;
  static constexpr size_t kMaxFields = 100;
  static constexpr size_t kMaxHeadBytes = 32 * 1024;

  enum class State {
    kReading,    // more bytes are needed
    kComplete,   // the blank line that ends the head came, or the stream ended
    kTooLarge,   // too many field lines or bytes
    kMalformed,  // a NUL or control byte, a folded line, a field line without a name
  };

  // A kept field: the first line of that name; the value without the blanks around it.
  struct Field {
    std::string name;  // in lower case
    std::string value;
    bool cut = false;       // the value was longer than kMaxValue
    bool repeated = false;  // the name came on more than one line
  };

  // wanted: the names of the fields to keep (any case); the others are read and passed over.
  explicit HttpRequestHead(std::vector<std::string> wanted);

  // Takes the next bytes of the stream; those after the end of the head are ignored.
  void Feed(const char* data, size_t size);
  // The stream ended: what came so far is the head (a last line without its line feed counts).
  void End();

  State GetState() const { return m_state; }
  // True once the request line has come whole (up to its line feed or cut at its bound).
  bool HasRequestLine() const { return m_stage != Stage::kRequestLine; }
  // Everything before the request line's line feed (a carriage return stays), at most
  // kMaxRequestLine bytes.
  const std::string& RequestLine() const { return m_requestLine; }
  const std::vector<Field>& Fields() const { return m_fields; }
  // The kept field of that name (lower case), or null.
  const Field* Find(const std::string& name) const;

 private:
  enum class Stage { kRequestLine, kRestOfRequestLine, kFields, kDone };
  void TakeRequestLineByte(char c);
  void TakeFieldByte(char c);
  void EndFieldLine();
  void Fail(State state);

  std::vector<std::string> m_wanted;
  State m_state = State::kReading;
  Stage m_stage = Stage::kRequestLine;
  size_t m_bytes = 0;
  size_t m_lines = 0;
  std::string m_requestLine;
  // The field line being read, kept to the longest a kept field may take; its length so far.
  std::string m_line;
  size_t m_lineLength = 0;
  bool m_return = false;  // the last byte was a carriage return
  std::vector<Field> m_fields;
};

#endif
