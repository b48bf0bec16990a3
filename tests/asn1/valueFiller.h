// Fills any value of the schema with valid contents by walking its type descriptor, so that
// every alternative of every PDU can be built without a hand-written builder per type.
#ifndef PARLAVOX_TESTS_ASN1_VALUEFILLER_H
#define PARLAVOX_TESTS_ASN1_VALUEFILLER_H

#include <asn_application.h>

#include <string>

namespace asn1test {

// Selects alternative `index` (from 0) of the CHOICE value and fills it, every OPTIONAL
// member included; each SEQUENCE OF gets one element.
void FillChoice(asn_TYPE_descriptor_t* choice, void* value, int index);

// The `present` selector of a CHOICE value.
int Present(asn_TYPE_descriptor_t* choice, const void* value);

// Allocates an empty value of the PDU type (freed with the descriptor's free routine).
void* NewValue(asn_TYPE_descriptor_t* type);

// The alternative's name and whether its type is the primitive NULL.
std::string AlternativeName(asn_TYPE_descriptor_t* choice, int index);
bool AlternativeIsNull(asn_TYPE_descriptor_t* choice, int index);

}  // namespace asn1test

#endif
