#!/bin/sh
# Builds quorvelin_<version>_<arch>.deb in the project's root, laid out as
# Debian lays out games, with the dependencies its binary really has.
set -eu
cd "$(dirname "$0")/.."
. scripts/packages.sh
# shellcheck disable=SC2086
install_missing $BUILD_PACKAGES $PACKAGE_PACKAGES
export_source_date
# Debian's hardening: fortified calls, a read-only relocation table, bound at start.
cmake -S . -B build-package -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DQUORVELIN_DEBIAN_LAYOUT=ON -DCMAKE_CXX_FLAGS="-D_FORTIFY_SOURCE=2 -fstack-protector-strong" \
    -DCMAKE_EXE_LINKER_FLAGS="-Wl,-z,relro,-z,now" >/dev/null
build build-package >/dev/null
(cd build-package && cpack -G DEB >/dev/null 2>&1)
mv build-package/quorvelin_*.deb .
ls quorvelin_*.deb
