#include "model/childProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>

#include <initializer_list>

extern char** environ;

namespace childprocess {

int Spawn(char* const argv[], int output, bool quiet, pid_t* pid) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (output >= 0) posix_spawn_file_actions_adddup2(&actions, output, 1);
  if (quiet) posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  posix_spawnattr_setpgroup(&attributes, 0);
  sigset_t signals;
  sigemptyset(&signals);
  posix_spawnattr_setsigmask(&attributes, &signals);
  for (int signal : {SIGPIPE, SIGCHLD, SIGTERM, SIGINT, SIGHUP}) sigaddset(&signals, signal);
  posix_spawnattr_setsigdefault(&attributes, &signals);
  const int rc = posix_spawnp(pid, argv[0], &actions, &attributes, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  return rc;
}

}  // namespace childprocess
