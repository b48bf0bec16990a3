// Starting another program from this one, whatever this process has set for itself: the child
// runs in a process group of its own (so that ending the group also ends whatever it started),
// with the default disposition for every signal this program handles and an empty signal mask.
#ifndef PARLAVOX_MODEL_CHILDPROCESS_H
#define PARLAVOX_MODEL_CHILDPROCESS_H

#include <sys/types.h>

namespace childprocess {

// Starts argv[0], looked up on the PATH, with its input on /dev/null; its output goes to
// `output`, or stays this process's own when it is -1; its errors go to /dev/null when
// `quiet`. 0 with the child's id in `*pid`, or the error number.
int Spawn(char* const argv[], int output, bool quiet, pid_t* pid);

}  // namespace childprocess

#endif
