#!/usr/bin/env bash
# Quorvel Folimar on Linux (under Wine).
#   ./run.sh JOB.ps [OUT.pdf]   convert a PostScript print job to PDF (no display needed)
#   ./run.sh                    open the program's window (needs a display)
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh" >/dev/null
build=${FOLIMAR_BUILD_DIR:-$top/build}
. "$top/scripts/wine-env.sh"
export WINEPREFIX=${FOLIMAR_WINEPREFIX:-${XDG_DATA_HOME:-$HOME/.local/share}/quorvel-folimar/wineprefix}
"$top/scripts/wine-prefix.sh" "$WINEPREFIX"

if [ $# -eq 0 ]; then
  if [ -z "${DISPLAY:-}" ]; then
    echo "run.sh: no display. Start the window under a virtual one: xvfb-run -a ./run.sh" >&2
    echo "        or convert a job without one: ./run.sh JOB.ps [OUT.pdf]" >&2
    exit 1
  fi
  exec "$build/folimar.exe"
fi

job=$1
[ -f "$job" ] || { echo "run.sh: no such job: $job" >&2; exit 1; }
out=${2:-${job%.*}.pdf}
"$build/folimarc.exe" "$job" "$out" >/dev/null
echo "$out: $(pdfinfo "$out" | awk '/^Pages:/ {print $2}') pages"
