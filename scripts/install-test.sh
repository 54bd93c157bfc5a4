#!/usr/bin/env bash
# Sessions with the installer that scripts/package.sh built, run silently the way the list of
# programs runs it (install-test.sh x86|x64):
#   x86  32-bit Windows: the test prefix where the tests run as i686 (skipped elsewhere). Only
#        the x86 DLL is installed and registered.
#   x64  64-bit Windows: the 64-bit prefix of the virtual Tervane device (build/wine-usb), with
#        its 32-bit side where the kernel runs 32-bit programs. Both DLLs are installed into one
#        folder in program files (x86), the x64 one in its subfolder: the x86 DLL registered by
#        SysWOW64's regsvr32 into the 32-bit registry view (Wow6432Node), the x64 DLL by the
#        64-bit one into the 64-bit view. A 64-bit program creates the object by its class
#        identifier and, created so, plays the session through every device fault on the
#        system's HID stack with the reports of the linked plug-in; a 32-bit program does the
#        same where it can run. Where the kernel runs no 32-bit programs, the same installer
#        with a 64-bit stub runs instead of the x86 one, and the x86 DLL's registration, which
#        needs the 32-bit regsvr32, is required to fail and be told (exit code 3).
# Each checks the installed files against the product folder, the registration and the entry in
# the list of programs (a reinstall goes where the last install went); that a running media
# player stops the installer and the uninstaller with nothing changed; that a DLL another program
# holds is removed at the next restart, with the entry kept until then; and that an uninstall
# removes everything it installed, while the media player's UIPlugins key and a time sheet the
# user saved in the program's folder stay. Runs under CTest inside scripts/test.sh's session.
set -euo pipefail
source "$(dirname "$0")/env.sh"
mode=${1:-}
product=$ROOT/build/package/TervanePlugin
installer=$ROOT/build/package/TervanePlugin-setup-x86.exe
# Whether 32-bit programs run here (the x86 regsvr32, the 32-bit client).
runs32=no
tervane_can_run_i386 && runs32=yes
case $mode in
  x86)
    if [ "$TERVANE_TEST_ARCH" != i686 ]; then
      # CTest counts exit code 77 as skipped.
      echo "install-test: skipped: the tests run as $TERVANE_TEST_ARCH here, so there is no 32-bit Windows prefix;" \
           "InstallerSession.InstallsBothPlayersOnSixtyFourBitWindows runs the installer in a 64-bit one"
      exit 77
    fi ;;
  x64)
    if [ "$runs32" = no ]; then
      installer=$ROOT/build/package/amd64/TervanePlugin-setup-amd64.exe
      echo "install-test: this machine's kernel runs no 32-bit programs: the installer runs with a 64-bit stub;" \
           "the x86 DLL is installed but cannot be registered (SysWOW64's regsvr32 is a 32-bit program)," \
           "which the installer must tell, and no 32-bit program creates the object or plays the session"
    fi ;;
  *) echo "usage: install-test.sh x86|x64" >&2; exit 2 ;;
esac
[ -f "$installer" ] && [ -d "$product" ] ||
  { echo "install-test: no installer at $installer: run scripts/package.sh first" >&2; exit 1; }

if [ "$mode" = x64 ]; then
  source "$ROOT/scripts/session.sh"
  rc=0
  usb_session_begin >&2 || rc=$?
  [ "$rc" -eq 0 ] || exit $rc
  # The 32-bit side of 64-bit Windows: its registry view and its program files.
  view='\Wow6432Node'
else
  view=
fi
# The DLLs this Windows gets, as "PATH-IN-FOLDER|REGISTRY-VIEW|TREE|REGISTERED": the x86 one
# always, the x64 one on 64-bit Windows; TREE is the build tree of the programs of that pointer
# size, REGISTERED whether its registration can succeed here.
sides=("TervanePlugin.dll|$view|i686|$([ "$mode" = x86 ] || [ "$runs32" = yes ] && echo yes || echo no)")
[ "$mode" = x86 ] || sides+=('x64\TervanePlugin.dll||x86_64|yes')
# Every install ends with 0, or with 3 where a registration must fail.
expected_rc=0
[ "$mode" = x86 ] || [ "$runs32" = yes ] || expected_rc=3

clsid='{7C3B1E52-94A6-4D1F-B82E-5A610FD49327}'
# The class and the player's plug-ins in one registry view ("" or \Wow6432Node).
class_key_in() { echo "HKLM\\Software$1\\Classes\\CLSID\\$clsid"; }
plugins_key_in() { echo "HKLM\\SOFTWARE$1\\Microsoft\\MediaPlayer\\UIPlugins"; }
# The installer's own view: its entry in the list of programs, and the neighbour plug-in.
plugins_key=$(plugins_key_in "$view")
uninstall_key="HKLM\\Software$view\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\TervanePlugin"
runonce_key='HKLM\Software\Microsoft\Windows\CurrentVersion\RunOnce'
renames_key='HKLM\System\CurrentControlSet\Control\Session Manager'
# Another plug-in of the player, which the plug-in's removal must not touch.
neighbour="$plugins_key\\{0D1E2F30-4A5B-4C6D-8E9F-A0B1C2D3E4F5}"
sheet_name='自分のシート.tms'
elsewhere='C:\別の 場所\TervanePlugin'
source "$ROOT/scripts/checks.sh"

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

# Every file of the product folder but the x64 one where 32-bit Windows gets none.
same_files_plus_uninstaller() {
  local listing want="Only in $folder: uninstall.exe"
  [ "$mode" = x64 ] || want="$want"$'\n'"Only in $product: x64"
  listing=$(LC_ALL=C diff -rq "$product" "$folder" 2>&1 || true)
  [ "$listing" = "$want" ] || { echo "$listing" | head -n 20 >&2; return 1; }
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
  local side side_view
  for side in "${sides[@]}"; do
    IFS='|' read -r _ side_view _ _ <<<"$side"
    value_of "$(class_key_in "$side_view")\\InprocServer32" /ve
  done
}

# A program that holds the installed DLL until its flag file goes (with "player", beside a
# window of the media player's class): on 64-bit Windows the 64-bit player's, on 32-bit
# Windows the only one.
holder_pid=
flag=
if [ "$mode" = x64 ]; then
  held='x64\TervanePlugin.dll'
  client=$ROOT/build/x86_64/tools/plugin-client.exe
else
  held=TervanePlugin.dll
  client=$ROOT/build/i686/tools/plugin-client.exe
fi
hold_dll() {
  flag=$(mktemp -u /tmp/tervane-hold.XXXXXX)
  "$WINE" "$client" hold "$location\\$held" "$(win winepath -w "$flag" | tr -d '\r')" "$@" \
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
  local side side_view
  for side in "${sides[@]}"; do
    IFS='|' read -r _ side_view _ _ <<<"$side"
    win reg delete "$(class_key_in "$side_view")" /f >/dev/null 2>&1 || true
    win reg delete "$(plugins_key_in "$side_view")\\$clsid" /f >/dev/null 2>&1 || true
  done
  win reg delete "$neighbour" /f >/dev/null 2>&1 || true
  win reg delete "$runonce_key" /v TervanePlugin /f >/dev/null 2>&1 || true
  win reg delete "$renames_key" /v PendingFileRenameOperations /f >/dev/null 2>&1 || true
  [ -z "$folder" ] || rm -rf "$folder"
  local other
  other=$(unix_path "$elsewhere")
  [ -z "$other" ] || rm -rf "$(dirname "$other")"
}

trap cleanup EXIT
cleanup

win reg add "$neighbour" /v FriendlyName /t REG_SZ /d neighbour /f >/dev/null
echo "install-test: $(basename "$installer") /S under $WINE in $WINEPREFIX"

# --- install, and a reinstall that goes where the first went ---
rc=0
install "$elsewhere" || rc=$?
check "the installer ends with exit code $expected_rc (it was $rc)" [ "$rc" -eq "$expected_rc" ]
rc=0
install || rc=$?
check "a reinstall ends with exit code $expected_rc (it was $rc)" [ "$rc" -eq "$expected_rc" ]
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
  local side dll side_view tree registered created key plugins
  for side in "${sides[@]}"; do
    IFS='|' read -r dll side_view tree registered <<<"$side"
    key=$(class_key_in "$side_view")
    plugins=$(plugins_key_in "$side_view")
    if [ "$registered" = no ]; then
      check "$dll: its registration failed (no 32-bit regsvr32 runs here) and left no class" key_missing "$key"
      check "$dll: and no plug-in entry" key_missing "$plugins\\$clsid"
      echo "not run: a 32-bit program creating the object (this machine runs no 32-bit programs)"
      continue
    fi
    check "$dll: the class is registered${side_view:+ in $side_view}" value_is "$key" /ve 'TervanePlugin Class'
    check "$dll: the class's server is the installed DLL" value_is "$key\\InprocServer32" /ve "$location\\$dll"
    check "$dll: the server's threading model is Apartment" value_is "$key\\InprocServer32" ThreadingModel Apartment
    check "$dll: the player's plug-in entry has its friendly name" \
      value_is "$plugins\\$clsid" FriendlyName 'res://TervanePlugin.dll/RT_STRING/#102'
    check "$dll: the player's plug-in entry has its description" \
      value_is "$plugins\\$clsid" Description 'res://TervanePlugin.dll/RT_STRING/#103'
    check "$dll: the player's plug-in entry has its capabilities" value_is "$plugins\\$clsid" Capabilities 0x40000002
    if [ "$tree" = i686 ] && [ "$runs32" = no ]; then
      echo "not run: a 32-bit program creating the object (this machine runs no 32-bit programs)"
      continue
    fi
    created=$(win "$ROOT/build/$tree/tools/plugin-client.exe" create 2>&1 | iconv -c -f CP932 -t UTF-8 | tr -d "\r" || true)
    check "a program of $dll's pointer size creates the object by its class identifier ($created)" \
      [ "${created,,}" = "created ${location,,}\\${dll,,}" ]
  done
  if [ "$mode" = x86 ]; then
    check "32-bit Windows gets no x64 folder" [ ! -e "$folder/x64" ]
  fi
}

# The installed DLL of the programs of build/TREE, created by its class identifier as the player
# creates it, in the InstalledPlugin tests that FILTER names (tests/system/InstalledPluginTests.cpp).
run_installed() { # run_installed TREE FILTER WHAT
  local tree=$1 filter=$2 what=$3 dll said rc=0
  dll=$([ "$tree" = i686 ] && echo TervanePlugin.dll || echo 'x64\TervanePlugin.dll')
  said=$(mktemp)
  (cd "$ROOT/build/$tree" &&
     TERVANE_VIRTUAL_DEVICE=1 TERVANE_INSTALLED_PLUGIN="$location\\$dll" TERVANE_SHARED_SHEET="$shared_sheet" \
     timeout 300 "$WINE" tests/tervane_system_tests.exe --gtest_filter="InstalledPlugin.$filter" \
     </dev/null >"$said" 2>&1) || rc=$?
  check "$what" grep -q "^\\[       OK \\] InstalledPlugin\\.$filter" "$said"
  [ "$rc" -eq 0 ] && ! grep -q '^\[  SKIPPED \]' "$said" || iconv -c -f CP932 -t UTF-8 "$said" | tail -n 40 >&2
  rm -f "$said"
}

# The program of build/TREE dies with a change unsaved in the installed DLL of its pointer size,
# which leaves a recovery copy in the user's settings folder.
file_stays() { [ -n "$1" ] && [ -f "$(unix_path "$1")" ]; }
left_copy() { # left_copy TREE
  local tree=$1 dll said
  dll=$([ "$tree" = i686 ] && echo TervanePlugin.dll || echo 'x64\TervanePlugin.dll')
  said=$(mktemp)
  (cd "$ROOT/build/$tree" &&
     TERVANE_VIRTUAL_DEVICE=1 TERVANE_INSTALLED_PLUGIN="$location\\$dll" TERVANE_SHARED_SHEET="$shared_sheet" \
     timeout 300 "$WINE" tests/tervane_system_tests.exe --gtest_filter='InstalledPlugin.Leaves*' \
     </dev/null >"$said" 2>&1) || true
  local copy
  copy=$(sed -n 's/^copy left: //p' "$said" | tr -d '\r')
  check "the $tree program dies with a change unsaved, and its DLL's copy of it stays ($copy)" file_stays "$copy"
  [ -n "$copy" ] || iconv -c -f CP932 -t UTF-8 "$said" | tail -n 40 >&2
  rm -f "$said"
}

# Each installed DLL that a program here can load plays every device fault on the system's
# stack; and what one player remembers for the user, or leaves as a copy of unsaved changes when
# it dies, the other finds: both use one per-user settings folder.
play_installed() {
  local pairs pair writer reader appdata settings
  [ "$runs32" = yes ] || echo "not run: a 32-bit program with TervanePlugin.dll (this machine runs no 32-bit programs)"
  shared_sheet=$(windows_documents_copy "$ROOT/samples/demo.tms")
  appdata=$(unix_path "$(win cmd /c echo %APPDATA% | tr -d '\r')")
  settings=$appdata/TervanePlugin/info.txt
  if [ "$runs32" = yes ]; then
    pairs=("x86_64 i686" "i686 x86_64")
  else
    pairs=("x86_64 x86_64")
    echo "not run: one player opening the sheet and offering the copy the other left; the 64-bit player finds its own"
  fi
  for pair in "${pairs[@]}"; do
    read -r writer reader <<<"$pair"
    # Absent at first, so that what it holds afterwards is the writer's.
    rm -f "$settings"
    run_installed "$writer" 'CreatedBy*' \
      "created by its class identifier, the $writer program's DLL plays every device fault on the system's stack as the linked plug-in does"
    check "the $writer program's DLL remembers the sheet in the per-user settings file" \
      grep -qaF "lastfile_path	$shared_sheet" "$settings"
    run_installed "$reader" 'Opens*' "the $reader program's DLL opens and plays the sheet the $writer program's remembered"
    left_copy "$writer"
    run_installed "$reader" 'Offers*' "the $reader program's DLL offers the copy the $writer program's left, and the user's no discards it"
  done
  # The other tests in this prefix start with nothing remembered and no copy, as they did before.
  rm -f "$settings" "$appdata"/TervanePlugin/recovery*
}
check_install
if [ "$mode" = x64 ]; then
  check "the 64-bit view's list of programs has no second entry" \
    key_missing 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\TervanePlugin'
  check "the 64-bit program files folder has no copy" [ ! -e "$(unix_path 'C:\Program Files')/TervanePlugin" ]
  play_installed
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
  for side in "${sides[@]}"; do
    IFS='|' read -r dll side_view _ _ <<<"$side"
    check "$dll: the class is unregistered${side_view:+ in $side_view}" key_missing "$(class_key_in "$side_view")"
  done
  if [ "$mode" = x64 ]; then
    check "all but the held DLL, the uninstaller and the user's time sheet is gone" \
      only_left ./x64 ./x64/TervanePlugin.dll ./uninstall.exe "./$sheet_name"
  else
    check "all but the held DLL, the uninstaller and the user's time sheet is gone" \
      only_left ./TervanePlugin.dll ./uninstall.exe "./$sheet_name"
  fi
  renames=$(win reg query "$renames_key" /v PendingFileRenameOperations 2>/dev/null | iconv -c -f CP932 -t UTF-8 || true)
  check "the held DLL is to be deleted at the restart" grep -qiF "$location\\$held" <<<"$renames"
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
check "a fresh install ends with exit code $expected_rc (it was $rc)" [ "$rc" -eq "$expected_rc" ]
location=$(value_of "$uninstall_key" InstallLocation)
[ -n "$location" ] || { echo "install-test: no install location; stopping" >&2; exit 1; }
folder=$(unix_path "$location")
echo "installed into $location ($folder)"
check "with no earlier install it goes into the 32-bit program files folder" \
  value_is "$uninstall_key" InstallLocation "$(value_of 'HKLM\Software\Microsoft\Windows\CurrentVersion' \
    "$([ "$mode" = x64 ] && echo 'ProgramFilesDir (x86)' || echo ProgramFilesDir)")\\TervanePlugin"
check_install
printf 'user data\n' >"$folder/$sheet_name"
printf 'lastfile_path\tC:\\sheets\\a.tms' >"$folder/cfg/info.txt"
uninstall_and_wait
check "the entry has left the list of programs" key_missing "$uninstall_key"
for side in "${sides[@]}"; do
  IFS='|' read -r dll side_view _ _ <<<"$side"
  check "$dll: the class is unregistered${side_view:+ in $side_view}" key_missing "$(class_key_in "$side_view")"
  check "$dll: the player's plug-in entry is removed" key_missing "$(plugins_key_in "$side_view")\\$clsid"
done
check "the player's UIPlugins key stays, with the other plug-in's entry" value_is "$neighbour" FriendlyName neighbour
check "nothing was left for a restart" value_missing "$runonce_key" TervanePlugin
check "only the user's time sheet is left, with its folder" only_left "./$sheet_name"
check "the user's time sheet is kept" the_sheet_kept

echo "install-test: $failures failed"
[ "$failures" -eq 0 ]
