#!/usr/bin/env bash
# Renders the skins as the editor draws them (the three size modes and a sheet of button
# states) into build/<arch>/skin_preview.bmp, from the skins in build/<arch>/obj.
# Extra arguments go to the tool: [folder that holds obj] [picture.bmp] (Windows paths).
set -euo pipefail
source "$(dirname "$0")/env.sh"
"$ROOT/scripts/setup.sh"
arch=$TERVANE_TEST_ARCH
"$ROOT/scripts/build.sh" "$arch" --target skin_preview >/dev/null
source "$ROOT/scripts/session.sh"
session_begin
"$WINE" "$ROOT/build/$arch/tools/skin_preview.exe" "$@" </dev/null
