#!/usr/bin/env bash
# What scripts/package.sh put into the product folder, read from the files themselves (CTest
# runs it as Package.ShipsBothDllsStrippedWithTheirSymbols): an x86 DLL beside the resources
# and an x64 one in x64/, each of its own machine, with the four exports and system DLLs only,
# no debug information, and code equal to the build's; the debug information kept beside the
# build is the one each DLL names (its CRC), and it reads an address of the DLL back to its
# source line, as reading a crash needs.
set -euo pipefail
source "$(dirname "$0")/env.sh"
out=$ROOT/build/package
product=$out/TervanePlugin
[ -f "$product/TervanePlugin.dll" ] ||
  { echo "package-test: no product folder at $product: run scripts/package.sh first" >&2; exit 1; }
source "$ROOT/scripts/checks.sh"

# The DLLs the media player may load beside ours: Windows' own, nothing of a compiler's.
system_dlls='^(advapi32|comctl32|comdlg32|gdi32|gdiplus|hid|imm32|kernel32|msvcrt|ole32|oleaut32|setupapi|shell32|user32|winmm)\.dll$'
exports='DllCanUnloadNow DllGetClassObject DllRegisterServer DllUnregisterServer '

format_is() { LC_ALL=C "$tools-objdump" -f "$1" | grep -q "file format $2\$"; }
no_debug_sections() {
  local found
  found=$(LC_ALL=C "$tools-objdump" -h "$1" | awk '$2 ~ /^\.debug_/ {print $2}' | tr '\n' ' ')
  [ -z "$found" ] || { echo "  debug sections: $found" >&2; return 1; }
}
only_the_four_exports() {
  local got
  got=$(LC_ALL=C "$tools-objdump" -p "$1" |
    awk '/Ordinal\/Name Pointer/ {on = 1; next} on && NF == 0 {on = 0} on {print $NF}' | LC_ALL=C sort | tr '\n' ' ')
  [ "$got" = "$exports" ] || { echo "  exports: $got" >&2; return 1; }
}
only_system_imports() {
  local other
  other=$(LC_ALL=C "$tools-objdump" -p "$1" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | grep -Ev "$system_dlls" || true)
  [ -z "$other" ] || { echo "  imports: $other" >&2; return 1; }
}
section_bytes() { # section_bytes DLL SECTION: its contents as the loader maps them
  local file
  file=$(mktemp)
  "$tools-objcopy" -O binary --only-section="$2" "$1" "$file"
  md5sum <"$file" | cut -d' ' -f1
  rm -f "$file"
}
same_code_as_built() {
  local section
  for section in .text .rdata .data .rsrc .edata; do
    [ "$(section_bytes "$1" "$section")" = "$(section_bytes "$2" "$section")" ] ||
      { echo "  $section differs from $2's" >&2; return 1; }
  done
}
# The .gnu_debuglink section: the symbols file's name, padding to four bytes, its CRC-32.
names_its_symbols() {
  local dll=$1 symbols=$2
  /usr/bin/python3 - "$dll" "$symbols" "$tools-objcopy" <<'EOF'
import os, subprocess, sys, tempfile, zlib
dll, symbols, objcopy = sys.argv[1:]
with tempfile.TemporaryDirectory() as scratch:
    section = os.path.join(scratch, "debuglink")
    subprocess.run([objcopy, "--dump-section", ".gnu_debuglink=" + section, dll, os.path.join(scratch, "copy")],
                   check=True)
    data = open(section, "rb").read()
name = data[:data.index(b"\0")].decode()
crc = int.from_bytes(data[-4:], "little")
want = zlib.crc32(open(symbols, "rb").read())
if name != os.path.basename(symbols) or crc != want:
    sys.exit(f"  the DLL names {name} with CRC {crc:08x}; the symbols are {os.path.basename(symbols)} with {want:08x}")
EOF
}
has_debug_information() { LC_ALL=C "$tools-objdump" -h "$1" | grep -q ' \.debug_info '; }
# The entry point DllGetClassObject, found at its address in the built DLL, is named with its
# file and line by the shipped DLL's symbols alone.
reads_a_crash_address() {
  local built=$1 symbols=$2 address where
  address=$(LC_ALL=C "$tools-nm" "$built" | awk '$2 == "T" && $3 ~ /^_?DllGetClassObject(@12)?$/ {print $1; exit}')
  [ -n "$address" ] || { echo "  no DllGetClassObject in $built" >&2; return 1; }
  where=$("$tools-addr2line" -f -e "$symbols" "0x$address" | tr '\n' ' ')
  [[ $where == DllGetClassObject*plugin/DllExports.cpp:[0-9]* ]] || { echo "  0x$address reads as: $where" >&2; return 1; }
}

# "FOLDER-IN-PRODUCT|BUILD-TREE|TOOLS|FORMAT|SYMBOLS"
for side in ".|i686|i686-w64-mingw32|pei-i386|x86" "x64|x86_64|x86_64-w64-mingw32|pei-x86-64|x64"; do
  IFS='|' read -r folder tree tools format symbols_folder <<<"$side"
  dll=$product/$folder/TervanePlugin.dll
  built=$ROOT/build/$tree/TervanePlugin.dll
  symbols=$out/symbols/$symbols_folder/TervanePlugin.dll.debug
  name=${dll#"$out/"}
  name=${name/\/.\//\/}
  if [ ! -f "$dll" ]; then
    check "$name is shipped" false
    continue
  fi
  echo "$name: $(stat -c %s "$dll") bytes (built: $(stat -c %s "$built"))"
  check "$name is a $format DLL" format_is "$dll" "$format"
  check "$name carries no debug information" no_debug_sections "$dll"
  check "$name exports exactly the four Dll functions" only_the_four_exports "$dll"
  check "$name imports only Windows system DLLs" only_system_imports "$dll"
  check "$name holds the built DLL's code and data unchanged" same_code_as_built "$dll" "$built"
  check "the symbols of $name hold its debug information" has_debug_information "$symbols"
  check "$name names its symbols file and its CRC" names_its_symbols "$dll" "$symbols"
  check "the symbols of $name read an address back to its source line" reads_a_crash_address "$built" "$symbols"
done
check "the 32-bit Windows installer is there" [ -s "$out/TervanePlugin-setup-x86.exe" ]
echo "installer: $(stat -c %s "$out/TervanePlugin-setup-x86.exe") bytes"

echo "package-test: $failures failed"
[ "$failures" -eq 0 ]
