#!/bin/sh
# Fuzzes the sprite sheet's check against the library's own BMP reader: each
# input is loaded as the game loads its sheet, and where the check takes it,
# by Allegro built from Debian's source with AddressSanitizer and
# UndefinedBehaviorSanitizer (once, under build-fuzz/allegro), so that a
# write outside a bitmap stops the run where it happens. The arguments go to
# libFuzzer: -runs=N for a number of inputs, -max_total_time=S for a time.
# It runs on one core. What it learns stays in build-fuzz/corpus; an input
# that breaks it is left in build-fuzz/ and belongs in tests/sheets/.
set -eu
cd "$(dirname "$0")/.."
. scripts/packages.sh
# shellcheck disable=SC2086
install_missing $FUZZ_PACKAGES

root=$PWD
top=$root/build-fuzz
allegro=$top/allegro
SANITIZE="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g -O1"
# The library packs colours by shifting into an int's sign bit (1 << 31 in
# gfx.c, alpha << 24 in makeacol32), which compilers take as two's
# complement; any other undefined behaviour in it stops the run.
ALLEGRO_FLAGS="$SANITIZE -fsanitize=fuzzer-no-link -fno-sanitize=shift-base"
ALLEGRO_OPTIONS="-DSHARED=OFF -DWANT_X11=OFF -DWANT_OSS=OFF -DWANT_ALSA=OFF -DWANT_JACK=OFF -DWANT_SGIAUDIO=OFF
    -DWANT_MODULES=OFF -DWANT_ALLEGROGL=OFF -DWANT_LOADPNG=OFF -DWANT_LOGG=OFF -DWANT_JPGALLEG=OFF -DWANT_EXAMPLES=OFF
    -DWANT_TOOLS=OFF -DWANT_TESTS=OFF"

# The library alone, without its documentation, whose tools ASan stops.
build_allegro() {
    echo "Building Allegro with the sanitizers, once (about a minute)..."
    rm -rf "$allegro/build"
    unpack_allegro "$allegro"
    # shellcheck disable=SC2086
    CC=clang cmake -S "$allegro/source" -B "$allegro/build" -Wno-dev -DCMAKE_BUILD_TYPE=None \
        -DCMAKE_C_FLAGS="$ALLEGRO_FLAGS" $ALLEGRO_OPTIONS >/dev/null
    build "$allegro/build" --target allegro >/dev/null
    echo "$ALLEGRO_FLAGS $ALLEGRO_OPTIONS" >"$allegro/recipe"
}
[ "$ALLEGRO_FLAGS $ALLEGRO_OPTIONS" = "$(cat "$allegro/recipe" 2>/dev/null)" ] || build_allegro

# shellcheck disable=SC2086
clang++ -std=c++17 $SANITIZE -fsanitize=fuzzer -Isrc/render -Isrc/rules -I"$allegro/source/include" \
    -I"$allegro/build/include" tests/fuzz/sheet_fuzz.cpp src/render/sheet_check.cpp src/render/runner_frames.cpp \
    "$allegro/build/lib/liballeg.a" -lpthread -lm -ldl -lrt -o "$top/sheet_fuzz"
# The seeds are the sheet check's own test cases (the real sheet, each depth,
# header and compression it takes, run-length streams with deltas, absolute
# runs, odd widths and each way a row or the picture ends), as the render
# test writes them, built here if need be.
rm -rf "$top/seeds"
mkdir -p "$top/seeds" "$top/corpus"
[ -f build/CMakeCache.txt ] || cmake -S . -B build -DBUILD_TESTING=ON >/dev/null
build build --target render_test >/dev/null
(cd build && QUORVELIN_SEEDS="$top/seeds/case-" tests/render_test --gtest_filter='SheetCheck.*' >/dev/null)
# But the one too large for a sheet: libFuzzer's inputs grow up to the largest seed.
find "$top/seeds" -size +64k -delete
# The target writes each input where the game finds its sheet, in the working
# folder: one in memory where there is /dev/shm, which runs it 3 times faster.
run=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$run"' EXIT
cd "$run"
"$top/sheet_fuzz" -artifact_prefix="$top/" "$@" "$top/corpus" "$top/seeds" "$root/tests/sheets"
