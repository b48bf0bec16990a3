#include "asn1/constraintCheck.h"

#include "model/log.h"

extern "C" void parlavox_asn1_complete_descriptors(void);

namespace asn1 {

namespace {
// Every descriptor is completed while only one thread runs; after that none is written again.
const bool g_descriptorsComplete = (parlavox_asn1_complete_descriptors(), true);
}  // namespace

// The codec helpers run for every message on every link, file parts included: they trace
// failures only.
bool CheckConstraints(asn_TYPE_descriptor_t* type, const void* value, std::string* error) {
  char text[256] = "";
  size_t textSize = sizeof text;
  if (asn_check_constraints(type, value, text, &textSize) != 0) {
    TRACE_ERROR("ASN.1 constraint check failed: %s", text);
    if (error) *error = text;
    return false;
  }
  if (error) error->clear();
  return true;
}

}  // namespace asn1
