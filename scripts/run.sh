#!/usr/bin/env bash
# The main job: builds the plug-in and shows where it is and what it imports and exports,
# then opens its editor in a simulated media player with the sample time sheet, plays a short
# scripted session with the mouse (printing every report the simulated Tervane device
# receives) and leaves pictures of the editor in build/screenshots; ends by building the
# product folder with its Japanese manual and the installer into build/package.
set -euo pipefail
source "$(dirname "$0")/env.sh"
"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh" i686 --target TervanePlugin >/dev/null
dll=$ROOT/build/i686/TervanePlugin.dll
echo "built: $dll"
file "$dll"
echo "imports:"
LC_ALL=C i686-w64-mingw32-objdump -p "$dll" | sed -n 's/^\s*DLL Name: /  /p'
echo "exports:"
LC_ALL=C i686-w64-mingw32-objdump -p "$dll" | awk '/Ordinal\/Name Pointer/ {on = 1; next} on && NF == 0 {on = 0} on {print "  " $NF}'

# The player runs in the architecture this machine's Wine can execute (see env.sh), with a
# display of its own.
arch=$TERVANE_TEST_ARCH
"$ROOT/scripts/build.sh" "$arch" --target tervane-player >/dev/null
player=$ROOT/build/$arch/tools/tervane-player.exe
shots=$ROOT/build/screenshots
rm -rf "$shots"
mkdir -p "$shots"
source "$ROOT/scripts/session.sh"
session_begin
cd "$shots"
echo
echo "the editor in a simulated player ($arch build under $WINE):"
echo "  tervane-player --movie demo.wmv --sheet samples/demo.tms --news samples/news.html" \
     "--events-file samples/demo-session.events"
# The sample from a user's documents, as a user's path on Windows would be.
"$WINE" "$player" --movie demo.wmv --sheet "$(windows_documents_copy "$ROOT/samples/demo.tms")" --news "$ROOT/samples/news.html" \
  --events-file "$ROOT/samples/demo-session.events" </dev/null
echo
echo "screenshots of the editor: $shots"
ls -1 "$shots" | sed 's/^/  /'

# What a user on Windows receives: the product folder, its manual and the installer.
echo
"$ROOT/scripts/package.sh"
