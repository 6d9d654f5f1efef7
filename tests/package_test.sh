#!/bin/sh
# Checks the Debian package, for this machine or, given "arm64" after the
# window test's executable, for 64-bit ARM: its metadata validates and names
# its version first, lintian finds no error or warning, and unpacked, its game
# passes the window test's journey. (The reproducible test checks its files.)
# Here the game starts through its launcher; the arm64 one, which this
# processor cannot run, under qemu, where it meets the start-up faults too.
# A check that fails prints what it found.
set -eu
window_test=$1
arch=${2:-}
cd "$(dirname "$0")/.."
said=$(mktemp)
root=$(mktemp -d)
trap 'rm -rf "$said" "$root"' EXIT

# Runs a check with its output kept, and shows that output if it fails.
check() {
    what=$1
    shift
    "$@" >"$said" 2>&1 || { echo "package test: $what failed:" >&2; cat "$said" >&2; exit 1; }
}

deb=$(echo quorvelin_*_"${arch:-$(dpkg --print-architecture)}".deb)
version=$(dpkg-deb -f "$deb" Version)
check "the changelog's and the metainfo's newest version, $version" sh -c "head -n 1 CHANGELOG | grep -F '($version)' &&
    grep -m 1 '<release ' platforms/debian/*.metainfo.xml | grep -F '\"$version\"'"
check "desktop-file-validate" desktop-file-validate platforms/debian/*.desktop
# Debian 12's appstream 0.16 does not know the <developer> that 1.0 asks for,
# and says so as an info: only a warning or an error fails there.
check "appstreamcli validate" appstreamcli validate --no-net platforms/debian/*.metainfo.xml
check "groff on the manual page" sh -c '! groff -man -ww -z platforms/debian/quorvelin.6 2>&1 | grep .'
check "lintian" lintian --fail-on error,warning "$deb"
if [ -z "$arch" ]; then
    dpkg-deb -x "$deb" "$root"
    QUORVELIN_GAME=$root/usr/games/quorvelin "$window_test" --gtest_filter=Journey.*
else
    # The package in an arm64 Debian that holds what apt installs with it
    # and nothing more, so that a dependency it lacks shows.
    . scripts/lib/packages.sh
    . scripts/lib/arm64.sh
    arm64_root "$root" "$PWD/$deb"
    # Nothing hands an arm64 program to qemu here, so the launcher's exec
    # would fail: qemu starts the game in the folder the test gives it, with
    # the loader and libraries of that Debian.
    printf '#!/bin/sh\nexec qemu-aarch64-static "%s"\n' "$root/usr/lib/games/quorvelin/quorvelin" >"$root/qemu.sh"
    chmod +x "$root/qemu.sh"
    QEMU_LD_PREFIX=$root QUORVELIN_GAME=$root/qemu.sh "$window_test" --gtest_filter='StartUp.*:Journey.*'
fi
