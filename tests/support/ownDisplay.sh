#!/usr/bin/env bash
# Runs a command on an X server of its own: Xvfb picks a free display number itself (-displayfd),
# so tests that type, click and take the focus can run beside each other without sharing a
# keyboard or a pointer. The server ends with the command; the command's exit status is returned.
# -noreset: a server that resets when its last client leaves drops a program connecting just then
# (a test that starts the program again after it quit), as the shared display would (Makefile).
# -r: no key repeats of its own. A test's key press and release are two requests; on a loaded
# machine they can come further apart than the repeat's delay, and the field gets the letter
# again and again ("cleeeeeean").
set -u
fifo=$(mktemp -u /tmp/ownDisplay.XXXXXX)
mkfifo "$fifo"
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp -noreset -r 5>"$fifo" 2>/dev/null &
xvfb=$!

# The server notes a SIGTERM in its handler and looks at the note before it sleeps; one that
# comes between the look and the sleep (the command's end has just woken it, its last client is
# going) is seen only when something wakes it again, its screen saver's clock ten minutes later.
# So the signal is sent again every second, which wakes it; one that has not ended after five
# seconds is killed. Whatever becomes of it, the command's status stands.
ending_tries=5
end_server() {
  local tick
  for ((tick = 0; tick < ending_tries * 10; ++tick)); do
    kill -0 "$xvfb" 2>/dev/null || return 0
    ((tick % 10 == 0)) && kill "$xvfb" 2>/dev/null
    sleep 0.1
  done
  if kill -0 "$xvfb" 2>/dev/null; then
    echo "ownDisplay: the X server did not end on SIGTERM; killed" >&2
    kill -KILL "$xvfb" 2>/dev/null
  fi
}
cleanup() { end_server; wait "$xvfb" 2>/dev/null; rm -f "$fifo"; }
trap cleanup EXIT

display=""
if read -r -t 30 display <"$fifo" && [ -n "$display" ]; then
  DISPLAY=":$display" "$@"
  exit $?
fi
echo "ownDisplay: Xvfb did not start" >&2
exit 1
