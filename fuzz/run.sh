#!/usr/bin/env bash
# Builds the libFuzzer targets natively with clang and runs them.
#   fuzz/run.sh [-s SECONDS] [-b BUILD_DIR] [--build-only] [TARGET...]
# SECONDS per target (default 20); BUILD_DIR defaults to $FOLIMAR_BUILD_DIR or build/, the
# programs, work corpora, logs and any crashing inputs go to BUILD_DIR/fuzz. No TARGET: all.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=20
build=${FOLIMAR_BUILD_DIR:-$top/build}
build_only=0
targets=()
while [ $# -gt 0 ]; do
  case $1 in
    -s) seconds=$2; shift 2 ;;
    -b) build=$2; shift 2 ;;
    --build-only) build_only=1; shift ;;
    -h|--help) sed -n '2,6p' "$0"; exit 0 ;;
    *) targets+=("$1"); shift ;;
  esac
done

# Each target with the product sources it fuzzes.
declare -A sources=(
  [strip_pass]="jobprep/strip_fonts.cpp files/text_rules.cpp"
  [page_count]="jobprep/strip_fonts.cpp files/text_rules.cpp"
  [page_marker]="render/page_marker.cpp"
  [dsc_header]="jobprep/dsc_header.cpp files/text_rules.cpp"
  [profile_number]="settings/profile_number.cpp"
  [print_command]="batch/rules/print_command_rules.cpp batch/rules/batch_list_rules.cpp files/text_rules.cpp"
  [print_commands]="batch/rules/print_commands_rules.cpp files/text_rules.cpp"
  [row_note]="port/row_note.cpp port/batch_job.cpp"
)
[ ${#targets[@]} -gt 0 ] || targets=(strip_pass page_count page_marker dsc_header profile_number print_command print_commands row_note)

out=$build/fuzz
mkdir -p "$out"
cxx=${FUZZ_CXX:-clang++}

build_target() {
  local t=$1 bin=$out/$1
  local files=("$top/fuzz/${t}_fuzz.cpp")
  for s in ${sources[$t]}; do files+=("$top/$s"); done
  # Rebuilt only when a source, or a header it may include, is newer than the program.
  local stale=0 f
  for f in "${files[@]}" "$top"/fuzz/*.h "$top"/files/*.h "$top"/jobprep/*.h "$top"/render/*.h "$top"/app/*.h \
           "$top"/batch/*.h "$top"/single/*.h "$top"/port/*.h; do
    [ "$f" -nt "$bin" ] && stale=1
  done
  [ $stale -eq 1 ] || return 0
  "$cxx" -std=c++20 -g -O1 -Wall -Wextra -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$top" -o "$bin.tmp.$$" "${files[@]}"
  mv -f "$bin.tmp.$$" "$bin"
}

run_target() {
  local t=$1 bin=$out/$1 log=$out/$1.log
  local args=(-max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
              -artifact_prefix="$out/$t-")
  [ -f "$top/fuzz/$t.dict" ] && args+=(-dict="$top/fuzz/$t.dict")
  mkdir -p "$out/$t.corpus"
  # New inputs go to the work corpus in the build folder; the seeds in the tree are only read.
  if "$bin" "${args[@]}" "$out/$t.corpus" "$top/fuzz/corpus/$t" >"$log" 2>&1; then
    local runs
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "$t: ${runs:-?} runs in ${seconds} s, no finding"
  else
    tail -n 40 "$log"
    echo "$t: FINDING (log: $log; input saved as $out/$t-*)"
    return 1
  fi
}

status=0
for t in "${targets[@]}"; do
  [ -n "${sources[$t]+x}" ] || { echo "unknown target: $t (known: ${!sources[*]})" >&2; exit 2; }
  build_target "$t"
  [ $build_only -eq 1 ] || run_target "$t" || status=1
done
exit $status
