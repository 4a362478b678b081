# Sourced by the end-to-end scripts: the programs, checks, screenshots and clean-up.
# Needs FOLIMAR_BIN, FOLIMAR_SOURCE, WINEPREFIX (tests/e2e/e2e.cmake) and a display (xvfb-run).
set -euo pipefail
: "${FOLIMAR_BIN:?}" "${FOLIMAR_SOURCE:?}" "${WINEPREFIX:?}"
: "${DISPLAY:?needs a display: run it under xvfb-run -a}"
. "$FOLIMAR_SOURCE/scripts/wine-env.sh"

driver=$FOLIMAR_BIN/tools/folimar_testdriver.exe
folimar=$FOLIMAR_BIN/folimar.exe.so
work=$(mktemp -d)

# The prefix's desktop takes the display of the process that starts it: start it for ours, and
# end every process of the prefix with the test.
wineserver -k 2>/dev/null || true
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# expect WHAT ACTUAL EXPECTED
expect() {
  [ "$2" = "$3" ] || fail "$1: got '$2', expected '$3'"
  echo "ok: $1"
}

# winpath FILE: the Windows name of a Linux path, as Wine maps it (drive Z: is /).
winpath() {
  local p
  p=$(realpath -m "$1")
  printf 'Z:%s' "${p//\//\\}"
}

# unixpath WINDOWS_PATH: the Linux name of a Windows path. The first Wine command of a fresh
# prefix may print the prefix's start-up messages on its standard output too: only winepath's
# own answer, the last line, counts.
unixpath() {
  local out
  out=$(winepath -u "$1") || return 1
  printf '%s\n' "${out##*$'\n'}"
}

# field NAME OUTPUT: the value of the first NAME=... line of a driver's output.
field() { sed -n "s/^$1=//p" <<<"$2" | head -n1; }

# wait_until SECONDS CMD...: runs CMD until it succeeds, for at most SECONDS; its status. The
# programs act in their own time (a posted click, a typed key, a thread's step): a test waits for
# what it checks, never for a fixed while.
wait_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# wait_expect WHAT EXPECTED CMD...: waits up to 60 s until CMD prints EXPECTED; fails with what it
# printed last.
wait_expect() {
  local what=$1 expected=$2 got deadline=$((SECONDS + 60))
  shift 2
  until got=$("$@") && [ "$got" = "$expected" ]; do
    [ "$SECONDS" -lt "$deadline" ] || fail "$what: got '$got', expected '$expected'"
    sleep 0.1
  done
  echo "ok: $what"
}

has_lines() { [ -f "$1" ] && [ "$(wc -l <"$1")" -ge "$2" ]; }

# wait_lines FILE N: waits up to 60 s until FILE has at least N lines.
wait_lines() { wait_until 60 has_lines "$1" "$2" || fail "$1 did not get $2 line(s)"; }

# prefix_pids PATTERN: the processes of this test's Wine prefix whose command line matches; other
# prefixes on the machine run programs of the same names.
prefix_pids() {
  local p
  for p in $(pgrep -f "$1"); do
    tr '\0' '\n' 2>/dev/null <"/proc/$p/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$p"
  done
  return 0
}

# no_message_box PID: the process shows no message box (one answered has gone).
no_message_box() { ! "$driver" wait-msgbox --pid "$1" --timeout 0 >/dev/null 2>&1; }

# screenshot NAME: the whole screen into the build folder.
screenshot() {
  import -window root "$FOLIMAR_BIN/e2e-$1.png"
  echo "screenshot: $FOLIMAR_BIN/e2e-$1.png"
}

# quoted ARG...: each argument in double quotes, single spaces, as the printer port writes them.
quoted() { printf '"%s" ' "$@" | sed 's/ $//'; }

# start_job JOB TITLE COMPANION: the program started as the printer port starts it for JOB;
# sets pid and window. A busy machine takes Wine more than half a minute to start a program.
start_job() {
  local line out
  line=$(quoted "$(winpath "$1")" "Quorvel Virtual Printer" "$(winpath "$3")" "me" "$(stat -c %s "$1")" \
    "20261210093000" "$2" "RAW")
  out=$("$driver" launch-raw "$folimar" "$line")
  pid=$(field pid "$out")
  window=$(field hwnd "$("$driver" wait-window TfrmMain --pid "$pid" --timeout 180)")
  [ -n "$window" ] || fail "no single-job window"
}

# start_batch_window: the program as a user starts it (the batch window); sets pid and window.
start_batch_window() {
  local o
  o=$("$driver" launch "$folimar")
  pid=$(field pid "$o")
  window=$(field hwnd "$("$driver" wait-window TfrmMain_1 --pid "$pid" --timeout 180)")
  [ -n "$window" ] || fail "no batch window"
}

# set_documents FOLDER: the documents folder the single-job window proposes PDFs in.
set_documents() {
  local key folders='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer'
  for key in "Shell Folders" "User Shell Folders"; do
    wine reg add "$folders\\$key" /v Personal /d "$(winpath "$1")" /f >/dev/null 2>&1 ||
      fail "cannot set the documents folder"
  done
}
