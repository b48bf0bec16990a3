// libFuzzer target: the decoder of what the server sends.
#include <S2C-Request.h>

#include "fuzz/fuzzDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzDecode(&asn_DEF_S2C_Request, data, size);
  return 0;
}
