// What every decoder fuzz target does with one input.
#ifndef PARLAVOX_FUZZ_FUZZDECODE_H
#define PARLAVOX_FUZZ_FUZZDECODE_H

#include <asn_application.h>

#include <cstddef>
#include <cstdint>

// Decodes the input as one value of the type, whole and again fed in two pieces, checks it,
// encodes what decoded, and frees everything. Traps when the two decodings disagree.
void FuzzDecode(asn_TYPE_descriptor_t* type, const uint8_t* data, size_t size);

// Sends the trace log to /dev/null once.
void FuzzSilenceLog();

#endif
