// Ending the process once its exit sequence is done (settings saved, log written, links and
// listeners closed).
//
// Detached threads may still be running then: file transfers, the extension listener, the
// reader of a link being closed. They read process-wide objects (the data and user paths, the
// download folder, the logger, the listener's instance) that returning from main would destroy
// under them. EndProcess writes out what the standard streams hold and ends the process without
// running the destructor of any static object, so no thread ever meets one half destroyed, and
// nothing new is needed to keep an object added later alive.
#ifndef PARLAVOX_MODEL_PROCESSEND_H
#define PARLAVOX_MODEL_PROCESSEND_H

// Builds with the leak checker run it here, as it would have run at exit: leaks found end the
// process with the checker's own failing status instead of `status`.
[[noreturn]] void EndProcess(int status);

#endif
