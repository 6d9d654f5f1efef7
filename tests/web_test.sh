#!/bin/sh
# Makes the web zip and plays the game from it in Chromium, Firefox and WebKit (see
# web/web_test.js), with the npm packages that drive them installed once
# under build-web/npm.
set -eu
cd "$(dirname "$0")/.."
scripts/web.sh >/dev/null
npm=build-web/npm
if ! cmp -s tests/web/package-lock.json "$npm/package-lock.json"; then
    rm -rf "$npm"
    mkdir -p "$npm"
    cp tests/web/package.json tests/web/package-lock.json "$npm"
    (cd "$npm" && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
fi
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
unzip -q quorvelin-*-web.zip -d "$unpacked"
NODE_PATH=$npm/node_modules node tests/web/web_test.js "$unpacked" tests
