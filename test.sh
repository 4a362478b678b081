#!/usr/bin/env bash
# Builds both configurations and runs both test sets under Wine: the Windows build (MinGW-w64,
# in ${FOLIMAR_WINDOWS_BUILD_DIR:-build-windows}) first, then the Winelib build (in
# ${FOLIMAR_BUILD_DIR:-build}), so the last lines are the Winelib CTest summary. The exit code
# is non-zero when either set failed; a Windows failure is summed up above the Winelib run.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh
scripts/build-mingw.sh
build=${FOLIMAR_BUILD_DIR:-build}
windows=${FOLIMAR_WINDOWS_BUILD_DIR:-build-windows}
# A fresh throwaway Wine prefix for every run.
rm -rf "$build/test-wineprefix" "$windows/test-wineprefix"

# The fuzz targets are native Linux programs, the same in both configurations: they run once,
# in the Winelib set.
windows_status=0
echo "test.sh: Windows set: the GoogleTest programs and the Windows build's own checks. The end-to-end," \
  "console-converter and fuzz tests drive Winelib and native programs: they run in the Winelib set below."
ctest --test-dir "$windows" --output-on-failure -j"$(nproc)" -E '^fuzz_' || windows_status=$?
[ "$windows_status" -eq 0 ] || echo "test.sh: Windows tests FAILED (see above); running the Winelib tests" >&2

ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
exit "$windows_status"
