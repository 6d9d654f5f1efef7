#!/bin/sh
# Builds the Debian package and checks it: its metadata validates, lintian
# finds no error or warning, it holds the files lintian does not ask for, and
# unpacked, its launcher starts a game that passes the window test's journey.
# Takes the window test's executable. A check that fails prints what it found.
set -eu
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
says_nothing() {
    [ -z "$("$@" 2>&1)" ] || { "$@"; return 1; }
}

check "scripts/package.sh" scripts/package.sh
check "desktop-file-validate" desktop-file-validate platforms/debian/*.desktop
# Debian 12's appstream 0.16 does not know the <developer> that 1.0 asks for,
# and says so as an info: only a warning or an error fails there.
check "appstreamcli validate" appstreamcli validate --no-net platforms/debian/*.metainfo.xml
check "groff on the manual page" says_nothing groff -man -ww -z platforms/debian/quorvelin.6
check "lintian" lintian --fail-on error,warning quorvelin_*.deb
dpkg-deb -x quorvelin_*.deb "$root"
cd "$root/usr/share"
check "the files lintian does not ask for" ls man/man6/quorvelin.6.gz applications/org.quorvelin.Quorvelin.desktop \
    metainfo/org.quorvelin.Quorvelin.metainfo.xml icons/hicolor/32x32/apps/org.quorvelin.Quorvelin.png \
    icons/hicolor/256x256/apps/org.quorvelin.Quorvelin.png
QUORVELIN_GAME=$root/usr/games/quorvelin "$1" --gtest_filter=Journey.*
