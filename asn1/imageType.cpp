#include "asn1/imageType.h"

#include "model/log.h"

namespace asn1 {

bool ImageTypeToWire(t_image_type type, TypeImage_t* wire) {
  switch (type) {
    case IMAGE_GIF:
      *wire = TypeImage_gif;
      return true;
    case IMAGE_PNG:
      *wire = TypeImage_png;
      return true;
    case IMAGE_JPG:
      *wire = TypeImage_jpg;
      return true;
  }
  TRACE_ERROR("ImageTypeToWire : no image type %d, not sent", static_cast<int>(type));
  return false;
}

bool ImageTypeFromWire(TypeImage_t wire, t_image_type* type) {
  switch (wire) {
    case TypeImage_gif:
      *type = IMAGE_GIF;
      return true;
    case TypeImage_png:
      *type = IMAGE_PNG;
      return true;
    case TypeImage_jpg:
      *type = IMAGE_JPG;
      return true;
    default:
      TRACE_ERROR("ImageTypeFromWire : unknown image type %ld, image dropped", wire);
      return false;
  }
}

}  // namespace asn1
