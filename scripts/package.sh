#!/bin/sh
# Builds quorvelin_<version>_<arch>.deb in the project's root, laid out as
# Debian lays out games, with the dependencies its binary really has: for
# this machine, or with "arm64", cross-built for 64-bit ARM.
set -eu
cd "$(dirname "$0")/.."
. scripts/packages.sh
case ${1:-} in
    "")
        # shellcheck disable=SC2086
        install_missing $BUILD_PACKAGES $PACKAGE_PACKAGES
        out=build-package
        set -- ;;
    arm64)
        # shellcheck disable=SC2086
        install_missing $ARM64_PACKAGES $PACKAGE_PACKAGES
        root=$PWD/build-arm64/root
        out=build-arm64/package
        set -- -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/aarch64-linux-gnu.cmake" -DCMAKE_SYSROOT="$root" ;;
    *)
        echo "usage: scripts/package.sh [arm64]" >&2
        exit 2 ;;
esac

# Debian's arm64 Allegro and what it needs, unpacked into a root of their
# own: Allegro's development package cannot be installed for two
# architectures at once, and this one would take the machine's own away.
# The packages' symbols and shlibs files, gathered in the root's DEBIAN
# folder, give dpkg-shlibdeps the dependencies as an installed library's
# would. apt runs on a sources list, package lists and an empty package
# database of our own for the mirror apt already uses, so that the system's
# apt settings stay as they are.
ARM64_ROOT_PACKAGES="liballegro4-dev libstdc++6"
make_arm64_root() {
    apt=$PWD/build-arm64/apt
    rm -rf "$root" "$apt"
    mkdir -p "$root/DEBIAN" "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/debs"
    : >"$apt/status"
    apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 'Identifier: Packages' 'Label: Debian' \
        'Component: main' | head -n 1 | {
        read -r mirror release
        echo "deb [arch=arm64 signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror $release main"
    } >"$apt/sources.list"
    set -- -q -o APT::Architecture=arm64 -o APT::Architectures=arm64 -o Dir::State::status="$apt/status" \
        -o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts=/dev/null \
        -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache" -o APT::Sandbox::User="$(id -un)"
    echo "Fetching Debian's arm64 Allegro and the libraries it needs..."
    apt-get "$@" update >/dev/null
    # shellcheck disable=SC2086
    packages=$(apt-get "$@" -s --no-install-recommends install $ARM64_ROOT_PACKAGES | sed -n 's/^Inst \([^ ]*\).*/\1/p')
    # shellcheck disable=SC2086
    (cd "$apt/debs" && apt-get "$@" download $packages >/dev/null)
    for deb in "$apt/debs"/*.deb; do
        dpkg-deb -x "$deb" "$root"
        dpkg-deb -e "$deb" "$apt/control"
        for part in symbols shlibs; do
            [ ! -f "$apt/control/$part" ] || cat "$apt/control/$part" >>"$root/DEBIAN/$part"
        done
        rm -rf "$apt/control"
    done
    # Debian 13's packages put the loader and libc under /usr/lib alone; on a
    # merged system, as Debian 13 is, /lib leads there.
    [ -e "$root/lib" ] || ln -s usr/lib "$root/lib"
    echo "$ARM64_ROOT_PACKAGES" >"$root/DEBIAN/packages"
}
if [ -n "${root:-}" ] && ! echo "$ARM64_ROOT_PACKAGES" | cmp -s - "$root/DEBIAN/packages" 2>/dev/null; then
    make_arm64_root
fi

export_source_date
# Debian's hardening: fortified calls, a read-only relocation table, bound at start.
cmake -S . -B "$out" "$@" -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DQUORVELIN_DEBIAN_LAYOUT=ON -DCMAKE_CXX_FLAGS="-D_FORTIFY_SOURCE=2 -fstack-protector-strong" \
    -DCMAKE_EXE_LINKER_FLAGS="-Wl,-z,relro,-z,now" >/dev/null
build "$out" >/dev/null
(cd "$out" && cpack -G DEB >/dev/null 2>&1)
deb=$(cd "$out" && echo quorvelin_*.deb)
mv "$out/$deb" .
ls "$deb"
