#!/usr/bin/env bash
# Batch printing's stand-ins: a job whose print program carries the token of a batch that runs (the
# batch's object exists) is stored by the port in the spool folder as a .~ps file and announced
# with a file named with the job id, which holds the .~ps file's path and, on a line of its own,
# the token; print_text /p and print_dde (by DDE) print to the
# default printer and stay until WM_QUIT reaches them; printer_setup registers both as print
# verbs. Without a batch the port starts the program as before.
. "$(dirname "$0")/lib.sh"

setup=$FOLIMAR_BIN/tools/printer_setup.exe
port=$FOLIMAR_BIN/tools/folimar_port.exe
# Wine starts a Winelib program by its .so; its launcher script would get no process id of ours.
print_text=$FOLIMAR_BIN/tools/print_text.exe.so
print_dde=$FOLIMAR_BIN/tools/print_dde.exe.so
data=$(unixpath 'C:\users')/$(whoami)/AppData/Roaming/QUORPSFILES
spool=$data/TEMP
jobs=$data/JOBS

# job_ids: the spool folder's all-digit names, one a line.
job_ids() { find "$spool" -maxdepth 1 -type f -printf '%f\n' | grep -E '^[0-9]+$' || true; }

# wait_job_id: waits up to 30 s for a job-id file; sets id_file and ps (the .~ps file it names).
wait_job_id() {
  local i name
  for i in $(seq 300); do
    name=$(job_ids | head -n1)
    [ -n "$name" ] && break
    sleep 0.1
  done
  [ -n "$name" ] || fail "no job-id file in $spool: $(ls -A "$spool")"
  id_file=$spool/$name
  ps=$(unixpath "$(head -n1 "$id_file")")
}

# check_job LABEL TITLE PAGES: the job-id file holds the full Windows path of a PostScript .~ps
# file in the spool folder, then a line break and the print program's token, with no terminator;
# the job has that title and page count.
check_job() {
  local content LC_ALL=C
  content=$(head -n1 "$id_file")
  expect "$1: job-id file: the token" "$(sed -n 2p "$id_file")" "$FOLIMAR_JOB_TOKEN"
  expect "$1: job-id file has no terminator" "$(stat -c %s "$id_file")" "$((${#content} + 1 + ${#FOLIMAR_JOB_TOKEN}))"
  [[ $content =~ ^C:\\users\\[^\\]+\\AppData\\Roaming\\QUORPSFILES\\TEMP\\[^\\]+\.~ps$ ]] ||
    fail "$1: job-id file content: $content"
  [ -s "$ps" ] || fail "$1: no captured job at $ps"
  expect "$1: PostScript" "$(head -c 4 "$ps")" "%!PS"
  grep -qxF "%%Title: $2" "$ps" || fail "$1: no %%Title: $2 in $(grep -m1 '^%%Title' "$ps")"
  # Pages as Ghostscript renders them, and as the DSC trailer counts them.
  expect "$1: rendered pages" "$(gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=bbox "$ps" 2>&1 | grep -c '^%%BoundingBox')" "$3"
  grep -qxF "%%Pages: $3" "$ps" || fail "$1: no %%Pages: $3 in the trailer"
}

# Emptying the spool folder after a document, as the program does; "~dest.tmp" stays.
next_document() { find "$spool" -maxdepth 1 -type f ! -name '~dest.tmp' -delete; }

# --- Setup: the printer for the program, and the print programs registered in HKCR.
"$setup" --default --print-programs "$folimar" >/dev/null || fail "printer_setup --print-programs failed"
reg_default() { wine reg query "$1" /ve 2>/dev/null | tr -d '\r' | sed -n 's/^ *(Default) *REG_SZ *//p'; }
expect "HKCR .txt" "$(reg_default 'HKCR\.txt')" "Quorvel.TextDocument"
expect "HKCR text print command" "$(reg_default 'HKCR\Quorvel.TextDocument\shell\print\command')" \
  "\"$(winpath "$print_text")\" /p \"%1\""
expect "HKCR .qdde" "$(reg_default 'HKCR\.qdde')" "Quorvel.DdeDocument"
expect "HKCR DDE print command" "$(reg_default 'HKCR\Quorvel.DdeDocument\shell\print\command')" \
  "\"$(winpath "$print_dde")\""
expect "HKCR ddeexec" "$(reg_default 'HKCR\Quorvel.DdeDocument\shell\print\ddeexec')" '[print("%1")]'
expect "HKCR ddeexec application" "$(reg_default 'HKCR\Quorvel.DdeDocument\shell\print\ddeexec\Application')" \
  "QuorvelPrint"
expect "HKCR ddeexec topic" "$(reg_default 'HKCR\Quorvel.DdeDocument\shell\print\ddeexec\Topic')" "System"
"$setup" --print-programs "$folimar" >/dev/null || fail "registering again failed"
expect "HKCR .txt after registering again" "$(reg_default 'HKCR\.txt')" "Quorvel.TextDocument"

mkdir -p "$spool" "$jobs"
rm -f "$spool"/*
printf '%s' 'C:\users\me\Documents\doc.pdf' >"$spool/~dest.tmp"
# A batch takes jobs while its object exists: held for the test until the file goes. The print
# programs (and so the port) inherit the token of one of its documents.
touch "$work/batch"
"$driver" hold-mutex FOLIMAR_BATCH_7e57_1 "$(winpath "$work/batch")" >"$work/held" &
export FOLIMAR_JOB_TOKEN=FOLIMAR_BATCH_7e57_1/0
holder=$!
# It says so once it holds the mutex.
wait_lines "$work/held" 1
jobs_before=$(ls -A "$jobs" | wc -l)

# --- (a) print_text /p: two pages (a form feed parts them), then it waits for WM_QUIT.
printf 'First page of the document\n\fSecond page of the document\n' >"$work/doc.txt"
out=$("$driver" launch "$print_text" /p "$work/doc.txt")
pid=$(field pid "$out")
wait_job_id
check_job "print_text /p" "doc.txt" 2
gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=txtwrite -sOutputFile=- "$ps" | sed 's/\xc2\xa0/ /g' >"$work/text.txt"
grep -q 'Second page of the document' "$work/text.txt" || fail "job text: $(cat "$work/text.txt")"
expect "spool folder: note, job and job-id file only" "$(ls -A "$spool" | wc -l)" "3"
! "$driver" wait-exit "$pid" --timeout 1 >/dev/null 2>&1 || fail "print_text /p ended before WM_QUIT"
echo "ok: print_text /p still runs after printing"
out=$("$driver" post-quit "$pid" --wait-exit)
expect "print_text /p: exit after WM_QUIT" "$(field exit "$out")" "0"

# A file it cannot print: it still waits for WM_QUIT, then reports the failure.
next_document
out=$("$driver" launch "$print_text" -P "$work/missing.txt")
pid=$(field pid "$out")
! "$driver" wait-exit "$pid" --timeout 1 >/dev/null 2>&1 || fail "print_text /p ended before WM_QUIT"
out=$("$driver" post-quit "$pid" --wait-exit)
expect "print_text /p of a missing file: exit" "$(field exit "$out")" "1"
expect "print_text /p of a missing file: no job" "$(job_ids)" ""

# --- (b) print_dde: started without a document, prints what [print("...")] names.
next_document
name='Quarterly 100% (final).txt'
cp "$work/doc.txt" "$work/$name"
out=$("$driver" launch "$print_dde")
pid=$(field pid "$out")
out=$("$driver" dde-execute QuorvelPrint System "[open(\"$(winpath "$work/$name")\")]")
expect "open: acknowledged" "$(field result "$out")" "ack"
! "$driver" dde-execute QuorvelPrint System "[print(\"$(winpath "$work/$name")\"" 2>"$work/err.txt" ||
  fail "a command without its bracket was acknowledged"
grep -q 'did not process' "$work/err.txt" || fail "malformed command: $(cat "$work/err.txt")"
! "$driver" dde-execute QuorvelPrint Other "[print(\"x\")]" --timeout 2 2>/dev/null || fail "topic Other was served"
out=$("$driver" dde-execute QuorvelPrint System "[print(\"$(winpath "$work/$name")\")]")
expect "print: acknowledged" "$(field result "$out")" "ack"
wait_job_id
check_job "print_dde" "$name" 2
out=$("$driver" post-quit "$pid" --wait-exit)
expect "print_dde: exit after WM_QUIT" "$(field exit "$out")" "0"
# Only the print made a job; open and the refused commands made none (counted once the program
# has ended, so that no job of it can come later).
expect "print_dde: one job" "$(job_ids | wc -l)" "1"

# A print that fails is still acknowledged (the client has gone on) and counts at the end.
next_document
out=$("$driver" launch "$print_dde")
pid=$(field pid "$out")
"$driver" dde-execute QuorvelPrint System "[print(\"$(winpath "$work/missing.txt")\")]" >/dev/null ||
  fail "a print of a missing file was not acknowledged"
# The print was queued before the acknowledgement, so it is tried before WM_QUIT is taken.
out=$("$driver" post-quit "$pid" --wait-exit)
expect "print_dde of a missing file: exit" "$(field exit "$out")" "1"
expect "print_dde of a missing file: no job" "$(job_ids)" ""

# --- The port on its own during a batch: the job as it came, and no program started.
next_document
"$port" "$folimar" <"$FOLIMAR_SOURCE/examples/sample.ps" || fail "the port refused a batch job"
wait_job_id
cmp -s "$FOLIMAR_SOURCE/examples/sample.ps" "$ps" || fail "the stored batch job differs from its input"
expect "no ordinary job while the batch prints" "$(ls -A "$jobs" | wc -l)" "$jobs_before"
next_document
! "$port" "$folimar" </dev/null 2>"$work/err.txt" || fail "an empty batch job was accepted"
grep -q 'the job is empty' "$work/err.txt" || fail "empty job message: $(cat "$work/err.txt")"
expect "spool folder after an empty job" "$(ls -A "$spool")" "~dest.tmp"

# --- (c) Without a batch the port starts the program for the job, as before, even when a killed
# batch left its "~dest.tmp" and the print program carries that batch's token.
rm -f "$work/batch"
wait "$holder"
"$FOLIMAR_BIN/tools/print_text.exe" "$work/doc.txt"
window=$("$driver" wait-window TfrmMain)
expect "ordinary job: the single-job window" "$(field caption "$window")" "Quorvel Folimar"
out=$("$driver" close "$(field hwnd "$window")" --wait-exit)
expect "ordinary job: exit code" "$(field exit "$out")" "0"
# The program, started with no batch running, also removed the killed batch's note.
expect "ordinary job: nothing in the batch spool folder" "$(ls -A "$spool")" ""
