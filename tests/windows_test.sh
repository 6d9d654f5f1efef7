#!/bin/sh
# Makes the Windows zip and installer and checks them under Wine on the X
# server DISPLAY names: the game from the zip, with all its memory above 4 GB,
# passes the window test's start-up faults and journey; the installer, run
# silently, puts on C: the files tests/releases.txt lists, and makes the
# uninstall entry and a shortcut that starts the game in the install folder;
# the installed game, started in that folder, quits on Esc; and the
# uninstaller, run silently, leaves none of it. Takes the window test's executable.
set -eu
window_test=$1
cd "$(dirname "$0")/.."
scripts/windows.sh >/dev/null
# A prefix of the tests' own, without Mono, Gecko or menu entries on the host.
export WINEPREFIX="$PWD/build-windows/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
[ -d "$WINEPREFIX" ] || wineboot -i 2>/dev/null
wineserver -w
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
unzip -q quorvelin-*-windows-x64.zip -d "$unpacked"
# 64-bit Windows puts a program linked for high-entropy addresses above 4 GB;
# Wine 8 keeps it low unless the low 4 GB are taken first.
x86_64-w64-mingw32-gcc -O2 -o "$unpacked/high_memory.exe" tests/high_memory.c
game=$(echo "$unpacked"/quorvelin-*/quorvelin.exe)
printf '#!/bin/sh\nexec wine "%s" "Z:%s"\n' "$unpacked/high_memory.exe" "$(echo "$game" | tr / '\\')" >"$unpacked/high.sh"
chmod +x "$unpacked/high.sh"
QUORVELIN_GAME=$unpacked/high.sh "$window_test" --gtest_filter='StartUp.*:Journey.*'

installed="$WINEPREFIX/drive_c/Program Files/Quorvelin"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quorvelin.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvelin'
# What is on C:, but for the temporary files, where the uninstaller leaves the
# copy of itself that it runs from, for Windows to delete at the next start.
drive_c() { (cd "$WINEPREFIX/drive_c" && find . -path './users/*/Temp' -prune -o -print | LC_ALL=C sort); }
drive_c >"$unpacked/before"
wine quorvelin-*-windows-x64-setup.exe /S
wineserver -w
drive_c | LC_ALL=C comm -13 "$unpacked/before" - | tests/release_files.sh windows-x64-setup.exe
wine reg query "$key" /reg:64 | grep -cE '^ +(DisplayName|DisplayVersion|Publisher|DisplayIcon|EstimatedSize|UninstallString) ' \
    | grep -qx 6 || { echo "the uninstall entry lacks a value" >&2; exit 1; }
# The shortcut starts the game in the install folder, where its sheet is; so does the test.
strings -el "$shortcut" | grep -qx 'C:\\Program Files\\Quorvelin' || { echo "the shortcut's folder is wrong" >&2; exit 1; }
printf '#!/bin/sh\ncd "%s" && exec wine quorvelin.exe\n' "$installed" >"$unpacked/installed.sh"
chmod +x "$unpacked/installed.sh"
QUORVELIN_GAME=$unpacked/installed.sh "$window_test" --gtest_filter='Ending.*'

wine "$installed/Uninstall.exe" /S
wineserver -w
if ! drive_c | diff "$unpacked/before" - >&2 || wine reg query "$key" /reg:64 >/dev/null 2>&1; then
    echo "the uninstaller left the game behind" >&2
    exit 1
fi
