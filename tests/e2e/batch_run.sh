#!/usr/bin/env bash
# Whole batches in the batch window, as a user runs them: a text document printed by the
# project's print program, a document of a DDE type printed by the DDE print server, a PostScript
# document converted directly and one whose print command fails; "New name" mode; Stop; a second
# instance's "Create PDF" during a batch; closing the window during a batch.
. "$(dirname "$0")/lib.sh"

docs=$work/docs
out=$work/out
mkdir -p "$docs" "$out"
data=$(winepath -u 'C:\users')/$(whoami)/AppData/Roaming/QUORPSFILES
spool=$data/TEMP
print_dde=$FOLIMAR_BIN/tools/print_dde.exe.so
devices='HKCU\Software\Microsoft\Windows NT\CurrentVersion\Devices'
windows='HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows'

reg() { wine reg add "$@" /f >/dev/null 2>&1 || fail "reg add $*"; }

# The virtual printer and the print programs; another printer is the user's default.
"$FOLIMAR_BIN/tools/printer_setup.exe" --print-programs "$folimar" >/dev/null || fail "printer_setup"
reg "$devices" /v "Office Laser" /d "winspool,LPT1:"
reg "$windows" /v Device /d "Office Laser,winspool,LPT1:"
# A type whose print program is missing, and one whose program takes the document but never prints.
reg 'HKCR\.qfail' /ve /d Quorvel.Missing
reg 'HKCR\Quorvel.Missing\shell\print\command' /ve /d '"C:\no\such\printer.exe" /p "%1"'
reg 'HKCR\.qwait' /ve /d Quorvel.Waiting
reg 'HKCR\Quorvel.Waiting\shell\print\command' /ve /d "\"$(winpath "$print_dde")\""
reg 'HKCR\Quorvel.Waiting\shell\print\ddeexec' /ve /d '[open("%1")]'
reg 'HKCR\Quorvel.Waiting\shell\print\ddeexec\Application' /ve /d QuorvelPrint
reg 'HKCR\Quorvel.Waiting\shell\print\ddeexec\Topic' /ve /d System

# Documents: two pages of text, one page for the DDE server, the three-page sample job.
seq -f 'Line %g of the letter' 90 >"$docs/letter.txt"
printf 'Notes for the DDE print server\r\n' >"$docs/notes.qdde"
cp "$FOLIMAR_SOURCE/examples/sample.ps" "$docs/sample.ps"
cp "$docs/sample.ps" "$work/sample.orig"
echo x >"$docs/broken.qfail"
echo x >"$docs/wait.qwait"
w() { winpath "$docs/$1"; }
outw=$(winpath "$out")

settings() {
  mkdir -p "$data"
  printf '[Folimar]\r\nOutputFolder=%s\\\r\nOverWrite=%s\r\n' "$outw" "$1" >"$data/folimar.ini"
}

# start: a batch window; sets pid and window.
start() {
  local o
  o=$("$driver" launch "$folimar")
  pid=$(field pid "$o")
  window=$(field hwnd "$("$driver" wait-window TfrmMain_1 --pid "$pid")")
  [ -n "$window" ] || fail "no batch window"
}

# rows [WINDOW]: the rows as "caption|planned PDF|status image", one per line.
rows() { "$driver" rows "${1:-$window}" 107 | awk -F'\t' '{print $2 "|" $4 "|" $6}'; }
statuses() { rows "$@" | awk -F'|' '{printf "%s ", $3}'; }
visible() { "$driver" children "${2:-$window}" | grep -q "^id=$1 .* visible=1"; }

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

pdf_field() { pdfinfo "$1" 2>/dev/null | sed -n "s/^$2: *//p"; }
check_pdf() {
  [ -f "$out/$2" ] || fail "$1: no $2"
  expect "$1: $2 pages" "$(pdf_field "$out/$2" Pages)" "$3"
  expect "$1: $2 title" "$(pdf_field "$out/$2" Title)" "$4"
}
spool_files() { find "$spool" -maxdepth 1 -type f 2>/dev/null | wc -l; }
# print_programs: how many print programs still run once they had 10 s to take their WM_QUIT.
print_programs() {
  local i
  for i in $(seq 50); do
    pgrep -f 'print_(text|dde)\.exe' >/dev/null || break
    sleep 0.2
  done
  pgrep -af 'print_(text|dde)\.exe' >&2 || true
  pgrep -f 'print_(text|dde)\.exe' | wc -l
}
default_printer() { wine reg query "$windows" /v Device | tr -d '\r' | sed -n 's/^ *Device *REG_SZ *//p'; }

# after LABEL: what every ended batch leaves behind.
after() {
  expect "$1: default printer" "$(default_printer)" "Office Laser,winspool,LPT1:"
  expect "$1: spool folder" "$(spool_files)" "0"
  expect "$1: print programs running" "$(print_programs)" "0"
}

# --- A whole batch: done, done, done, failed.
settings 1
start
"$driver" drop "$window" 107 "$(w letter.txt)" "$(w notes.qdde)" "$(w sample.ps)" "$(w broken.qfail)" >/dev/null
expect "rows before" "$(statuses)" "1 1 1 1 "
"$driver" click "$window" 102 >/dev/null
wait_idle "whole batch"
expect "rows after" "$(statuses)" "5 5 5 14 "
screenshot batch-run-done
check_pdf "text" letter.txt.pdf 2 letter.txt
check_pdf "DDE" notes.qdde.pdf 1 notes.qdde
check_pdf "PostScript" sample.ps.pdf 3 "Quorvel Folimar sample"
[ ! -e "$out/broken.qfail.pdf" ] || fail "a PDF for the failed document"
cmp -s "$docs/sample.ps" "$work/sample.orig" || fail "the PostScript document was changed"
after "whole batch"
expect "idle: the list" "$("$driver" enabled "$window" 107)" "enabled"

# Two batches on the same list: every row goes back to pending, and the run is the same again.
"$driver" click "$window" 102 >/dev/null
wait_status "second batch" 0 '1|[6-9]|1[0-2]'
wait_idle "second batch"
expect "second batch: rows" "$(statuses)" "5 5 5 14 "
"$driver" close "$window" --wait-exit >/dev/null

# --- "New name" mode: existing PDFs stay, the new ones get the first free numbers.
settings 0
cp "$out/letter.txt.pdf" "$work/letter.orig.pdf"
touch "$out/sample.ps1.pdf"
start
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
"$driver" close "$window" --wait-exit >/dev/null

# --- Stop while a document waits for its job; a second instance meanwhile; then a new batch.
settings 1
rm -f "$out"/*.pdf
start
"$driver" drop "$window" 107 "$(w wait.qwait)" "$(w letter.txt)" >/dev/null
"$driver" click "$window" 102 >/dev/null
wait_status "waiting" 0 '[6-9]|1[0-2]'
pgrep -f 'print_dde\.exe' >/dev/null || fail "the waiting document's print program is not running"
visible 104 || fail "Stop is not shown during the batch"
! visible 102 || fail "Create PDF is shown during the batch"
expect "during: the list is frozen" "$("$driver" enabled "$window" 107)" "disabled"
expect "during: Setting is frozen" "$("$driver" enabled "$window" 103)" "disabled"
expect "during: Add File(s) is frozen" "$("$driver" enabled "$window" 101)" "disabled"
frames=$(for i in 1 2 3 4 5 6; do statuses | cut -d' ' -f1; sleep 0.25; done | sort -u | wc -l)
[ "$frames" -ge 3 ] || fail "the busy row does not animate: $frames frames"
echo "ok: the busy row animates ($frames frames in 1.5 s)"
screenshot batch-run-busy

first=$pid first_window=$window
start
"$driver" drop "$window" 107 "$(w letter.txt)" >/dev/null
"$driver" click "$window" 102 >/dev/null
o=$("$driver" wait-msgbox --pid "$pid" --timeout 10)
expect "second instance: caption" "$(field caption "$o")" "Warning"
expect "second instance: text" "$(field text "$o")" "A conversion is in progress,please wait until the conversion finish."
"$driver" answer-msgbox OK --pid "$pid" >/dev/null
sleep 1
visible 102 || fail "second instance: Create PDF is gone"
! visible 104 || fail "second instance: Stop is shown"
expect "second instance: rows unchanged" "$(statuses)" "1 "
"$driver" close "$window" --wait-exit >/dev/null
pid=$first window=$first_window

"$driver" click "$window" 104 >/dev/null
wait_idle "stop"
expect "stop: rows" "$(statuses)" "1 1 "
[ -z "$(ls -A "$out")" ] || fail "stop: PDFs were made: $(ls "$out")"
after "stop"
# After the stop the next batch runs: the waiting document taken off, the letter is made.
"$driver" keys "$window" home delete >/dev/null
sleep 0.5
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
