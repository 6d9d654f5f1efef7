#!/bin/sh
# Checks the Windows zip and installer under Wine on the X server DISPLAY
# names: the game from the zip, with all its memory above 4 GB,
# passes the window test's start-up faults and journey, and with no stderr
# shows its fault in a message box; the installer, run silently, puts on C:
# the files tests/releases.txt lists, and makes the uninstall entry and a
# shortcut that starts the game in the install folder; the installed game,
# started in that folder, quits on Esc; and the uninstaller, run silently,
# leaves none of it. Takes the window test's executable.
set -eu
window_test=$1
cd "$(dirname "$0")/.."
# A prefix of the tests' own, without Mono, Gecko or menu entries on the host.
export WINEPREFIX="$PWD/build-windows/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
[ -d "$WINEPREFIX" ] || wineboot -i 2>/dev/null
wineserver -w
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
unzip -q quorvelin-*-windows-x64.zip -d "$unpacked"
# 64-bit Windows puts a program linked for high-entropy addresses above 4 GB;
# Wine 8 keeps it low unless the low 4 GB are taken first, by a launcher
# beside the game.
launcher=$(echo "$unpacked"/quorvelin-*/)high_memory.exe
x86_64-w64-mingw32-gcc -O2 -o "$launcher" tests/high_memory.c
# Started as from Explorer, with no stderr, and with no sheet in its folder,
# the game says so in a message box, and ends with status 1 once it is closed.
said=$(cd "$unpacked" && timeout 60 wine "$launcher" --no-stderr || echo "status $?")
printf '%s\n' "$said" | tr '\n' ' ' | grep -q "^quorvelin: the sprite sheet quorvelin.bmp in .* is not there; start the .* status 1 $" \
    || { echo "with no stderr, the game's message box and status: $said" >&2; exit 1; }
QUORVELIN_GAME=$launcher "$window_test" --gtest_filter='StartUp.*:Journey.*'

installed="$WINEPREFIX/drive_c/Program Files/Quorvelin"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quorvelin.lnk"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvelin'
# What is on C:, but for the temporary files, where the uninstaller leaves the
# copy of itself that it runs from, for Windows to delete at the next start.
drive_c() { (cd "$WINEPREFIX/drive_c" && find . -path './users/*/Temp' -prune -o -print | LC_ALL=C sort); }
rm -rf "$installed" "$shortcut"  # as a failed run may have left them
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
# About one time in ten, the Escape that Wine's game was quit with stays down
# in the X server after its release, and every later game there would see it
# held from its start: the installed game gets an X server of its own.
QUORVELIN_GAME=$unpacked/installed.sh tests/with_xvfb.sh "$window_test" --gtest_filter='Ending.*'
wineserver -w

wine "$installed/Uninstall.exe" /S
wineserver -w
drive_c | diff "$unpacked/before" - >&2 && ! wine reg query "$key" /reg:64 >/dev/null 2>&1 \
    || { echo "the uninstaller left the game behind" >&2; exit 1; }
