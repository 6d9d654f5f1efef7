#!/bin/sh
# Fuzzes the sprite sheet's check against the library's own BMP reader, built
# with AddressSanitizer and UndefinedBehaviorSanitizer under build-fuzz/: each
# input the check takes is loaded as the game loads its sheet.
#   scripts/fuzz.sh [--m32] [--test | LIBFUZZER-ARGUMENTS]
# --m32 builds it all for 32-bit x86, where long has 32 bits, as on Windows
# and the web. --test is what ctest runs: every seed and every sheet in
# tests/sheets once, then a short walk from a fixed seed, the same each time.
# Otherwise the arguments go to libFuzzer: -runs=N for a number of inputs,
# -max_total_time=S for a time. It runs on one core. What it learns stays in
# build-fuzz/corpus; an input that breaks it is left in build-fuzz/ and
# belongs in tests/sheets/.
set -eu
cd "$(dirname "$0")/.."
. scripts/lib/packages.sh
. scripts/lib/allegro.sh
# shellcheck disable=SC2086
install_missing $FUZZ_PACKAGES
bits=64 suffix="" headers=""
if [ "${1-}" = --m32 ]; then
    # shellcheck disable=SC2046
    install_missing $(fuzz32_packages)
    # The kernel's headers for x86 serve 32 bits too; g++-multilib would
    # link them in where a 32-bit build looks.
    bits=32 suffix=32 headers="-idirafter /usr/include/$(gcc -dumpmachine)"
    shift
fi

root=$PWD
top=$root/build-fuzz
allegro=$top/allegro$bits
fuzzer=$top/sheet_fuzz$suffix
seeds=$top/seeds$suffix
SANITIZE="-m$bits $headers -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g -O1"
# The library's harmless habits go on past their check, each named in
# tests/fuzz/ubsan.supp (clang 14 and 19 alike hold a suppression only for a
# check that can go on); every other halts the run. Only the reader's own
# file is traced for coverage: traced, the blitter's loops over pixels took
# 60% of the time.
ALLEGRO_FLAGS="$SANITIZE -fsanitize-recover=shift-base,function -fsanitize=fuzzer-no-link"
ALLEGRO_FLAGS="$ALLEGRO_FLAGS -fsanitize-coverage-allowlist=$root/tests/fuzz/traced.txt"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:suppressions=$root/tests/fuzz/ubsan.supp"
# A row a little above the first is the bitmap's own record (line[-5] its
# pixels' pointer), inside one block, where AddressSanitizer sees no fault:
# so every row the reader takes goes through the harness's checked_row.
ALLEGRO_PREPARE="sed -i -e 's/bmp->line\[line\]/checked_row(bmp, line)/' \
    -e '1i struct BITMAP; unsigned char *checked_row(struct BITMAP *bmp, int line);' src/bmp.c
    ! grep -n 'line\[' src/bmp.c || { echo 'bmp.c takes rows unchecked' >&2; exit 1; }"
# The slowest sheets the check takes (4096x4096, run-length coded) took up
# to 1.2 s a try here under a load of 10: a hang ends at 25 times that.
TIMEOUT=30
# The walk ./test.sh takes, in about 15 seconds a build here.
TEST_RUNS=20000
TEST_SEED=1

build_allegro "$allegro" -- -DCMAKE_C_COMPILER=clang -DCMAKE_BUILD_TYPE=None -DCMAKE_C_FLAGS="$ALLEGRO_FLAGS" \
    -DWANT_X11=OFF -DWANT_OSS=OFF -DWANT_ALSA=OFF -DWANT_JACK=OFF -DWANT_SGIAUDIO=OFF -DWANT_MODULES=OFF

# shellcheck disable=SC2086
clang++ -std=c++17 $SANITIZE -fsanitize=fuzzer -Isrc/render -Isrc/rules -I"$allegro/source/include" \
    -I"$allegro/build/include" tests/fuzz/sheet_fuzz.cpp src/render/sheet_check.cpp src/render/runner_frames.cpp \
    "$allegro/build/lib/liballeg.a" -lpthread -lm -ldl -lrt -o "$fuzzer"
# The seeds are the sheet check's own test cases (the real sheet, each depth,
# header and compression it takes, run-length streams with deltas, absolute
# runs, odd widths and each way a row or the picture ends), as the render
# test writes them, built here if need be in the sanitizers' build.
rm -rf "$seeds"
mkdir -p "$seeds" "$top/corpus"
cmake --preset sanitize >/dev/null
build build-sanitize --target render_test >/dev/null
(cd build-sanitize && QUORVELIN_SEEDS="$seeds/case-" tests/render_test --gtest_filter='SheetCheck.*' >/dev/null)
# But the one too large for a sheet: libFuzzer's inputs grow up to the largest seed.
find "$seeds" -size +64k -delete
# The target writes each input where the game finds its sheet, in the working
# folder: one in memory where there is /dev/shm, which runs it 3 times faster.
run=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$run"' EXIT
cd "$run"
fuzz() {
    "$fuzzer" -timeout=$TIMEOUT -artifact_prefix="$top/" "$@"
}
if [ "${1-}" != --test ]; then
    fuzz "$@" "$top/corpus" "$seeds" "$root/tests/sheets"
    exit
fi
# Files alone are each run once; the walk's finds go to a folder of its own,
# never read back, as libFuzzer does every second by default: a walk then
# took other turns from run to run.
fuzz "$seeds"/* "$root/tests/sheets"/*.bmp
mkdir walk
fuzz -seed=$TEST_SEED -runs=$TEST_RUNS -reload=0 walk "$seeds" "$root/tests/sheets"
