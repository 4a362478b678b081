#!/usr/bin/env bash
# The single-job window as a user meets it after printing: the proposed PDF path, Convert and its
# outcome messages, the overwrite question, Cancel and the close box, and browsing to a folder that
# cannot be written. Each case starts the real program as the printer port does.
. "$(dirname "$0")/lib.sh"

docs=$work/docs
job=$work/job.ps
companion=$work/job.inf
title="Report: Q1/Q2"
pdf=$docs/"Report_ Q1-Q2.pdf"
mkdir -p "$docs"

# The documents folder the window proposes from, so no PDF lands in the user's home.
shell_folders='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer'
set_documents() {
  local key
  for key in "Shell Folders" "User Shell Folders"; do
    wine reg add "$shell_folders\\$key" /v Personal /d "$(winpath "$1")" /f >/dev/null 2>&1 ||
      fail "cannot set the documents folder"
  done
}
set_documents "$docs"

quoted() { printf '"%s" ' "$@" | sed 's/ $//'; }

# start JOB_SOURCE: a fresh job and companion file, the program started with the port's eight
# arguments; sets pid and window.
start() {
  cp "$1" "$job"
  echo "companion" >"$companion"
  local line out
  line=$(quoted "$(winpath "$job")" "Quorvel Virtual Printer" "$(winpath "$companion")" "me" "1176" \
    "20261210093000" "$title" "RAW")
  out=$("$driver" launch-raw "$folimar" "$line")
  pid=$(field pid "$out")
  window=$(field hwnd "$("$driver" wait-window TfrmMain --pid "$pid")")
  [ -n "$window" ] || fail "no single-job window"
}

# msgbox CASE CAPTION TEXT: the message box now shown by the program has that caption and text.
msgbox() {
  local out
  out=$("$driver" wait-msgbox --pid "$pid")
  expect "$1: message caption" "$(field caption "$out")" "$2"
  expect "$1: message text" "$(field text "$out")" "$3"
}

# answer_and_end CASE BUTTON: presses the button and waits for the program to end.
answer_and_end() {
  local out
  out=$("$driver" answer-msgbox "$2" --wait-exit)
  expect "$1: program ended" "$(field exit "$out")" "0"
}

gone() { [ ! -e "$2" ] || fail "$1: $2 is still there"; echo "ok: $1"; }
kept() { [ -e "$2" ] || fail "$1: $2 is gone"; echo "ok: $1"; }

control_text() { "$driver" text "$window" "$1"; }

# --- A job with a title converts: the proposal, the success message, the PDF, the clean-up.
start "$FOLIMAR_SOURCE/examples/sample.ps"
expect "proposed path" "$(control_text 104)" "$(winpath "$pdf")"
expect "Convert enabled" "$("$driver" enabled "$window" Convert)" "enabled"
screenshot single-job-proposed
"$driver" click "$window" Convert >/dev/null
msgbox convert success "The coversion completed!"
screenshot single-job-success
answer_and_end convert OK
expect "PDF pages" "$(pdfinfo "$pdf" | sed -n 's/^Pages: *//p')" "3"
expect "PDF title" "$(pdfinfo "$pdf" | sed -n 's/^Title: *//p')" "Quorvel Folimar sample"
gone "job file deleted" "$job"
gone "companion file deleted" "$companion"

# --- An existing PDF: No keeps everything as it was, Yes converts over it.
echo "old pdf" >"$pdf"
start "$FOLIMAR_SOURCE/examples/sample.ps"
"$driver" click "$window" Convert >/dev/null
msgbox "overwrite no" "confirm overwrite" "\"$(winpath "$pdf")\" aleady exists, overwrite it?"
screenshot single-job-overwrite
"$driver" answer-msgbox No >/dev/null
"$driver" wait-window TfrmMain --pid "$pid" >/dev/null || fail "overwrite no: the window closed"
expect "overwrite no: old PDF kept" "$(cat "$pdf")" "old pdf"
cmp -s "$job" "$FOLIMAR_SOURCE/examples/sample.ps" || fail "overwrite no: the job changed"
echo "ok: overwrite no: job unchanged"
"$driver" click "$window" Convert >/dev/null
msgbox "overwrite yes" "confirm overwrite" "\"$(winpath "$pdf")\" aleady exists, overwrite it?"
"$driver" answer-msgbox Yes >/dev/null
msgbox "overwrite yes" success "The coversion completed!"
answer_and_end "overwrite yes" OK
expect "overwrite yes: new PDF" "$(pdfinfo "$pdf" | sed -n 's/^Pages: *//p')" "3"
gone "overwrite yes: job file deleted" "$job"

# --- A job the renderer rejects: the failure message, and the job files go all the same.
rm -f "$pdf"
printf '%%!PS-Adobe-3.0\n%%%%Title: Broken\n%%%%EndComments\nthisisnotanoperator\nshowpage\n' >"$work/broken.ps"
start "$work/broken.ps"
"$driver" click "$window" Convert >/dev/null
msgbox broken Failed "An unknown error occurred, the conversion failed."
screenshot single-job-failed
answer_and_end broken OK
gone "broken: job file deleted" "$job"
gone "broken: companion file deleted" "$companion"

# --- Cancel and the close box: the job goes, the companion file stays for the port.
for how in Cancel close; do
  start "$FOLIMAR_SOURCE/examples/sample.ps"
  if [ "$how" = Cancel ]; then
    out=$("$driver" click "$window" Cancel --wait-exit)
  else
    out=$("$driver" close "$window" --wait-exit)
  fi
  expect "$how: program ended" "$(field exit "$out")" "0"
  gone "$how: job file deleted" "$job"
  kept "$how: companion file kept" "$companion"
done

# --- Browsing to a folder that cannot be written: the system's text, the path emptied.
locked=$work/locked
mkdir -p "$locked"
# Root writes through permission bits; an immutable folder stops it as well.
chattr +i "$locked" 2>/dev/null || chmod a-w "$locked"
trap 'chattr -i "$locked" 2>/dev/null || true; chmod u+w "$locked"; cleanup' EXIT
if touch "$locked/probe" 2>/dev/null; then
  rm -f "$locked/probe"
  echo "skipped: browse to a folder that cannot be written (this user can write every folder)"
  exit 0
fi
set_documents "$locked"
start "$FOLIMAR_SOURCE/examples/sample.ps"
"$driver" click "$window" 105 >/dev/null
dialog=$(field hwnd "$("$driver" wait-window --title "Input file name" --pid "$pid")")
[ -n "$dialog" ] || fail "browse: no save dialog"
screenshot single-job-save-dialog
"$driver" click "$dialog" "&Save" >/dev/null
msgbox browse Error "$(winpath "$locked")\\\\nAccess denied."
screenshot single-job-browse-error
"$driver" answer-msgbox OK >/dev/null
expect "browse: proposal kept" "$(control_text 104)" "$(winpath "$locked/Report_ Q1-Q2.pdf")"
out=$("$driver" close "$window" --wait-exit)
expect "browse: program ended" "$(field exit "$out")" "0"
