# Sourced: an X display and a running Wine server for a whole test run.
# shellcheck shell=bash
source "$ROOT/scripts/usb-session.sh"
# Both are started detached from the caller's pipes: a Wine service that inherits CTest's
# output pipe outlives the test and CTest waits on it forever.

# Boots the prefix (about 10 s the first time) without handing Wine's services our pipes.
wine_boot() {
  mkdir -p "$WINEPREFIX"
  "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# Starts the session and stops it when the calling script ends, however it ends. A script
# called from one that has a session already (the packaging from the main job or the tests)
# uses that one: a second server on the same prefix would be refused, and stopping it on the
# way out would pull Wine from under the caller.
session_begin() {
  if [ -n "${TERVANE_SESSION_DISPLAY:-}" ] && [ "${DISPLAY:-}" = "$TERVANE_SESSION_DISPLAY" ]; then
    return 0
  fi
  trap session_stop EXIT
  trap 'exit 130' INT TERM
  session_start
}

session_start() {
  local fdfile
  fdfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" </dev/null >/dev/null 2>&1 &
  TERVANE_XVFB_PID=$!
  local i
  for i in $(seq 1 100); do
    [ -s "$fdfile" ] && break
    sleep 0.1
  done
  [ -s "$fdfile" ] || { echo "session: Xvfb did not start" >&2; rm -f "$fdfile"; return 1; }
  export DISPLAY=":$(head -n1 "$fdfile")"
  export TERVANE_SESSION_DISPLAY=$DISPLAY
  rm -f "$fdfile"
  mkdir -p "$WINEPREFIX" # the server refuses a prefix that does not exist yet
  "$WINESERVER" -p </dev/null >/dev/null 2>&1
  wine_boot
  # A crashing program must print its backtrace and end, not wait in a crash dialog
  # until CTest's time-out.
  "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    </dev/null >/dev/null 2>&1 || true
  wine_fonts
  desktop_begin
}

# The desktop process must not be started by a test program: it would keep that program's
# output open and the test runner would wait for it. The keeper starts it, detached, and
# holds it for the session (a desktop that boot started ends when it is idle); one keeper
# for each prefix.
desktop_begin() {
  local keeper=$ROOT/build/$TERVANE_TEST_ARCH/tools/session-keeper.exe
  [ -x "$keeper" ] && ! prefix_runs session-keeper.exe || return 0
  "$WINE" "$keeper" </dev/null >/dev/null 2>&1 &
  local i
  for i in $(seq 1 50); do
    desktop_running && break
    sleep 0.1
  done
}

# The editor asks for Japanese faces of Windows; the prefix draws them with the installed
# IPA Gothic, so that Japanese text in its pictures is readable.
wine_fonts() {
  local face
  for face in 'ＭＳ　ゴシック' 'ＭＳ ゴシック' 'HG創英角ﾎﾟｯﾌﾟ体'; do
    "$WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ /d 'IPAGothic' /f \
      </dev/null >/dev/null 2>&1 || true
  done
}

# Copies a file into the prefix's public documents folder and prints its Windows path there:
# the editor then shows a path as a user on Windows would have it, not one of this machine.
windows_documents_copy() {
  local folder=$WINEPREFIX/drive_c/users/Public/Documents/TervanePlugin
  mkdir -p "$folder"
  cp "$1" "$folder/"
  printf 'C:\\Users\\Public\\Documents\\TervanePlugin\\%s' "$(basename "$1")"
}

desktop_running() {
  prefix_runs explorer.exe
}

# Whether a program of that name runs in $WINEPREFIX (another prefix's does not count).
prefix_runs() {
  local f
  for f in /proc/[0-9]*; do
    grep -qaF "$1" "$f/cmdline" 2>/dev/null &&
      grep -qaz "^WINEPREFIX=$WINEPREFIX\$" "$f/environ" 2>/dev/null && return 0
  done
  return 1
}

session_stop() {
  # The prefix of the virtual device, when a test or tool of the session started it.
  usb_session_stop
  "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
  "$WINESERVER" -w </dev/null >/dev/null 2>&1 || true
  if [ -n "${TERVANE_XVFB_PID:-}" ]; then
    kill "$TERVANE_XVFB_PID" 2>/dev/null || true
    wait "$TERVANE_XVFB_PID" 2>/dev/null || true
    TERVANE_XVFB_PID=
  fi
  unset TERVANE_SESSION_DISPLAY
}
