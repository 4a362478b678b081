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
set_documents "$docs"

# start JOB_SOURCE: a fresh job and companion file, the program started with the port's eight
# arguments; sets pid and window.
start() {
  cp "$1" "$job"
  echo "companion" >"$companion"
  start_job "$job" "$title" "$companion"
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

# no_temp_pdf CASE FOLDER: no temporary PDF is left in the folder.
no_temp_pdf() {
  expect "$1: no temporary PDF left" "$(find "$2" -maxdepth 1 -name '~folimar-*' | wc -l)" 0
}

# failed CASE REASON: the failure message names the reason below the failure text; after OK the
# window stays with the reason, the job and the companion file stay, and Convert can try again.
failed() {
  local out text
  out=$("$driver" wait-msgbox --pid "$pid" --timeout 180)
  text=$(field text "$out")
  expect "$1: message caption" "$(field caption "$out")" "Failed"
  [[ $text == "An unknown error occurred, the conversion failed.\\n$2"* ]] || fail "$1: message text: $text"
  echo "ok: $1: message text: $text"
  [ "$1" = broken ] && screenshot single-job-failed
  "$driver" answer-msgbox OK >/dev/null
  "$driver" wait-window TfrmMain --pid "$pid" --timeout 5 >/dev/null || fail "$1: the window closed"
  [[ $(control_text 110) == "$2"* ]] || fail "$1: the reason in the window: $(control_text 110)"
  echo "ok: $1: the window stays with the reason"
  kept "$1: job file kept" "$job"
  kept "$1: companion file kept" "$companion"
  wait_expect "$1: Convert again" "enabled" "$driver" enabled "$window" Convert
}

# cancel_ends CASE: Cancel lets the kept job go, with its companion file, and ends the program.
cancel_ends() {
  local out
  out=$("$driver" click "$window" Cancel --wait-exit)
  expect "$1: program ended" "$(field exit "$out")" "0"
  gone "$1: job file deleted" "$job"
  gone "$1: companion file deleted" "$companion"
}

# --- A job the renderer rejects: the failure message with Ghostscript's error, the older PDF stays
# byte for byte, and the job stays until Cancel.
echo "old pdf" >"$pdf"
printf '%%!PS-Adobe-3.0\n%%%%Title: Broken\n%%%%EndComments\nthisisnotanoperator\nshowpage\n' >"$work/broken.ps"
start "$work/broken.ps"
"$driver" click "$window" Convert >/dev/null
"$driver" answer-msgbox Yes >/dev/null
failed broken "PostScript error"
expect "broken: older PDF unchanged" "$(cat "$pdf")" "old pdf"
no_temp_pdf broken "$docs"
cancel_ends broken
rm -f "$pdf"

# --- An empty job is no job: the failure message says so, no PDF.
: >"$work/empty.ps"
start "$work/empty.ps"
"$driver" click "$window" Convert >/dev/null
failed empty "the print job is empty"
gone "empty: no PDF" "$pdf"
no_temp_pdf empty "$docs"
cancel_ends empty

# --- A full disk: "disk full", the older PDF stays, and the job converts in another folder. A small
# file system of its own needs root.
full=$work/full
mkdir -p "$full"
if mount -t tmpfs -o size=1m tmpfs "$full" 2>/dev/null; then
  trap 'umount "$full" 2>/dev/null || true; cleanup' EXIT
  "$FOLIMAR_SOURCE/tests/noise_job.sh" "$work/noise.ps"
  set_documents "$full"
  echo "old pdf" >"$full/Report_ Q1-Q2.pdf"
  start "$work/noise.ps"
  "$driver" click "$window" Convert >/dev/null
  "$driver" answer-msgbox Yes >/dev/null
  failed "full disk" "disk full"
  expect "full disk: older PDF unchanged" "$(cat "$full/Report_ Q1-Q2.pdf")" "old pdf"
  no_temp_pdf "full disk" "$full"
  "$driver" click "$window" 105 >/dev/null
  dialog=$(field hwnd "$("$driver" wait-window --title "Input file name" --pid "$pid")")
  name=$("$driver" children "$dialog" | sed -n 's/^id=\([0-9]*\) class=Edit .* visible=1 .*/\1/p' | head -n1)
  "$driver" set-text "$dialog" "$name" "$(winpath "$docs/Noise.pdf")" >/dev/null
  "$driver" click "$dialog" "&Save" >/dev/null
  wait_expect "full disk: browsed elsewhere" "$(winpath "$docs/Noise.pdf")" control_text 104
  "$driver" click "$window" Convert >/dev/null
  msgbox "full disk: elsewhere" success "The coversion completed!"
  answer_and_end "full disk: elsewhere" OK
  expect "full disk: the PDF elsewhere" "$(pdfinfo "$docs/Noise.pdf" | sed -n 's/^Pages: *//p')" "1"
  gone "full disk: job file deleted" "$job"
  gone "full disk: companion file deleted" "$companion"
  rm -f "$docs/Noise.pdf"
  set_documents "$docs"
  umount "$full"
else
  echo "skipped: full disk (mounting a small file system needs root)"
fi

# --- A job that never ends: Cancel, Esc and the close box stop it. The partial PDF and the job files
# go, the older PDF stays, and the window says so before the program ends.
printf '%%!PS-Adobe-3.0\n%%%%EndComments\n/Helvetica findfont 20 scalefont setfont\n72 700 moveto (one) show showpage\n{ } loop\n' \
  >"$work/loop.ps"
for how in Cancel Esc close; do
  echo "old pdf" >"$pdf"
  start "$work/loop.ps"
  "$driver" click "$window" Convert >/dev/null
  "$driver" answer-msgbox Yes >/dev/null
  # Rendering has begun once the temporary PDF is there.
  for _ in $(seq 300); do
    [ "$(find "$docs" -maxdepth 1 -name '~folimar-*' | wc -l)" -eq 1 ] && break
    sleep 0.1
  done
  expect "$how while converting: enabled" "$("$driver" enabled "$window" Cancel)" "enabled"
  case $how in
  Cancel) "$driver" click "$window" Cancel >/dev/null ;;
  Esc) "$driver" keys "$window" esc >/dev/null ;;
  close) "$driver" close "$window" >/dev/null ;;
  esac
  msgbox "$how while converting" "Quorvel Folimar" "The conversion was cancelled."
  [ "$how" = Cancel ] && screenshot single-job-cancelled
  out=$("$driver" answer-msgbox OK --wait-exit)
  expect "$how while converting: program ended" "$(field exit "$out")" "1"
  expect "$how while converting: older PDF unchanged" "$(cat "$pdf")" "old pdf"
  no_temp_pdf "$how while converting" "$docs"
  gone "$how while converting: job file deleted" "$job"
  gone "$how while converting: companion file deleted" "$companion"
done
rm -f "$pdf"

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

# --- Browsing to a folder that cannot be written: the system's text, the path emptied, Convert
# disabled until a usable path is chosen.
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
msgbox browse Error "Access denied."
screenshot single-job-browse-error
"$driver" answer-msgbox OK >/dev/null
expect "browse: path emptied" "$(control_text 104)" ""
wait_expect "browse: Convert disabled" "disabled" "$driver" enabled "$window" Convert
out=$("$driver" close "$window" --wait-exit)
expect "browse: program ended" "$(field exit "$out")" "0"
