# Sourced by play.sh and test.sh: installs the Debian packages that are missing.
install_missing() {
    missing=""
    for package in "$@"; do
        dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q '^install ok installed$' \
            || missing="$missing $package"
    done
    [ -z "$missing" ] && return 0
    echo "Installing:$missing"
    if [ "$(id -u)" -eq 0 ]; then
        as_root=""
    elif command -v sudo >/dev/null 2>&1; then
        as_root="sudo"
    else
        echo "These packages are missing and installing them needs root:$missing" >&2
        exit 1
    fi
    $as_root apt-get update -qq
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y -qq $missing >/dev/null
}

BUILD_PACKAGES="g++ cmake make pkg-config liballegro4-dev"
TEST_PACKAGES="libgtest-dev libbenchmark-dev xvfb xfonts-base libx11-dev libxtst-dev dpkg-dev lintian desktop-file-utils appstream groff-base"
PACKAGE_PACKAGES="dpkg-dev"
