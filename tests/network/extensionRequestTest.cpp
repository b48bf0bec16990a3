// The head reader of the extension listener against hostile and odd inputs, and the check that
// tells an extension's request from a web page's, one rule per row.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "network/extensionRequest.h"
#include "network/httpRequestHead.h"

namespace {

using State = HttpRequestHead::State;

const unsigned short kPort = 6788;

// The head of bytes fed whole, or one byte at a time; ended when the stream ends.
HttpRequestHead Read(const std::string& bytes, bool byteByByte, bool streamEnds) {
  HttpRequestHead head(ExtensionRequest::CheckedFields());
  if (byteByByte)
    for (char c : bytes) head.Feed(&c, 1);
  else
    head.Feed(bytes.data(), bytes.size());
  if (streamEnds) head.End();
  return head;
}

// The kept fields as "name=value" lines, with marks for cut and repeated ones.
std::string Kept(const HttpRequestHead& head) {
  std::string text;
  for (const HttpRequestHead::Field& field : head.Fields())
    text += field.name + "=" + (field.value.size() > 40 ? std::to_string(field.value.size()) + " bytes" : field.value) +
            (field.cut ? " (cut)" : "") + (field.repeated ? " (repeated)" : "") + "\n";
  return text;
}

std::string Lines(int count, const std::string& line) {
  std::string text;
  for (int i = 0; i < count; ++i) text += line;
  return text;
}

}  // namespace

TEST(HttpRequestHead, HostileAndOddInputs) {
  const std::string get = "GET /CHECK:x HTTP/1.1\r\n";
  const std::string cut(HttpRequestHead::kMaxRequestLine, 'a');
  struct Row {
    const char* what;
    std::string bytes;
    bool streamEnds;
    State state;
    std::string line;  // the request line, when the state is not malformed
    std::string kept;
  } rows[] = {
      {"an extension's head", get + "Host: localhost:6788\r\nSec-Fetch-Site: none\r\nAccept: */*\r\n\r\n", false,
       State::kComplete, "GET /CHECK:x HTTP/1.1\r", "host=localhost:6788\nsec-fetch-site=none\n"},
      {"line feeds alone end lines", "GET /x HTTP/1.0\nHost: a\n\n", false, State::kComplete, "GET /x HTTP/1.0",
       "host=a\n"},
      {"names in any case, blanks around values", get + "SEC-FETCH-MODE: \t cors \t\r\n\r\n", false,
       State::kComplete, "GET /CHECK:x HTTP/1.1\r", "sec-fetch-mode=cors\n"},
      {"what follows the blank line is not read", get + "\r\nOrigin: http://page.example\r\n\r\n", false,
       State::kComplete, "GET /CHECK:x HTTP/1.1\r", ""},
      {"an overlong request line is cut, its fields still read",
       "GET /" + cut + " HTTP/1.1\r\nHost: b\r\n\r\n", false, State::kComplete, "GET /" + cut.substr(5), "host=b\n"},
      {"an overlong field that is not checked is passed over",
       get + "Cookie: " + std::string(20000, 'c') + "\r\nHost: c\r\n\r\n", false, State::kComplete,
       "GET /CHECK:x HTTP/1.1\r", "host=c\n"},
      {"an overlong checked field is kept cut", get + "Referer: " + std::string(5000, 'r') + "\r\n\r\n", false,
       State::kComplete, "GET /CHECK:x HTTP/1.1\r", "referer=1024 bytes (cut)\n"},
      {"a repeated field keeps its first value", get + "Host: d\r\nhost: e\r\n\r\n", false, State::kComplete,
       "GET /CHECK:x HTTP/1.1\r", "host=d (repeated)\n"},
      {"100 field lines are taken", get + Lines(100, "X-A: 1\r\n") + "\r\n", false, State::kComplete,
       "GET /CHECK:x HTTP/1.1\r", ""},
      {"101 field lines are too many", get + Lines(101, "X-A: 1\r\n") + "\r\n", false, State::kTooLarge, "", ""},
      {"more bytes than the bound", get + Lines(9, "X-B: " + std::string(4000, 'b') + "\r\n") + "\r\n", false,
       State::kTooLarge, "", ""},
      {"a NUL in a field", get + std::string("Host: a\0b\r\n\r\n", 13), false, State::kMalformed, "", ""},
      {"a NUL in the request line", std::string("GET /CHECK:\0x HTTP/1.1\r\n\r\n", 25), false, State::kMalformed,
       "", ""},
      {"a control byte in a field", get + "Host: a\x01\r\n\r\n", false, State::kMalformed, "", ""},
      {"a carriage return inside a field", get + "Host: a\rOrigin: http://x\r\n\r\n", false, State::kMalformed,
       "", ""},
      {"a folded field line", get + "Host: a\r\n  http://page.example\r\n\r\n", false, State::kMalformed, "", ""},
      {"a field line without a colon", get + "Host a\r\n\r\n", false, State::kMalformed, "", ""},
      {"a blank before the colon", get + "Host : a\r\n\r\n", false, State::kMalformed, "", ""},
      {"no line feed at all, the stream open", "GET /CHECK:x HTTP/1.1", false, State::kReading, "", ""},
      {"no line feed at all, then the end", "GET /CHECK:x HTTP/1.1", true, State::kComplete, "GET /CHECK:x HTTP/1.1",
       ""},
      {"fields but never the blank line (slowloris)", get + "Host: a\r\nX-C: 1\r\n", false, State::kReading, "", ""},
      {"fields, no blank line, then the end", get + "Host: a\r\nOrigin: http://x", true, State::kComplete,
       "GET /CHECK:x HTTP/1.1\r", "host=a\norigin=http://x\n"},
      {"a field cut by the end is still checked", get + "Sec-Fetch-Site: cross-site\r", true, State::kComplete,
       "GET /CHECK:x HTTP/1.1\r", "sec-fetch-site=cross-site\n"},
      {"bytes past the bound of a line with no line feed", "GET /" + std::string(40000, 'g'), false,
       State::kTooLarge, "", ""},
  };
  for (const Row& row : rows) {
    for (bool byteByByte : {false, true}) {
      SCOPED_TRACE(std::string(row.what) + (byteByByte ? ", byte by byte" : ", whole"));
      HttpRequestHead head = Read(row.bytes, byteByByte, row.streamEnds);
      EXPECT_EQ(row.state, head.GetState());
      if (row.state == State::kComplete) {
        EXPECT_EQ(row.line, head.RequestLine());
        EXPECT_EQ(row.kept, Kept(head));
      }
    }
  }
}

TEST(ExtensionRequest, WhatAPageAndAnExtensionSend) {
  const std::string port = std::to_string(kPort);
  struct Row {
    std::string fields;
    std::string refusal;  // empty: served
  } rows[] = {
      // Extensions: Chromium's background worker, Firefox's background page, an older browser.
      {"Host: localhost:" + port + "\r\nSec-Fetch-Site: none\r\nSec-Fetch-Mode: cors\r\nSec-Fetch-Dest: empty\r\n", ""},
      {"Host: 127.0.0.1:" + port + "\r\nOrigin: moz-extension://0a1b-2c3d\r\nSec-Fetch-Site: none\r\n"
       "Sec-Fetch-Mode: cors\r\nSec-Fetch-Dest: empty\r\n", ""},
      {"Origin: chrome-extension://abcdefghijklmnop\r\nReferer: moz-extension://0a1b/background.html\r\n", ""},
      {"Host: LOCALHOST:" + port + "\r\nSec-Fetch-Mode: same-origin\r\n", ""},
      {"User-Agent: old\r\n", ""},
      {"", ""},
      // Pages: each rule alone.
      {"Sec-Fetch-Site: same-site\r\n", "Sec-Fetch-Site"},
      {"Sec-Fetch-Site: cross-site\r\n", "Sec-Fetch-Site"},
      {"Sec-Fetch-Site: same-origin\r\n", "Sec-Fetch-Site"},
      {"Sec-Fetch-Mode: no-cors\r\n", "Sec-Fetch-Mode"},
      {"Sec-Fetch-Mode: navigate\r\n", "Sec-Fetch-Mode"},
      {"Sec-Fetch-Mode: nested-navigate\r\n", "Sec-Fetch-Mode"},
      {"Sec-Fetch-Dest: image\r\n", "Sec-Fetch-Dest"},
      {"Sec-Fetch-Dest: document\r\n", "Sec-Fetch-Dest"},
      {"Sec-Fetch-Dest: iframe\r\n", "Sec-Fetch-Dest"},
      {"Origin: http://127.0.0.1:8000\r\n", "Origin"},
      {"Origin: https://www.example-site.test\r\n", "Origin"},
      {"Origin: null\r\n", "Origin"},
      {"Referer: http://www.example-site.test/page.html\r\n", "Referer"},
      {"Referer: file:///home/user/page.html\r\n", "Referer"},
      {"Host: www.example-site.test:" + port + "\r\n", "Host"},
      {"Host: localhost:8080\r\n", "Host"},
      {"Host: 127.0.0.1\r\n", "Host"},
      {"Host: [::1]:" + port + "\r\n", "Host"},
      {"Host: localhost.:" + port + "\r\n", "Host"},
      {"Host: 127.0.0.1:" + port + "\r\nHost: www.example-site.test:" + port + "\r\n", "Host"},
      {"Sec-Fetch-Site: none\r\nSec-Fetch-Site: cross-site\r\n", "Sec-Fetch-Site"},
      {"Origin: chrome-extension://" + std::string(2000, 'a') + "\r\n", "Origin"},
      {"Cookie: " + std::string(20000, 'c') + "\r\n" + Lines(20, "X-D: " + std::string(1000, 'd') + "\r\n"),
       "header size"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.fields.substr(0, 120));
    HttpRequestHead head = Read("GET /CHECK:x HTTP/1.1\r\n" + row.fields + "\r\n", false, false);
    EXPECT_EQ(row.refusal, ExtensionRequest::Refusal(head, kPort));
  }
  // On the default HTTP port the address may stand without it.
  HttpRequestHead bare = Read("GET /x HTTP/1.1\r\nHost: localhost\r\n\r\n", false, false);
  EXPECT_EQ("", ExtensionRequest::Refusal(bare, 80));
  EXPECT_EQ("Host", ExtensionRequest::Refusal(bare, kPort));
}

TEST(ExtensionRequest, ThePathOfTheLinesServed) {
  struct Row {
    std::string line;
    bool served;
    std::string path;
  } rows[] = {
      {"GET /CHECK:ext HTTP/1.1\r", true, "CHECK:ext"},
      {"GET /http://site.test/a b HTTP/1.0", true, "http://site.test/a b"},
      {"get /x http/1.1", true, "x"},
      {"GeT /ASK:y hTtP/2", true, "ASK:y"},
      {"GET / HTTP/1.1", true, ""},
      {"GET / HTTP/", true, ""},
      // The path runs to the last version mark: a page address may hold one.
      {"GET /http://s.test/?q= HTTP/1 HTTP/1.1", true, "http://s.test/?q= HTTP/1"},
      {"GET /a\rb\x85\xe2\x80\xa8 HTTP/1.1\r", true, "a\rb\x85\xe2\x80\xa8"},
      {"GET /x", false, ""},
      {"GET /x HTTP1.1", false, ""},
      {"GET /HTTP/1.1", false, ""},
      {"GET  /x HTTP/1.1", false, ""},
      {" GET /x HTTP/1.1", false, ""},
      {"POST /x HTTP/1.1", false, ""},
      {"GET x HTTP/1.1", false, ""},
      {"", false, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    std::string path = "before";
    EXPECT_EQ(row.served, ExtensionRequest::ReadPath(row.line, &path));
    EXPECT_EQ(row.served ? row.path : "before", path);
    EXPECT_EQ(row.served, ExtensionRequest::ReadPath(row.line, nullptr));
  }
}
