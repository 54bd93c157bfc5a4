#!/usr/bin/env bash
# The main job: builds the plug-in and shows where it is and what it imports, then plays the
# sample time sheet against a simulated media player and Tervane device and prints every
# report the device receives.
set -euo pipefail
source "$(dirname "$0")/env.sh"
"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh" i686 --target TervanePlugin >/dev/null
dll=$ROOT/build/i686/TervanePlugin.dll
echo "built: $dll"
file "$dll"
echo "imports:"
i686-w64-mingw32-objdump -p "$dll" | sed -n 's/^\s*DLL Name: /  /p'

# The simulation is a console program: it needs the Wine prefix and server but no display.
# It runs in the architecture this machine's Wine can execute (see env.sh).
"$ROOT/scripts/build.sh" "$TERVANE_TEST_ARCH" --target tervane-sim >/dev/null
sim=$ROOT/build/$TERVANE_TEST_ARCH/tools/tervane-sim.exe
source "$ROOT/scripts/session.sh"
wine_boot
cd "$ROOT"
echo
echo "playback simulation ($TERVANE_TEST_ARCH build under $WINE):"
echo "  tervane-sim samples/demo.tms --events-file samples/demo.events"
"$WINE" "$sim" samples/demo.tms --events-file samples/demo.events
