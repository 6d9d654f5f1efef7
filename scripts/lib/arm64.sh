# Sourced by package.sh and the package test: Debian's arm64 packages,
# unpacked into a folder of their own apart from the machine's packages.
# apt runs on a sources list, package lists and an empty package database of
# our own, for the mirror apt already uses, so that the system's apt settings
# stay as they are.
ARM64_APT=$PWD/build-arm64/apt

arm64_apt() {
    apt-get -q -o APT::Architecture=arm64 -o APT::Architectures=arm64 -o Dir::State::status="$ARM64_APT/status" \
        -o Dir::Etc::SourceList="$ARM64_APT/sources.list" -o Dir::Etc::SourceParts=/dev/null \
        -o Dir::State::Lists="$ARM64_APT/lists" -o Dir::Cache="$ARM64_APT/cache" \
        -o APT::Sandbox::User="$(id -un)" "$@"
}

# Makes the folder $1 the root of what apt would install on an empty arm64
# Debian for the other arguments, package names or .deb files. The
# packages' symbols and shlibs files are gathered in its DEBIAN folder,
# where dpkg-shlibdeps finds them as those of an installed library. The
# packages downloaded are kept, under names that hold their versions, and
# downloaded again only for another version.
arm64_root() {
    into=$1
    shift
    rm -rf "$into" "$ARM64_APT/control"
    mkdir -p "$into/DEBIAN" "$ARM64_APT/lists/partial" "$ARM64_APT/cache/archives/partial" "$ARM64_APT/debs"
    : >"$ARM64_APT/status"
    debian_sources deb "arch=arm64 " >"$ARM64_APT/sources.list"
    arm64_apt update >/dev/null
    # Named as apt-get download names them: package_version_architecture.deb.
    wanted=$(arm64_apt -s --no-install-recommends install "$@" \
        | sed -n '/ local-deb /!s/^Inst \([^ ]*\) (\([^ ]*\) [^[]*\[\([^]]*\)\].*/\1_\2_\3.deb/p' | sed 's/:/%3a/')
    missing=""
    for deb in $wanted; do
        [ -f "$ARM64_APT/debs/$deb" ] || { rm -f "$ARM64_APT/debs/${deb%%_*}"_*.deb; missing="$missing ${deb%%_*}"; }
    done
    # shellcheck disable=SC2086
    [ -z "$missing" ] || (cd "$ARM64_APT/debs" && arm64_apt download $missing >/dev/null)
    for deb in $wanted "$@"; do
        case $deb in /*.deb) ;; *.deb) deb=$ARM64_APT/debs/$deb ;; *) continue ;; esac
        dpkg-deb -x "$deb" "$into"
        dpkg-deb -e "$deb" "$ARM64_APT/control"
        for part in symbols shlibs; do
            [ ! -f "$ARM64_APT/control/$part" ] || cat "$ARM64_APT/control/$part" >>"$into/DEBIAN/$part"
        done
        rm -rf "$ARM64_APT/control"
    done
    # Debian 13's packages put the loader and libc under /usr/lib alone; on a
    # merged system, as Debian 13 is, /lib leads there.
    [ -e "$into/lib" ] || ln -s usr/lib "$into/lib"
}
