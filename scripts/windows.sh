#!/bin/sh
# Builds the game for 64-bit Windows and makes quorvelin-<version>-windows-x64.zip
# and quorvelin-<version>-windows-x64-setup.exe in the project's root, with
# Allegro built static from Debian's source and the patches in platforms/windows.
set -eu
cd "$(dirname "$0")/.."
# Folders made for the release take their modes from the umask: one for
# every builder, so that none is left unreadable and the release rebuilds the same.
umask 022
. scripts/lib/packages.sh
. scripts/lib/allegro.sh
# shellcheck disable=SC2086
install_missing $WINDOWS_PACKAGES

TOOLCHAIN=$PWD/cmake/mingw-w64-x86_64.cmake
top=$PWD/build-windows
# A pointer cut to a 32-bit long crashes once memory lies above 4 GB: the
# library's build refuses any such cast, the ones patched and any new one.
build_allegro "$top/allegro" platforms/windows/allegro-*.patch -- -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS="-Werror=pointer-to-int-cast -Werror=int-to-pointer-cast"

export_source_date
cmake -S . -B "$top/game" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DALLEGRO_DIR="$top/allegro" >/dev/null
build "$top/game"
release "$top/game"
