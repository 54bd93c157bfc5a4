#!/usr/bin/env bash
# Builds one tool and runs it under Wine with a display of its own:
#   tool.sh NAME [arguments...]     e.g. tool.sh timeline_preview, tool.sh timeline-bench
# A player tool with --device system runs in the prefix of the virtual Tervane device.
set -euo pipefail
source "$(dirname "$0")/env.sh"
[ $# -ge 1 ] || { echo "usage: tool.sh NAME [arguments...]" >&2; exit 2; }
name=$1
shift
"$ROOT/scripts/setup.sh"
arch=$TERVANE_TEST_ARCH
"$ROOT/scripts/build.sh" "$arch" --target "$name" >/dev/null
source "$ROOT/scripts/session.sh"
session_begin
if [[ " $* " == *" --device system "* ]]; then
  usb_session_begin || exit $?
fi
"$WINE" "$ROOT/build/$arch/tools/$name.exe" "$@" </dev/null
