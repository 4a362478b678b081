#!/usr/bin/env bash
# The console converter from outside: document information in the PDF, the input left as it
# was, one-line errors with exit code 1, and the names of files.
set -euo pipefail
: "${FOLIMAR_SOURCE:?}"
. "$(dirname "$0")/checks.sh"

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
# The job writes its own page markers and Ghostscript writes one more for each page: one line each.
check "progress shows each page once" "$(tr '\r' '\n' <"$work/err" | sed 's/ *$//' | grep -v '^$' | uniq -d)" ""
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
  # A Type 1 font's encrypted part ends with 512 zeros in lines before cleartomark.
  printf '\n'; for _ in 1 2 3 4 5 6 7 8; do printf '%064d\n' 0; done
  printf 'cleartomark\n%%%%EndResource\n'
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
# Announces 3 pages and ends inside the second, with no trailer: cut off on its way.
printf '%%!PS-Adobe-3.0\n%%%%Pages: 3\n%%%%EndComments\n%%%%Page: 1 1\nshowpage\n%%%%Page: 2 2\nnewpath\n' >"$work/cut.ps"
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
missing folder|$work/cafe.ps|$work/no/such/folder/x.pdf|folimarc: cannot write $work/no/such/folder/x.pdf: the folder $work/no/such/folder/ does not exist
folder as the output|$work/cafe.ps|$work/pdfs|folimarc: cannot write $work/pdfs: it is a folder
path too long|$work/cafe.ps|$long|characters long; at most 259 are possible
output is the job|$work/same.ps|$work/same.ps|folimarc: cannot write $work/same.ps: it is the job itself
output is the job in other case|$work/same.ps|$work/SAME.PS|folimarc: cannot write $work/SAME.PS: it is the job itself
ghostscript error|$work/broken.ps|$work/pdfs/keep.pdf|folimarc: could not convert $work/broken.ps: PostScript error: undefined: undefined_operator_xyz
garbage job|$work/garbage.ps|$work/pdfs/keep.pdf|folimarc: could not convert $work/garbage.ps: PostScript error: 
usage|$work/cafe.ps||usage: folimarc JOB.ps OUT.pdf
CASES
check "broken job input unchanged" "$(cat "$work/broken.ps" | wc -l)" 2
check "same job unchanged" "$(cat "$work/same.ps" | wc -l)" 3

# A whole document whose header announces more pages than it has is made as it is.
printf '%%!PS-Adobe-3.0\n%%%%Pages: 5\n%%%%EndComments\n%%%%Page: 1 1\nshowpage\n%%%%Page: 2 2\nshowpage\n%%%%EOF\n' \
  >"$work/short.ps"
"$folimarc" "$work/short.ps" "$work/short.pdf" >/dev/null 2>&1 && rc=0 || rc=$?
check "header announces more pages: exit code" "$rc" 0
# A job cut off on its way (no trailer after a page it did not finish) fails and keeps the older PDF.
"$folimarc" "$work/cut.ps" "$work/pdfs/keep.pdf" >/dev/null 2>"$work/err" && rc=0 || rc=$?
check "cut off job: exit code" "$rc" 1
check "cut off job: message" "$(tr '\r' '\n' <"$work/err" | tail -n1)" \
  "folimarc: could not convert $work/cut.ps: pages are missing: 1 of 3 pages made"
check "cut off job: older PDF unchanged" "$(cat "$work/pdfs/keep.pdf")" "older PDF"
check "header announces more pages: the pages it has" "$(pdfinfo "$work/short.pdf" 2>/dev/null | sed -n 's/^Pages: *//p')" 2
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
  check "full disk: message" "$(tail -n1 "$work/err")" "folimarc: could not convert $work/noise.ps: disk full"
  check "full disk: older PDF unchanged" "$(cat "$full/keep.pdf")" "older PDF"
  check "full disk: no temporary PDF left" "$(temp_pdfs "$full")" 0
  # A long text job: here Ghostscript itself fails the write (an ioerror), and the cause is still the disk.
  "$FOLIMAR_SOURCE/tests/text_job.sh" "$work/text400.ps" 400
  "$folimarc" "$work/text400.ps" "$full/keep.pdf" >/dev/null 2>"$work/err" && rc=0 || rc=$?
  check "full disk, long text: exit code" "$rc" 1
  check "full disk, long text: message" "$(tr '\r' '\n' <"$work/err" | tail -n1)" \
    "folimarc: could not convert $work/text400.ps: disk full"
  check "full disk, long text: older PDF unchanged" "$(cat "$full/keep.pdf")" "older PDF"
  check "full disk, long text: no temporary PDF left" "$(temp_pdfs "$full")" 0
  umount "$full"
else
  echo "skipped: full disk (mounting a small file system needs root)"
fi

# A job that never ends, with a font program so that a working copy is made as well.
{
  printf '%%!PS-Adobe-3.0\n%%%%Pages: 2\n%%%%EndComments\n'
  printf 'mark currentfile eexec\n%s\n' "$(head -c 2048 /dev/zero | tr '\0' 'B')"
  for _ in 1 2 3 4 5 6 7 8; do printf '%064d\n' 0; done
  printf 'cleartomark\n'
  printf '/Helvetica findfont 20 scalefont setfont\n'
  printf '(%%%%[Page: 1]%%%%) = flush 72 700 moveto (one) show showpage\n{ } loop\n'
} >"$work/loop.ps"
temp=$(winepath -u "$(wine cmd /c echo %TEMP% | tr -d '\r')" 2>/dev/null)
[ -d "$temp" ] || { echo "FAIL: no temporary folder of the prefix ('$temp')"; exit 1; }
work_folders() { find "$temp" -maxdepth 1 -name 'folimar-*' | sort; }

# start_loop OUT: folimarc on the endless job, once it has rendered its first page; sets pid.
start_loop() {
  # A fresh file: the last run's "page 1" must not be taken for this run's.
  rm -f "$work/err"
  "$folimarc" "$work/loop.ps" "$1" >/dev/null 2>"$work/err" &
  pid=$!
  for _ in $(seq 300); do
    grep -qs "page 1" "$work/err" && return 0
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

# A conversion in another Wine prefix (on Windows: another computer) writing to the same folder:
# its process id names nothing here, but it holds its temporary PDF, so a run here leaves it.
other=$work/other-prefix
"$FOLIMAR_SOURCE/scripts/wine-prefix.sh" "$other" >/dev/null 2>&1 || { echo "FAIL: no second prefix"; exit 1; }
WINEPREFIX=$other start_loop "$work/pdfs/elsewhere.pdf"
check "another prefix: its temporary PDF" "$(temp_pdfs "$work/pdfs")" 1
"$folimarc" "$work/cafe.ps" "$work/pdfs/here.pdf" >/dev/null 2>&1 && rc=0 || rc=$?
check "another prefix: a run here" "$rc" 0
check "another prefix: its temporary PDF stays" "$(temp_pdfs "$work/pdfs")" 1
kill -INT "$pid"
wait "$pid" 2>/dev/null || true
check "another prefix: stopped there, its temporary PDF goes" "$(temp_pdfs "$work/pdfs")" 0
WINEPREFIX=$other wineserver -k 2>/dev/null || true

# ---- Names of files: begin -------------------------------------------------------------------
# Windows device names are refused; paths outside the locale's code page name exactly the file
# given (no look-alike); titles written in the printing system's legacy code page or in UTF-8
# both reach the PDF. Everything in a folder of its own.
names=$work/names
job() { # job FILE TITLE-LINE
  printf '%%!PS-Adobe-3.0\n%%%%Title: %s\n%%%%Pages: 1\n%%%%EndComments\n' "$2" >"$1"
  printf '/Helvetica findfont 20 scalefont setfont 72 700 moveto (named) show showpage\n' >>"$1"
}
mkdir "$names"
job "$names/s.ps" 'Report'

# Device names, as the output or the job, in any spelling Windows reads as a device: exit 1, one
# line naming the path, nothing written.
cd "$names"
while IFS='|' read -r what input output named; do
  "$folimarc" "$input" "$output" >"$names/out" 2>"$names/err" && rc=0 || rc=$?
  check "$what: exit code" "$rc" 1
  check "$what: one line" "$(wc -l <"$names/err")" 1
  check "$what: message" "$(cat "$names/err")" \
    "folimarc: \"$named\" is the name of a Windows device, not of a file: choose another name"
done <<CASES
COM1|s.ps|COM1.pdf|COM1.pdf
AUX|s.ps|AUX.pdf|AUX.pdf
NUL|s.ps|NUL.pdf|NUL.pdf
con in lower case|s.ps|con.pdf|con.pdf
LPT1|s.ps|LPT1.pdf|LPT1.pdf
superscript one|s.ps|COM¹.pdf|COM¹.pdf
in a folder|s.ps|$names/nul.pdf|$names/nul.pdf
trailing space|s.ps|$names/NUL .pdf|$names/NUL .pdf
trailing dots|s.ps|NUL...pdf|NUL...pdf
Windows folder|s.ps|Z:\\tmp\\Aux.txt.pdf|Z:\\tmp\\Aux.txt.pdf
console input|CONIN\$|out.pdf|CONIN\$
job from a device|NUL|out.pdf|NUL
CASES
check "nothing written" "$(ls "$names" | grep -vc -e '^s\.ps$' -e '^out$' -e '^err$')" 0

# Names outside code page 1252: the very file named is read and written; "Omega.pdf", the
# look-alike, stays untouched.
cp "$names/s.ps" "$names/café.ps"
echo keep >"$names/Omega.pdf"
"$folimarc" "$names/café.ps" "$names/Ωmega日本.pdf" >"$names/out" 2>"$names/err" && rc=0 || rc=$?
check "unicode paths: exit code" "$rc" 0
check "unicode paths: the PDF under its own name" "$(pdfinfo "$names/Ωmega日本.pdf" 2>/dev/null | sed -n 's/^Pages: *//p')" 1
check "unicode paths: the look-alike untouched" "$(cat "$names/Omega.pdf")" keep
check "unicode paths: no other file" "$(ls "$names" | grep -c '\.pdf$')" 2
mkdir "$names/日本語"
"$folimarc" "$names/café.ps" "$names/日本語/報告.pdf" >/dev/null 2>"$names/err" && rc=0 || rc=$?
check "unicode folder: exit code" "$rc" 0
check "unicode folder: the PDF" "$(ls "$names/日本語")" "報告.pdf"

# Titles: a Windows driver's 1252 bytes and UTF-8 both come out right; NUL escapes are dropped.
cafe1252=$(printf 'Caf\351')
while IFS='|' read -r what title expected; do
  job "$names/t.ps" "$title"
  "$folimarc" "$names/t.ps" "$names/t.pdf" >/dev/null 2>&1 && rc=0 || rc=$?
  check "$what: exit code" "$rc" 0
  # Bytes, not the shell's text, which would hide a NUL.
  check "$what: title" "$(pdfinfo -enc UTF-8 "$names/t.pdf" | sed -n 's/^Title: *//p' | od -An -tx1)" \
    "$(printf '%s\n' "$expected" | od -An -tx1)"
  pdfinfo -meta "$names/t.pdf" >"$names/xmp"
  python3 -c 'import sys, xml.dom.minidom; xml.dom.minidom.parse(sys.argv[1])' "$names/xmp" 2>/dev/null && xmp=valid || xmp=invalid
  check "$what: XMP metadata" "$xmp" valid
done <<CASES
1252 octal|Caf\351|Café
1252 bytes|$cafe1252|Café
UTF-8|Ωmega日本|Ωmega日本
NUL escapes|Re\000port\0|Report
CASES

cd - >/dev/null
# ---- Names of files: end ---------------------------------------------------------------------

echo "$failures failures"
[ "$failures" -eq 0 ]
