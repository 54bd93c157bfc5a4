#!/usr/bin/env bash
# Sessions with the installer that scripts/package.sh built, run silently the way the list of
# programs runs it (install-test.sh i686|x86_64|wow64):
#   i686, x86_64  the test architecture's installer in the test prefix;
#   wow64         the x86 installer in a 64-bit prefix of its own (build/wine-wow64), a 64-bit
#                 Windows with its 32-bit side, as most users have it: program files (x86),
#                 SysWOW64's regsvr32 and the 32-bit registry view (Wow6432Node).
# Each checks the installed files against the product folder, the registration and the entry in
# the list of programs (a reinstall goes where the last install went); that a running media
# player stops the installer and the uninstaller with nothing changed; that a DLL another program
# holds is removed at the next restart, with the entry kept until then; and that an uninstall
# removes everything it installed, while the media player's UIPlugins key and a time sheet the
# user saved in the program's folder stay. Runs under CTest inside scripts/test.sh's session.
set -euo pipefail
source "$(dirname "$0")/env.sh"
arch=${1:-$TERVANE_TEST_ARCH}
case $arch in
  i686 | wow64)
    product=$ROOT/build/package/TervanePlugin
    installer=$ROOT/build/package/TervanePlugin-setup-x86.exe
    client=$ROOT/build/i686/tools/plugin-client.exe ;;
  x86_64)
    product=$ROOT/build/package/amd64/TervanePlugin
    installer=$ROOT/build/package/amd64/TervanePlugin-setup-amd64.exe
    client=$ROOT/build/x86_64/tools/plugin-client.exe ;;
  *) echo "usage: install-test.sh i686|x86_64|wow64" >&2; exit 2 ;;
esac
[ -f "$installer" ] && [ -d "$product" ] ||
  { echo "install-test: no installer at $installer: run scripts/package.sh first" >&2; exit 1; }

clsid='{7C3B1E52-94A6-4D1F-B82E-5A610FD49327}'
if [ "$arch" = wow64 ]; then
  if ! tervane_can_run_i386; then
    # CTest counts exit code 77 as skipped.
    echo "install-test: skipped: this machine's kernel runs no 32-bit programs, so no 64-bit prefix can run the x86 installer"
    exit 77
  fi
  [ -x /usr/lib/wine/wine64 ] && [ -x /usr/lib/wine/wine ] ||
    { echo "install-test: a 64-bit prefix needs both wine64 and wine32 (scripts/setup.sh installs them)" >&2; exit 1; }
  export WINEPREFIX=$ROOT/build/wine-wow64 WINEARCH=win64
  export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
  WINE=/usr/lib/wine/wine64
  view='\Wow6432Node'
else
  [ "$arch" = "$TERVANE_TEST_ARCH" ] ||
    { echo "install-test: this machine's Wine runs $TERVANE_TEST_ARCH programs, not $arch" >&2; exit 2; }
  view=
fi
class_key="HKLM\\Software$view\\Classes\\CLSID\\$clsid"
plugins_key="HKLM\\SOFTWARE$view\\Microsoft\\MediaPlayer\\UIPlugins"
uninstall_key="HKLM\\Software$view\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TervanePlugin"
runonce_key='HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce'
renames_key='HKLM\System\CurrentControlSet\Control\Session Manager'
# Another plug-in of the player, which the plug-in's removal must not touch.
neighbour="$plugins_key\\{0D1E2F30-4A5B-4C6D-8E9F-A0B1C2D3E4F5}"
sheet_name='自分のシート.tms'
elsewhere='C:\別の 場所\TervanePlugin'
failures=0

# Nothing here may wait for ever: a silent installer that hangs ends the test, not the run.
win() { timeout 120 "$WINE" "$@" </dev/null; }
# A command line as written, for the installer's /D= and _?=, which take the rest of the line
# unquoted (Wine would quote an argument with spaces); the exit code is the program's.
# It goes through a batch file in the console's code page, which cmd runs as it is written.
win_line() {
  local batch rc=0
  batch=$(mktemp /tmp/tervane-line.XXXXXX.bat)
  printf '@%s\r\n@exit /b %%errorlevel%%\r\n' "$1" | iconv -f UTF-8 -t CP932 >"$batch"
  win cmd /c "$(win winepath -w "$batch" | tr -d '\r')" || rc=$?
  rm -f "$batch"
  return $rc
}

check() { # check WHAT COMMAND...
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what"
  else
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}

key_exists() { win reg query "$1" >/dev/null 2>&1; }
key_missing() { ! key_exists "$1"; }

# The data of one value (/ve for the default one), as reg prints it: "    NAME    TYPE    DATA",
# in the console's code page (932 here, as on the Japanese systems the plug-in is made for).
value_of() {
  local key=$1 name=$2
  if [ "$name" = /ve ]; then
    win reg query "$key" /ve 2>/dev/null
  else
    win reg query "$key" /v "$name" 2>/dev/null
  fi | iconv -c -f CP932 -t UTF-8 | tr -d '\r' | sed -n 's/^ \{4\}.* \{4\}REG_[A-Z_]* \{4\}//p' | head -n1 || true
}

value_is() { # value_is KEY NAME EXPECTED: equal, letter case aside (Windows paths)
  local got
  got=$(value_of "$1" "$2")
  [ "${got,,}" = "${3,,}" ] || { echo "  $1 $2: '$got', expected '$3'" >&2; return 1; }
}

value_missing() { [ -z "$(value_of "$1" "$2")" ]; }
unix_path() { win winepath -u "$1" 2>/dev/null | tr -d '\r' | sed 's:/$::'; }

same_files_plus_uninstaller() {
  local listing
  listing=$(LC_ALL=C diff -rq "$product" "$folder" 2>&1 || true)
  [ "$listing" = "Only in $folder: uninstall.exe" ] || { echo "$listing" | head -n 20 >&2; return 1; }
}

# The product folder is a few megabytes: more than 100 KB and less than 100 MB.
size_is_plausible() { [ -n "$1" ] && [ $(($1)) -gt 100 ] && [ $(($1)) -lt 100000 ]; }

left_in_folder() { (cd "$folder" && find . -mindepth 1 | LC_ALL=C sort | tr '\n' ' '); }
only_left() { # only_left PATHS...: nothing else is left in the install folder
  local left want
  left=$(left_in_folder)
  want=$(printf '%s\n' "$@" | LC_ALL=C sort | tr '\n' ' ')
  [ "$left" = "$want" ] || { echo "  left in the folder: $left" >&2; return 1; }
}
the_sheet_kept() { grep -q '^user data$' "$folder/$sheet_name"; }

# What must stay as it was when an installer run stopped: every file with its time, and the entry.
snapshot() {
  (cd "$folder" && find . -printf '%p %s %T@\n' | LC_ALL=C sort | md5sum)
  value_of "$uninstall_key" InstallLocation
  value_of "$class_key\\InprocServer32" /ve
}

# A program that holds the installed DLL until its flag file goes (with "player", beside a
# window of the media player's class).
holder_pid=
flag=
hold_dll() {
  flag=$(mktemp -u /tmp/tervane-hold.XXXXXX)
  "$WINE" "$client" hold "$location\\TervanePlugin.dll" "$(win winepath -w "$flag" | tr -d '\r')" "$@" \
    </dev/null >/dev/null 2>&1 &
  holder_pid=$!
  local i
  for i in $(seq 1 200); do
    [ -e "$flag" ] && return 0
    sleep 0.1
  done
  echo "  the holder did not start" >&2
  return 1
}
release_dll() {
  [ -n "$holder_pid" ] || return 0
  rm -f "$flag"
  wait "$holder_pid" 2>/dev/null || true
  holder_pid=
}

install() { # install [FOLDER]: the installer's exit code
  local rc=0 windows
  windows=$(win winepath -w "$installer" | tr -d '\r')
  win_line "\"$windows\" /S${1:+ /D=$1}" || rc=$?
  return $rc
}

# As the list of programs does: the uninstaller copies itself away and returns at once; its copy
# removes the entry last (or, when a file must wait for a restart, writes what removes the entry
# then), so either means that it has done.
uninstall_and_wait() {
  local uninstall rc=0 i
  uninstall=$(value_of "$uninstall_key" UninstallString)
  # Its copy's output must not hold CTest's pipe open.
  win "${uninstall//\"/}" /S >/dev/null 2>&1 || rc=$?
  check "the uninstaller starts (exit code $rc)" [ "$rc" -eq 0 ]
  for i in $(seq 1 240); do
    key_exists "$uninstall_key" || return 0
    [ -z "$(value_of "$runonce_key" TervanePlugin)" ] || break
    sleep 0.5
  done
  # The copy is done once nothing of the installer's is running any more.
  for i in $(seq 1 40); do
    pgrep -f 'Au_\.exe|uninstall\.exe' >/dev/null || break
    sleep 0.5
  done
}

# A test that failed half-way must not leave the plug-in in the prefix for the next run.
folder=
cleanup() {
  release_dll
  if key_exists "$uninstall_key"; then
    local dir
    dir=$(value_of "$uninstall_key" InstallLocation)
    [ -z "$dir" ] || win_line "\"$dir\\uninstall.exe\" /S _?=$dir" >/dev/null 2>&1 || true
    win reg delete "$uninstall_key" /f >/dev/null 2>&1 || true
  fi
  win reg delete "$class_key" /f >/dev/null 2>&1 || true
  win reg delete "$plugins_key\\$clsid" /f >/dev/null 2>&1 || true
  win reg delete "$neighbour" /f >/dev/null 2>&1 || true
  win reg delete "$runonce_key" /v TervanePlugin /f >/dev/null 2>&1 || true
  win reg delete "$renames_key" /v PendingFileRenameOperations /f >/dev/null 2>&1 || true
  [ -z "$folder" ] || rm -rf "$folder"
  local other
  other=$(unix_path "$elsewhere")
  [ -z "$other" ] || rm -rf "$(dirname "$other")"
}

if [ "$arch" = wow64 ]; then
  # A prefix and a server of its own, started detached from CTest's pipes like the session's.
  mkdir -p "$WINEPREFIX"
  "$WINESERVER" -p </dev/null >/dev/null 2>&1 || true
  "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
  trap 'cleanup; "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true' EXIT
else
  trap cleanup EXIT
fi
cleanup

win reg add "$neighbour" /v FriendlyName /t REG_SZ /d neighbour /f >/dev/null
echo "install-test: $(basename "$installer") /S under $WINE in $WINEPREFIX"

# --- install, and a reinstall that goes where the first went ---
rc=0
install "$elsewhere" || rc=$?
check "the installer ends with exit code 0 (it was $rc)" [ "$rc" -eq 0 ]
rc=0
install || rc=$?
check "a reinstall ends with exit code 0 (it was $rc)" [ "$rc" -eq 0 ]
check "the list of programs has an entry" key_exists "$uninstall_key"
check "the reinstall went into the folder of the first install" value_is "$uninstall_key" InstallLocation "$elsewhere"
no_default_copy() {
  [ ! -e "$(unix_path 'C:\Program Files')/TervanePlugin" ] && [ ! -e "$(unix_path 'C:\Program Files (x86)')/TervanePlugin" ]
}
check "the reinstall left the default folder alone" no_default_copy
location=$(value_of "$uninstall_key" InstallLocation)
[ -n "$location" ] || { echo "install-test: no install location; stopping" >&2; exit 1; }
folder=$(unix_path "$location")
echo "installed into $location ($folder)"

# --- the first install into the default folder: files, registration, entry ---
check_install() {
  check "the entry names the plug-in" \
    value_is "$uninstall_key" DisplayName 'TervanePlugin (テルベーンコントロールプラグイン)'
  check "the entry's uninstaller is the installed one" \
    value_is "$uninstall_key" UninstallString "\"$location\\uninstall.exe\""
  check "the entry names the publisher" value_is "$uninstall_key" Publisher TervanePlugin
  check "the entry's icon is the uninstaller's" value_is "$uninstall_key" DisplayIcon "$location\\uninstall.exe,0"
  local size
  size=$(value_of "$uninstall_key" EstimatedSize)
  check "the entry gives the size in kilobytes ($size)" size_is_plausible "$size"
  check "every file of the product folder is installed as it is, and nothing else but the uninstaller" \
    same_files_plus_uninstaller
  check "the class is registered" value_is "$class_key" /ve 'TervanePlugin Class'
  check "the class's server is the installed DLL" \
    value_is "$class_key\\InprocServer32" /ve "$location\\TervanePlugin.dll"
  check "the server's threading model is Apartment" value_is "$class_key\\InprocServer32" ThreadingModel Apartment
  check "the player's plug-in entry has its friendly name" \
    value_is "$plugins_key\\$clsid" FriendlyName 'res://TervanePlugin.dll/RT_STRING/#102'
  check "the player's plug-in entry has its description" \
    value_is "$plugins_key\\$clsid" Description 'res://TervanePlugin.dll/RT_STRING/#103'
  check "the player's plug-in entry has its capabilities" value_is "$plugins_key\\$clsid" Capabilities 0x40000002
  local created
  created=$(win "$client" create 2>&1 | iconv -c -f CP932 -t UTF-8 | tr -d "\r" || true)
  check "a program of the plug-in's pointer size creates the object by its class identifier ($created)" \
    [ "${created,,}" = "created ${location,,}\\tervaneplugin.dll" ]
}
check_install
if [ "$arch" = wow64 ]; then
  check "the 64-bit registry view knows no such class" key_missing "HKLM\\Software\\Classes\\CLSID\\$clsid"
  check "the 64-bit view's list of programs has no entry" \
    key_missing 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\TervanePlugin'
  check "the 64-bit program files folder has no copy" [ ! -e "$(unix_path 'C:\Program Files')/TervanePlugin" ]
fi

# What the user and the plug-in add while it is installed: a time sheet saved beside the
# plug-in, and the settings file.
printf 'user data\n' >"$folder/$sheet_name"
printf 'lastfile_path\tC:\\sheets\\a.tms' >"$folder/cfg/info.txt"

# --- a running player: neither installing nor uninstalling changes anything ---
if hold_dll player; then
  before=$(snapshot)
  rc=0
  install || rc=$?
  check "the installer stops while the player runs (exit code $rc, expected 4)" [ "$rc" -eq 4 ]
  rc=0
  # In place, so that its own exit code comes back.
  win_line "\"$location\\uninstall.exe\" /S _?=$location" >/dev/null 2>&1 || rc=$?
  check "the uninstaller stops while the player runs (exit code $rc, expected 4)" [ "$rc" -eq 4 ]
  check "and nothing changed" [ "$(snapshot)" = "$before" ]
  release_dll
else
  check "a player can be started" false
fi

# --- another program holds the DLL: installing stops; uninstalling waits for a restart ---
if hold_dll; then
  before=$(snapshot)
  rc=0
  install || rc=$?
  check "the installer stops while the DLL is in use (exit code $rc, expected 5)" [ "$rc" -eq 5 ]
  check "and nothing changed" [ "$(snapshot)" = "$before" ]
  uninstall_and_wait
  check "the entry stays in the list of programs until the restart" key_exists "$uninstall_key"
  check "the class is unregistered" key_missing "$class_key"
  check "all but the held DLL, the uninstaller and the user's time sheet is gone" \
    only_left ./TervanePlugin.dll ./uninstall.exe "./$sheet_name"
  renames=$(win reg query "$renames_key" /v PendingFileRenameOperations 2>/dev/null | iconv -c -f CP932 -t UTF-8 || true)
  check "the held DLL is to be deleted at the restart" grep -qiF "$location\\TervanePlugin.dll" <<<"$renames"
  check "the entry is to be removed at the restart" grep -qi 'reg.exe" delete' <<<"$(value_of "$runonce_key" TervanePlugin)"
  release_dll
  win wineboot -r >/dev/null 2>&1 || true
  check "after the restart the entry has left the list of programs" key_missing "$uninstall_key"
  check "after the restart nothing is left of it to run again" value_missing "$runonce_key" TervanePlugin
  check "after the restart only the user's time sheet is left" only_left "./$sheet_name"
else
  check "a program can hold the DLL" false
fi
check "the user's time sheet is kept" the_sheet_kept

# --- an ordinary uninstall, into and out of the default folder ---
rm -rf "$folder"
rc=0
install || rc=$?
check "a fresh install ends with exit code 0 (it was $rc)" [ "$rc" -eq 0 ]
location=$(value_of "$uninstall_key" InstallLocation)
[ -n "$location" ] || { echo "install-test: no install location; stopping" >&2; exit 1; }
folder=$(unix_path "$location")
echo "installed into $location ($folder)"
check "with no earlier install it goes into the program files folder of its pointer size" \
  value_is "$uninstall_key" InstallLocation "$(value_of 'HKLM\Software\Microsoft\Windows\CurrentVersion' \
    "$([ "$arch" = wow64 ] && echo 'ProgramFilesDir (x86)' || echo ProgramFilesDir)")\\TervanePlugin"
check_install
printf 'user data\n' >"$folder/$sheet_name"
printf 'lastfile_path\tC:\\sheets\\a.tms' >"$folder/cfg/info.txt"
uninstall_and_wait
check "the entry has left the list of programs" key_missing "$uninstall_key"
check "the class is unregistered" key_missing "$class_key"
check "the player's plug-in entry is removed" key_missing "$plugins_key\\$clsid"
check "the player's UIPlugins key stays, with the other plug-in's entry" value_is "$neighbour" FriendlyName neighbour
check "nothing was left for a restart" value_missing "$runonce_key" TervanePlugin
check "only the user's time sheet is left, with its folder" only_left "./$sheet_name"
check "the user's time sheet is kept" the_sheet_kept

echo "install-test: $failures failed"
[ "$failures" -eq 0 ]
