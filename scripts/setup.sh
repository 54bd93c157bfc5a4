#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine. Quick when all is there.
set -euo pipefail
source "$(dirname "$0")/env.sh"

sudo_() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# The x86_64 compilers build the virtual Tervane device (a driver for a 64-bit prefix) on
# every machine, and the test programs where those run as 64-bit.
pkgs=(cmake make file g++-mingw-w64-i686 mingw-w64-i686-dev libz-mingw-w64-dev googletest
      g++-mingw-w64-x86-64 mingw-w64-x86-64-dev
      xvfb xauth locales python3-pil imagemagick fonts-ipafont-gothic
      nsis chromium)
# X libraries Wine's display driver loads at run time (only recommended by the Wine packages).
xlibs=(libxrender1 libxrandr2 libxi6 libxcursor1 libxcomposite1 libxinerama1 libxfixes3)
if [ "$TERVANE_TEST_ARCH" = i686 ]; then
  # wine64 beside wine32 gives the 64-bit prefix of the installer test, with its 32-bit side.
  pkgs+=(wine wine32:i386 "${xlibs[@]/%/:i386}" wine64 "${xlibs[@]}")
else
  pkgs+=(wine wine64 "${xlibs[@]}")
fi

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$TERVANE_TEST_ARCH" = i686 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    sudo_ dpkg --add-architecture i386
  fi
  echo "setup: installing ${missing[*]}"
  # A mirror caught mid-sync fails one index now and then; the next try usually finds it whole.
  # An index that stays broken is not fatal by itself: the install below says whether it was needed.
  for try in 1 2 3; do
    sudo_ apt-get update -qq && break
    echo "setup: the package lists did not all arrive (try $try), trying again"
    sleep $((try * 10))
  done
  for try in 1 2 3; do
    sudo_ env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
      "${missing[@]}" >/dev/null && break
    [ "$try" -lt 3 ] || exit 1
    echo "setup: the install failed (try $try), refreshing the lists and trying again"
    sleep $((try * 15))
    sudo_ apt-get update -qq || true
  done
fi

if ! locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'; then
  echo "setup: generating the ja_JP.UTF-8 locale"
  grep -q '^# *ja_JP.UTF-8' /etc/locale.gen && sudo_ sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | sudo_ tee -a /etc/locale.gen >/dev/null
  sudo_ locale-gen >/dev/null
fi
