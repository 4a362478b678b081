#!/usr/bin/env bash
# Auto-save of printed documents: a job printed through the virtual printer is saved at once to the
# name the pattern makes, beside or over an older PDF, without a click; the compact window shows
# the page and Cancel keeps the job; a full disk keeps the job for another folder. The settings
# are written into the program's settings file as the settings dialog writes them.
. "$(dirname "$0")/lib.sh"

setup=$FOLIMAR_BIN/tools/printer_setup.exe
print=$FOLIMAR_BIN/tools/print_text.exe
port=$FOLIMAR_BIN/tools/folimar_port.exe
data=$(unixpath 'C:\users')/$(whoami)/AppData/Roaming/QUORPSFILES
spool=$data/JOBS
out=$work/printed
full=$work/full
mkdir -p "$out" "$data" "$full"
# The folder must empty as each job is saved: jobs that earlier tests in this prefix kept (a failed
# conversion keeps its job) are no part of this test.
rm -f "$spool"/job-*
# The prefix is shared with the other tests: its settings file goes back as it was.
ini_before=$work/folimar.ini.before
[ -f "$data/folimar.ini" ] && cp "$data/folimar.ini" "$ini_before"
restore() {
  umount "$full" 2>/dev/null || true
  if [ -f "$ini_before" ]; then cp "$ini_before" "$data/folimar.ini"; else rm -f "$data/folimar.ini"; fi
  cleanup
}
trap restore EXIT

# settings AUTOSAVE FOLDER OVERWRITE: the auto-save keys (the PDF is not opened, so nothing else
# starts).
settings() {
  printf '[Folimar]\r\nAutoSave=%s\r\nAutoSaveFolder=%s\\\r\nAutoSaveName=<Title>\r\nAutoSaveOverwrite=%s\r\nOpenPdf=0\r\n' \
    "$1" "$(winpath "$2")" "$3" >"$data/folimar.ini"
}

spool_files() { find "$spool" -maxdepth 1 -type f 2>/dev/null | wc -l; }
spool_empty() { [ "$(spool_files)" -eq 0 ]; }
no_window() { ! "$driver" wait-window TfrmMain --timeout 0 >/dev/null 2>&1; }
pages() { pdfinfo "$1" 2>/dev/null | sed -n 's/^Pages: *//p'; }
no_temp_pdf() { expect "$1: no temporary PDF left" "$(find "$2" -maxdepth 1 -name '~folimar-*' | wc -l)" 0; }

# printed CASE: waits until the printed job has gone from the spool folder and no window is left:
# saved and closed without a click (a message box would hold the job and the window).
printed() {
  wait_until 180 spool_empty || fail "$1: the job is still in the spool folder ($(ls "$spool"))"
  wait_until 60 no_window || fail "$1: the window stays open"
  no_message_box_any || fail "$1: a message box is open"
  echo "ok: $1: saved and closed without a click"
}
no_message_box_any() { ! "$driver" wait-msgbox --timeout 0 >/dev/null 2>&1; }

"$setup" --default "$folimar" >/dev/null
printf 'Quarterly figures\nLine two\n' >"$work/memo.txt"

# --- "New name": the job becomes "memo.txt (2).pdf" beside the older "memo.txt.pdf", which stays
# byte for byte.
settings 1 "$out" 0
head -c 3000 /dev/urandom >"$out/memo.txt.pdf"
cp "$out/memo.txt.pdf" "$work/older.pdf"
"$print" "$work/memo.txt"
printed "new name"
cmp -s "$out/memo.txt.pdf" "$work/older.pdf" || fail "new name: the older PDF changed"
echo "ok: new name: the older PDF is byte-identical"
expect "new name: the new PDF" "$(pages "$out/memo.txt (2).pdf")" "1"
pdftotext "$out/memo.txt (2).pdf" - | grep -q "Quarterly figures" || fail "new name: the PDF lacks the text"
no_temp_pdf "new name" "$out"

# --- "Overwrite": the same job replaces "memo.txt.pdf"; no further numbered name.
settings 1 "$out" 1
"$print" "$work/memo.txt"
printed "overwrite"
expect "overwrite: replaced by the PDF" "$(pages "$out/memo.txt.pdf")" "1"
[ ! -e "$out/memo.txt (3).pdf" ] || fail "overwrite: a numbered name was made"
expect "overwrite: PDFs in the folder" "$(find "$out" -name '*.pdf' | wc -l)" 2

# --- Off: the window waits for Convert as before.
settings 0 "$out" 0
"$print" "$work/memo.txt"
opened=$("$driver" wait-window TfrmMain --timeout 180)
expect "off: client size" "$(field client "$opened")" "403x224"
window=$(field hwnd "$opened")
wait_expect "off: Convert waits" "enabled" "$driver" enabled "$window" Convert
sleep 2
expect "off: the job waits" "$(spool_files)" "2"
result=$("$driver" close "$window" --wait-exit)
expect "off: closed" "$(field exit "$result")" "0"
# Closed without converting: the job went, its companion file stays for the port, as before.
expect "off: the companion file stays" "$(spool_files)" "1"
rm -f "$spool"/*

# --- The compact window: the document's name, the path, the bar with "page N of M", Cancel.
# Cancel stops the render at once: no PDF is put in place, the older one stays, the job stays and
# the window turns into the normal one.
{
  printf '%%!PS-Adobe-3.0\n%%%%Title: Endless pages\n%%%%Pages: 100000\n%%%%EndComments\n'
  printf '/Helvetica findfont 20 scalefont setfont\n{ 72 600 moveto (again) show showpage } loop\n'
} >"$work/flood.ps"
settings 1 "$out" 1
echo "old pdf" >"$out/Endless pages.pdf"
"$port" "$folimar" <"$work/flood.ps"
opened=$("$driver" wait-window TfrmMain --timeout 180)
window=$(field hwnd "$opened")
pid=$(field pid "$opened")
expect "compact: client size" "$(field client "$opened")" "403x84"
expect "compact: document name" "$("$driver" text "$window" 103)" "Endless pages"
expect "compact: target path" "$("$driver" text "$window" 104)" "$(winpath "$out/Endless pages.pdf")"
status_is_page() { "$driver" text "$window" 110 | grep -qE '^page [0-9]+ of 100000$'; }
wait_until 120 status_is_page || fail "compact: no 'page N of M': '$("$driver" text "$window" 110)'"
echo "ok: compact: $("$driver" text "$window" 110)"
expect "compact: Convert hidden" "$("$driver" children "$window" | grep -c 'id=107 .*visible=1')" "0"
screenshot autosave-compact
"$driver" click "$window" Cancel >/dev/null
stopped() { [ "$("$driver" text "$window" 110)" = "Cancelled: the print job is kept." ]; }
wait_until 30 stopped || fail "cancel: status '$("$driver" text "$window" 110)'"
opened=$("$driver" wait-window TfrmMain --pid "$pid")
expect "cancel: the normal window" "$(field client "$opened")" "403x224"
no_message_box_any || fail "cancel: a message box"
expect "cancel: the older PDF stays" "$(cat "$out/Endless pages.pdf")" "old pdf"
no_temp_pdf "cancel" "$out"
expect "cancel: job and companion kept" "$(spool_files)" "2"
wait_expect "cancel: Convert again" "enabled" "$driver" enabled "$window" Convert
screenshot autosave-cancelled
result=$("$driver" click "$window" Cancel --wait-exit)
expect "cancel again: the program ended" "$(field exit "$result")" "0"
expect "cancel again: job and companion gone" "$(spool_files)" "0"
rm -f "$out/Endless pages.pdf"

# --- A full disk: "disk full", the job stays; Browse to another folder and Convert makes the PDF.
if ! mount -t tmpfs -o size=1m tmpfs "$full" 2>/dev/null; then
  echo "skipped: full disk (mounting a small file system needs root)"
  exit 0
fi
"$FOLIMAR_SOURCE/tests/noise_job.sh" "$work/noise.ps"
settings 1 "$full" 0
"$port" "$folimar" <"$work/noise.ps"
box=$("$driver" wait-msgbox --timeout 180)
expect "full disk: message caption" "$(field caption "$box")" "Failed"
expect "full disk: message text" "$(field text "$box")" "An unknown error occurred, the conversion failed.\\ndisk full"
opened=$("$driver" wait-window TfrmMain)
window=$(field hwnd "$opened")
pid=$(field pid "$opened")
"$driver" answer-msgbox OK >/dev/null
expect "full disk: the normal window" "$(field client "$("$driver" wait-window TfrmMain --pid "$pid")")" "403x224"
expect "full disk: the reason stays" "$("$driver" text "$window" 110)" "disk full"
expect "full disk: job and companion kept" "$(spool_files)" "2"
no_temp_pdf "full disk" "$full"
expect "full disk: nothing on the full disk" "$(find "$full" -name '*.pdf' | wc -l)" 0
screenshot autosave-failed
"$driver" click "$window" 105 >/dev/null
dialog=$(field hwnd "$("$driver" wait-window --title "Input file name" --pid "$pid")")
[ -n "$dialog" ] || fail "browse: no save dialog"
name=$("$driver" children "$dialog" | sed -n 's/^id=\([0-9]*\) class=Edit .* visible=1 .*/\1/p' | head -n1)
"$driver" set-text "$dialog" "$name" "$(winpath "$out/Noise elsewhere.pdf")" >/dev/null
"$driver" click "$dialog" "&Save" >/dev/null
wait_expect "browse: the new path" "$(winpath "$out/Noise elsewhere.pdf")" "$driver" text "$window" 104
wait_expect "browse: Convert" "enabled" "$driver" enabled "$window" Convert
"$driver" click "$window" Convert >/dev/null
box=$("$driver" wait-msgbox --pid "$pid" --timeout 180)
expect "convert again: message" "$(field text "$box")" "The coversion completed!"
result=$("$driver" answer-msgbox OK --wait-exit)
expect "convert again: the program ended" "$(field exit "$result")" "0"
expect "convert again: the PDF" "$(pages "$out/Noise elsewhere.pdf")" "1"
expect "convert again: job and companion gone" "$(spool_files)" "0"
