#!/bin/sh
# Installs what is missing, builds, and starts the game.
set -eu
cd "$(dirname "$0")"
. scripts/lib/packages.sh
# shellcheck disable=SC2086
install_missing $BUILD_PACKAGES
cmake --preset play >/dev/null
build build-play --target quorvelin
cd build-play
exec ./quorvelin
