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
