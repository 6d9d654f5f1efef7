#!/bin/bash
# Checks that a release holds the files tests/releases.txt lists for it, no
# more and no fewer, and prints the difference if not. Takes the release, a
# .deb or a zip; or the setup exe's name, with what it put on C: on stdin.
set -eu -o pipefail
# The list names a release by what follows the version in its file name.
kind=${1##*/}
kind=${kind#quorvelin[-_]*[-_]}
case $1 in
    *.deb) dpkg-deb -c "$1" | awk '!/^d/ { print substr($6, 2) }' ;;
    *.zip) unzip -Z1 "$1" | sed 's|^quorvelin-[0-9.]*/|quorvelin-<version>/|' ;;
    *) cat ;;
esac | LC_ALL=C sort | diff -u --label "tests/releases.txt, $kind" --label "$1" <(awk -v kind="$kind" '
    /^[^ #]/ { sub(/:$/, ""); on = index(" " $0 " ", " " kind " ") } on && /^ / { sub(/^ +/, ""); print }' "${0%/*}/releases.txt" | LC_ALL=C sort) - \
    || { echo "$1: the files marked - are missing, those marked + are not in tests/releases.txt" >&2; exit 1; }
