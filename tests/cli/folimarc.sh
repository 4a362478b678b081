#!/usr/bin/env bash
# The console converter from outside: document information in the PDF, the input left as it
# was, and one-line errors with exit code 1.
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

echo "$failures failures"
[ "$failures" -eq 0 ]
