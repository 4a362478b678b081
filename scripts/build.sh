#!/usr/bin/env bash
# Configures and builds the Winelib build in ${FOLIMAR_BUILD_DIR:-build}: every target, or the
# ones named (scripts/build.sh [TARGET...]).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${FOLIMAR_BUILD_DIR:-$top/build}
# Configured once; after that the build itself configures again when a CMake file has changed.
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --no-warn-unused-cli -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/winelib.cmake" >/dev/null
fi
targets=()
[ $# -eq 0 ] || targets=(--target "$@")
cmake --build "$build" -j"$(nproc)" "${targets[@]}"
