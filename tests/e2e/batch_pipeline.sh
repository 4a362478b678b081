#!/usr/bin/env bash
# The batch pipeline without the window: the print-files thread and the watcher, run by a host of
# the tests' own, print a text document through the project's print program and a DDE-type
# document through the DDE print server, convert a PostScript document directly, fail a document
# whose print program is missing, and stop while a document waits for its job.
. "$(dirname "$0")/batch_lib.sh"

host=$FOLIMAR_BIN/tests/batch_host.exe

# run [--stop-after MS] DOCUMENT...: the host's status lines, space-separated.
run() {
  local stop=() o
  if [ "$1" = --stop-after ]; then
    stop=(--stop-after "$2")
    shift 2
  fi
  o=$("$host" "${stop[@]}" "$outw" "$@") || fail "batch_host failed: $o"
  tr '\n' ' ' <<<"$o"
}

expect "four documents" "$(run "$(w letter.txt)" "$(w notes.qdde)" "$(w sample.ps)" "$(w broken.qfail)")" \
  "started 0 done 0 started 1 done 1 started 2 done 2 started 3 failed 3 finished "
check_four_documents
after "four documents"

# Leftover captured jobs of an earlier run go when a batch starts; other files there stay until a
# printed document empties the folder.
mkdir -p "$spool"
echo old >"$spool/job-old.~ps"
echo note >"$spool/other.txt"
rm -f "$out"/*.pdf
expect "PostScript only" "$(run "$(w sample.ps)")" "started 0 done 0 finished "
[ ! -e "$spool/job-old.~ps" ] || fail "the leftover captured job is still there"
[ -e "$spool/other.txt" ] || fail "a PostScript document emptied the spool folder"
echo ok: leftovers
rm -f "$spool/other.txt"

# Stop while the first document waits for its job: its print program is asked to quit, the
# second document is not started.
rm -f "$out"/*.pdf
expect "stop" "$(run --stop-after 2500 "$(w wait.qwait)" "$(w letter.txt)")" "started 0 stop stopped finished "
[ -z "$(ls -A "$out")" ] || fail "stop: PDFs were made: $(ls "$out")"
after "stop"

# start_host OUTPUT DOCUMENT...: the host in the background, stopped once $work/stop exists; its
# status lines go to OUTPUT. Sets host_pid.
start_host() {
  local output=$1
  shift
  rm -f "$work/stop"
  # Emptied here, not by the background start: an earlier host's lines must not be read as its.
  : >"$output"
  "$host" --stop-on "$(winpath "$work/stop")" "$outw" "$@" >"$output" 2>&1 &
  host_pid=$!
}
# end_host OUTPUT: waits for the host's end (in this shell: the host is its child); the host's
# status lines, space-separated, are then in host_lines.
end_host() {
  wait "$host_pid" || fail "batch_host failed: $(cat "$1")"
  host_lines=$(grep -E '^(started|done|failed|stop|stopped|finished)( [0-9]+)?$' "$1" | tr '\n' ' ')
}
has_line() { grep -qx "$2" "$1" 2>/dev/null; }

# --- Another program prints while a batch waits for its document's job: the job is the user's,
# not the batch's. It opens the single-job window as any print does, and the batch takes nothing.
rm -f "$out"/*.pdf
seq -f 'Private line %g' 5 >"$work/private.txt"
start_host "$work/host.txt" "$(w wait.qwait)"
wait_until 120 has_line "$work/host.txt" "started 0" || fail "other program: the batch did not start"
"$FOLIMAR_BIN/tools/print_text.exe" "$work/private.txt"
o=$("$driver" wait-window TfrmMain --timeout 180)
other=$(field hwnd "$o")
[ -n "$other" ] || fail "other program: its job did not open the single-job window"
echo "ok: another program's job opened the single-job window"
touch "$work/stop"
end_host "$work/host.txt"
expect "other program: the batch" "$host_lines" "started 0 stop stopped finished "
o=$("$driver" close "$other" --wait-exit --timeout 60)
expect "other program: the single-job window ends" "$(field exit "$o")" "0"
[ -z "$(ls -A "$out")" ] || fail "other program: PDFs were made: $(ls "$out")"
after "other program"

# --- A print program that prints its document twice: the extra job is not the next document's.
printf '@"%s" /p %%1\r\n@"%s" /p %%1\r\n' "$(winpath "$FOLIMAR_BIN/tools/print_text.exe.so")" \
  "$(winpath "$FOLIMAR_BIN/tools/print_text.exe.so")" >"$work/twice.cmd"
reg 'HKCR\.qtwice' /ve /d Quorvel.Twice
reg 'HKCR\Quorvel.Twice\shell\print\command' /ve /d "C:\\windows\\system32\\cmd.exe /c $(winpath "$work/twice.cmd") \"%1\""
seq -f 'Twice line %g' 3 >"$docs/twice.qtwice"
expect "printed twice" "$(run "$(w twice.qtwice)" "$(w letter.txt)" "$(w notes.qdde)")" \
  "started 0 done 0 started 1 done 1 started 2 done 2 finished "
check_pdf "printed twice" twice.qtwice.pdf 1 twice.qtwice
check_pdf "the document after it" letter.txt.pdf 2 letter.txt
check_pdf "the one after that" notes.qdde.pdf 1 notes.qdde
after "printed twice"

# --- A job-id file planted in the spool folder that names a user's file: the row fails and the
# file stays as it was.
rm -f "$out"/*.pdf
cp "$work/private.txt" "$work/private.orig"
start_host "$work/host.txt" "$(w wait.qwait)" "$(w sample.ps)"
wait_until 120 has_line "$work/host.txt" "started 0" || fail "planted: the batch did not start"
# Only a job reported once the document's print program runs can be taken for it.
print_dde_runs() { [ -n "$(prefix_pids 'print_dde\.exe')" ]; }
wait_until 120 print_dde_runs || fail "planted: the print program did not start"
printf '%s' "$(winpath "$work/private.txt")" >"$spool/planted.tmp"
mv "$spool/planted.tmp" "$spool/77"
end_host "$work/host.txt"
expect "planted job-id file" "$host_lines" "started 0 failed 0 started 1 done 1 finished "
cmp -s "$work/private.txt" "$work/private.orig" || fail "planted: the user's file was changed"
echo "ok: planted: the user's file is as it was"
after "planted job-id file"

# --- No default printer before the batch: none after it, and none after a killed batch on a new
# profile (the note of the printer is written into a folder the batch makes).
wine reg add "$windows" /v Device /d "" /f >/dev/null 2>&1 || fail "cannot clear the default printer"
expect "no default: batch" "$(run "$(w sample.ps)")" "started 0 done 0 finished "
expect "no default: after the batch" "$(default_printer)" ""
rm -rf "$data"
start_host "$work/host.txt" "$(w wait.qwait)"
wait_until 120 has_line "$work/host.txt" "started 0" || fail "killed: the batch did not start"
expect "killed: the virtual printer is the default" "$(default_printer | cut -d, -f1)" "Quorvel Virtual Printer"
kill -9 $(prefix_pids 'batch_host\.exe') 2>/dev/null || true
wait "$host_pid" 2>/dev/null || true
prefix_pids 'print_dde\.exe' | xargs -r kill || true
start_batch_window
expect "killed: no default printer at the next start" "$(default_printer)" ""
"$driver" close "$window" --wait-exit >/dev/null || fail "cannot close the batch window"
reg "$windows" /v Device /d "Office Laser,winspool,LPT1:"
