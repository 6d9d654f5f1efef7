#!/bin/sh
# Remakes docs/screenshot.png from the real game under a private Xvfb: a frame
# in play with the runner mid-somersault and the first obstacle in sight.
set -eu
cd "$(dirname "$0")/.."
. scripts/packages.sh
# shellcheck disable=SC2086
install_missing $BUILD_PACKAGES xvfb xfonts-base xdotool x11-apps imagemagick
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target quorvelin >/dev/null

displayfd=$(mktemp)
Xvfb -displayfd 3 -screen 0 640x480x24 3>"$displayfd" >/dev/null 2>&1 &
server=$!
trap 'kill $game $server 2>/dev/null || true; rm -f "$displayfd"' EXIT
game=""
while [ ! -s "$displayfd" ]; do sleep 0.05; done
export DISPLAY=":$(cat "$displayfd")"

(cd build && exec ./quorvelin) &
game=$!
# Keys are held a moment: the game reads key states, not key events.
press() { xdotool keydown "$1"; sleep 0.06; xdotool keyup "$1"; }
sleep 1
press Return
# The first real obstacle enters after about 55 frames of 20 ms.
sleep 1.7
xdotool keydown space
sleep 0.15
xwd -root -silent | convert xwd:- -crop 640x480+0+0 docs/screenshot.png
xdotool keyup space
press Escape
wait $game
echo "wrote docs/screenshot.png"
