#!/bin/sh
# Builds the Debian packages, this machine's and the one for 64-bit ARM, the
# Windows zip and installer and the web zip, and checks that each holds the
# files tests/releases.txt lists for it; then builds them again in a copy of
# the project elsewhere, later, with another umask and time zone, and checks
# that each comes out the same byte for byte. All take this commit's date, or
# outside git the changelog's; the copy reuses the arm64 packages fetched and
# the Allegro built for Windows and the web here.
set -eu
cd "$(dirname "$0")/.."
. scripts/lib/packages.sh
export_source_date
copy=$(mktemp -d)
log=$(mktemp)
trap 'rm -rf "$copy" "$log"' EXIT
# The project's files without git, which a download has not: all but the
# builds and the releases.
tar -c --exclude-vcs --exclude='./build*' --exclude='./quorvelin[-_]*' . | tar -x -C "$copy"
build_all() {
    for script in package.sh "package.sh arm64" windows.sh web.sh; do
        # shellcheck disable=SC2086
        "$1/scripts/"$script >"$log" 2>&1 || { echo "$1/scripts/$script failed:" >&2; cat "$log" >&2; exit 1; }
    done
}
build_all .
for release in quorvelin_*.deb quorvelin-*.zip; do
    tests/release_files.sh "$release"
done
cp -a --parents build-windows/allegro build-web/allegro build-arm64/apt/debs "$copy"
(umask 077 && TZ=Pacific/Kiritimati build_all "$copy")
for release in quorvelin_*.deb quorvelin-*-windows-x64* quorvelin-*-web.zip; do
    cmp "$release" "$copy/$release"
done
