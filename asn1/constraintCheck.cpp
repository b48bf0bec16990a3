#include "asn1/constraintCheck.h"

#include "model/log.h"

namespace asn1 {

bool CheckConstraints(asn_TYPE_descriptor_t* type, const void* value, std::string* error) {
  TRACE_START_ARGS("%s", type->name);
  char text[256] = "";
  size_t textSize = sizeof text;
  if (asn_check_constraints(type, value, text, &textSize) != 0) {
    TRACE_ERROR("ASN.1 constraint check failed: %s", text);
    if (error) *error = text;
    TRACE_END_RESULT("failed");
    return false;
  }
  if (error) error->clear();
  TRACE_END_RESULT("ok");
  return true;
}

}  // namespace asn1
