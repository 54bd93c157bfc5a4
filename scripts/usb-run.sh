#!/usr/bin/env bash
# Runs one Windows program in the prefix of the virtual Tervane device (CTest's emulator for
# the tests on the system's own HID stack): starts the prefix and installs the device when
# needed. Exit code 77 (skipped) where this machine cannot run it. The prefix's server stays
# for the next test; scripts/session.sh stops it with the session.
source "$(dirname "$0")/env.sh"
source "$ROOT/scripts/session.sh"
usb_session_begin >&2 || exit $?
export TERVANE_VIRTUAL_DEVICE=1
exec "$WINE" "$@"
