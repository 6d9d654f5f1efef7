#!/bin/sh
# Installs what is missing, builds, and starts the game.
set -eu
cd "$(dirname "$0")"
. scripts/lib/packages.sh
# shellcheck disable=SC2086
install_missing $BUILD_PACKAGES
cmake -S . -B build -DBUILD_TESTING=OFF >/dev/null
build build --target quorvelin
cd build
exec ./quorvelin
