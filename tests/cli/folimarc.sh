#!/usr/bin/env bash
# The console converter from outside: document information in the PDF, the input left as it
# was, and one-line errors with exit code 1.
set -euo pipefail
: "${FOLIMAR_BIN:?}" "${FOLIMAR_SOURCE:?}" "${WINEPREFIX:?}"
folimarc=$FOLIMAR_BIN/folimarc.exe
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() { # check WHAT ACTUAL EXPECTED
  if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAIL: $1: got '$2', expected '$3'"; failures=$((failures + 1)); fi
}

# A job as a driver writes it: octal-escaped title, user, creation date, page markers.
cat >"$work/cafe.ps" <<'PS'
%!PS-Adobe-3.0
%%Title: Caf\351 Q1/Q2
%%For: user01
%%CreationDate: 1/5/2010 9:07:03
%%Pages: 2
%%EndComments
/Helvetica findfont 20 scalefont setfont
(%%[Page: 1]%%) = flush
72 700 moveto (first page) show showpage
(%%[Page: 2]%%) = flush
72 700 moveto (second page) show showpage
(%%[LastPage]%%) = flush
PS
before=$(md5sum <"$work/cafe.ps")
"$folimarc" "$work/cafe.ps" "$work/cafe.pdf" >"$work/out" 2>"$work/err" && rc=0 || rc=$?
check "exit code" "$rc" 0
# Progress shows the latest page only (pages between two looks are skipped), up to the last one.
check "progress ends at the last page" "$(tr '\r' '\n' <"$work/err" | sed 's/ *$//' | grep -v '^$' | tail -n1)" \
  "last page reached (2 pages)"
info=$(pdfinfo -enc UTF-8 -rawdates "$work/cafe.pdf")
check "title" "$(sed -n 's/^Title: *//p' <<<"$info")" "Café Q1/Q2"
check "author" "$(sed -n 's/^Author: *//p' <<<"$info")" "user01"
check "creator" "$(sed -n 's/^Creator: *//p' <<<"$info")" "Quorvel Folimar"
# The offset from UTC that follows depends on the machine's zone.
check "creation date" "$(sed -n 's/^CreationDate: *//p' <<<"$info" | cut -c1-16)" "D:20100105090703"
check "pages" "$(sed -n 's/^Pages: *//p' <<<"$info")" 2
check "text" "$(pdftotext "$work/cafe.pdf" - | head -n1)" "first page"
check "input unchanged" "$(md5sum <"$work/cafe.ps")" "$before"

# A job with an embedded font program: the working copy loses it, the input keeps it.
{
  printf '%%!PS-Adobe-3.0\n%%%%Pages: 1\n%%%%EndComments\n'
  printf '%%%%BeginResource: font Junk\n/Junk 10 dict begin\nmark currentfile eexec\n'
  head -c 4096 /dev/zero | tr '\0' 'A'
  printf '\ncleartomark\n%%%%EndResource\n'
  printf '/Helvetica findfont 20 scalefont setfont 72 700 moveto (kept) show showpage\n'
} >"$work/font.ps"
before=$(md5sum <"$work/font.ps")
"$folimarc" "$work/font.ps" "$work/font.pdf" >/dev/null 2>&1 && rc=0 || rc=$?
check "font job converts" "$rc" 0
check "font job input unchanged" "$(md5sum <"$work/font.ps")" "$before"
check "font job text" "$(pdftotext "$work/font.pdf" - | head -n1)" "kept"

# A job that ends with quit is complete.
sed 's/^(%%\[LastPage\]%%) = flush$/quit/' "$work/cafe.ps" >"$work/quit.ps"
"$folimarc" "$work/quit.ps" "$work/quit.pdf" >/dev/null 2>&1 && rc=0 || rc=$?
check "quit job converts" "$rc" 0
check "quit job pages" "$(pdfinfo "$work/quit.pdf" | sed -n 's/^Pages: *//p')" 2
check "quit job title" "$(pdfinfo -enc UTF-8 "$work/quit.pdf" | sed -n 's/^Title: *//p')" "Café Q1/Q2"

# temp_pdfs DIR: how many temporary PDFs are left there.
temp_pdfs() { find "$1" -maxdepth 1 -name '~folimar-*' | wc -l; }

# Errors: exit code 1, one clear line, and an older PDF at the output stays byte for byte.
printf '%%!PS-Adobe-3.0\nundefined_operator_xyz\n' >"$work/broken.ps"
printf '%%!PS-Adobe-3.0\n%%%%Title: Same\nshowpage\n' >"$work/same.ps"
: >"$work/empty.ps"
{ printf '\211PNG\r\n\032\n'; seq 1 3000; } >"$work/garbage.ps"
mkdir -p "$work/folder.ps" "$work/pdfs"
echo "older PDF" >"$work/pdfs/keep.pdf"
long=$work/pdfs/$(printf 'a%.0s' $(seq 250)).pdf
while IFS='|' read -r what job out message; do
  "$folimarc" $job $out >/dev/null 2>"$work/err" && rc=0 || rc=$?
  check "$what: exit code" "$rc" 1
  check "$what: one line" "$(wc -l <"$work/err")" 1
  grep -qF "$message" "$work/err" || { echo "FAIL: $what: message '$(cat "$work/err")'"; failures=$((failures + 1)); }
  check "$what: older PDF unchanged" "$(cat "$work/pdfs/keep.pdf")" "older PDF"
  check "$what: no temporary PDF left" "$(temp_pdfs "$work/pdfs")" 0
done <<CASES
missing input|$work/none.ps|$work/pdfs/none.pdf|folimarc: cannot read the job $work/none.ps: File not found.
folder as the job|$work/folder.ps|$work/pdfs/x.pdf|folimarc: cannot read the job $work/folder.ps: it is a folder
empty job|$work/empty.ps|$work/pdfs/keep.pdf|folimarc: the job $work/empty.ps is empty: there is nothing to convert
missing folder|$work/cafe.ps|$work/no/such/folder/x.pdf|folimarc: cannot write $work/no/such/folder/x.pdf: the folder
folder as the output|$work/cafe.ps|$work/pdfs|folimarc: cannot write $work/pdfs: it is a folder
path too long|$work/cafe.ps|$long|characters long; at most 259 are possible
output is the job|$work/same.ps|$work/same.ps|folimarc: cannot write $work/same.ps: it is the job itself
output is the job in other case|$work/same.ps|$work/SAME.PS|folimarc: cannot write $work/SAME.PS: it is the job itself
ghostscript error|$work/broken.ps|$work/pdfs/keep.pdf|folimarc: Ghostscript could not convert
garbage job|$work/garbage.ps|$work/pdfs/keep.pdf|folimarc: Ghostscript could not convert
usage|$work/cafe.ps||usage: folimarc JOB.ps OUT.pdf
CASES
check "broken job input unchanged" "$(cat "$work/broken.ps" | wc -l)" 2
check "same job unchanged" "$(cat "$work/same.ps" | wc -l)" 3
check "empty job stays empty" "$(stat -c %s "$work/empty.ps")" 0
check "no PDF for the empty job" "$(ls "$work/pdfs")" "keep.pdf"

# A full disk: Ghostscript does not always report the failed write; the PDF is not whole, so the
# run fails and the older PDF stays. A small file system of its own needs root.
full=$work/full
mkdir -p "$full"
if mount -t tmpfs -o size=1m tmpfs "$full" 2>/dev/null; then
  trap 'umount "$full" 2>/dev/null || true; rm -rf "$work"' EXIT
  "$FOLIMAR_SOURCE/tests/noise_job.sh" "$work/noise.ps"
  echo "older PDF" >"$full/keep.pdf"
  "$folimarc" "$work/noise.ps" "$full/keep.pdf" >/dev/null 2>"$work/err" && rc=0 || rc=$?
  check "full disk: exit code" "$rc" 1
  check "full disk: message" "$(tail -n1 "$work/err")" \
    "folimarc: the PDF could not be written completely (is the disk full?); $full/keep.pdf was not changed"
  check "full disk: older PDF unchanged" "$(cat "$full/keep.pdf")" "older PDF"
  check "full disk: no temporary PDF left" "$(temp_pdfs "$full")" 0
  umount "$full"
else
  echo "skipped: full disk (mounting a small file system needs root)"
fi

# A job that never ends, with a font program so that a working copy is made as well.
{
  printf '%%!PS-Adobe-3.0\n%%%%Pages: 2\n%%%%EndComments\n'
  printf 'mark currentfile eexec\n%s\ncleartomark\n' "$(head -c 2048 /dev/zero | tr '\0' 'B')"
  printf '/Helvetica findfont 20 scalefont setfont\n'
  printf '(%%%%[Page: 1]%%%%) = flush 72 700 moveto (one) show showpage\n{ } loop\n'
} >"$work/loop.ps"
temp=$(winepath -u "$(wine cmd /c echo %TEMP% | tr -d '\r')" 2>/dev/null)
[ -d "$temp" ] || { echo "FAIL: no temporary folder of the prefix ('$temp')"; exit 1; }
work_folders() { find "$temp" -maxdepth 1 -name 'folimar-*' | sort; }

# start_loop OUT: folimarc on the endless job, once it has rendered its first page; sets pid.
start_loop() {
  "$folimarc" "$work/loop.ps" "$1" >/dev/null 2>"$work/err" &
  pid=$!
  for _ in $(seq 300); do
    grep -q "page 1" "$work/err" && return 0
    sleep 0.1
  done
  echo "FAIL: the endless job did not start"
  failures=$((failures + 1))
}

# Ctrl-C (SIGINT reaches the console handler under Wine): the partial PDF and the working copy go.
before=$(work_folders)
start_loop "$work/pdfs/keep.pdf"
check "stopped: temporary PDF while running" "$(temp_pdfs "$work/pdfs")" 1
check "stopped: a working copy while running" "$(comm -13 <(echo "$before") <(work_folders) | wc -l)" 1
kill -INT "$pid"
wait "$pid" && rc=0 || rc=$?
check "stopped: exit code" "$rc" 1
check "stopped: message" "$(tr '\r' '\n' <"$work/err" | tail -n1)" "folimarc: stopped; no PDF was written"
check "stopped: older PDF unchanged" "$(cat "$work/pdfs/keep.pdf")" "older PDF"
check "stopped: no temporary PDF left" "$(temp_pdfs "$work/pdfs")" 0
check "stopped: no working copy left" "$(work_folders)" "$before"

# Killed outright, a run leaves its files; the next run into that folder removes them.
start_loop "$work/pdfs/killed.pdf"
kill -KILL "$pid"
wait "$pid" 2>/dev/null || true
check "killed: temporary PDF left behind" "$(temp_pdfs "$work/pdfs")" 1
check "killed: working copy left behind" "$(comm -13 <(echo "$before") <(work_folders) | wc -l)" 1
"$folimarc" "$work/cafe.ps" "$work/pdfs/next.pdf" >/dev/null 2>&1 && rc=0 || rc=$?
check "next run: exit code" "$rc" 0
check "next run: the dead run's temporary PDF is gone" "$(temp_pdfs "$work/pdfs")" 0
check "next run: the dead run's working copy is gone" "$(work_folders)" "$before"
check "next run: nothing at the killed run's output" "$(ls "$work/pdfs" | grep -c killed || true)" 0

echo "$failures failures"
[ "$failures" -eq 0 ]
