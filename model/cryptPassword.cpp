#include "model/cryptPassword.h"

#include <cstdint>
#include <utility>

#include "model/log.h"

namespace {

// Fixed forever: passwords saved by one build are read back only with the same key.
const uint32_t kKeyConstant = 0x0A060307u;
const char* const kFragments[8] = {"a3f09", "7c2e1", "b58d4", "0e6a7", "d91c3", "4fb82", "e07d5", "6a3b9"};
const char* const kOtherFragment = "c2e4f";
const size_t kMaxKeyText = 17;

std::string BuildKeyText() {
  std::string text;
  for (int shift = 0; shift < 32; shift += 8) {
    unsigned byte = (kKeyConstant >> shift) & 0xffu;
    const char* fragment = byte < 8 ? kFragments[byte] : kOtherFragment;
    for (const char* p = fragment; *p && text.size() < kMaxKeyText; ++p) text.push_back(*p);
  }
  return text;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}

}  // namespace

std::string Rc4Transform(const std::string& key, const std::string& text) {
  TRACE_STARTEND();
  std::string out(text);
  if (key.empty() || text.empty()) return out;
  unsigned char s[256];
  for (int i = 0; i < 256; ++i) s[i] = static_cast<unsigned char>(i);
  unsigned j = 0;
  for (unsigned i = 0; i < 256; ++i) {
    j = (j + s[i] + static_cast<unsigned char>(key[i % key.size()])) & 0xffu;
    std::swap(s[i], s[j]);
  }
  unsigned i = 0;
  j = 0;
  for (char& c : out) {
    i = (i + 1) & 0xffu;
    j = (j + s[i]) & 0xffu;
    std::swap(s[i], s[j]);
    c = static_cast<char>(static_cast<unsigned char>(c) ^ s[(s[i] + s[j]) & 0xffu]);
  }
  return out;
}

std::string CryptPassword(const std::string& text) {
  TRACE_START_ARGS("%s", "***");
  std::string keyText = BuildKeyText();
  if (keyText.size() % 2) keyText.push_back('0');
  std::string key;
  for (size_t k = 0; k + 1 < keyText.size(); k += 2)
    key.push_back(static_cast<char>(HexValue(keyText[k]) * 16 + HexValue(keyText[k + 1])));
  std::string result = Rc4Transform(key, text);
  TRACE_END();
  return result;
}
