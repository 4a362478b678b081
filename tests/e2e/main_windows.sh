#!/usr/bin/env bash
# The program's two main windows: started by the printer port with eight quoted arguments it
# opens the single-job window, started with its own path (or two of the eight left empty) the
# batch window; exactly one of them, and WM_CLOSE ends the program with exit code 0.
. "$(dirname "$0")/lib.sh"

job=$work/job.ps
companion=$work/job.inf
quoted() { printf '"%s" ' "$@" | sed 's/ $//'; }
# The batch window needs the virtual printer.
"$FOLIMAR_BIN/tools/printer_setup.exe" "$folimar" >/dev/null

# check NAME CLASS OTHER_CLASS CLIENT_SIZE DRIVER_LAUNCH_ARGS...
check() {
  local name=$1 class=$2 other=$3 size=$4 out pid window
  shift 4
  cp "$FOLIMAR_SOURCE/examples/sample.ps" "$job"
  : >"$companion"
  out=$("$driver" "$@")
  pid=$(field pid "$out")
  window=$("$driver" wait-window "$class" --pid "$pid")
  expect "$name: caption" "$(field caption "$window")" "Quorvel Folimar"
  expect "$name: client size" "$(field client "$window")" "$size"
  ! "$driver" wait-window "$other" --pid "$pid" --timeout 0 2>/dev/null || fail "$name: $other opened as well"
  screenshot "$name"
  out=$("$driver" close "$(field hwnd "$window")" --wait-exit)
  expect "$name: exit code" "$(field exit "$out")" "0"
}

port_line=$(quoted "$(winpath "$job")" "Quorvel Virtual Printer" "$(winpath "$companion")" "me" "2071" \
  "20261210093000" "Quorvel Folimar sample" "RAW")
# Empty arguments are not counted: the job file and five more make five.
two_empty=$(quoted "$(winpath "$job")" "" "$(winpath "$companion")" "me" "2071" "" "Quorvel Folimar sample" "RAW")

check single-job TfrmMain TfrmMain_1 403x224 launch-raw "$folimar" "$port_line"
check batch TfrmMain_1 TfrmMain 583x407 launch "$folimar"
check batch-no-arguments TfrmMain_1 TfrmMain 583x407 launch-raw "$folimar" ""
check batch-two-empty TfrmMain_1 TfrmMain 583x407 launch-raw "$folimar" "$two_empty"
