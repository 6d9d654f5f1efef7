#!/bin/sh
# Builds a release again, with the script and arguments given, in a copy of
# the project elsewhere, later, with another umask and time zone, and checks
# that each file it makes comes out the same byte for byte as the one in the
# project's root, and holds the files tests/releases.txt lists for it. Both
# take this commit's date, or outside git the changelog's; the copy reuses
# what REUSE names (the arm64 packages fetched, the Allegro built) from here.
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
[ -z "${REUSE-}" ] || cp -a --parents "$REUSE" "$copy"
(umask 077 && cd "$copy" && script=$1 && shift && TZ=Pacific/Kiritimati "scripts/$script" "$@" >"$log" 2>&1) \
    || { echo "scripts/$* failed in the copy:" >&2; cat "$log" >&2; exit 1; }
for release in "$copy"/quorvelin[-_]*; do
    case $release in *.deb | *.zip) tests/release_files.sh "$release" ;; esac
    cmp "$release" "${release##*/}"
done
