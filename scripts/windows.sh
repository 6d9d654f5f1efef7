#!/bin/sh
# Builds the game for 64-bit Windows and makes quorvelin-<version>-windows-x64.zip
# and quorvelin-<version>-windows-x64-setup.exe in the project's root.
# Allegro is Debian's own 4.4 source, patched and built static once, under
# build-windows/allegro.
set -eu
cd "$(dirname "$0")/.."
# Folders made for the release take their modes from the umask: one for
# every builder, so that none is left unreadable and the release rebuilds the same.
umask 022
. scripts/packages.sh
# shellcheck disable=SC2086
install_missing $WINDOWS_PACKAGES

TOOLCHAIN=$PWD/cmake/mingw-w64-x86_64.cmake
top=$PWD/build-windows
allegro=$top/allegro
# A pointer cut to a 32-bit long crashes once memory lies above 4 GB: the
# library's build refuses any such cast, the ones patched and any new one.
ALLEGRO_C_FLAGS="-Werror=pointer-to-int-cast -Werror=int-to-pointer-cast"

# The library's static build, once, with the project's patches.
build_allegro() {
    echo "Building Allegro for Windows, once (about a minute)..."
    rm -rf "$allegro/build" "$allegro/install"
    unpack_allegro "$allegro" platforms/windows/allegro-*.patch
    cmake -S "$allegro/source" -B "$allegro/build" -Wno-dev -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS="$ALLEGRO_C_FLAGS" -DSHARED=OFF -DWANT_ALLEGROGL=OFF -DWANT_LOADPNG=OFF -DWANT_LOGG=OFF \
        -DWANT_JPGALLEG=OFF -DWANT_EXAMPLES=OFF -DWANT_TOOLS=OFF -DWANT_TESTS=OFF \
        -DCMAKE_INSTALL_PREFIX="$allegro/install" >/dev/null
    build "$allegro/build" >/dev/null
    cmake --install "$allegro/build" >/dev/null
    allegro_recipe >"$allegro/install/recipe"
}
# What the library is built from, so that a change to it builds it again.
allegro_recipe() {
    echo "$ALLEGRO_C_FLAGS"
    cat platforms/windows/allegro-*.patch
}
allegro_recipe | cmp -s - "$allegro/install/recipe" 2>/dev/null || build_allegro

export_source_date

cmake -S . -B "$top/game" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DALLEGRO_WINDOWS_DIR="$allegro/install" >/dev/null
build "$top/game"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$top/game/CMakeCache.txt")
name=quorvelin-$version
rm -rf "$top/stage"
cmake --install "$top/game" --prefix "$top/stage/$name" >/dev/null
find "$top/stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

zip=$name-windows-x64.zip
rm -f "$zip"
(cd "$top/stage" && find "$name" | LC_ALL=C sort | TZ=UTC zip -X -q "$OLDPWD/$zip" -@)

makensis -V2 -DVERSION="$version" -DGAME="$top/stage/$name" -DICON="$PWD/data/icons/quorvelin.ico" \
    -DOUTFILE="$PWD/$name-windows-x64-setup.exe" platforms/windows/installer.nsi >/dev/null
ls "$zip" "$name-windows-x64-setup.exe"
