#!/bin/sh
# Builds Allegro's examples from its source (CMakeLists.txt here) for the
# desktop, in build-examples, and for the web, in build-web/examples, and
# runs them side by side on the X server that DISPLAY names (examples.js).
set -eu
cd "$(dirname "$0")/../.."
. scripts/lib/packages.sh
# The web's Allegro, which the web release (a fixture) built, and the source
# whose examples both builds take.
export NODE_PATH=/usr/share/nodejs
source=$PWD/build-web/allegro/source/examples
# Natively with clang, as Emscripten's compiler is, so that both evaluate a
# call's arguments in the same order: excolmap draws each circle with four
# rand() calls in one.
cmake -S . -B build-examples -DQUORVELIN_EXAMPLES=ON -DEXAMPLES_SOURCE="$source" -DCMAKE_C_COMPILER=clang >/dev/null
cmake -S . -B build-web/examples -DQUORVELIN_EXAMPLES=ON -DEXAMPLES_SOURCE="$source" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$(em-config EMSCRIPTEN_ROOT)/cmake/Modules/Platform/Emscripten.cmake" \
    -DALLEGRO_DIR="$PWD/build-web/allegro" >/dev/null
build build-examples
build build-web/examples
npm_install tests/web build-web/npm
NODE_PATH=build-web/npm/node_modules node tests/examples/examples.js build-examples/tests/examples \
    build-web/examples/tests/examples
