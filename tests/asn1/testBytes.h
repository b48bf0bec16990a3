// Byte strings for the schema tests, written as hexadecimal octets ("A0 03 80 01 00").
#ifndef PARLAVOX_TESTS_ASN1_TESTBYTES_H
#define PARLAVOX_TESTS_ASN1_TESTBYTES_H

#include <cstdint>
#include <string>
#include <vector>

namespace asn1test {

using Bytes = std::vector<uint8_t>;

// The octets of a hexadecimal text; spaces between octets are ignored.
Bytes FromHex(const std::string& hex);

// a followed by b.
Bytes Cat(Bytes a, const Bytes& b);

}  // namespace asn1test

#endif
