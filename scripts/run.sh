#!/usr/bin/env bash
# The main job: builds the plug-in for both players and shows where each DLL is and what it
# imports and exports, then opens its editor in a simulated media player with the sample time sheet, plays a short
# scripted session with the mouse (printing every report the simulated Tervane device
# receives) and leaves pictures of the editor in build/screenshots; then plays the sample sheet
# through every device fault with the built DLL on the system's own HID stack, a virtual
# Tervane device below it, and prints what that device recorded; ends by building the product
# folder with its Japanese manual and the installer into build/package.
set -euo pipefail
source "$(dirname "$0")/env.sh"
"$ROOT/scripts/setup.sh"
# The DLL of the 32-bit media player, and that of the 64-bit one from the same sources.
for tree in i686 x86_64; do
  "$ROOT/scripts/build.sh" "$tree" --target TervanePlugin >/dev/null
  dll=$ROOT/build/$tree/TervanePlugin.dll
  echo "built: $dll"
  file "$dll"
  echo "imports:"
  LC_ALL=C "$tree-w64-mingw32-objdump" -p "$dll" | sed -n 's/^\s*DLL Name: /  /p'
  echo "exports:"
  LC_ALL=C "$tree-w64-mingw32-objdump" -p "$dll" | awk '/Ordinal\/Name Pointer/ {on = 1; next} on && NF == 0 {on = 0} on {print "  " $NF}'
done

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

# The product's own device code with no stand-in for the device: the built DLL, nothing of it
# redirected, finds and drives a virtual Tervane device below the system's own SetupAPI, HID
# and hidclass, in a 64-bit prefix of its own, through every fault the device can make; every
# report line is what the device recorded.
echo
echo "the device through the system's own HID stack (a virtual Tervane device in build/wine-usb):"
echo "  tervane-player --dll build/$arch/TervanePlugin.dll --device system --movie demo.wmv" \
     "--sheet samples/demo.tms --events-file samples/device-faults.events"
(
  usb_session_begin
  "$WINE" "$player" --dll "$ROOT/build/$arch/TervanePlugin.dll" --device system --movie demo.wmv \
    --sheet "$(windows_documents_copy "$ROOT/samples/demo.tms")" --events-file "$ROOT/samples/device-faults.events" \
    </dev/null
  echo "the device's own count (tervane-usb status): $("$WINE" "$TERVANE_USB/tervane-usb.exe" status </dev/null)"
) || echo "run: the session on the system's HID stack did not run through (see above); the rest goes on"

# What a user on Windows receives: the product folder, its manual and the installer.
echo
"$ROOT/scripts/package.sh"
