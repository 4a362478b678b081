#!/usr/bin/env bash
# A whole batch against its conversions alone: bench/batch_documents.sh [--batch-only] N
#
# Makes a fresh Wine prefix with the virtual printer and the print programs, N documents (text
# documents and every tenth a PostScript one), runs them as one batch through the batch window as
# a user does (drop, "Create PDF", wait until "Create PDF" is back), and prints the batch's wall
# time. Then the same jobs once more without the batch: the text documents printed to the virtual
# printer by print_text while a batch's mutex is held (so the port only captures them), and every
# job converted by folimarc, one after the other; it prints the printing and the conversion times.
# With --batch-only it stops after the batch. Every PDF of the batch is checked for its pages.
# Needs the Winelib build (build/ or FOLIMAR_BUILD_DIR) and runs under an X server of its own.
# FOLIMAR_BUILD_DIR may name the build of an older commit: the batch is driven the same way as long
# as its window has "Create PDF" (102), "Stop" (104) and the list (107), so --batch-only compares
# builds like for like (bench/batch_pairs.sh runs them in turn).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${FOLIMAR_BUILD_DIR:-$top/build}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
batch_only=0
if [ "${1:-}" = --batch-only ]; then
  batch_only=1
  shift
fi
count=${1:?usage: bench/batch_documents.sh [--batch-only] N}
export FOLIMAR_BIN=$build FOLIMAR_SOURCE=$top WINEPREFIX=$build/bench-batch-prefix
"$top/tests/e2e/fresh-prefix.sh" "$WINEPREFIX" >/dev/null
. "$top/tests/e2e/batch_lib.sh"

now() { date +%s.%N; }
seconds() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", b - a }'; }

# The documents: two pages of text each, and the sample job for every tenth.
bench=$work/bench
mkdir -p "$bench/docs" "$bench/jobs"
files=()
for i in $(seq "$count"); do
  if ((i % 10 == 0)); then
    cp "$FOLIMAR_SOURCE/examples/sample.ps" "$bench/docs/doc$i.ps"
    files+=("$(winpath "$bench/docs/doc$i.ps")")
  else
    seq -f "Line %g of document $i" 90 >"$bench/docs/doc$i.txt"
    files+=("$(winpath "$bench/docs/doc$i.txt")")
  fi
done
mkdir -p "$data"
printf '[Folimar]\r\nOutputFolder=%s\\\r\nOverWrite=1\r\n' "$outw" >"$data/folimar.ini"

# --- The batch through the window.
visible() { "$driver" children "$window" | grep -q "^id=$1 .* visible=1"; }
idle() { visible 102 && ! visible 104; }
start_batch_window
"$driver" drop "$window" 107 "${files[@]}" >/dev/null
listed() { [ "$("$driver" rows "$window" 107 | wc -l)" -eq "$count" ] && idle; }
wait_until 120 listed || fail "the list did not take the $count documents"
start=$(now)
"$driver" click "$window" 102 >/dev/null
wait_until 3600 idle || fail "the batch did not end"
batch=$(seconds "$start" "$(now)")
echo "batch through the window: $batch s (load average $(cut -d' ' -f1-3 /proc/loadavg))"
made=$("$driver" rows "$window" 107 | awk -F'\t' '$6 == 5' | wc -l)
"$driver" close "$window" --wait-exit >/dev/null
[ "$made" -eq "$count" ] || fail "only $made of $count PDFs were made"
# A row's tick says a PDF was placed; its pages say it is the document's.
for i in $(seq "$count"); do
  if ((i % 10 == 0)); then pdf=$out/doc$i.ps.pdf pages=3; else pdf=$out/doc$i.txt.pdf pages=2; fi
  got=$(pdfinfo "$pdf" 2>/dev/null | sed -n 's/^Pages: *//p')
  [ "$got" = "$pages" ] || fail "$pdf: '$got' pages, expected $pages"
done
echo "PDFs checked: $count, each with its pages"
((batch_only)) && exit 0

# --- The same jobs without the batch: printed while a batch's object is held and with a token of
# it (as the batch gives its print programs), the port captures each job and names it in a job-id
# file; then folimarc converts them one by one.
touch "$work/batch"
"$driver" hold-mutex FOLIMAR_BATCH_be7c_1 "$(winpath "$work/batch")" >"$work/held" &
export FOLIMAR_JOB_TOKEN=FOLIMAR_BATCH_be7c_1/0
wait_lines "$work/held" 1
rm -f "$spool"/*
printing=0
for i in $(seq "$count"); do
  ((i % 10 == 0)) && continue
  start=$(now)
  "$FOLIMAR_BIN/tools/print_text.exe" "$(winpath "$bench/docs/doc$i.txt")" "Quorvel Virtual Printer" >/dev/null ||
    fail "print_text doc$i.txt"
  printing=$(awk -v p="$printing" -v s="$(seconds "$start" "$(now)")" 'BEGIN { print p + s }')
  # Each job is taken out of the spool folder before the next is printed.
  for id in $(find "$spool" -maxdepth 1 -type f -regex '.*/[0-9]+' -printf '%f\n'); do
    job=$(unixpath "$(head -n1 "$spool/$id")")
    mv "$job" "$bench/jobs/doc$i.ps"
    rm -f "$spool/$id"
  done
done
rm -f "$work/batch"
unset FOLIMAR_JOB_TOKEN
cp "$bench"/docs/*.ps "$bench/jobs/" 2>/dev/null || true
jobs=$(find "$bench/jobs" -name '*.ps' | wc -l)
[ "$jobs" -eq "$count" ] || fail "$jobs jobs captured for $count documents"
start=$(now)
for job in "$bench"/jobs/*.ps; do
  "$FOLIMAR_BIN/folimarc.exe" "$job" "${job%.ps}.pdf" 2>/dev/null >/dev/null || fail "folimarc $job"
done
direct=$(seconds "$start" "$(now)")

echo "documents: $count ($((count / 10)) PostScript)"
echo "printing the text documents to the port: $printing s"
echo "folimarc on the same $jobs jobs, one after the other: $direct s"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
