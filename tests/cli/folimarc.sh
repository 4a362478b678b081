#!/usr/bin/env bash
# The console converter from outside: document information in the PDF, the input left as it
# was, one-line errors with exit code 1, and the names of files.
set -euo pipefail
: "${FOLIMAR_BIN:?}" "${WINEPREFIX:?}"
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
check "progress shows the page count" "$(tr '\r' '\n' <"$work/err" | grep -c 'of 2')" 2
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

# Errors: exit code 1 and one clear line.
printf '%%!PS-Adobe-3.0\nundefined_operator_xyz\n' >"$work/broken.ps"
while IFS='|' read -r what job out message; do
  "$folimarc" $job $out >/dev/null 2>"$work/err" && rc=0 || rc=$?
  check "$what: exit code" "$rc" 1
  check "$what: one line" "$(wc -l <"$work/err")" 1
  grep -q "$message" "$work/err" || { echo "FAIL: $what: message '$(cat "$work/err")'"; failures=$((failures + 1)); }
done <<CASES
missing input|$work/none.ps|$work/none.pdf|folimarc: cannot read the job
unwritable output|$work/cafe.ps|$work/no/such/folder/x.pdf|folimarc: cannot write
ghostscript error|$work/broken.ps|$work/broken.pdf|folimarc: Ghostscript could not convert
usage|$work/cafe.ps||usage: folimarc JOB.ps OUT.pdf
CASES
check "broken job input unchanged" "$(cat "$work/broken.ps" | wc -l)" 2

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
