// Image types that travel in messages: 0 gif, 1 png, 2 jpg. The names are those of the
// message schema's generated "TypeImage.h"; when that header has been included first, its
// definitions stand and these are skipped.
#ifndef PARLAVOX_MODEL_TYPEIMAGE_H
#define PARLAVOX_MODEL_TYPEIMAGE_H

#ifndef _TypeImage_H_
typedef long TypeImage_t;
enum TypeImage { TypeImage_gif = 0, TypeImage_png = 1, TypeImage_jpg = 2 };
#endif

#endif
