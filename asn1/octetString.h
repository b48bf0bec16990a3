// Copies between std::string and the schema's byte strings (OCTET STRING, IA5String and
// UTF8String values share one layout). The runtime frees these buffers with free(), so every
// buffer made here comes from malloc.
#ifndef PARLAVOX_ASN1_OCTETSTRING_H
#define PARLAVOX_ASN1_OCTETSTRING_H

#include <OCTET_STRING.h>

#include <cstddef>
#include <string>

namespace asn1 {

// Replaces the value's bytes by a copy of `size` bytes (a NUL follows them, uncounted). The
// buffer is allocated even for 0 bytes: an empty string with no buffer fails the UTF-8 check.
// Returns false when memory runs out or size exceeds INT_MAX (the value is then empty with no
// buffer).
bool AssignOctetString(OCTET_STRING_t& value, const void* bytes, size_t size);
bool AssignOctetString(OCTET_STRING_t& value, const std::string& bytes);

// A separately allocated value, for OPTIONAL members; null when memory runs out.
OCTET_STRING_t* NewOctetString(const std::string& bytes);

// Frees the value's bytes and leaves it empty (the value itself stays).
void ClearOctetString(OCTET_STRING_t& value);

// The value's bytes, empty when it has none.
std::string ToString(const OCTET_STRING_t& value);

}  // namespace asn1

#endif
