// A command-line sound player in place of aplay, for a program that finds it first on its PATH:
// it starts a player of its own (as a script or a wrapper may), writes down its process group,
// and plays until it is stopped.
#ifndef PARLAVOX_TESTS_GUI_STANDINPLAYER_H
#define PARLAVOX_TESTS_GUI_STANDINPLAYER_H

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/testSupport.h"

class StandInPlayer {
 public:
  // Made in `dir` (ending in "/").
  explicit StandInPlayer(const std::string& dir) : m_bin(dir + "bin"), m_group(dir + "player-group") {
    mkdir(m_bin.c_str(), 0700);
    // The group is written down once its own player runs: a child just forked is the shell still,
    // on its way to becoming `sleep`.
    testsupport::WriteFile(m_bin + "/aplay",
                           "#!/bin/sh\nsleep 60 &\n"
                           "until [ \"$(cat /proc/$!/comm 2>/dev/null)\" = sleep ]; do sleep 0.01; done\n"
                           "echo $$ > " + m_group + ".part && mv " + m_group + ".part " + m_group + "\nwait\n");
    chmod((m_bin + "/aplay").c_str(), 0700);
  }

  // The PATH with the player first.
  std::string Path() const { return m_bin + ":" + getenv("PATH"); }
  // What a program started with it needs beside: the player first on its PATH, and no sound
  // server to answer before it.
  std::vector<std::string> Environment() const {
    return {"PATH=" + Path(), "PULSE_SERVER=unix:" + m_bin + "/no-sound-server"};
  }
  // The process group of the player playing; 0 before it plays.
  pid_t Group() const { return pid_t(atol(testsupport::ReadFile(m_group).c_str())); }

 private:
  std::string m_bin;
  std::string m_group;
};

#endif
