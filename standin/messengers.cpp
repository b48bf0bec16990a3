#include "standin/messengers.h"

#include <fstream>
#include <iterator>
#include <sstream>

namespace standin {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Splits at unescaped `separator`; the parts keep their escapes.
std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts(1);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      parts.back() += text.substr(i, 2);
      ++i;
    } else if (text[i] == separator) {
      parts.emplace_back();
    } else {
      parts.back() += text[i];
    }
  }
  return parts;
}

bool Unescape(const std::string& text, std::string* out) {
  out->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      *out += text[i];
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case 't': *out += '\t'; break;
      case 'n': *out += '\n'; break;
      case '\\': case ';': case '=': *out += text[i]; break;
      case 'x': {
        int high = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
        int low = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
        if (high < 0 || low < 0) return false;
        *out += static_cast<char>(high * 16 + low);
        i += 2;
        break;
      }
      default: return false;
    }
  }
  return true;
}

bool ParseParameters(const std::string& field, std::map<std::string, std::string>* parameters) {
  if (field.empty()) return true;
  for (const std::string& pair : Split(field, ';')) {
    std::vector<std::string> sides = Split(pair, '=');
    std::string key, value;
    if (sides.size() != 2 || !Unescape(sides[0], &key) || !Unescape(sides[1], &value) || key.empty()) return false;
    (*parameters)[key] = value;
  }
  return true;
}

bool ParseLine(const std::string& line, OfferedProtocol* protocol, std::string* why) {
  std::vector<std::string> fields = Split(line, '\t');
  if (fields.size() < 2 || fields.size() > 4) {
    *why = "expected 2 to 4 fields separated by tabs";
    return false;
  }
  if (!Unescape(fields[0], &protocol->id) || protocol->id.empty() || !Unescape(fields[1], &protocol->description)) {
    *why = "bad id or description";
    return false;
  }
  if (fields.size() > 2 && !ParseParameters(fields[2], &protocol->parameters)) {
    *why = "parameters are key=value pairs separated by \";\"";
    return false;
  }
  if (fields.size() > 3 && !fields[3].empty()) {
    std::ifstream icon(fields[3], std::ios::binary);
    if (!icon) {
      *why = fields[3] + " cannot be read";
      return false;
    }
    protocol->icon.assign(std::istreambuf_iterator<char>(icon), std::istreambuf_iterator<char>());
  }
  return true;
}

}  // namespace

bool LoadMessengersFile(const std::string& path, std::vector<OfferedProtocol>* offered, std::string* error) {
  std::ifstream in(path);
  if (!in) {
    *error = path + ": cannot be read";
    return false;
  }
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    OfferedProtocol protocol;
    std::string why;
    if (!ParseLine(line, &protocol, &why)) {
      *error = path + ":" + std::to_string(number) + ": " + why;
      return false;
    }
    offered->push_back(protocol);
  }
  return true;
}

}  // namespace standin
