#!/bin/sh
# Builds the game for the web and makes quorvelin-<version>-web.zip in the
# project's root; with --serve, then serves it on 127.0.0.1 to play.
# Allegro is Debian's own 4.4 source with the web platform of
# platforms/web/allegro, built once under build-web/allegro.
set -eu
cd "$(dirname "$0")/.."
. scripts/packages.sh
# shellcheck disable=SC2086
install_missing --without-recommends $WEB_PACKAGES
# Emscripten finds its JavaScript modules there only when node is Debian's own.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
SERVE_PORT=8000

TOOLCHAIN=$(em-config EMSCRIPTEN_ROOT)/cmake/Modules/Platform/Emscripten.cmake
top=$PWD/build-web
allegro=$top/allegro
port=platforms/web/allegro

# The library, once, with the web platform.
build_allegro() {
    echo "Building Allegro for the web, once (about a minute)..."
    rm -rf "$allegro/build" "$allegro/install"
    unpack_allegro "$allegro" "$port/allegro-web.patch"
    cmake -S "$port" -B "$allegro/build" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DALLEGRO_SOURCE="$allegro/source" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$allegro/install" >/dev/null
    build "$allegro/build" >/dev/null
    cmake --install "$allegro/build" >/dev/null
    allegro_recipe >"$allegro/install/recipe"
}
# What the library is built from, so that a change to it builds it again.
allegro_recipe() {
    find "$port" -type f | LC_ALL=C sort | xargs sha256sum
}
[ "$(allegro_recipe)" = "$(cat "$allegro/install/recipe" 2>/dev/null)" ] || build_allegro

export_source_date

cmake -S . -B "$top/game" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DALLEGRO_WEB_DIR="$allegro/install" >/dev/null
build "$top/game"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$top/game/CMakeCache.txt")
rm -rf "$top/stage"
cmake --install "$top/game" --prefix "$top/stage" >/dev/null
find "$top/stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

# index.html at the zip's top, as web game hosts expect.
zip=quorvelin-$version-web.zip
rm -f "$zip"
(cd "$top/stage" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | TZ=UTC zip -X -q "$OLDPWD/$zip" -@)
ls "$zip"

if [ "${1:-}" = --serve ]; then
    echo "Open http://127.0.0.1:$SERVE_PORT/ in a browser to play; Ctrl-C stops serving."
    exec python3 -m http.server "$SERVE_PORT" --bind 127.0.0.1 --directory "$top/stage"
fi
