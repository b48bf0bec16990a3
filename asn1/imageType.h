// The schema's image type and the model's, converted where images cross between the wire and
// the image store.
#ifndef PARLAVOX_ASN1_IMAGETYPE_H
#define PARLAVOX_ASN1_IMAGETYPE_H

#include <TypeImage.h>

#include "model/typeImage.h"

namespace asn1 {

// The wire value of an image type. A value that names none (the constraint check would let it
// through) gives false, with a trace, and leaves `wire` alone: the request is not to be sent.
bool ImageTypeToWire(t_image_type type, TypeImage_t* wire);

// The image type that a wire value names. A value from the network that names none gives
// false, with a trace, and leaves `type` alone: the image is to be dropped.
bool ImageTypeFromWire(TypeImage_t wire, t_image_type* type);

}  // namespace asn1

#endif
