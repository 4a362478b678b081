#!/usr/bin/env bash
# The virtual printer's stand-ins: printer_setup defines "Quorvel Virtual Printer" with the port,
# print_text prints to it through GDI, and the port stores the job, writes the companion file and
# starts the program with the eight-argument command line, without waiting for it. The program
# is first the test driver in its recording mode, then the real program.
. "$(dirname "$0")/lib.sh"

setup=$FOLIMAR_BIN/tools/printer_setup.exe
print=$FOLIMAR_BIN/tools/print_text.exe
port=$FOLIMAR_BIN/tools/folimar_port.exe
recorder=$FOLIMAR_BIN/tools/folimar_testdriver.exe.so
printer="Quorvel Virtual Printer"
record=$work/record.txt
release=$work/release
spool=$(unixpath 'C:\users')/$(whoami)/AppData/Roaming/QUORPSFILES/JOBS

# with_recorder COMMAND...: runs COMMAND with the recorder's settings in its environment, which
# the port and the program it starts inherit.
with_recorder() {
  FOLIMAR_TESTDRIVER_RECORD=$(winpath "$record") FOLIMAR_TESTDRIVER_HOLD=$(winpath "$release") "$@"
}

# recorded_job N: splits line N of the record into arg1..arg8; fails unless it is exactly eight
# double-quoted arguments separated by single spaces.
recorded_job() {
  local LC_ALL=C # the line is in the ANSI code page, not UTF-8
  local line re='^"([^"]*)" "([^"]*)" "([^"]*)" "([^"]*)" "([^"]*)" "([^"]*)" "([^"]*)" "([^"]*)"$'
  line=$(sed -n "$1p" "$record")
  [[ $line =~ $re ]] || fail "not the port's command line: $line"
  for i in 1 2 3 4 5 6 7 8; do
    printf -v "arg$i" '%s' "${BASH_REMATCH[$i]}"
  done
}

utf8_of() { printf '%s' "$1" | iconv -f WINDOWS-1252 -t UTF-8; }

# check_job LABEL TITLE: the first line of the record names a stored PostScript job of that title,
# of the size it says, and its companion file.
check_job() {
  recorded_job 1
  local job companion
  job=$(unixpath "$arg1")
  companion=$(unixpath "$arg3")
  expect "$1: printer argument" "$arg2" "$printer"
  expect "$1: title argument" "$arg7" "$2"
  [[ $arg1 =~ \\QUORPSFILES\\JOBS\\job-[0-9]{8}-[0-9]{6}-[0-9a-f]+(-[0-9]+)?\.ps$ ]] || fail "job file name: $arg1"
  expect "$1: companion beside the job" "$arg3" "${arg1%.ps}.inf"
  expect "$1: size argument" "$arg5" "$(stat -c %s "$job")"
  # The recorder reads its command line in code page 1252; the port writes its files in UTF-8, as
  # the program reads them.
  grep -qxF "JobFile=$(utf8_of "$arg1")"$'\r' "$companion" || fail "companion file $companion: $(cat "$companion")"
  grep -qxF "Document=$(utf8_of "$2")"$'\r' "$companion" || fail "companion file $companion: $(cat "$companion")"
  echo "ok: $1: stored as $job"
}

spool_count() { find "$spool" -maxdepth 1 -type f 2>/dev/null | wc -l; }

# --- Setup: added once, then left alone; the [Devices] entry names the port and the program.
# Other tests of this prefix may have defined the printer for the program itself already: then
# it is defined anew for the recorder.
devices='HKCU\Software\Microsoft\Windows NT\CurrentVersion\Devices'
if wine reg query "$devices" /v "$printer" >/dev/null 2>&1; then first=replaced; else first=added; fi
out=$("$setup" --default "$recorder")
expect "setup state" "$(field state "$out")" "$first"
expected_devices="wineps.drv,|'$FOLIMAR_BIN/tools/folimar_port.exe' '$(winpath "$recorder")'"
expect "[Devices] entry" "$(field devices "$out")" "$expected_devices"
out=$("$setup" --default "$recorder")
expect "setup again" "$(field state "$out")" "unchanged"

# --- A text file printed by name: the port starts the program and does not wait for it.
printf 'First line of the note\n\tSecond line, indented\n' >"$work/note.txt"
with_recorder "$print" "$work/note.txt" "$printer"
wait_lines "$record" 1
expect "print_text returned while the program still ran" "$(wc -l <"$record")" "1"
check_job "printed by name" "note.txt"
recorded_job 1
grep -qxF '%%Title: note.txt' "$(unixpath "$arg1")" || fail "no %%Title: note.txt in the job"
# Wine's driver shows spaces with a glyph that text extraction reads as a no-break space.
gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=txtwrite -sOutputFile=- "$(unixpath "$arg1")" |
  sed 's/\xc2\xa0/ /g' >"$work/text.txt"
grep -q 'First line of the note' "$work/text.txt" || fail "job text: $(cat "$work/text.txt")"
grep -q 'Second line, indented' "$work/text.txt" || fail "job text: $(cat "$work/text.txt")"
touch "$release"
wait_lines "$record" 2
expect "the program ran on after the print" "$(sed -n 2p "$record")" "released"

# --- The default printer, and a name that Wine's driver writes in PostScript string form.
rm -f "$release"
: >"$record"
accented=$(printf 'Caf\xc3\xa9 (draft) v2.txt')
cp "$work/note.txt" "$work/$accented"
touch "$release"
with_recorder "$print" "$work/$accented"
wait_lines "$record" 2
check_job "printed to the default printer" "$(printf 'Caf\xe9 (draft) v2.txt')"

# --- The port on its own, as ./run.sh --port uses it.
: >"$record"
with_recorder "$port" "$recorder" <"$FOLIMAR_SOURCE/examples/sample.ps"
wait_lines "$record" 2
check_job "piped into the port" "Quorvel Folimar sample"
cmp -s "$FOLIMAR_SOURCE/examples/sample.ps" "$(unixpath "$arg1")" || fail "the stored job differs from its input"

# A job without a title still gives eight arguments, the seventh empty.
: >"$record"
grep -v '^%%Title:' "$FOLIMAR_SOURCE/examples/sample.ps" | with_recorder "$port" "$recorder"
wait_lines "$record" 2
check_job "without a title" ""

# An empty job and a program that cannot start fail, and leave nothing in the spool folder.
before=$(spool_count)
! with_recorder "$port" "$recorder" </dev/null 2>"$work/err.txt" || fail "an empty job was accepted"
grep -q 'the job is empty' "$work/err.txt" || fail "empty job message: $(cat "$work/err.txt")"
! "$port" "$work/no-such-program.exe" <"$FOLIMAR_SOURCE/examples/sample.ps" 2>"$work/err.txt" ||
  fail "a job for a missing program was accepted"
grep -q 'cannot start' "$work/err.txt" || fail "missing program message: $(cat "$work/err.txt")"
expect "spool folder after the failures" "$(spool_count)" "$before"

# --- print_text refuses what it cannot print.
! "$print" "$work/missing.txt" "$printer" 2>"$work/err.txt" || fail "printed a missing file"
grep -q 'cannot read' "$work/err.txt" || fail "missing file message: $(cat "$work/err.txt")"
! "$print" "$work/note.txt" "No Such Printer" 2>"$work/err.txt" || fail "printed to a missing printer"
grep -q 'cannot open the printer "No Such Printer"' "$work/err.txt" || fail "printer message: $(cat "$work/err.txt")"

# --- The real program: printing opens the single-job window for the job.
out=$("$setup" --default "$folimar")
expect "setup for the program" "$(field state "$out")" "replaced"
"$print" "$work/note.txt"
window=$("$driver" wait-window TfrmMain)
expect "printed job: caption" "$(field caption "$window")" "Quorvel Folimar"
expect "printed job: client size" "$(field client "$window")" "403x224"
screenshot printed-note
out=$("$driver" close "$(field hwnd "$window")" --wait-exit)
expect "printed job: exit code" "$(field exit "$out")" "0"
