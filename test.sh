#!/bin/sh
# Installs what is missing, builds, and runs every test; the unit tests run
# a second time under AddressSanitizer and UndefinedBehaviorSanitizer.
set -eu
cd "$(dirname "$0")"
. scripts/lib/packages.sh
# shellcheck disable=SC2086
install_missing $BUILD_PACKAGES $TEST_PACKAGES $WINDOWS_PACKAGES $ARM64_PACKAGES
# shellcheck disable=SC2046
install_missing $(fuzz32_packages)
install_web_packages

cmake --preset sanitize >/dev/null
build build-sanitize --target unit_tests
(cd build-sanitize && ctest -L unit --output-on-failure)

cmake --preset test >/dev/null
build build
(cd build && ctest --output-on-failure)
