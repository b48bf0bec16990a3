#include "asn1/derEncoder.h"


#include <cstring>

#include "asn1/constraintCheck.h"
#include "model/log.h"

namespace asn1 {
namespace {

struct FixedSink {
  uint8_t* buffer;
  size_t capacity;
  size_t used;
};

// Appends one chunk of the encoding; refusing a chunk that does not fit stops the encoder.
int AppendToFixed(const void* chunk, size_t size, void* key) {
  FixedSink* sink = static_cast<FixedSink*>(key);
  if (size > sink->capacity - sink->used) return -1;
  memcpy(sink->buffer + sink->used, chunk, size);
  sink->used += size;
  return 0;
}

int AppendToVector(const void* chunk, size_t size, void* key) {
  std::vector<uint8_t>* out = static_cast<std::vector<uint8_t>*>(key);
  const uint8_t* bytes = static_cast<const uint8_t*>(chunk);
  out->insert(out->end(), bytes, bytes + size);
  return 0;
}

}  // namespace

long EncodeDer(asn_TYPE_descriptor_t* type, const void* value, uint8_t* buffer, size_t capacity,
               std::string* error) {
  if (!CheckConstraints(type, value, error)) {
    return -1;
  }
  FixedSink sink{buffer, capacity, 0};
  asn_enc_rval_t rv = der_encode(type, const_cast<void*>(value), AppendToFixed, &sink);
  if (rv.encoded < 0) {
    const char* failed = rv.failed_type ? rv.failed_type->name : type->name;
    TRACE_ERROR("Cannot encode %s", failed);
    if (error) *error = std::string("Cannot encode ") + failed;
    return -1;
  }
  return static_cast<long>(rv.encoded);
}

bool EncodeDer(asn_TYPE_descriptor_t* type, const void* value, std::vector<uint8_t>& out,
               std::string* error) {
  out.clear();
  if (!CheckConstraints(type, value, error)) {
    return false;
  }
  asn_enc_rval_t rv = der_encode(type, const_cast<void*>(value), AppendToVector, &out);
  if (rv.encoded < 0) {
    const char* failed = rv.failed_type ? rv.failed_type->name : type->name;
    TRACE_ERROR("Cannot encode %s", failed);
    if (error) *error = std::string("Cannot encode ") + failed;
    out.clear();
    return false;
  }
  return true;
}

}  // namespace asn1
