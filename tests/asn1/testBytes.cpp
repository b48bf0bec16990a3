#include "tests/asn1/testBytes.h"

#include <cstdio>

namespace asn1test {

Bytes FromHex(const std::string& hex) {
  Bytes out;
  for (size_t i = 0; i + 1 < hex.size(); ++i) {
    if (hex[i] == ' ') continue;
    unsigned value = 0;
    sscanf(hex.c_str() + i, "%2x", &value);
    out.push_back(static_cast<uint8_t>(value));
    ++i;
  }
  return out;
}

Bytes Cat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

}  // namespace asn1test
