#!/usr/bin/env bash
# Builds the programs, then runs the benchmarks and prints their table (a few minutes; it writes
# about 3 GB of jobs under BUILD/bench-data, kept for the next run).
#   bench/run.sh [bench.py options: --runs N --strip-mb N --fonts N --dsc-mb N]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${FOLIMAR_BUILD_DIR:-$top/build}
# Only the two programs the table needs, so that work in progress elsewhere does not stop it.
cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/winelib.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)" --target folimar_bench folimarc >/dev/null
prefix=$build/bench-wineprefix
"$top/scripts/wine-prefix.sh" "$prefix"
# One Wine server for the whole run, as on a desktop where Wine is already running.
WINEPREFIX=$prefix wineserver -p || true  # fails when one is running already
trap 'WINEPREFIX=$prefix wineserver -k' EXIT
python3 "$top/bench/bench.py" "$build" "$prefix" "$@"
