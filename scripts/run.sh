#!/usr/bin/env bash
# The main job: builds the plug-in and shows where it is and what it imports.
set -euo pipefail
source "$(dirname "$0")/env.sh"
"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh" i686 --target TervanePlugin >/dev/null
dll=$ROOT/build/i686/TervanePlugin.dll
echo "built: $dll"
file "$dll"
echo "imports:"
i686-w64-mingw32-objdump -p "$dll" | sed -n 's/^\s*DLL Name: /  /p'
