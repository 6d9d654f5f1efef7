# Sourced by play.sh, test.sh and package.sh: installs the Debian packages
# that are missing and builds, saying what is happening as it goes, and says
# nothing when there is nothing to do.
install_missing() {
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
    $as_root apt-get update -qq
    # apt's own lines, cut down to a running count of what is fetched,
    # unpacked and set up, and its errors.
    # shellcheck disable=SC2086
    { DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y -q $missing 2>&1; echo "status $?"; } | awk '
        function step(what, n) { if (n % 10 == 1 || n == total) { printf "  %s %d of %d\n", what, n, total; fflush() } }
        / newly installed/ { total = $3; print "  " total " packages to install, with what they need" }
        /^Need to get/ { print "  downloading " $4 " " $5 "..." }
        /^Get:/ { step("fetched", ++got) }
        /^Unpacking/ { step("unpacked", ++unpacked) }
        /^Setting up/ { step("set up", ++set) }
        /^(E|W):/ { print }
        /^status / { exit $2 }'
}

# Builds with cmake, showing one line a file compiled; quiet when everything
# is built already, and the whole log when the build fails.
build() {
    log=$(mktemp)
    { cmake --build "$@" -j"$(nproc)" 2>&1; echo "status $?"; } | tee "$log" | awk '
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

BUILD_PACKAGES="g++ cmake make pkg-config liballegro4-dev"
TEST_PACKAGES="libgtest-dev libbenchmark-dev xvfb xfonts-base libx11-dev libxtst-dev dpkg-dev lintian desktop-file-utils appstream groff-base"
PACKAGE_PACKAGES="dpkg-dev"
