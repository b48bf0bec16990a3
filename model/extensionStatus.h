// What the user allows of a browser extension that reports the sites visited: the model's own,
// so that the windows and the controller's face need nothing of the message schema. The schema
// layer converts at its edge.
#ifndef PARLAVOX_MODEL_EXTENSIONSTATUS_H
#define PARLAVOX_MODEL_EXTENSIONSTATUS_H

enum t_extension_status : int { EXTENSION_NONE = 0, EXTENSION_DISABLE = 1, EXTENSION_ENABLE = 2 };

#endif
