// Work left for the next idle turn of the event loop.
#ifndef PARLAVOX_MODEL_NEXTIDLETURN_H
#define PARLAVOX_MODEL_NEXTIDLETURN_H

#include <wx/app.h>

// Asks the event loop for another idle turn, after whatever else is ready, for work that goes on
// over many turns. Not the idle event's RequestMore: asked so, the tool kit turns again inside its
// idle callback, first asking the loop whether events are pending, from within the loop's own
// dispatch; each such question leaves the loop a reference on every source then ready that it
// never lets go, and every later turn of the loop walks past those dead sources: the program grew
// slower the longer it ran.
inline void AskNextIdleTurn() { wxWakeUpIdle(); }

#endif
