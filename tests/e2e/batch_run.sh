#!/usr/bin/env bash
# Whole batches in the batch window, as a user runs them: a text document printed by the
# project's print program, a document of a DDE type printed by the DDE print server, a PostScript
# document converted directly and one whose print command fails; "New name" mode; Stop; a second
# instance's "Create PDF" during a batch; closing the window during a batch.
. "$(dirname "$0")/batch_lib.sh"

settings() {
  mkdir -p "$data"
  printf '[Folimar]\r\nOutputFolder=%s\\\r\nOverWrite=%s\r\n' "$outw" "$1" >"$data/folimar.ini"
}


# rows [WINDOW]: the rows as "caption|planned PDF|status image", one per line.
rows() { "$driver" rows "${1:-$window}" 107 | awk -F'\t' '{print $2 "|" $4 "|" $6}'; }
statuses() { rows "$@" | awk -F'|' '{printf "%s ", $3}'; }
captions() { rows | cut -d'|' -f1 | tr '\n' ' '; }
visible() { "$driver" children "${2:-$window}" | grep -q "^id=$1 .* visible=1"; }

# close_window: closes the batch window and waits for the program's end, saying why it could not.
close_window() {
  local o
  o=$("$driver" close "$window" --wait-exit 2>&1) || fail "closing the window: $o"
}

# wait_idle LABEL: up to 120 s until "Create PDF" is back in place of "Stop".
wait_idle() {
  local i
  for i in $(seq 600); do
    visible 102 && ! visible 104 && return 0
    sleep 0.2
  done
  fail "$1: the batch did not end: $(statuses)"
}

# wait_status LABEL ROW PATTERN: up to 60 s until the row's status image matches the pattern.
wait_status() {
  local i
  for i in $(seq 300); do
    [[ $(rows | sed -n "$(($2 + 1))p" | cut -d'|' -f3) =~ ^($3)$ ]] && return 0
    sleep 0.2
  done
  fail "$1: row $2 never showed $3: $(statuses)"
}

# --- A whole batch: done, done, done, failed.
settings 1
start_batch_window
"$driver" drop "$window" 107 "$(w letter.txt)" "$(w notes.qdde)" "$(w sample.ps)" "$(w broken.qfail)" >/dev/null
expect "rows before" "$(statuses)" "1 1 1 1 "
"$driver" click "$window" 102 >/dev/null
wait_idle "whole batch"
expect "rows after" "$(statuses)" "5 5 5 14 "
screenshot batch-run-done
check_four_documents
after "whole batch"
expect "idle: the list" "$("$driver" enabled "$window" 107)" "enabled"

# Two batches on the same list: every row goes back to pending, and the run is the same again.
"$driver" click "$window" 102 >/dev/null
wait_status "second batch" 0 '1|[6-9]|1[0-2]'
wait_idle "second batch"
expect "second batch: rows" "$(statuses)" "5 5 5 14 "
close_window

# --- "New name" mode: existing PDFs stay, the new ones get the first free numbers.
settings 0
cp "$out/letter.txt.pdf" "$work/letter.orig.pdf"
touch "$out/sample.ps1.pdf"
start_batch_window
"$driver" drop "$window" 107 "$(w letter.txt)" "$(w sample.ps)" >/dev/null
expect "new name: planned" "$(rows | cut -d'|' -f2 | tr '\n' ' ')" "$outw\\letter.txt1.pdf $outw\\sample.ps2.pdf "
"$driver" click "$window" 102 >/dev/null
wait_idle "new name"
expect "new name: rows" "$(statuses)" "5 5 "
check_pdf "new name" letter.txt1.pdf 2 letter.txt
check_pdf "new name" sample.ps2.pdf 3 "Quorvel Folimar sample"
cmp -s "$out/letter.txt.pdf" "$work/letter.orig.pdf" || fail "new name: the older PDF was changed"
[ ! -s "$out/sample.ps1.pdf" ] || fail "new name: the taken name was written"
after "new name"
close_window

# --- Stop while a document waits for its job; a second instance meanwhile; then a new batch.
settings 1
rm -f "$out"/*.pdf
start_batch_window
"$driver" drop "$window" 107 "$(w wait.qwait)" "$(w letter.txt)" >/dev/null
"$driver" click "$window" 102 >/dev/null
wait_status "waiting" 0 '[6-9]|1[0-2]'
[ -n "$(prefix_pids 'print_dde\.exe')" ] || fail "the waiting document's print program is not running"
visible 104 || fail "Stop is not shown during the batch"
! visible 102 || fail "Create PDF is shown during the batch"
# The list stays usable (scrolling, opening a made PDF); its rows cannot be changed.
expect "during: the list can be scrolled" "$("$driver" enabled "$window" 107)" "enabled"
expect "during: Setting is frozen" "$("$driver" enabled "$window" 103)" "disabled"
expect "during: Add File(s) is frozen" "$("$driver" enabled "$window" 101)" "disabled"
# A drop reaches even a disabled list; the row buttons live in the list.
"$driver" drop "$window" 107 "$(w notes.qdde)" >/dev/null
"$driver" click "$window" 1001 >/dev/null 2>&1 || true
expect "during: rows unchanged" "$(captions)" "wait.qwait letter.txt "
# The busy row animates: three different frames seen, however slowly the machine lets us look.
: >"$work/frames"
three_frames() {
  statuses | cut -d' ' -f1 >>"$work/frames"
  [ "$(sort -u "$work/frames" | wc -l)" -ge 3 ]
}
wait_until 60 three_frames || fail "the busy row does not animate: frames $(sort -u "$work/frames" | tr '\n' ' ')"
echo "ok: the busy row animates (frames $(sort -u "$work/frames" | tr '\n' ' '))"
screenshot batch-run-busy

first=$pid first_window=$window
start_batch_window
"$driver" drop "$window" 107 "$(w letter.txt)" >/dev/null
"$driver" click "$window" 102 >/dev/null
o=$("$driver" wait-msgbox --pid "$pid" --timeout 10)
expect "second instance: caption" "$(field caption "$o")" "Warning"
expect "second instance: text" "$(field text "$o")" "A conversion is in progress,please wait until the conversion finish."
"$driver" answer-msgbox OK --pid "$pid" >/dev/null
# Once the box has gone, the click's handler has run to its end.
wait_until 60 no_message_box "$pid" || fail "second instance: the warning stays"
visible 102 || fail "second instance: Create PDF is gone"
! visible 104 || fail "second instance: Stop is shown"
expect "second instance: rows unchanged" "$(statuses)" "1 "
close_window
pid=$first window=$first_window

"$driver" click "$window" 104 >/dev/null
wait_idle "stop"
expect "stop: rows" "$(statuses)" "1 1 "
[ -z "$(ls -A "$out")" ] || fail "stop: PDFs were made: $(ls "$out")"
after "stop"
# After the stop the next batch runs: the waiting document taken off, the letter is made.
"$driver" keys "$window" home delete >/dev/null
wait_expect "after stop: the waiting document taken off" "letter.txt " captions
"$driver" click "$window" 102 >/dev/null
wait_idle "after stop"
expect "after stop: rows" "$(statuses)" "5 "
check_pdf "after stop" letter.txt.pdf 2 letter.txt
after "after stop"

# --- Closing the window during a batch ends the program cleanly.
"$driver" drop "$window" 107 "$(w wait.qwait)" >/dev/null
"$driver" click "$window" 102 >/dev/null
wait_status "close" 1 '[6-9]|1[0-2]'
o=$("$driver" close "$window" --wait-exit --timeout 60)
expect "close during a batch: exit code" "$(field exit "$o")" "0"
after "close during a batch"

# --- A program killed during a batch: the next start puts the user's default printer back.
start_batch_window
"$driver" drop "$window" 107 "$(w wait.qwait)" "$(w letter.txt)" >/dev/null
"$driver" click "$window" 102 >/dev/null
wait_status "kill" 0 '[6-9]|1[0-2]'
expect "kill: the virtual printer is the default" "$(default_printer | cut -d, -f1)" "Quorvel Virtual Printer"
"$driver" kill "$pid" >/dev/null
# The print program of the killed batch has no one to ask it to quit.
prefix_pids 'print_dde\.exe' | xargs -r kill || true
start_batch_window
expect "after a kill: default printer" "$(default_printer)" "Office Laser,winspool,LPT1:"
"$driver" drop "$window" 107 "$(w letter.txt)" >/dev/null
"$driver" click "$window" 102 >/dev/null
wait_idle "after a kill"
expect "after a kill: rows" "$(statuses)" "5 "
after "after a kill"
close_window
