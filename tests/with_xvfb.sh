#!/bin/sh
# Runs a command on a private X server that ends with it. The screen is larger
# than the game's window so that the pointer, at its centre, stays over the
# window: with no window manager the keyboard follows the pointer.
set -eu
number=$(mktemp)
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null || true; rm -f "$number"' EXIT
while [ ! -s "$number" ]; do
    kill -0 $server 2>/dev/null || { echo "with_xvfb.sh: Xvfb did not start" >&2; exit 1; }
    sleep 0.05
done
DISPLAY=":$(cat "$number")" XVFB_PID=$server "$@"
