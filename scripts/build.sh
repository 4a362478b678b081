#!/usr/bin/env bash
# Configures and builds the Winelib build in ${FOLIMAR_BUILD_DIR:-build}.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${FOLIMAR_BUILD_DIR:-$top/build}
cmake --no-warn-unused-cli -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/winelib.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)"
