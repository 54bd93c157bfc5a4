#!/usr/bin/env bash
# Runs one Windows program under the project's Wine set-up (CTest's emulator).
source "$(dirname "$0")/env.sh"
exec "$WINE" "$@"
