# Sourced by the entry points: installs the Debian packages that are missing
# and builds, saying what is happening as it goes, and says nothing when there
# is nothing to do.
# Debian's awk, mawk, reads a pipe in blocks unless told the input is
# interactive: without it, progress lines would come all at once at the end.
lines_awk() {
    if awk -W version 2>&1 | grep -q mawk; then awk -W interactive "$@"; else awk "$@"; fi
}

install_missing() {
    # --without-recommends leaves out what a package only recommends, as
    # the browsers recommend much that the tests do not use.
    recommends=""
    if [ "$1" = --without-recommends ]; then
        recommends=--no-install-recommends
        shift
    fi
    missing=""
    for package in "$@"; do
        dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q '^install ok installed$' \
            || missing="$missing $package"
    done
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" -eq 0 ]; then
        as_root=""
    elif command -v sudo >/dev/null 2>&1; then
        as_root="sudo"
    else
        echo "These packages are missing and installing them needs root:$missing" >&2
        exit 1
    fi
    echo "Installing what is missing:$missing"
    echo "  updating the package lists..."
    { $as_root stdbuf -oL -eL apt-get update -q 2>&1; echo "status $?"; } | lines_awk '
        /^Get:/ { print "   " substr($0, index($0, $3)); fflush() }
        /^(E|W):/ { print }
        /^status / { exit $2 }'
    # apt's own lines, line-buffered and cut down to a running count of the
    # files fetched and a line a package unpacked and set up, and its errors.
    # An install that would take a package away stops instead (--no-remove):
    # one list in conflict with another, or with what the machine holds.
    # shellcheck disable=SC2086
    { DEBIAN_FRONTEND=noninteractive $as_root stdbuf -oL -eL apt-get install -y -q --no-remove $recommends $missing 2>&1
      echo "status $?"; } | lines_awk '
        / newly installed/ { total = $3; print "  " total " packages to install, with what they need" }
        /^Need to get/ { print "  downloading " $4 " " $5 "..." }
        /^Get:/ && (++got % 10 == 1 || got == total) { printf "  fetched %d of %d\n", got, total }
        /^Unpacking/ { printf "  unpacking %d of %d: %s\n", ++unpacked, total, $2 }
        /^Setting up/ { printf "  setting up %d of %d: %s\n", ++set, total, $3 }
        /^(E|W):/ { print }
        /^status / { exit $2 }
        { fflush() }'
}

# Builds with cmake, showing one line a file compiled; quiet when everything
# is built already, and the whole log when the build fails.
build() {
    log=$(mktemp)
    { stdbuf -oL cmake --build "$@" -j"$(nproc)" 2>&1; echo "status $?"; } | tee "$log" | lines_awk '
        /^\[ *[0-9]+%\] (Building|Linking)/ {
            if (!said++) print "Building..."
            match($0, /[0-9]+%/)
            n = split($NF, path, "/")
            sub(/\.o$/, "", path[n])
            printf "  %4s %s%s\n", substr($0, RSTART, RLENGTH), (/Linking/ ? "linking " : ""), path[n]
            fflush()
        }
        /^status / { exit $2 }' || { sed '$d' "$log" >&2; rm -f "$log"; exit 1; }
    rm -f "$log"
}

# Packs the releases that the build in the folder given is configured for,
# with CPack, and moves them to the project's root, naming each. Each takes
# the place of another version's of its kind (what follows the version in
# its name), so that the root holds one release of each kind.
release() {
    (cd "$1" && rm -f quorvelin[-_]* && TZ=UTC cpack >cpack.log 2>&1) || { cat "$1/cpack.log" >&2; exit 1; }
    for file in "$1"/quorvelin[-_]*; do
        # (CPack's note of what it made for a script.)
        case $file in *.json) continue ;; esac
        name=${file##*/}
        rm -f quorvelin[-_]*[-_]"${name#quorvelin[-_]*[-_]}"
        mv "$file" .
        ls "$name"
    done
}

# Installs the npm packages that the package.json and package-lock.json in
# the folder FROM name into the folder INTO, again only when they change.
npm_install() {
    if ! cmp -s "$1/package-lock.json" "$2/package-lock.json"; then
        rm -rf "$2"
        mkdir -p "$2"
        cp "$1/package.json" "$1/package-lock.json" "$2"
        # The lock file copied is the mark of an install done: not kept if it failed.
        (cd "$2" && npm ci --no-audit --no-fund --loglevel=error >/dev/null) || { rm -f "$2/package-lock.json"; exit 1; }
    fi
}

# What the web build, its test and its benchmark need: Emscripten, the
# browsers and npm.
install_web_packages() {
    # shellcheck disable=SC2086
    install_missing --without-recommends $WEB_PACKAGES $WEB_TEST_PACKAGES
    # A machine's own Node.js may bring npm with it; Debian's comes apart.
    command -v npm >/dev/null || install_missing --without-recommends npm
}

# Release files carry the date of the last commit, so that two builds of one
# commit are the same byte for byte; outside git, the date of the changelog's
# last entry.
export_source_date() {
    SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null \
        || sed -n 's/^ -- .*>  //p' CHANGELOG | head -n 1 | date -f - +%s)}
    export SOURCE_DATE_EPOCH
}

# A sources list of the kind given (deb-src, or deb with options) for the
# Debian mirror and release that apt already uses.
debian_sources() {
    apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 'Identifier: Packages' 'Label: Debian' \
        'Component: main' | head -n 1 | {
        read -r mirror release
        echo "$1 [${2-}signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror $release main"
    }
}

BUILD_PACKAGES="g++ cmake make pkg-config liballegro4-dev"
TEST_PACKAGES="libgtest-dev libbenchmark-dev xvfb xfonts-base libx11-dev libxtst-dev dpkg-dev lintian desktop-file-utils appstream groff-base wine wine64 unzip qemu-user-static clang libclang-rt-dev"
FUZZ_PACKAGES="$BUILD_PACKAGES libgtest-dev clang libclang-rt-dev"
PACKAGE_PACKAGES="dpkg-dev"
WINDOWS_PACKAGES="cmake make patch g++-mingw-w64-x86-64 nsis zip"
WEB_PACKAGES="cmake make patch emscripten python3 zip"
# Allegro's examples on the desktop: keys given by xdotool, windows found and read
# by x11-utils' xwininfo and x11-apps' xwd.
WEB_TEST_PACKAGES="chromium firefox-esr webkit2gtk-driver xvfb unzip xdotool x11-utils x11-apps"
ARM64_PACKAGES="cmake make pkg-config crossbuild-essential-arm64"

# For the fuzz build with a 32-bit long: the 32-bit C library, and the 32-bit
# libraries of the GCC that clang takes its C++ library from. Not
# g++-multilib, which would bring them too: Debian declares it in conflict
# with every cross compiler, so that installing it took the arm64 one away.
fuzz32_packages() {
    gcc=$(clang++ -v 2>&1 | sed -n 's|^Selected GCC installation: .*/||p')
    echo "libc6-dev-i386 lib32gcc-$gcc-dev lib32stdc++-$gcc-dev"
}
