#!/usr/bin/env bash
# Every job bare Ghostscript converts, the console converter converts to the same pages and text:
# jobs made from one template in each line-end style (LF, CR LF, CR, mixed) and each shape a
# Windows driver writes (embedded Type 1 fonts, the job's own page markers, the page count at the
# end, a closing quit, and all of them at once).
set -euo pipefail
. "$(dirname "$0")/checks.sh"

# make_job EOL SHAPE...: the job on standard output. EOL is lf, crlf, cr or mixed (LF, CR LF and
# CR in turn); SHAPE words: fonts, markers, atend, quit.
make_job() {
  python3 - "$@" <<'PY'
import sys

eol, shapes = sys.argv[1], set(sys.argv[2:])

def eexec_hex(plain):
    # Type 1 font encryption (key 55665), four leading bytes, in hex lines as drivers write it.
    r, out = 55665, bytearray()
    for p in b"\0\0\0\0" + plain:
        c = p ^ (r >> 8)
        r = ((c + r) * 52845 + 22719) & 0xFFFF
        out.append(c)
    h = out.hex()
    return [h[i:i + 64] for i in range(0, len(h), 64)]

lines = ["%!PS-Adobe-3.0", "%%Title: Line ends report", "%%Creator: PScript5.dll Version 5.2.2",
         "%%CreationDate: 1/5/2010 9:07:03", "%%For: user01",
         "%%Pages: " + ("(atend)" if "atend" in shapes else "3"), "%%DocumentData: Clean7Bit",
         "%%LanguageLevel: 2", "%%EndComments", "%%BeginProlog", "/bd {bind def} bind def", "%%EndProlog",
         "%%BeginSetup"]
if "fonts" in shapes:
    for name in ("JunkOne", "JunkTwo"):
        # The encrypted part runs to "mark currentfile closefile"; the zeros and cleartomark end it.
        lines += ["%%BeginResource: font " + name, "%!FontType1-1.0: " + name, "mark currentfile eexec"]
        lines += eexec_hex(b"dup /Private 8 dict dup begin end pop mark currentfile closefile\n")
        lines += ["0" * 64] * 8 + ["cleartomark", "%%EndResource"]
lines += ["%%EndSetup"]
for n in (1, 2, 3):
    lines += ["%%Page: {0} {0}".format(n)]
    if "markers" in shapes:
        lines += ["(%%[Page: {}]%%) = flush".format(n)]
    lines += ["/Helvetica findfont 20 scalefont setfont", "72 700 moveto (page {} of the job) show".format(n),
              "showpage"]
lines += ["%%Trailer"]
if "atend" in shapes:
    lines += ["%%Pages: 3"]
if "markers" in shapes:
    lines += ["(%%[LastPage]%%) = flush"]
if "quit" in shapes:
    lines += ["quit"]
lines += ["%%EOF"]
ends = {"lf": ["\n"], "crlf": ["\r\n"], "cr": ["\r"], "mixed": ["\n", "\r\n", "\r"]}[eol]
sys.stdout.buffer.write("".join(l + ends[i % len(ends)] for i, l in enumerate(lines)).encode())
PY
}

pages() { pdfinfo "$1" 2>/dev/null | sed -n 's/^Pages: *//p'; }
text() { pdftotext "$1" - 2>/dev/null | tr -s '\n\f' '\n'; }

for eol in lf crlf cr mixed; do
  for shape in plain fonts markers atend quit "fonts markers atend"; do
    name=$eol-${shape// /-}
    # shellcheck disable=SC2086 # the shape words are separate arguments
    make_job "$eol" $shape >"$work/$name.ps"
    gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pdfwrite -sOutputFile="$work/$name.gs.pdf" "$work/$name.ps" \
      >/dev/null 2>&1 && rc=0 || rc=$?
    # The template itself must be a good job, or the comparison below proves nothing.
    check "$name: gs converts it" "$rc $(pages "$work/$name.gs.pdf") $(text "$work/$name.gs.pdf" | grep -c 'of the job')" \
      "0 3 3"
    "$folimarc" "$work/$name.ps" "$work/$name.pdf" >/dev/null 2>"$work/$name.err" && rc=0 || rc=$?
    check "$name: folimarc converts it" "$rc" 0
    [ "$rc" -eq 0 ] || sed 's/^/  /' "$work/$name.err"
    check "$name: pages" "$(pages "$work/$name.pdf")" "$(pages "$work/$name.gs.pdf")"
    check "$name: text" "$(text "$work/$name.pdf")" "$(text "$work/$name.gs.pdf")"
    # The header's lines end where the job's lines end, whatever their style.
    check "$name: title" "$(pdfinfo "$work/$name.pdf" 2>/dev/null | sed -n 's/^Title: *//p')" "Line ends report"
  done
done

[ "$failures" -eq 0 ] || {
  echo "$failures check(s) failed"
  exit 1
}
