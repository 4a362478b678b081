#!/usr/bin/env bash
# A batch's PostScript documents on disks of their own size (small file systems; mounting them
# needs root): a PDF that does not fit fails its row "disk full" and keeps the older PDF; a PDF
# that fits is made, however little room the disk has beside it.
. "$(dirname "$0")/batch_lib.sh"

host=$FOLIMAR_BIN/tests/batch_host.exe
mounted=()
trap 'for m in "${mounted[@]}"; do umount "$m" 2>/dev/null || true; done; cleanup' EXIT
# disk FOLDER SIZE: a file system of SIZE at FOLDER.
disk() {
  mkdir -p "$1"
  mount -t tmpfs -o "size=$2" tmpfs "$1" || return 1
  mounted+=("$1")
}
if ! disk "$work/small" 2m; then
  echo "skipped: mounting a small file system needs root"
  exit 0
fi
# run [--no-disk-guard] OUTFOLDER DOCUMENT...: the host's status lines with the failed rows'
# reasons, space-separated.
run() {
  local o guard=()
  if [ "$1" = --no-disk-guard ]; then
    guard=("$1")
    shift
  fi
  o=$("$host" --reasons "${guard[@]}" "$(winpath "$1")" "${@:2}") || fail "batch_host failed: $o"
  tr '\n' ' ' <<<"$o"
}
temp_pdfs() { find "$1" -maxdepth 1 -name '~folimar-*' | wc -l; }

# A long text document on a 2 MB disk: the row names the disk, whether the guard ends the render or
# Ghostscript's own write fails first (without the guard).
"$FOLIMAR_SOURCE/tests/text_job.sh" "$docs/text400.ps" 400
echo "older PDF" >"$work/small/text400.ps.pdf"
for guard in "" --no-disk-guard; do
  what="full disk${guard:+ ($guard)}"
  expect "$what" "$(run $guard "$work/small" "$(w text400.ps)")" "started 0 failed 0: disk full finished "
  expect "$what: older PDF" "$(cat "$work/small/text400.ps.pdf")" "older PDF"
  expect "$what: temporary PDFs" "$(temp_pdfs "$work/small")" 0
  after "$what"
done

# A 2 MB PDF on an empty 60 MB disk: it fits, and is made.
disk "$work/roomy" 60m || fail "mounting the second disk"
"$FOLIMAR_SOURCE/tests/noise_job.sh" "$docs/noise.ps"
expect "room enough" "$(run "$work/roomy" "$(w noise.ps)")" "started 0 done 0 finished "
expect "room enough: pages" "$(pdf_field "$work/roomy/noise.ps.pdf" Pages)" 1
expect "room enough: temporary PDFs" "$(temp_pdfs "$work/roomy")" 0
after "room enough"
