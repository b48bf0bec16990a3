#!/usr/bin/env bash
# Runs a command on an X server of its own: Xvfb picks a free display number itself (-displayfd),
# so tests that type, click and take the focus can run beside each other without sharing a
# keyboard or a pointer. The server ends with the command; the command's exit status is returned.
# -noreset: a server that resets when its last client leaves drops a program connecting just then
# (a test that starts the program again after it quit), as the shared display would (Makefile).
set -u
fifo=$(mktemp -u /tmp/ownDisplay.XXXXXX)
mkfifo "$fifo"
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp -noreset 5>"$fifo" 2>/dev/null &
xvfb=$!
cleanup() { kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -f "$fifo"; }
trap cleanup EXIT
display=""
if read -r -t 30 display <"$fifo" && [ -n "$display" ]; then
  DISPLAY=":$display" "$@"
  exit $?
fi
echo "ownDisplay: Xvfb did not start" >&2
exit 1
