#!/usr/bin/env bash
# Runs Parlavox. When no messaging server is configured (PARLAVOX_SERVER unset), a stand-in
# server is started on this machine first, in demonstration mode, and the program is pointed at
# it: PARLAVOX_SERVER names it, and PARLAVOX_DATA a data directory that holds the program's own
# files and the stand-in's trust store. The stand-in stops when the program ends.
# The user's own settings (~/.parlavox/) are left as they are: the lines printed say which demo
# account to type into the log-in panel.
# Usage: run-with-standin.sh PROGRAM STANDIN DATA_DIR [RUN_DIR]
set -euo pipefail
program=$1
standin=$2
data=$3

if [ ! -x "$program" ]; then
  echo "Parlavox has no window yet: only its libraries and tests are built."
  exit 0
fi
if [ -n "${PARLAVOX_SERVER:-}" ]; then
  PARLAVOX_DATA="$data" exec "$program"
fi

# The run's own directory (beside the stand-in unless given): its data directory (the program's
# files linked, the trust store written by the stand-in), the state kept across runs, the log.
run=${4:-"$(cd "$(dirname "$standin")" && pwd)/run"}
mkdir -p "$run/data"
for entry in "$data"/*; do
  [ "$(basename "$entry")" = parlavox.pem ] || ln -sfn "$entry" "$run/data/"
done
: > "$run/standin.out"
"$standin" --host localhost --data "$run/data" --state "$run/state" --demo >"$run/standin.out" 2>"$run/standin.log" &
server=$!
trap 'kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true' EXIT

port=
for _ in $(seq 200); do
  port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$run/standin.out")
  [ -n "$port" ] && break
  if ! kill -0 "$server" 2>/dev/null; then
    echo "The stand-in server did not start:" >&2
    cat "$run/standin.log" >&2
    exit 1
  fi
  sleep 0.05
done
if [ -z "$port" ]; then
  echo "The stand-in server did not say where it listens." >&2
  exit 1
fi
# The log-in panel's own words: its fields "Login:" and "Password:", its button "Connect !".
echo "Parlavox runs against a stand-in server on localhost:$port; its log: $run/standin.log"
echo "To log in, type alice in \"Login:\" and alice in \"Password:\", then press \"Connect !\"."
echo "bob, carol and dave log in the same way (the password is the login); Ada, Ben and Chloe"
echo "wait in the room of the Parlavox site."
# The browser extension is not part of this project: scripts/visit plays it.
site=$(sed -n 's/.*Ada, Ben and Chloe are in the room of \(.*\)$/\1/p' "$run/standin.out")
visit="$(cd "$(dirname "$0")" && pwd)/visit"
echo "Once logged in, run this in another terminal to open their site as the browser extension would;"
echo "the site then shows on the sites panel with them, and a click on it enters their room:"
echo "    $visit ${site:-https://www.parlavox.example/}"
status=0
PARLAVOX_SERVER="localhost:$port" PARLAVOX_DATA="$run/data" "$program" || status=$?
exit "$status"
