#include "asn1/octetString.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "model/log.h"

namespace asn1 {

bool AssignOctetString(OCTET_STRING_t& value, const void* bytes, size_t size) {
  ClearOctetString(value);
  if (size > static_cast<size_t>(INT_MAX)) {  // the runtime counts in an int
    TRACE_ERROR("%zu bytes do not fit in a string value", size);
    return false;
  }
  uint8_t* copy = static_cast<uint8_t*>(malloc(size + 1));
  if (!copy) {
    TRACE_ERROR("out of memory for %zu bytes", size);
    return false;
  }
  if (size) memcpy(copy, bytes, size);
  copy[size] = 0;
  value.buf = copy;
  value.size = static_cast<int>(size);
  return true;
}

bool AssignOctetString(OCTET_STRING_t& value, const std::string& bytes) {
  return AssignOctetString(value, bytes.data(), bytes.size());
}

OCTET_STRING_t* NewOctetString(const std::string& bytes) {
  OCTET_STRING_t* value = static_cast<OCTET_STRING_t*>(calloc(1, sizeof(OCTET_STRING_t)));
  if (value && !AssignOctetString(*value, bytes)) {
    free(value);
    value = nullptr;
  }
  return value;
}

void ClearOctetString(OCTET_STRING_t& value) {
  free(value.buf);
  value.buf = nullptr;
  value.size = 0;
}

std::string ToString(const OCTET_STRING_t& value) {
  if (!value.buf || value.size <= 0) return std::string();
  return std::string(reinterpret_cast<const char*>(value.buf), static_cast<size_t>(value.size));
}

}  // namespace asn1
