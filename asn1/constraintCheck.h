// The constraint check that runs on every value before it is encoded and after it is decoded.
#ifndef PARLAVOX_ASN1_CONSTRAINTCHECK_H
#define PARLAVOX_ASN1_CONSTRAINTCHECK_H

#include <asn_application.h>

#include <string>

namespace asn1 {

// True when the value satisfies every constraint of its type (alphabets, sizes in characters,
// ranges, valid UTF-8, a CHOICE with an alternative). Otherwise false, with the runtime's
// text ("Login: constraint failed (Login.c:37)") in *error when error is given.
bool CheckConstraints(asn_TYPE_descriptor_t* type, const void* value, std::string* error = nullptr);

}  // namespace asn1

#endif
