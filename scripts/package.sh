#!/usr/bin/env bash
# Builds what a user on Windows receives, into build/package:
#   TervanePlugin/               the product folder: the i686 DLL for the 32-bit media player,
#                                x64/ with the x86_64 DLL for the 64-bit one (it finds its
#                                resources one level up), obj (skins), cfg (the site addresses;
#                                the settings file lives per user), the Japanese manual
#                                users_manual.html with its pictures in manual/, readme.txt
#   TervanePlugin-setup-x86.exe  the installer of that folder, for 32-bit and 64-bit Windows
#   users_manual.png             the manual as a browser shows it
#   symbols/x86, symbols/x64     the debug information of the two shipped DLLs, which carry none
#                                (each names its file), for reading a crash
# The manual's pictures are taken anew from the editor in the simulated player every time, so
# they show the editor as it is built now. Where the kernel runs no 32-bit programs, amd64/
# holds the same installer with a 64-bit stub, which the installer tests run there.
set -euo pipefail
[ $# -eq 0 ] || { echo "usage: package.sh (no arguments; it builds into build/package)" >&2; exit 2; }
source "$(dirname "$0")/env.sh"
"$ROOT/scripts/setup.sh"
arch=$TERVANE_TEST_ARCH
# The player tool brings its tree's DLL and skins with it; the product carries both DLLs.
"$ROOT/scripts/build.sh" "$arch" --target tervane-player >/dev/null
for tree in i686 x86_64; do
  [ "$tree" = "$arch" ] || "$ROOT/scripts/build.sh" "$tree" --target TervanePlugin tervane_skins >/dev/null
done

src=$ROOT/package
out=$ROOT/build/package
product=$out/TervanePlugin
work=$out/work
rm -rf "$out"
mkdir -p "$work"

fail() { echo "package: $*" >&2; exit 1; }

# ship TREE TO SYMBOLS: the DLL of build/TREE without its debug information (twelve of its
# thirteen megabytes) into the folder TO; the debug information into SYMBOLS, which the shipped
# DLL names, so that a debugger or addr2line reads a crash with it.
ship() {
  local tree=$ROOT/build/$1 to=$2 symbols=$3 tools
  tools=$([ "$1" = i686 ] && echo i686-w64-mingw32 || echo x86_64-w64-mingw32)
  mkdir -p "$to" "$symbols"
  "$tools-objcopy" --only-keep-debug "$tree/TervanePlugin.dll" "$symbols/TervanePlugin.dll.debug"
  "$tools-strip" --strip-all -o "$to/TervanePlugin.dll" "$tree/TervanePlugin.dll"
  (cd "$symbols" && "$tools-objcopy" --add-gnu-debuglink=TervanePlugin.dll.debug "$to/TervanePlugin.dll")
}

# assemble FOLDER: the product folder around both DLLs and the skins.
assemble() {
  local folder=$1 tree=$ROOT/build/i686
  mkdir -p "$folder/obj" "$folder/cfg" "$folder/manual"
  ship i686 "$folder" "$out/symbols/x86"
  ship x86_64 "$folder/x64" "$out/symbols/x64"
  cp "$tree"/obj/*.bmp "$folder/obj/"
  # Only the address files: a settings file that a tool left in the tree is nobody's to ship.
  cp "$tree/cfg/news.txt" "$tree/cfg/link.txt" "$folder/cfg/"
  cp "$src/users_manual.html" "$src/readme.txt" "$folder/"
}

# shoot NAME SIZE EVENTS PICTURE: one session of the editor in the simulated player with the
# sample sheet; the picture it takes becomes manual/NAME.png.
shoot() {
  local name=$1 size=$2 events=$3 picture=$4 dir=$work/$1
  mkdir -p "$dir"
  if ! (cd "$dir" && "$WINE" "$ROOT/build/$arch/tools/tervane-player.exe" --movie demo.wmv \
          --sheet "$sample" --news "$ROOT/samples/news.html" --size "$size" \
          --events-file "$src/pictures/$events" </dev/null >"$dir/session.log" 2>&1) ||
     [ ! -s "$dir/$picture" ]; then
    cat "$dir/session.log" >&2
    fail "the editor session for $name took no picture"
  fi
  cp "$dir/$picture" "$product/manual/$name.png"
}

# nsis_lists FOLDER FILES UNFILES: what the installer copies (File lines, folder by folder) and
# what its uninstaller deletes (the same files, then the folders deepest first, kept when the
# user left something in them). A file another program holds is deleted at the next restart.
# The x64 folder is copied on 64-bit Windows only; its removal is harmless where it is not.
nsis_lists() {
  local folder=$1 files=$2 unfiles=$3 dir rel file
  : >"$files"
  : >"$unfiles"
  while IFS= read -r dir; do
    rel=${dir#.}
    rel=${rel//\//\\}
    [ "$dir" != ./x64 ] || echo '${If} $Is64 == 1' >>"$files"
    echo "SetOutPath \"\$INSTDIR$rel\"" >>"$files"
    while IFS= read -r file; do
      file=${file#./}
      local at=$folder/$file
      echo "File \"${at//\$/\$\$}\"" >>"$files"
      echo "Delete /REBOOTOK \"\$INSTDIR\\${file//\//\\}\"" >>"$unfiles"
    done < <(cd "$folder" && find "$dir" -mindepth 1 -maxdepth 1 -type f | LC_ALL=C sort)
    [ "$dir" != ./x64 ] || echo '${EndIf}' >>"$files"
  done < <(cd "$folder" && find . -type d | LC_ALL=C sort)
  (cd "$folder" && find . -mindepth 1 -type d | LC_ALL=C sort -r) | while IFS= read -r dir; do
    rel=${dir#./}
    echo "RMDir \"\$INSTDIR\\${rel//\//\\}\"" >>"$unfiles"
  done
}

# installer FOLDER NSIS-ARCH OUT
installer() {
  local folder=$1 target=$2 exe=$3 lists=$work/nsis-$2
  mkdir -p "$lists"
  nsis_lists "$folder" "$lists/files.nsh" "$lists/unfiles.nsh"
  makensis -V2 -WX -DARCH="$target" -DPRODUCT_DIR="$folder" -DFILES_NSH="$lists/files.nsh" \
    -DUNFILES_NSH="$lists/unfiles.nsh" -DOUT_FILE="$exe" "$src/TervanePlugin.nsi" >"$lists/makensis.log" 2>&1 ||
    { cat "$lists/makensis.log" >&2; fail "makensis could not build the $target installer"; }
}

render_manual() {
  local profile page=$out/users_manual.png
  profile=$(mktemp -d)
  # A profile of its own and no background traffic: the page is local and so is everything
  # it shows.
  timeout 180 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$profile" --hide-scrollbars --force-device-scale-factor=1 \
    --window-size=1000,16000 --screenshot="$page" "file://$product/users_manual.html" \
    </dev/null >"$work/chromium.log" 2>&1 || true
  rm -rf "$profile"
  [ -s "$page" ] || { cat "$work/chromium.log" >&2; fail "chromium rendered no picture of the manual"; }
  /usr/bin/python3 "$src/check_manual.py" trim "$page"
}

assemble "$product"

source "$ROOT/scripts/session.sh"
session_begin
sample=$(windows_documents_copy "$ROOT/samples/demo.tms")
shoot editor normal editor.events editor.png
shoot editor-wide wide editor.events editor.png
shoot editor-mini mini editor.events editor.png
shoot graph-full normal graph.events graph-full.png
# The graph and the time labels above it, out of the whole editor: from below the load and
# save buttons to above the seek bar's arrows, no control cut.
convert "$product/manual/graph-full.png" -crop 500x207+0+98 +repage "$product/manual/graph.png"
rm "$product/manual/graph-full.png"
# Undo: the graph before and after Ctrl+Z, side by side.
shoot undo-full normal undo.events undo-after.png
convert \( "$work/undo-full/undo-before.png" -crop 500x207+0+98 +repage \) \
        \( "$work/undo-full/undo-after.png" -crop 500x207+0+98 +repage \) +append "$product/manual/undo.png"
rm "$product/manual/undo-full.png"
# Many points selected, and a recording: the graph down to the time box, which counts the
# selection and turns red while recording, with the zoom and point buttons beside it whole.
for picture in select record; do
  shoot "$picture-full" normal "$picture.events" "$picture-full.png"
  convert "$product/manual/$picture-full.png" -crop 500x272+0+98 +repage "$product/manual/$picture.png"
  rm "$product/manual/$picture-full.png"
done
# The overview bar with the sheet along it, out of the whole editor, with the speed controls
# below it whole: from under the point buttons to above the pattern buttons, left of the
# play button's ring.
convert "$product/manual/editor.png" -crop 330x70+22+370 +repage "$product/manual/overview.png"

/usr/bin/python3 "$src/check_manual.py" check "$product" users_manual.html
render_manual
installer "$product" x86 "$out/TervanePlugin-setup-x86.exe"

if ! tervane_can_run_i386; then
  mkdir -p "$out/amd64"
  installer "$product" amd64 "$out/amd64/TervanePlugin-setup-amd64.exe"
fi
rm -rf "$work"

kb() { echo "$(( ($(stat -c %s "$1") + 1023) / 1024 )) KB"; }
echo "product folder: $product"
(cd "$product" && find . -type f | LC_ALL=C sort | sed 's|^\./|  |' | grep -v '^  obj/' ; echo "  obj/ ($(ls "$product/obj" | wc -l) skin bitmaps)")
echo "  the DLLs: TervanePlugin.dll (x86) $(kb "$product/TervanePlugin.dll"), x64/TervanePlugin.dll $(kb "$product/x64/TervanePlugin.dll");" \
     "their debug information in $out/symbols"
echo "installer: $out/TervanePlugin-setup-x86.exe ($(kb "$out/TervanePlugin-setup-x86.exe"))"
[ ! -d "$out/amd64" ] || echo "the same installer with a 64-bit stub, for the tests on this machine, which runs no 32-bit programs: $out/amd64/TervanePlugin-setup-amd64.exe"
echo "the manual as a browser shows it: $out/users_manual.png"
