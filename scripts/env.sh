# Sourced by the other scripts: where things live, and how Windows programs run here.
# shellcheck shell=bash
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# A machine whose kernel cannot execute 32-bit programs cannot run 32-bit Wine; there the
# test programs are built for x86_64 and run under 64-bit Wine. The product stays i686.
tervane_can_run_i386() {
  local probe
  probe=$(mktemp)
  printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
  chmod +x "$probe"
  local rc=0
  "$probe" 2>/dev/null || rc=$?
  rm -f "$probe"
  [ "$rc" -eq 42 ]
}

if [ -z "${TERVANE_TEST_ARCH:-}" ]; then
  if tervane_can_run_i386; then TERVANE_TEST_ARCH=i686; else TERVANE_TEST_ARCH=x86_64; fi
fi
export TERVANE_TEST_ARCH

if [ "$TERVANE_TEST_ARCH" = i686 ]; then
  WINE=/usr/lib/wine/wine
  export WINESERVER=/usr/lib/wine/wineserver32
else
  WINE=/usr/lib/wine/wine64
  export WINELOADER=/usr/lib/wine/wine64
  export WINESERVER=/usr/lib/wine/wineserver64
fi
export WINE
export WINEPREFIX=${WINEPREFIX:-$ROOT/build/wine-$TERVANE_TEST_ARCH}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko: their install prompts would wait for a click that never comes.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree=;mshtml=}
# ANSI code page 932, as on the Japanese systems the plug-in is made for.
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
