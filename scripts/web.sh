#!/bin/sh
# Builds the game for the web and makes quorvelin-<version>-web.zip in the
# project's root, with Allegro built from Debian's source with the web
# platform of platforms/web/allegro; with --serve, then serves it on
# 127.0.0.1 to play.
set -eu
cd "$(dirname "$0")/.."
umask 022
. scripts/lib/packages.sh
. scripts/lib/allegro.sh
# shellcheck disable=SC2086
install_missing --without-recommends $WEB_PACKAGES
# Emscripten finds its JavaScript modules there only when node is Debian's own.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
SERVE_PORT=8000

TOOLCHAIN=$(em-config EMSCRIPTEN_ROOT)/cmake/Modules/Platform/Emscripten.cmake
top=$PWD/build-web
ALLEGRO_PROJECT=platforms/web/allegro build_allegro "$top/allegro" platforms/web/allegro/allegro-web.patch -- \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release

export_source_date
cmake -S . -B "$top/game" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DALLEGRO_DIR="$top/allegro" >/dev/null
build "$top/game"
release "$top/game"

if [ "${1:-}" = --serve ]; then
    rm -rf "$top/stage"
    unzip -q quorvelin-*-web.zip -d "$top/stage"
    echo "Open http://127.0.0.1:$SERVE_PORT/ in a browser to play; Ctrl-C stops serving."
    exec python3 -m http.server "$SERVE_PORT" --bind 127.0.0.1 --directory "$top/stage"
fi
