#include "asn1/request.h"

#include "model/log.h"

namespace asn1 {

// Every decoded message and every request sent is freed here: like the other codec helpers,
// this traces failures only.
void FreeValue(asn_TYPE_descriptor_t* type, void* value) {
  if (!value) return;
  if (!type) {
    TRACE_ERROR("FreeValue : a value without a type is not freed");
    return;
  }
  type->free_struct(type, value, 0);
}

}  // namespace asn1
