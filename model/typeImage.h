// The kinds of image the program stores and sends: the model's own, so that the image store
// needs nothing of the message schema. The schema layer converts at its edge.
#ifndef PARLAVOX_MODEL_TYPEIMAGE_H
#define PARLAVOX_MODEL_TYPEIMAGE_H

enum t_image_type : int { IMAGE_GIF = 0, IMAGE_PNG = 1, IMAGE_JPG = 2 };

#endif
