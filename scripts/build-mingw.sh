#!/usr/bin/env bash
# Configures and builds the Windows build (MinGW-w64) in ${FOLIMAR_WINDOWS_BUILD_DIR:-build-windows}.
# Extra arguments go to `cmake --build` (for example: --target folimar folimarc).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${FOLIMAR_WINDOWS_BUILD_DIR:-$top/build-windows}
cmake --no-warn-unused-cli -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)" "$@"
