#!/usr/bin/env bash
# Two builds' batches in turn: bench/batch_pairs.sh OTHER_BUILD N PAIRS [THIS_BUILD]
#
# Runs bench/batch_documents.sh --batch-only N with OTHER_BUILD, then with THIS_BUILD (default:
# build/), PAIRS times, so that both see the same load of a shared machine. Prints each run's
# batch time with the load average before it, then each pair's ratio (this / other) and their
# median. A run that fails (a PDF missing or with the wrong pages) ends the comparison.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
other=$(realpath "${1:?usage: bench/batch_pairs.sh OTHER_BUILD N PAIRS [THIS_BUILD]}")
count=${2:?N}
pairs=${3:?PAIRS}
this=$(realpath "${4:-$top/build}")
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# batch_seconds BUILD LABEL: one batch of BUILD; prints its line and the batch's seconds.
batch_seconds() {
  local load seconds
  load=$(cut -d' ' -f1-3 /proc/loadavg)
  FOLIMAR_BUILD_DIR=$1 "$top/bench/batch_documents.sh" --batch-only "$count" >"$log" 2>&1 || {
    cat "$log" >&2
    echo "$2: the batch failed" >&2
    exit 1
  }
  seconds=$(sed -n 's/^batch through the window: \([0-9.]*\) s.*/\1/p' "$log")
  echo "$2: $seconds s (load average before: $load; after: $(cut -d' ' -f1-3 /proc/loadavg))" >&2
  echo "$seconds"
}

ratios=()
for p in $(seq "$pairs"); do
  a=$(batch_seconds "$other" "pair $p other")
  b=$(batch_seconds "$this" "pair $p this ")
  ratios+=("$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.3f", b / a }')")
  echo "pair $p: this / other = ${ratios[-1]}"
done
printf '%s\n' "${ratios[@]}" | sort -n | awk '{ r[NR] = $1 } END {
  m = NR % 2 ? r[(NR + 1) / 2] : (r[NR / 2] + r[NR / 2 + 1]) / 2
  printf "median of %d pairs: %.3f (%.3f-%.3f)\n", NR, m, r[1], r[NR] }'
