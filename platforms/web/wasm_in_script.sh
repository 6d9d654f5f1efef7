#!/bin/sh
# Writes the game's WebAssembly into a script for a page opened from disk,
# where a browser may refuse to fetch the file beside it: WASM SCRIPT.
set -eu
{
    printf "Module.wasmBinary = Uint8Array.from(atob('"
    base64 -w0 "$1"
    printf "'), function (c) { return c.charCodeAt(0); });\n"
} >"$2"
