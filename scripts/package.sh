#!/usr/bin/env bash
# Builds what a user on Windows receives, into build/package:
#   TervanePlugin/               the product folder: the i686 DLL, obj (skins), cfg (the site
#                                addresses; the settings file lives per user), the Japanese
#                                manual users_manual.html with its pictures in manual/, readme.txt
#   TervanePlugin-setup-x86.exe  the installer of that folder
#   users_manual.png             the manual as a browser shows it
# The manual's pictures are taken anew from the editor in the simulated player every time, so
# they show the editor as it is built now. Where the tests run as x86_64, amd64/ holds the same
# folder around the x86_64 DLL and its amd64 installer, which the installer test runs.
set -euo pipefail
[ $# -eq 0 ] || { echo "usage: package.sh (no arguments; it builds into build/package)" >&2; exit 2; }
source "$(dirname "$0")/env.sh"
"$ROOT/scripts/setup.sh"
arch=$TERVANE_TEST_ARCH
# The player tool brings its tree's DLL and skins with it.
"$ROOT/scripts/build.sh" "$arch" --target tervane-player >/dev/null
[ "$arch" = i686 ] || "$ROOT/scripts/build.sh" i686 --target TervanePlugin tervane_skins >/dev/null

src=$ROOT/package
out=$ROOT/build/package
product=$out/TervanePlugin
work=$out/work
rm -rf "$out"
mkdir -p "$work"

fail() { echo "package: $*" >&2; exit 1; }

# assemble FOLDER TREE: the product folder around the DLL and skins of build/TREE.
assemble() {
  local folder=$1 tree=$ROOT/build/$2
  mkdir -p "$folder/obj" "$folder/cfg" "$folder/manual"
  cp "$tree/TervanePlugin.dll" "$folder/"
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
nsis_lists() {
  local folder=$1 files=$2 unfiles=$3 dir rel file
  : >"$files"
  : >"$unfiles"
  while IFS= read -r dir; do
    rel=${dir#.}
    rel=${rel//\//\\}
    echo "SetOutPath \"\$INSTDIR$rel\"" >>"$files"
    while IFS= read -r file; do
      file=${file#./}
      local at=$folder/$file
      echo "File \"${at//\$/\$\$}\"" >>"$files"
      echo "Delete /REBOOTOK \"\$INSTDIR\\${file//\//\\}\"" >>"$unfiles"
    done < <(cd "$folder" && find "$dir" -mindepth 1 -maxdepth 1 -type f | LC_ALL=C sort)
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

assemble "$product" i686

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

if [ "$arch" = x86_64 ]; then
  mkdir -p "$out/amd64"
  cp -r "$product" "$out/amd64/"
  assemble "$out/amd64/TervanePlugin" x86_64
  installer "$out/amd64/TervanePlugin" amd64 "$out/amd64/TervanePlugin-setup-amd64.exe"
fi
rm -rf "$work"

echo "product folder: $product"
(cd "$product" && find . -type f | LC_ALL=C sort | sed 's|^\./|  |' | grep -v '^  obj/' ; echo "  obj/ ($(ls "$product/obj" | wc -l) skin bitmaps)")
echo "installer: $out/TervanePlugin-setup-x86.exe"
[ "$arch" = i686 ] || echo "installer for the x86_64 tests: $out/amd64/TervanePlugin-setup-amd64.exe"
echo "the manual as a browser shows it: $out/users_manual.png"
