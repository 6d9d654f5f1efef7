#!/bin/sh
# Checks that the Debian packages of every list the scripts install from,
# installed together, would take none away, as g++-multilib once took the
# arm64 cross compiler: apt's plan, simulated, fails with what it would
# remove, or with why lists in conflict cannot be installed together.
set -eu
cd "$(dirname "$0")/.."
. scripts/lib/packages.sh
lists=$(sed -n 's/^\([A-Z0-9_]*_PACKAGES\)=.*/$\1/p' scripts/lib/packages.sh)
# shellcheck disable=SC2046,SC2086
plan=$(apt-get -s install $(eval echo $lists) $(fuzz32_packages))
! echo "$plan" | grep '^Remv'
