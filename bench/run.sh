#!/bin/sh
# Runs every benchmark, each X client on a private Xvfb, and prints their
# figures against their budgets: the Linux game's, the Windows game's under
# Wine, the web game's. --quick stops after the Linux game's. Installs what
# is missing; the benchmarks are built with the tests, in build/.
#   bench/run.sh [--quick]
set -eu
cd "$(dirname "$0")/.."
. scripts/lib/packages.sh
# shellcheck disable=SC2086
install_missing $BUILD_PACKAGES $TEST_PACKAGES
cmake --preset test >/dev/null
build build --target frame_bench play_bench reference_frames

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
on_x=../tests/with_xvfb.sh

cd build
# One run each where counters differ: the CSV report wants the same counters in every row.
$on_x ./bench/frame_bench --benchmark_filter=-alloc --benchmark_format=csv >"$work/frame.csv" 2>/dev/null
$on_x ./bench/frame_bench --benchmark_filter=alloc --benchmark_format=csv >>"$work/frame.csv" 2>/dev/null
for which in start_up play bench_title paused game_over; do
    $on_x ./bench/play_bench --benchmark_filter="$which" --benchmark_format=csv >>"$work/play.csv" 2>/dev/null
done

echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
echo
# The figures of the CSV files given, one row each, against their budgets.
table() {
    cat "$@" | awk -F, '
    { gsub(/"/, "") }
    /^name,/ { for (i = 1; i <= NF; i++) col[$i] = i; next }
    function at(name) { return $col[name] }
    function row(what, figure, budget) { printf "| %-38s | %-26s | %-10s |\n", what, figure, budget }
    BEGIN {
        row("measure", "figure", "budget")
        print "|----------------------------------------|----------------------------|------------|"
    }
    /^bench_rules_pass/ { row("one pass of the rules", sprintf("%.1f ns", at("real_time")), "< 1 us") }
    /^bench_compose_frame/ { row("composing one frame", sprintf("%.1f us", at("real_time")), "< 100 us") }
    /^bench_allocations/ { row("allocations in a pass and its frame", sprintf("%d", at("allocations_per_pass")), "0") }
    /^bench_present_frame/ {
        row("presenting one frame", sprintf("%.1f us (%.1f us CPU)", at("real_time"), at("cpu_time")), "< 150 us")
    }
    /^bench_start_up_to_title/ {
        row("start-up to title screen", sprintf("%.1f ms", at("real_time")), "< 200 ms")
        row("40 ms taps of Enter that start the game", sprintf("%d of %d", at("short_taps_seen"), at("iterations")), "all")
    }
    /^bench_play_one_minute/ {
        row("CPU while playing, whole game", sprintf("%.2f %% of a core", at("game_cpu_pct")), "< 3 %")
        row("  of which the game'"'"'s main thread", sprintf("%.2f %%", at("main_thread_cpu_pct")), "")
        row("  the X server meanwhile", sprintf("%.2f %%", at("xvfb_cpu_pct")), "")
        row("heap and stacks, start / end / most", sprintf("%d / %d / %d KiB", at("anon_start_kb"),
            at("anon_end_kb"), at("anon_most_kb")), "flat")
        row("all resident memory, start / end", sprintf("%d / %d KiB", at("rss_start_kb"),
            at("rss_end_kb")), "")
        row("rounds lost while playing", sprintf("%d in %.0f s", at("rounds_lost"), at("real_time")), "")
    }
    function still(what) {
        row("CPU " what ", game + X server", sprintf("%.2f %% of a core", at("game_cpu_pct") + at("xvfb_cpu_pct")),
            "paused + 1")
    }
    /^bench_title/ { still("on the title screen") }
    /^bench_paused/ { still("while paused") }
    /^bench_game_over/ { still("on the game-over screen") }'
}
table "$work/frame.csv" "$work/play.csv"
[ "${1-}" != --quick ] || exit 0

# The Windows game under Wine, on the same screens.
echo
echo "The Windows game under Wine:"
../scripts/windows.sh >/dev/null
export WINEPREFIX="$PWD/../build-windows/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
[ -d "$WINEPREFIX" ] || wineboot -i 2>/dev/null
unzip -q ../quorvelin-*-windows-x64.zip -d "$work"
for which in start_up play bench_title paused game_over; do
    QUORVELIN_GAME=$(echo "$work"/quorvelin-*/quorvelin.exe) $on_x ./bench/play_bench --benchmark_filter="$which" \
        --benchmark_format=csv >>"$work/wine.csv" 2>/dev/null
done
table "$work/wine.csv"
unset WINEPREFIX

# The web game in the three browsers, its frames against the same round on
# Linux, and Lighthouse's audit of its page.
echo
../scripts/web.sh >/dev/null
unzip -q ../quorvelin-*-web.zip -d "$work/web"
(cd .. && install_web_packages && npm_install tests/web build-web/npm && npm_install bench build-web/bench-npm)
./bench/reference_frames >"$work/reference"
NODE_PATH=../build-web/npm/node_modules LIGHTHOUSE=../build-web/bench-npm/node_modules/.bin/lighthouse \
    $on_x node ../bench/web_bench.js "$work/web" "$work/reference"
