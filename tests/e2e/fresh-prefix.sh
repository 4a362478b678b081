#!/usr/bin/env bash
# Makes the end-to-end tests' Wine prefix anew: tests/e2e/fresh-prefix.sh DIR
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
. "$top/scripts/wine-env.sh"
export WINEPREFIX=$1
if [ -d "$WINEPREFIX" ]; then
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
fi
"$top/scripts/wine-prefix.sh" "$WINEPREFIX"
