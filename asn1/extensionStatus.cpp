#include "asn1/extensionStatus.h"

#include "model/log.h"

namespace asn1 {

bool ExtensionStatusToWire(t_extension_status status, ExtensionStatus_t* wire) {
  switch (status) {
    case EXTENSION_NONE:
      *wire = ExtensionStatus_none;
      return true;
    case EXTENSION_DISABLE:
      *wire = ExtensionStatus_disable;
      return true;
    case EXTENSION_ENABLE:
      *wire = ExtensionStatus_enable;
      return true;
  }
  TRACE_ERROR("ExtensionStatusToWire : no extension status %d", static_cast<int>(status));
  return false;
}

bool ExtensionStatusFromWire(ExtensionStatus_t wire, t_extension_status* status) {
  switch (wire) {
    case ExtensionStatus_none:
      *status = EXTENSION_NONE;
      return true;
    case ExtensionStatus_disable:
      *status = EXTENSION_DISABLE;
      return true;
    case ExtensionStatus_enable:
      *status = EXTENSION_ENABLE;
      return true;
    default:
      TRACE_ERROR("ExtensionStatusFromWire : unknown extension status %ld, dropped", wire);
      return false;
  }
}

}  // namespace asn1
