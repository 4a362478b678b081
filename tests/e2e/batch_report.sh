#!/usr/bin/env bash
# What the batch window tells and which PDFs it writes: two documents of one name from two folders
# give two PDFs with their own texts in both modes; a second "New name" run leaves the first run's
# PDFs alone; the status line counts the batch and sums it up; a failed row names its reason in
# its Status column and its tooltip; Enter on a made row opens its PDF and never starts the batch
# again; a hand-written output folder without its backslash still takes the PDFs,
# and the program's spool folder is refused as output.
. "$(dirname "$0")/batch_lib.sh"

record=$work/record.txt
recorder="\"$(winpath "$FOLIMAR_BIN/tools/folimar_testdriver.exe.so")\" record \"$(winpath "$record")\""
# Where the shell opens a PDF: a recorder of the test's own.
reg 'HKCR\.pdf' /ve /d folimartest.pdf
reg 'HKCR\folimartest.pdf\shell\open\command' /ve /d "$recorder \"%1\""

mkdir -p "$docs/a" "$docs/b"
printf 'Minutes of group Alpha\r\n' >"$docs/a/minutes.txt"
printf 'Minutes of group Beta\r\n' >"$docs/b/minutes.txt"

# settings FOLDER OVERWRITE: as a user might write it by hand, the folder without its backslash.
settings() {
  mkdir -p "$data"
  printf '[Folimar]\r\nOutputFolder=%s\r\nOverWrite=%s\r\n' "$1" "$2" >"$data/folimar.ini"
}
# rows: "caption|PDF path|status image|Status text", one per line.
rows() { "$driver" rows "$window" 107 | awk -F'\t' '{print $2 "|" $4 "|" $6 "|" $8}'; }
statuses() { rows | awk -F'|' '{printf "%s ", $3}'; }
status_line() { "$driver" text "$window" 110; }
status_is() { [ "$(status_line)" = "$1" ]; }
visible() { "$driver" children "$window" | grep -q "^id=$1 .* visible=1"; }
idle() { visible 102 && ! visible 104; }
wait_idle() { wait_until 180 idle || fail "$1: the batch did not end: $(statuses)"; }
text_of() { pdftotext "$out/$1" - 2>/dev/null | tr -s ' \n' ' '; }
has_text() { grep -qF "$2" <<<"$(text_of "$1")" || fail "$1 does not hold \"$2\": $(text_of "$1")"; }
# The list's columns end inside its client area: the Status column is seen without scrolling.
columns_fit() {
  local c widths
  c=$("$driver" columns "$window" 107) || fail "$1: cannot read the columns"
  widths=$(field widths "$c")
  [ "$(grep -o , <<<"$widths" | wc -l)" -eq 3 ] || fail "$1: not four columns: $widths"
  [ $(( ${widths//,/+} )) -le "$(field client "$c")" ] ||
    fail "$1: the columns ($widths) pass the list's width $(field client "$c")"
  echo "ok: $1: columns $widths in $(field client "$c") pixels"
}
# The tooltip that shows while the mouse rests on row N (coming straight from row FROM, when given).
row_tip() {
  local o
  o=$("$driver" row-tip "$window" 107 "$@" --timeout 20 2>&1) || fail "row $1: $o"
  field text "$o"
}

# --- "Overwrite": namesakes, a failed row, the status line, tooltip, Enter and double click.
settings "$outw" 1
echo old >"$out/minutes.txt.pdf" # an older PDF, which "Overwrite" replaces
start_batch_window
"$driver" drop "$window" 107 "$(w a/minutes.txt)" "$(w b/minutes.txt)" "$(w broken.qfail)" \
  "$(w letter.txt)" >/dev/null
expect "planned" "$(rows | cut -d'|' -f2 | tr '\n' ' ')" \
  "$outw\\minutes.txt.pdf $outw\\minutes.txt1.pdf $outw\\broken.qfail.pdf $outw\\letter.txt.pdf "
"$driver" click "$window" 102 >/dev/null
# The status line counts while the batch runs.
: >"$work/progress"
counted() {
  status_line >>"$work/progress"
  # The dash comes in the driver's code page: any one to three bytes.
  LC_ALL=C grep -aqE '^Converting [1-4] of 4 .{1,3} (minutes|broken|letter)' "$work/progress"
}
wait_until 120 counted || fail "no progress on the status line: $(sort -u "$work/progress" | tr '\n' '/')"
echo "ok: the status line counts: $(grep -m1 Converting "$work/progress")"
screenshot batch-report-busy
wait_idle "overwrite"
expect "overwrite: rows" "$(statuses)" "5 5 14 5 "
expect "overwrite: status line" "$(status_line)" "3 PDFs made, 1 failed"
visible 111 || fail "no way to open the output folder after the batch"
has_text minutes.txt.pdf "group Alpha"
has_text minutes.txt1.pdf "group Beta"
check_pdf "overwrite" letter.txt.pdf 2 letter.txt
# Each row names what became of it: the PDF written, or why none was.
expect "overwrite: Status column" "$(rows | cut -d'|' -f4 | sed -n '1p;2p;4p' | tr '\n' '/')" \
  "PDF made/PDF made/PDF made/"
reason=$(rows | sed -n 3p | cut -d'|' -f4)
[ -n "$reason" ] && [ "$reason" != "PDF made" ] || fail "the failed row gives no reason: '$reason'"
columns_fit "default size"
# The mouse resting on a row brings up its tooltip: the failed row's names its reason, as its
# Status column does; a made row's names the PDF written, and no failure.
expect "failed row: tooltip" "$(row_tip 2)" "$reason"
screenshot batch-report-failed-tip
expect "made row: tooltip" "$(row_tip 0)" "PDF made: $outw\\minutes.txt.pdf"
screenshot batch-report-made-tip
# From row to row inside the list, the tip follows the mouse.
expect "failed row, from a made row: tooltip" "$(row_tip 2 0)" "$reason"
expect "made row, from the failed row: tooltip" "$(row_tip 3 2)" "PDF made: $outw\\letter.txt.pdf"
echo "ok: the rows' tooltips: $reason"
after "overwrite"

# Enter on the list opens the selected row's PDF; it never starts the batch again.
"$driver" keys "$window" home down enter >/dev/null
wait_lines "$record" 1
grep -qF "minutes.txt1.pdf" "$record" || fail "Enter opened: $(cat "$record")"
expect "Enter: no new batch" "$(status_line)|$(statuses)" "3 PDFs made, 1 failed|5 5 14 5 "
echo "ok: Enter opens the row's PDF"
close_window() {
  local o
  o=$("$driver" close "$window" --wait-exit 2>&1) || fail "closing the window: $o"
}
close_window

# --- "New name": namesakes, then the same list run twice; no PDF of an earlier run is replaced.
settings "$outw" 0
for f in minutes.txt.pdf minutes.txt1.pdf; do cp "$out/$f" "$work/first-$f"; done
start_batch_window
"$driver" drop "$window" 107 "$(w a/minutes.txt)" "$(w b/minutes.txt)" >/dev/null
expect "new name: planned" "$(rows | cut -d'|' -f2 | tr '\n' ' ')" \
  "$outw\\minutes.txt2.pdf $outw\\minutes.txt3.pdf "
for run in 1 2; do
  "$driver" click "$window" 102 >/dev/null
  wait_until 30 visible 104 || true
  wait_idle "new name run $run"
  expect "new name run $run: rows" "$(statuses)" "5 5 "
done
# The rows show the names the second run wrote.
expect "new name: written" "$(rows | cut -d'|' -f2 | tr '\n' ' ')" \
  "$outw\\minutes.txt4.pdf $outw\\minutes.txt5.pdf "
has_text minutes.txt2.pdf "group Alpha"
has_text minutes.txt3.pdf "group Beta"
has_text minutes.txt4.pdf "group Alpha"
has_text minutes.txt5.pdf "group Beta"
for f in minutes.txt.pdf minutes.txt1.pdf; do
  cmp -s "$out/$f" "$work/first-$f" || fail "new name: $f of the first batch was changed"
done
echo "ok: namesakes and a second run keep every PDF"
close_window

# --- The program's spool folder as output (written by hand): refused, nothing runs; also when it
# is spelt through another drive (Z: is the Unix root).
for spool_as in "C:\\users\\$(whoami)\\AppData\\Roaming\\QUORPSFILES\\TEMP" \
  "Z:$(tr / '\\' <<<"$WINEPREFIX/drive_c/users/$(whoami)/AppData/Roaming/QUORPSFILES/TEMP")"; do
  settings "$spool_as" 1
  start_batch_window
  "$driver" drop "$window" 107 "$(w letter.txt)" >/dev/null
  "$driver" click "$window" 102 >/dev/null
  o=$("$driver" wait-msgbox --pid "$pid" --timeout 30)
  expect "spool folder $spool_as: caption" "$(field caption "$o")" "Error"
  grep -qF "spool folder" <<<"$(field text "$o")" || fail "spool folder $spool_as: $(field text "$o")"
  "$driver" answer-msgbox OK --pid "$pid" >/dev/null
  wait_until 60 no_message_box "$pid" || fail "spool folder $spool_as: the box stays"
  expect "spool folder $spool_as: rows" "$(statuses)" "1 "
  expect "spool folder $spool_as: default printer" "$(default_printer)" "Office Laser,winspool,LPT1:"
  close_window
done

# --- The rest of the data folder is the user's: a folder beside the spool folder takes the PDFs.
# Before the batch, the list's pop-up menu (Shift+F10 on the list) shows the hint of the item
# highlighted in the status line, and gives the line back when it closes.
settings "C:\\users\\$(whoami)\\AppData\\Roaming\\QUORPSFILES\\PDF" 1
start_batch_window
"$driver" drop "$window" 107 "$(w letter.txt)" >/dev/null
"$driver" keys "$window" shift+f10 down >/dev/null
wait_until 10 status_is "Remove selected item(s)" || fail "menu hint: \"$(status_line)\""
screenshot batch-menu-hint
"$driver" keys "$window" down >/dev/null
wait_until 10 status_is "Remove all item(s)" || fail "menu hint: \"$(status_line)\""
"$driver" keys "$window" esc >/dev/null
wait_until 10 status_is "" || fail "after the menu: \"$(status_line)\""
expect "menu: rows kept" "$(statuses)" "1 "
"$driver" click "$window" 102 >/dev/null
wait_until 30 visible 104 || true
wait_idle "data folder"
expect "data folder: rows" "$(statuses)" "5 "
[ -f "$data/PDF/letter.txt.pdf" ] || fail "data folder: no PDF in $data/PDF"
echo "ok: a folder in the data folder takes the PDFs; the menu's hints"
close_window

# --- 300 dropped files: examined a slice at a time, so the window answers while it works through
# them (a partly filled list is seen), and the list keeps the drop order.
mkdir -p "$docs/many"
many=()
for i in $(seq 300); do
  echo "document $i" >"$docs/many/m$i.txt"
  many+=("$(w "many/m$i.txt")")
done
settings "$outw" 1
start_batch_window
"$driver" drop "$window" 107 "${many[@]}" >/dev/null
: >"$work/counts"
# The button's state is read before the rows: reading 300 rows takes a while, and a state read
# after them may already be the one that follows the last slice.
all_listed() {
  local n state
  state=$("$driver" enabled "$window" 102)
  n=$("$driver" rows "$window" 107 | wc -l)
  echo "$n $state" >>"$work/counts"
  [ "$n" -eq 300 ]
}
wait_until 300 all_listed || fail "300 files: listed $(tail -n1 "$work/counts")"
partly=$(awk '$1 > 0 && $1 < 300' "$work/counts" | head -n1)
[ -n "$partly" ] || fail "300 files: the window did not answer while it examined them: $(sort -u "$work/counts" | tr '\n' ' ')"
grep -q ' disabled$' <<<"$partly" || fail "300 files: Create PDF was usable before all were examined: $partly"
echo "ok: 300 files: the window answered with $partly"
expect "300 files: drop order" "$(rows | cut -d'|' -f1 | tr '\n' ' ')" "$(printf 'm%d.txt ' $(seq 300))"
wait_until 30 idle || fail "300 files: Create PDF never came back"
columns_fit "300 rows"
expect "300 files: Create PDF" "$("$driver" enabled "$window" 102)" "enabled"
close_window
