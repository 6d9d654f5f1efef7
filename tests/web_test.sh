#!/bin/sh
# Plays the game from the web zip in Chromium, Firefox and WebKit (see
# web/web_test.js), with the npm packages that drive them installed once
# under build-web/npm.
set -eu
cd "$(dirname "$0")/.."
. scripts/lib/packages.sh
npm=build-web/npm
npm_install tests/web "$npm"
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
unzip -q quorvelin-*-web.zip -d "$unpacked"
NODE_PATH=$npm/node_modules node tests/web/web_test.js "$unpacked" tests
