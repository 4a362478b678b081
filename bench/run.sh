#!/usr/bin/env bash
# Builds the programs, then runs the benchmarks and prints their table (a few minutes; it writes
# about 4 GB of jobs under BUILD/bench-data, kept for the next run). Fails when preparing the 1 GiB
# job takes more memory than the limit (bench.py --max-strip-rss-mb, 100 MiB).
#   bench/run.sh [--baseline REV] [bench.py options: --runs N --strip-mb N --fonts N --dsc-mb N]
# --baseline REV also builds the benchmark driver of git revision REV (under BUILD/bench-baseline) and
# prepares the same job with it, for the speed and memory against that revision.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${FOLIMAR_BUILD_DIR:-$top/build}
baseline=()
if [ "${1:-}" = --baseline ]; then
  src=$build/bench-baseline/src
  rm -rf "$src" && mkdir -p "$src"
  git -C "$top" archive "$2" | tar -x -C "$src"
  cmake -S "$src" -B "$build/bench-baseline/build" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/winelib.cmake" >/dev/null
  cmake --build "$build/bench-baseline/build" -j"$(nproc)" --target folimar_bench >/dev/null
  baseline=(--baseline-bench "$build/bench-baseline/build/bench/folimar_bench.exe")
  shift 2
fi
# Only the two programs the table needs, so that work in progress elsewhere does not stop it.
cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/winelib.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)" --target folimar_bench folimarc >/dev/null
prefix=$build/bench-wineprefix
"$top/scripts/wine-prefix.sh" "$prefix"
# One Wine server for the whole run, as on a desktop where Wine is already running.
WINEPREFIX=$prefix wineserver -p || true  # fails when one is running already
trap 'WINEPREFIX=$prefix wineserver -k' EXIT
python3 "$top/bench/bench.py" "$build" "$prefix" "${baseline[@]}" "$@"
