#include "network/extensionRequest.h"

#include <cctype>

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The listener's own address, as a browser names it: its loopback address or "localhost", and
// the port unless it is the default one.
bool IsOwnHost(const std::string& value, unsigned short port) {
  std::string host = Lower(value);
  std::string suffix = ":" + std::to_string(port);
  for (const char* own : {"127.0.0.1", "localhost"}) {
    if (host == own + suffix) return true;
    if (port == 80 && host == own) return true;
  }
  return false;
}

// An address whose scheme is a browser extension's own (chrome-extension:, moz-extension:,
// safari-web-extension:...). Pages have web addresses (http:, https:), or "null" for a file, a
// sandboxed frame or a data: page; none of those is an extension.
bool IsExtensionAddress(const std::string& value) {
  size_t colon = value.find(':');
  return colon != std::string::npos && EndsWith(Lower(value.substr(0, colon)), "-extension");
}

}  // namespace

const std::vector<std::string>& ExtensionRequest::CheckedFields() {
  static const std::vector<std::string>* fields = new std::vector<std::string>{
      "host", "origin", "referer", "sec-fetch-site", "sec-fetch-mode", "sec-fetch-dest"};
  return *fields;
}

bool ExtensionRequest::ReadPath(const std::string& requestLine, std::string* path) {
  // Read by hand, not with a regular expression: the regex library matches in blocks from a
  // cache of its own that it frees at exit, under a listener thread that may still be matching.
  // ASCII letters only: the locale's case rules have no say in a protocol word.
  std::string upper = requestLine;
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (upper.compare(0, 5, "GET /") != 0) return false;
  const size_t version = upper.rfind(" HTTP/");
  if (version == std::string::npos || version < 5) return false;
  if (path) *path = requestLine.substr(5, version - 5);
  return true;
}

std::string ExtensionRequest::Refusal(const HttpRequestHead& head, unsigned short port) {
  if (head.GetState() == HttpRequestHead::State::kTooLarge) return "header size";
  struct Rule {
    const char* field;
    const char* name;
    bool (*accepts)(const std::string& value, unsigned short port);
  };
  static const Rule rules[] = {
      {"host", "Host", [](const std::string& v, unsigned short p) { return IsOwnHost(v, p); }},
      {"sec-fetch-site", "Sec-Fetch-Site", [](const std::string& v, unsigned short) { return Lower(v) == "none"; }},
      {"sec-fetch-mode", "Sec-Fetch-Mode",
       [](const std::string& v, unsigned short) { return Lower(v) == "cors" || Lower(v) == "same-origin"; }},
      {"sec-fetch-dest", "Sec-Fetch-Dest", [](const std::string& v, unsigned short) { return Lower(v) == "empty"; }},
      {"origin", "Origin", [](const std::string& v, unsigned short) { return IsExtensionAddress(v); }},
      {"referer", "Referer", [](const std::string& v, unsigned short) { return IsExtensionAddress(v); }},
  };
  for (const Rule& rule : rules) {
    const HttpRequestHead::Field* field = head.Find(rule.field);
    if (field && (field->cut || field->repeated || !rule.accepts(field->value, port))) return rule.name;
  }
  return std::string();
}
