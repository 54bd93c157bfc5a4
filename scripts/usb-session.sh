# Sourced after env.sh: the 64-bit prefix that holds the virtual Tervane device
# (build/wine-usb), with its Wine server, its desktop and the device installed. A 64-bit
# prefix, whatever the test architecture: its driver host is 64-bit, and where the kernel runs
# 32-bit programs the i686 programs run on its 32-bit side.
# shellcheck shell=bash

usb_prefix_env() {
  export WINEPREFIX=$ROOT/build/wine-usb WINEARCH=win64
  export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
  WINE=/usr/lib/wine/wine64
  TERVANE_USB=$ROOT/build/$TERVANE_TEST_ARCH/usb
}

# Whether a Wine server runs for $WINEPREFIX: its working folder is the prefix's server folder.
prefix_server_running() {
  [ -d "$WINEPREFIX" ] || return 1
  local folder pid
  folder=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
  for pid in $(pgrep -x 'wineserver(32|64)?' 2>/dev/null); do
    [[ $(readlink "/proc/$pid/cwd" 2>/dev/null) == */"$folder" ]] && return 0
  done
  return 1
}

# Starts the prefix (the first boot takes 10-20 s) and installs the device unless it is there.
# SetupAPI does not replace a driver the prefix has loaded: a changed build goes in while the
# prefix's server is down. Returns 77 (CTest's skip) where no 64-bit Wine can run.
usb_session_begin() {
  usb_prefix_env
  if [ ! -x "$WINELOADER" ] || [ ! -x "$WINESERVER" ]; then
    echo "usb: skipped: the virtual device needs 64-bit Wine (wine64), which this machine lacks" >&2
    return 77
  fi
  [ -f "$TERVANE_USB/tervane-usb.exe" ] && [ -f "$TERVANE_USB/TervaneHid.sys" ] ||
    { echo "usb: no virtual device in $TERVANE_USB: build the target tervane_usb" >&2; return 1; }
  local installed=$WINEPREFIX/drive_c/windows/system32/drivers/TervaneHid.sys
  if [ -f "$installed" ] && ! cmp -s "$installed" "$TERVANE_USB/TervaneHid.sys"; then
    "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
    "$WINESERVER" -w </dev/null >/dev/null 2>&1 || true
    cp "$TERVANE_USB/TervaneHid.sys" "$installed"
  fi
  if ! prefix_server_running; then
    mkdir -p "$WINEPREFIX"
    local started=$SECONDS
    "$WINESERVER" -p </dev/null >/dev/null 2>&1
    wine_boot
    "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
      </dev/null >/dev/null 2>&1 || true
    echo "usb: the prefix $WINEPREFIX started in $((SECONDS - started)) s"
  fi
  [ -z "${DISPLAY:-}" ] || desktop_begin
  # Through a file: a service woken by the install must not hold a pipe of ours.
  local said rc=0
  said=$(mktemp)
  "$WINE" "$TERVANE_USB/tervane-usb.exe" install </dev/null >"$said" 2>&1 || rc=$?
  sed 's/^/usb: /' "$said"
  rm -f "$said"
  return $rc
}

usb_session_stop() {
  (usb_prefix_env && prefix_server_running && "$WINESERVER" -k </dev/null >/dev/null 2>&1) || true
}
