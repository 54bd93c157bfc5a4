#!/usr/bin/env bash
# One session with the installer that scripts/package.sh built for the test architecture
# (install-test.sh i686|x86_64): installs it silently into the test prefix, checks the
# installed files against the product folder, the plug-in's registry entries and the entry in
# the list of programs, then uninstalls it silently the way that list does and checks that
# everything it installed is gone, while the media player's UIPlugins key and a time sheet the
# user saved in the program's folder stay. Runs under CTest inside scripts/test.sh's session.
set -euo pipefail
source "$(dirname "$0")/env.sh"
arch=${1:-$TERVANE_TEST_ARCH}
case $arch in
  i686) product=$ROOT/build/package/TervanePlugin
        installer=$ROOT/build/package/TervanePlugin-setup-x86.exe ;;
  x86_64) product=$ROOT/build/package/amd64/TervanePlugin
          installer=$ROOT/build/package/amd64/TervanePlugin-setup-amd64.exe ;;
  *) echo "usage: install-test.sh i686|x86_64" >&2; exit 2 ;;
esac
[ "$arch" = "$TERVANE_TEST_ARCH" ] ||
  { echo "install-test: this machine's Wine runs $TERVANE_TEST_ARCH programs, not $arch" >&2; exit 2; }
[ -f "$installer" ] && [ -d "$product" ] ||
  { echo "install-test: no installer at $installer: run scripts/package.sh first" >&2; exit 1; }

clsid='{7C3B1E52-94A6-4D1F-B82E-5A610FD49327}'
class_key="HKCR\\CLSID\\$clsid"
plugins_key='HKLM\SOFTWARE\Microsoft\MediaPlayer\UIPlugins'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\TervanePlugin'
# Another plug-in of the player, which the plug-in's removal must not touch.
neighbour="$plugins_key\\{0D1E2F30-4A5B-4C6D-8E9F-A0B1C2D3E4F5}"
sheet_name='自分のシート.tms'
failures=0

# Nothing here may wait for ever: a silent installer that hangs ends the test, not the run.
win() { timeout 120 "$WINE" "$@" </dev/null; }

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

same_files_plus_uninstaller() {
  local listing
  listing=$(LC_ALL=C diff -rq "$product" "$folder" 2>&1 || true)
  [ "$listing" = "Only in $folder: uninstall.exe" ] || { echo "$listing" | head -n 20 >&2; return 1; }
}

only_the_sheet_left() {
  local left
  left=$(cd "$folder" && find . -mindepth 1 | LC_ALL=C sort | tr '\n' ' ')
  [ "$left" = "./$sheet_name " ] && grep -q '^user data$' "$folder/$sheet_name" ||
    { echo "  left in the folder: $left" >&2; return 1; }
}

# A test that failed half-way must not leave the plug-in in the prefix for the next run.
folder=
cleanup() {
  if key_exists "$uninstall_key"; then
    local dir
    dir=$(value_of "$uninstall_key" InstallLocation)
    [ -z "$dir" ] || win "$dir\\uninstall.exe" /S "_?=$dir" >/dev/null 2>&1 || true
    win reg delete "$uninstall_key" /f >/dev/null 2>&1 || true
  fi
  win reg delete "$class_key" /f >/dev/null 2>&1 || true
  win reg delete "$plugins_key\\$clsid" /f >/dev/null 2>&1 || true
  win reg delete "$neighbour" /f >/dev/null 2>&1 || true
  [ -z "$folder" ] || rm -rf "$folder"
}
trap cleanup EXIT
cleanup

win reg add "$neighbour" /v FriendlyName /t REG_SZ /d neighbour /f >/dev/null
echo "install-test: $(basename "$installer") /S under $WINE"
rc=0
win "$installer" /S || rc=$?
check "the installer ends with exit code 0 (it was $rc)" [ "$rc" -eq 0 ]
check "the list of programs has an entry" key_exists "$uninstall_key"
location=$(value_of "$uninstall_key" InstallLocation)
uninstall=$(value_of "$uninstall_key" UninstallString)
check "the entry names the plug-in" \
  value_is "$uninstall_key" DisplayName 'TervanePlugin (テルベーンコントロールプラグイン)'
check "the entry's uninstaller is the installed one" [ "$uninstall" = "\"$location\\uninstall.exe\"" ]
[ -n "$location" ] || { echo "install-test: no install location; stopping" >&2; exit 1; }
folder=$(win winepath -u "$location" 2>/dev/null | tr -d '\r')
folder=${folder%/}
echo "installed into $location ($folder)"

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

# What the user and the plug-in add while it is installed: a time sheet saved beside the
# plug-in, and the settings file.
printf 'user data\n' >"$folder/$sheet_name"
printf 'lastfile_path\tC:\\sheets\\a.tms' >"$folder/cfg/info.txt"

# As the list of programs does: the uninstaller copies itself away and returns at once; its
# copy removes the entry last, so the entry's going means that it has done.
echo "install-test: $uninstall /S"
rc=0
# Its copy's output must not hold CTest's pipe open.
win "${uninstall//\"/}" /S >/dev/null 2>&1 || rc=$?
check "the uninstaller starts (exit code $rc)" [ "$rc" -eq 0 ]
for _ in $(seq 1 240); do
  key_exists "$uninstall_key" || break
  sleep 0.5
done
check "the entry has left the list of programs" key_missing "$uninstall_key"
check "the class is unregistered" key_missing "$class_key"
check "the player's plug-in entry is removed" key_missing "$plugins_key\\$clsid"
check "the player's UIPlugins key stays, with the other plug-in's entry" value_is "$neighbour" FriendlyName neighbour
check "only the user's time sheet is left, with its folder" only_the_sheet_left

echo "install-test: $failures failed"
[ "$failures" -eq 0 ]
