// DER encoding of a checked value into a caller's buffer.
#ifndef PARLAVOX_ASN1_DERENCODER_H
#define PARLAVOX_ASN1_DERENCODER_H

#include <asn_application.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace asn1 {

// Checks the value's constraints, then DER-encodes it into buffer. Returns the number of bytes
// written, or -1 when the value fails its check, cannot be encoded, or its encoding would not
// fit in `capacity` bytes (nothing is ever written past it). On -1, *error (when given) says
// why.
long EncodeDer(asn_TYPE_descriptor_t* type, const void* value, uint8_t* buffer, size_t capacity,
               std::string* error = nullptr);

// The same into a vector, which is resized to the encoding; false on failure.
bool EncodeDer(asn_TYPE_descriptor_t* type, const void* value, std::vector<uint8_t>& out,
               std::string* error = nullptr);

}  // namespace asn1

#endif
