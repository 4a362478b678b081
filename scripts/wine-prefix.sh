#!/usr/bin/env bash
# Creates a Wine prefix if it does not exist yet: scripts/wine-prefix.sh DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh"
export WINEPREFIX=$1
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  # No display while the prefix is made: an installer dialog could otherwise wait forever.
  env -u DISPLAY wineboot -i >/dev/null 2>&1
  wineserver -w
fi
