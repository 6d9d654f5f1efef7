#!/bin/sh
# Runs a command on a private X server that ends with it. The screen is larger
# than the game's window so that the pointer, at its centre, stays over the
# window: with no window manager the keyboard follows the pointer. Left by its
# last client, a server resets, and refuses a client that connects meanwhile,
# as a test may just as Wine's clients end: this one never resets.
set -eu
number=$(mktemp -u)
mkfifo "$number"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp -noreset 3>"$number" >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null || true; rm -f "$number"' EXIT
# The server writes its display number once it is ready; if it fails, nothing.
read -r display <"$number" || { echo "with_xvfb.sh: Xvfb did not start" >&2; exit 1; }
DISPLAY=":$display" XVFB_PID=$server "$@"
