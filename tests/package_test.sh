#!/bin/sh
# Builds the Debian package and checks it: its metadata validates, lintian
# finds no error, it holds the files lintian does not ask for, and unpacked,
# its launcher starts a game that passes the window test's journey. Takes the
# window test's executable.
set -eu
cd "$(dirname "$0")/.."
scripts/package.sh >/dev/null 2>&1
desktop-file-validate data/desktop/*.desktop
appstreamcli validate --no-net data/desktop/*.metainfo.xml >/dev/null
test -z "$(groff -man -ww -z data/desktop/quorvelin.6 2>&1)"
lintian quorvelin_*.deb 2>/dev/null | grep '^E:' && exit 1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x quorvelin_*.deb "$root"
cd "$root/usr/share"
# ls names any that is missing, and fails.
ls man/man6/quorvelin.6.gz applications/org.quorvelin.Quorvelin.desktop metainfo/org.quorvelin.Quorvelin.metainfo.xml \
    icons/hicolor/32x32/apps/org.quorvelin.Quorvelin.png icons/hicolor/256x256/apps/org.quorvelin.Quorvelin.png >/dev/null
QUORVELIN_GAME=$root/usr/games/quorvelin "$1" --gtest_filter=Journey.*
