#!/usr/bin/env bash
# Configures (once) and builds one target tree: build.sh i686|x86_64 [cmake --build args...]
set -euo pipefail
source "$(dirname "$0")/env.sh"
arch=${1:-i686}
shift || true
dir=$ROOT/build/$arch
# Configured on every call (a second when nothing changed), so that a single target added
# since the tree was made is known before it is asked for.
cmake -S "$ROOT" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-toolchain.cmake" \
  -DTERVANE_ARCH="$arch" >/dev/null
cmake --build "$dir" -j"$(nproc)" "$@"
