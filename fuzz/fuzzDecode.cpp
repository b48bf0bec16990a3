#include "fuzz/fuzzDecode.h"

#include <vector>

#include "asn1/berDecoder.h"
#include "asn1/constraintCheck.h"
#include "asn1/derEncoder.h"
#include "asn1/request.h"
#include "model/log.h"

namespace {

// The result of feeding data in two pieces split at `split`, as a stream reader would.
asn1::DecodeStatus DecodeInPieces(asn1::BerDecoder& decoder, const uint8_t* data, size_t size,
                                  size_t split, size_t* consumed) {
  std::vector<uint8_t> pending(data, data + split);
  size_t total = 0;
  size_t next = split;
  for (;;) {
    asn1::DecodeResult r = decoder.Decode(pending.data(), pending.size());
    total += r.consumed;
    pending.erase(pending.begin(), pending.begin() + static_cast<long>(r.consumed));
    if (r.status != asn1::DecodeStatus::kNeedMore || next >= size) {
      *consumed = total;
      return r.status;
    }
    pending.insert(pending.end(), data + next, data + size);
    next = size;
  }
}

}  // namespace

void FuzzSilenceLog() {
  static bool done = false;
  if (!done) start_log("/dev/null");
  done = true;
}

void FuzzDecode(asn_TYPE_descriptor_t* type, const uint8_t* data, size_t size) {
  FuzzSilenceLog();
  asn1::BerDecoder whole(type, 1 << 20);
  asn1::DecodeResult r = whole.Decode(data, size);
  void* value = whole.Take();
  if (value) {
    std::vector<uint8_t> der;
    if (asn1::EncodeDer(type, value, der)) {
      asn1::BerDecoder again(type, 1 << 20);
      asn1::DecodeResult r2 = again.Decode(der.data(), der.size());
      if (r2.status != asn1::DecodeStatus::kComplete || r2.consumed != der.size()) __builtin_trap();
    }
    asn1::FreeValue(type, value);
  }
  if (size < 2) return;
  asn1::BerDecoder pieces(type, 1 << 20);
  size_t consumed = 0;
  asn1::DecodeStatus status = DecodeInPieces(pieces, data, size, size / 2, &consumed);
  // A value that decodes whole decodes the same when its bytes arrive in two pieces.
  if (r.status == asn1::DecodeStatus::kComplete &&
      (status != asn1::DecodeStatus::kComplete || consumed != r.consumed)) {
    __builtin_trap();
  }
}
