#!/usr/bin/env bash
# PostScript documents in the batch window that a conversion cannot finish: one that never ends is
# ended by Stop and by closing the window, and with a killed program; a cut one fails. Each time
# the user's older PDF stays, no temporary PDF and no converter process is left, and the user's
# printer comes back.
. "$(dirname "$0")/batch_lib.sh"

mkdir -p "$data"
printf '[Folimar]\r\nOutputFolder=%s\\\r\nOverWrite=1\r\n' "$outw" >"$data/folimar.ini"

# A job that never ends and never writes a page, and one cut off during page 4 of the 5 its
# header announces.
printf '%%!PS-Adobe-3.0\n%%%%Title: Endless\n%%%%EndComments\n{ } loop\n' >"$docs/endless.ps"
{
  printf '%%!PS-Adobe-3.0\n%%%%Title: Cut\n%%%%Pages: 5\n%%%%EndComments\n/Helvetica findfont 20 scalefont setfont\n'
  for p in 1 2 3; do printf '%%%%Page: %s %s\n72 700 moveto (page %s) show showpage\n' $p $p $p; done
  printf '%%%%Page: 4 4\n72 700 moveto (page 4) show\n'
} >"$docs/cut.ps"
older='%PDF-1.4 the older file'

rows() { "$driver" rows "$window" 107 | awk -F'\t' '{print $6}' | tr '\n' ' '; }
visible() { "$driver" children "$window" | grep -q "^id=$1 .* visible=1"; }
idle() { visible 102 && ! visible 104; }
temp_pdfs() { find "$out" -maxdepth 1 -name '~folimar-*.pdf.tmp' | wc -l; }
rendering() { [ "$(temp_pdfs)" -gt 0 ]; }
converters() { prefix_pids 'folimarc\.exe' | wc -l; }
no_converter() { [ "$(converters)" -eq 0 ]; }
close_window() { "$driver" close "$window" --wait-exit >/dev/null 2>&1 || fail "closing the window"; }
left_alone() {
  expect "$1: the older PDF" "$(cat "$out/endless.ps.pdf")" "$older"
  wait_until 30 no_converter || fail "$1: a converter process still runs"
  echo "ok: $1: no converter process"
}

# start_endless LABEL: a batch over endless.ps, up to the point where its render writes.
start_endless() {
  printf '%s' "$older" >"$out/endless.ps.pdf"
  "$driver" drop "$window" 107 "$(w endless.ps)" >/dev/null
  "$driver" click "$window" 102 >/dev/null
  wait_until 120 rendering || fail "$1: the render never began"
}

# --- Stop: the batch ends at once, the row goes back to waiting.
start_batch_window
start_endless "stop"
stopped=$SECONDS
"$driver" click "$window" 104 >/dev/null
wait_until 60 idle || fail "stop: the batch did not end: $(rows)"
echo "ok: stop: the batch ended within $((SECONDS - stopped)) s of the click"
expect "stop: rows" "$(rows)" "1 "
expect "stop: temporary PDFs" "$(temp_pdfs)" "0"
left_alone "stop"
after "stop"

# --- A cut document fails and keeps the older PDF; the next one is made.
"$driver" keys "$window" home delete >/dev/null
printf '%s' "$older" >"$out/cut.ps.pdf"
"$driver" drop "$window" 107 "$(w cut.ps)" "$(w sample.ps)" >/dev/null
"$driver" click "$window" 102 >/dev/null
wait_until 120 idle || fail "cut: the batch did not end: $(rows)"
expect "cut: rows" "$(rows)" "14 5 "
expect "cut: the older PDF" "$(cat "$out/cut.ps.pdf")" "$older"
check_pdf "cut" sample.ps.pdf 3 "Quorvel Folimar sample"
after "cut"

# --- Closing the window: the program ends, and with it the render.
"$driver" keys "$window" home delete home delete >/dev/null
start_endless "close"
o=$("$driver" close "$window" --wait-exit --timeout 60)
expect "close: exit code" "$(field exit "$o")" "0"
expect "close: temporary PDFs" "$(temp_pdfs)" "0"
left_alone "close"
after "close"

# --- A killed program takes its converter with it; the next batch clears the temporary PDF it left.
start_batch_window
start_endless "kill"
kill -9 $(prefix_pids 'folimar\.exe') 2>/dev/null || fail "kill: no folimar.exe to kill"
left_alone "kill"
expect "kill: the temporary PDF left behind" "$(temp_pdfs)" "1"
start_batch_window
"$driver" drop "$window" 107 "$(w sample.ps)" >/dev/null
"$driver" click "$window" 102 >/dev/null
wait_until 120 idle || fail "after a kill: the batch did not end: $(rows)"
expect "after a kill: rows" "$(rows)" "5 "
expect "after a kill: temporary PDFs" "$(temp_pdfs)" "0"
after "after a kill"
close_window
