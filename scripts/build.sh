#!/usr/bin/env bash
# Configures (once) and builds one target tree: build.sh i686|x86_64 [cmake --build args...]
set -euo pipefail
source "$(dirname "$0")/env.sh"
arch=${1:-i686}
shift || true
dir=$ROOT/build/$arch
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$ROOT" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-toolchain.cmake" \
    -DTERVANE_ARCH="$arch" >/dev/null
fi
cmake --build "$dir" -j"$(nproc)" "$@"
