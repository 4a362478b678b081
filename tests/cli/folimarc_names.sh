#!/usr/bin/env bash
# The console converter and the names of files: Windows device names are refused, paths outside
# the locale's code page name exactly the file given (no look-alike), and titles written in the
# printing system's legacy code page or in UTF-8 both reach the PDF.
set -euo pipefail
: "${FOLIMAR_BIN:?}" "${WINEPREFIX:?}"
folimarc=$FOLIMAR_BIN/folimarc.exe
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() { # check WHAT ACTUAL EXPECTED
  if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAIL: $1: got '$2', expected '$3'"; failures=$((failures + 1)); fi
}

job() { # job FILE TITLE-LINE
  printf '%%!PS-Adobe-3.0\n%%%%Title: %s\n%%%%Pages: 1\n%%%%EndComments\n' "$2" >"$1"
  printf '/Helvetica findfont 20 scalefont setfont 72 700 moveto (named) show showpage\n' >>"$1"
}
job "$work/s.ps" 'Report'

# Device names, as the output or the job, in any spelling Windows reads as a device: exit 1, one
# line naming the path, nothing written.
cd "$work"
while IFS='|' read -r what input output named; do
  "$folimarc" "$input" "$output" >"$work/out" 2>"$work/err" && rc=0 || rc=$?
  check "$what: exit code" "$rc" 1
  check "$what: one line" "$(wc -l <"$work/err")" 1
  check "$what: message" "$(cat "$work/err")" \
    "folimarc: \"$named\" is the name of a Windows device, not of a file: choose another name"
done <<CASES
COM1|s.ps|COM1.pdf|COM1.pdf
AUX|s.ps|AUX.pdf|AUX.pdf
NUL|s.ps|NUL.pdf|NUL.pdf
con in lower case|s.ps|con.pdf|con.pdf
LPT1|s.ps|LPT1.pdf|LPT1.pdf
superscript one|s.ps|COM¹.pdf|COM¹.pdf
in a folder|s.ps|$work/nul.pdf|$work/nul.pdf
trailing space|s.ps|$work/NUL .pdf|$work/NUL .pdf
trailing dots|s.ps|NUL...pdf|NUL...pdf
Windows folder|s.ps|Z:\\tmp\\Aux.txt.pdf|Z:\\tmp\\Aux.txt.pdf
console input|CONIN\$|out.pdf|CONIN\$
job from a device|NUL|out.pdf|NUL
CASES
check "nothing written" "$(ls "$work" | grep -vc -e '^s\.ps$' -e '^out$' -e '^err$')" 0

# Names outside code page 1252: the very file named is read and written; "Omega.pdf", the
# look-alike, stays untouched.
cp "$work/s.ps" "$work/café.ps"
echo keep >"$work/Omega.pdf"
"$folimarc" "$work/café.ps" "$work/Ωmega日本.pdf" >"$work/out" 2>"$work/err" && rc=0 || rc=$?
check "unicode paths: exit code" "$rc" 0
check "unicode paths: the PDF under its own name" "$(pdfinfo "$work/Ωmega日本.pdf" 2>/dev/null | sed -n 's/^Pages: *//p')" 1
check "unicode paths: the look-alike untouched" "$(cat "$work/Omega.pdf")" keep
check "unicode paths: no other file" "$(ls "$work" | grep -c '\.pdf$')" 2
mkdir "$work/日本語"
"$folimarc" "$work/café.ps" "$work/日本語/報告.pdf" >/dev/null 2>"$work/err" && rc=0 || rc=$?
check "unicode folder: exit code" "$rc" 0
check "unicode folder: the PDF" "$(ls "$work/日本語")" "報告.pdf"

# Titles: a Windows driver's 1252 bytes and UTF-8 both come out right; NUL escapes are dropped.
cafe1252=$(printf 'Caf\351')
while IFS='|' read -r what title expected; do
  job "$work/t.ps" "$title"
  "$folimarc" "$work/t.ps" "$work/t.pdf" >/dev/null 2>&1 && rc=0 || rc=$?
  check "$what: exit code" "$rc" 0
  # Bytes, not the shell's text, which would hide a NUL.
  check "$what: title" "$(pdfinfo -enc UTF-8 "$work/t.pdf" | sed -n 's/^Title: *//p' | od -An -tx1)" \
    "$(printf '%s\n' "$expected" | od -An -tx1)"
  pdfinfo -meta "$work/t.pdf" >"$work/xmp"
  python3 -c 'import sys, xml.dom.minidom; xml.dom.minidom.parse(sys.argv[1])' "$work/xmp" 2>/dev/null && xmp=valid || xmp=invalid
  check "$what: XMP metadata" "$xmp" valid
done <<CASES
1252 octal|Caf\351|Café
1252 bytes|$cafe1252|Café
UTF-8|Ωmega日本|Ωmega日本
NUL escapes|Re\000port\0|Report
CASES

echo "$failures failures"
[ "$failures" -eq 0 ]
