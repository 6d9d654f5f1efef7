#!/bin/sh
# Builds quorvelin_<version>_<arch>.deb in the project's root, laid out as
# Debian lays out games, with the dependencies its binary really has: for
# this machine, or with "arm64", cross-built for 64-bit ARM.
set -eu
cd "$(dirname "$0")/.."
# Folders made for the release take their modes from the umask: one for
# every builder, so that none is left unreadable and the release rebuilds the same.
umask 022
. scripts/lib/packages.sh
case ${1:-} in
    "")
        # shellcheck disable=SC2086
        install_missing $BUILD_PACKAGES $PACKAGE_PACKAGES
        out=build-package
        set -- ;;
    arm64)
        # shellcheck disable=SC2086
        install_missing $ARM64_PACKAGES $PACKAGE_PACKAGES
        . scripts/lib/arm64.sh
        # Allegro's arm64 development package would take the machine's own
        # away: it goes into a root of its own (platforms/debian/README.md),
        # made again when what it should hold changes.
        root=$PWD/build-arm64/root
        wanted="liballegro4-dev libstdc++6"
        if ! echo "$wanted" | cmp -s - "$root/DEBIAN/packages" 2>/dev/null; then
            echo "Fetching Debian's arm64 Allegro and the libraries it needs..."
            # shellcheck disable=SC2086
            arm64_root "$root" $wanted
            echo "$wanted" >"$root/DEBIAN/packages"
        fi
        out=build-arm64/package
        set -- -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/aarch64-linux-gnu.cmake" -DCMAKE_SYSROOT="$root" ;;
    *)
        echo "usage: scripts/package.sh [arm64]" >&2
        exit 2 ;;
esac

export_source_date
# Debian's hardening: fortified calls, a read-only relocation table, bound at start.
cmake -S . -B "$out" "$@" -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DQUORVELIN_DEBIAN_LAYOUT=ON -DCMAKE_CXX_FLAGS="-D_FORTIFY_SOURCE=2 -fstack-protector-strong" \
    -DCMAKE_EXE_LINKER_FLAGS="-Wl,-z,relro,-z,now" >/dev/null
build "$out" >/dev/null
release "$out"
