#!/usr/bin/env bash
# Quorvel Folimar on Linux (under Wine).
#   ./run.sh JOB.ps [OUT.pdf]   convert a PostScript print job to PDF (no display needed)
#   ./run.sh                    open the program's window (needs a display)
#   ./run.sh --print FILE.txt   print a text file to "Quorvel Virtual Printer", as a Windows program
#                               does: the program's window opens for the job (needs a display)
#   ./run.sh --port JOB.ps      hand a PostScript job to the printer's port, as the printer does
#                               (needs a display)
#   ./run.sh --help             this text
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)

usage() { sed -n '2,9s/^# \{0,1\}//p' "$0"; }

# What the call needs is checked before anything is built: a wrong call costs no build.
case "${1:-}" in
-h | --help)
  usage
  exit 0
  ;;
--print | --port)
  [ $# -eq 2 ] || { echo "usage: ./run.sh $1 FILE" >&2; exit 1; }
  [ -f "$2" ] || { echo "run.sh: no such file: $2" >&2; exit 1; }
  ;;
-*)
  echo "run.sh: unknown option: $1" >&2
  usage >&2
  exit 1
  ;;
"") ;;
*)
  [ $# -le 2 ] || { usage >&2; exit 1; }
  [ -f "$1" ] || { echo "run.sh: no such job: $1" >&2; exit 1; }
  ;;
esac
if [ $# -eq 0 ] || [ "$1" = --print ] || [ "$1" = --port ]; then
  if [ -z "${DISPLAY:-}" ]; then
    echo "run.sh: no display: the program's window needs the desktop's display (DISPLAY is not set)." >&2
    echo "        Run it from a terminal on your desktop, or convert a job without one: ./run.sh JOB.ps [OUT.pdf]" >&2
    exit 1
  fi
fi

build=${FOLIMAR_BUILD_DIR:-$top/build}
# Only what run.sh starts: the program with its help file, the converter and the printer's
# stand-ins (tests and benchmarks are test.sh's).
programs=(folimar folimarc tools/folimar_port tools/printer_setup tools/print_text tools/print_dde)
# Looking at every target takes make many seconds on a busy machine: a tree with no file newer than
# run.sh's last build (PDFs written into it aside), with every program there, is not looked at.
stamp=$build/run-build.stamp
up_to_date() {
  local p
  [ -f "$stamp" ] || return 1
  for p in "${programs[@]}"; do [ -f "$build/$p.exe.so" ] || return 1; done
  [ -z "$(find "$top" \( -name .git -o -name 'build*' -o -name dist -o -path "$build" \) -prune -o \
    -type f ! -name '*.pdf' -newer "$stamp" -print -quit)" ]
}
if ! up_to_date; then
  "$top/scripts/install-deps.sh"
  # The build's progress goes to standard error, so a first build (a few minutes) does not look
  # like a hang; the tools' own output goes to a log shown only when the build fails.
  [ -f "$build/CMakeCache.txt" ] || echo "run.sh: first run: configuring and building Quorvel Folimar (a few minutes)" >&2
  mkdir -p "$build"
  log=$build/run-build.log
  # Taken before the build: a file changed while it runs is newer and builds again next time.
  touch "$stamp.new"
  if ! "$top/scripts/build.sh" "${programs[@]##*/}" 2>&1 | tee "$log" |
    awk '/^\[ *[0-9]+%\] (Building|Linking)/ {
      if (!said) { print "run.sh: building Quorvel Folimar"; said = 1 }
      print; fflush()
    }' >&2; then
    echo "run.sh: the build failed; its output (also in $log):" >&2
    cat "$log" >&2
    exit 1
  fi
  mv "$stamp.new" "$stamp"
fi
. "$top/scripts/wine-env.sh"
export WINEPREFIX=${FOLIMAR_WINEPREFIX:-${XDG_DATA_HOME:-$HOME/.local/share}/quorvel-folimar/wineprefix}
"$top/scripts/wine-prefix.sh" "$WINEPREFIX"

if [ $# -eq 0 ]; then
  # The batch window needs the virtual printer; define it in this prefix (the default printer
  # stays), and register the print programs so that .txt files print in a batch.
  "$build/tools/printer_setup.exe" --print-programs "$build/folimar.exe.so" >/dev/null
  exec "$build/folimar.exe"
fi

if [ "$1" = --print ] || [ "$1" = --port ]; then
  # The printer of this prefix, printing into the port, which starts the program for each job.
  "$build/tools/printer_setup.exe" --default "$build/folimar.exe.so" >/dev/null
  if [ "$1" = --print ]; then
    "$build/tools/print_text.exe" "$2" "Quorvel Virtual Printer"
  else
    "$build/tools/folimar_port.exe" "$build/folimar.exe.so" <"$2"
  fi
  echo "$2: handed to Quorvel Virtual Printer; the Quorvel Folimar window opens for it."
  exit 0
fi

job=$1
out=${2:-${job%.*}.pdf}
"$build/folimarc.exe" "$job" "$out" >/dev/null
echo "$out: $(pdfinfo "$out" | awk '/^Pages:/ {print $2}') pages"
