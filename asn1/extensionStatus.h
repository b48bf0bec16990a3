// The schema's extension status and the model's, converted where a status crosses between the
// wire and the controller.
#ifndef PARLAVOX_ASN1_EXTENSIONSTATUS_H
#define PARLAVOX_ASN1_EXTENSIONSTATUS_H

#include <ExtensionStatus.h>

#include "model/extensionStatus.h"

namespace asn1 {

// The wire value of a status. A value that names none gives false, with a trace, and leaves
// `wire` alone.
bool ExtensionStatusToWire(t_extension_status status, ExtensionStatus_t* wire);

// The status that a wire value names. A value that names none gives false, with a trace, and
// leaves `status` alone: the request is to be dropped.
bool ExtensionStatusFromWire(ExtensionStatus_t wire, t_extension_status* status);

}  // namespace asn1

#endif
