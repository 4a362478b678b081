#!/usr/bin/env bash
# Builds everything and runs every test; the last lines are CTest's summary.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh
build=${FOLIMAR_BUILD_DIR:-build}
# A fresh throwaway Wine prefix for every run.
rm -rf "$build/test-wineprefix"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
