#include "network/httpRequestHead.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

// A field line is kept up to this many bytes: a name, its colon and blanks, and the value.
constexpr size_t kMaxKeptLine = HttpRequestHead::kMaxValue + 128;

bool IsTokenChar(unsigned char c) { return std::isalnum(c) || std::strchr("!#$%&'*+-.^_`|~", c) != nullptr; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

HttpRequestHead::HttpRequestHead(std::vector<std::string> wanted) : m_wanted(std::move(wanted)) {
  for (std::string& name : m_wanted) name = Lower(name);
}

const HttpRequestHead::Field* HttpRequestHead::Find(const std::string& name) const {
  for (const Field& field : m_fields)
    if (field.name == name) return &field;
  return nullptr;
}

void HttpRequestHead::Fail(State state) {
  m_state = state;
  m_stage = Stage::kDone;
}

void HttpRequestHead::Feed(const char* data, size_t size) {
  for (size_t i = 0; i < size && m_state == State::kReading; ++i) {
    char c = data[i];
    if (++m_bytes > kMaxHeadBytes) {
      Fail(State::kTooLarge);
    } else if (c == '\0') {
      Fail(State::kMalformed);
    } else if (m_stage == Stage::kRequestLine) {
      TakeRequestLineByte(c);
    } else if (m_stage == Stage::kRestOfRequestLine) {
      if (c == '\n') m_stage = Stage::kFields;
    } else {
      TakeFieldByte(c);
    }
  }
}

void HttpRequestHead::TakeRequestLineByte(char c) {
  if (c == '\n') {
    m_stage = Stage::kFields;
    return;
  }
  m_requestLine += c;
  // Cut at the bound: the rest of the line is read and passed over.
  if (m_requestLine.size() >= kMaxRequestLine) m_stage = Stage::kRestOfRequestLine;
}

void HttpRequestHead::TakeFieldByte(char c) {
  // A carriage return may only end a line.
  if (m_return) {
    m_return = false;
    return c == '\n' ? EndFieldLine() : Fail(State::kMalformed);
  }
  if (c == '\n') return EndFieldLine();
  if (c == '\r') {
    m_return = true;
    return;
  }
  unsigned char byte = static_cast<unsigned char>(c);
  if ((byte < 0x20 && c != '\t') || byte == 0x7f) return Fail(State::kMalformed);
  ++m_lineLength;
  if (m_line.size() < kMaxKeptLine) m_line += c;
}

void HttpRequestHead::EndFieldLine() {
  std::string line = std::move(m_line);
  size_t length = m_lineLength;
  m_line.clear();
  m_lineLength = 0;
  if (length == 0) {
    m_state = State::kComplete;
    m_stage = Stage::kDone;
    return;
  }
  if (++m_lines > kMaxFields) return Fail(State::kTooLarge);
  // A folded line (one that starts with a blank) or a line without a name and colon.
  size_t colon = line.find(':');
  if (colon == std::string::npos || colon == 0) return Fail(State::kMalformed);
  for (size_t i = 0; i < colon; ++i)
    if (!IsTokenChar(static_cast<unsigned char>(line[i]))) return Fail(State::kMalformed);
  std::string name = Lower(line.substr(0, colon));
  if (std::find(m_wanted.begin(), m_wanted.end(), name) == m_wanted.end()) return;
  size_t begin = colon + 1;
  size_t end = line.size();
  while (begin < end && IsBlank(line[begin])) ++begin;
  bool cut = length > line.size();
  if (!cut)
    while (end > begin && IsBlank(line[end - 1])) --end;
  std::string value = line.substr(begin, end - begin);
  if (value.size() > kMaxValue) {
    value.resize(kMaxValue);
    cut = true;
  }
  for (Field& field : m_fields) {
    if (field.name == name) {
      field.repeated = true;
      return;
    }
  }
  m_fields.push_back(Field{name, std::move(value), cut, false});
}

void HttpRequestHead::End() {
  if (m_state != State::kReading) return;
  // A last field line without its line feed still counts.
  m_return = false;
  if (m_stage == Stage::kFields && m_lineLength > 0) EndFieldLine();
  if (m_state != State::kReading) return;
  m_state = State::kComplete;
  m_stage = Stage::kDone;
}
