#!/bin/sh
# Remakes the README's pictures from the real game under a private Xvfb:
# docs/screenshot.png, a frame in play with the runner mid-somersault and the
# first obstacle in sight, and docs/play.gif, the title, Enter, and a few
# seconds of play, jumping whenever an obstacle comes near.
set -eu
cd "$(dirname "$0")/.."
. scripts/lib/packages.sh
# shellcheck disable=SC2086
install_missing $BUILD_PACKAGES xvfb xfonts-base xdotool x11-apps imagemagick python3
cmake --preset play >/dev/null
build build-play --target quorvelin

work=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 640x480x24 3>"$work/display" >/dev/null 2>&1 &
server=$!
trap 'kill $game $server 2>/dev/null || true; rm -rf "$work"' EXIT
game=""
while [ ! -s "$work/display" ]; do sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"
(cd build-play && exec ./quorvelin) &
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

(cd build-play && exec ./quorvelin) &
game=$!
sleep 1
python3 - "$work" <<'PYTHON'
import struct, subprocess, sys, time

work = sys.argv[1]
RUNNER, GREEN, LEAD = 64, 0x00ff00, 230  # jump when an obstacle is this near


def grab(n):
    """Saves the screen as frame n; returns the colours of the row above the ground."""
    data = subprocess.run(['xwd', '-root', '-silent'], capture_output=True, check=True).stdout
    with open(f'{work}/frame{n:04}.xwd', 'wb') as out:
        out.write(data)
    header, = struct.unpack('>I', data[:4])
    line, = struct.unpack('>I', data[48:52])
    colours, = struct.unpack('>I', data[76:80])
    order = '<' if struct.unpack('>I', data[28:32])[0] == 0 else '>'
    start = header + 12 * colours + 455 * line
    return struct.unpack(order + '640I', data[start:start + 640 * 4])


def key(name, hold):
    subprocess.run(['xdotool', 'keydown', name])
    time.sleep(hold)
    subprocess.run(['xdotool', 'keyup', name])


for n in range(10):  # the title
    grab(n)
    time.sleep(0.06)
key('Return', 0.06)
landing = 0
for n in range(10, 110):
    row = grab(n)
    near = [x for x in range(RUNNER + 10, 640) if row[x] & 0xffffff == GREEN]
    if near and near[0] - RUNNER < LEAD and time.time() > landing:
        key('space', 0.25)
        landing = time.time() + 0.5
PYTHON
convert -delay 6 -loop 0 "$work"/frame*.xwd -crop 640x480+0+0 +repage -layers Optimize docs/play.gif
kill $game
ls -l docs/screenshot.png docs/play.gif
