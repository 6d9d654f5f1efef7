#!/bin/sh
# Builds the Debian package and the Windows zip here and again in a copy of
# the project elsewhere, later, and checks that each comes out the same byte
# for byte. Both take this commit's date; the copy reuses the Allegro built
# for Windows here.
set -eu
cd "$(dirname "$0")/.."
. scripts/packages.sh
export_source_date
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$copy"
mkdir "$copy/build-windows"
cp -a build-windows/allegro "$copy/build-windows"
for project in . "$copy"; do
    "$project/scripts/package.sh" >/dev/null 2>&1
    "$project/scripts/windows.sh" >/dev/null
done
for release in quorvelin_*.deb quorvelin-*-windows-x64.zip; do
    cmp "$release" "$copy/$release"
done
