// libFuzzer target: the decoder of what another client sends during a file transfer.
#include <C2C-Request.h>

#include "fuzz/fuzzDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzDecode(&asn_DEF_C2C_Request, data, size);
  return 0;
}
