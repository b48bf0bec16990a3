#include "asn1/request.h"

#include "model/log.h"

namespace asn1 {

void FreeValue(asn_TYPE_descriptor_t* type, void* value) {
  TRACE_START_ARGS("%s", type->name);
  if (value) type->free_struct(type, value, 0);
  TRACE_END();
}

}  // namespace asn1
