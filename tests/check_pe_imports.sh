#!/usr/bin/env bash
# Checks that Windows programs are 64-bit and import only DLLs that Windows itself has
# (those in the Wine prefix's system32), not the MinGW runtime's: check_pe_imports.sh OBJDUMP EXE...
set -euo pipefail
objdump=$1
shift
system32=${WINEPREFIX:?}/drive_c/windows/system32
[ -d "$system32" ] || { echo "no Windows system folder at $system32"; exit 1; }
status=0
for exe in "$@"; do
  headers=$("$objdump" -p "$exe")
  grep -q '^Magic.*(PE32+)' <<<"$headers" || { echo "$exe: not a PE32+ program"; status=1; }
  dlls=$(sed -n 's/^\tDLL Name: //p' <<<"$headers")
  [ -n "$dlls" ] || { echo "$exe: no imports found"; status=1; }
  for dll in $dlls; do
    if [ -z "$(find "$system32" -maxdepth 1 -iname "$dll" -print -quit)" ]; then
      echo "$exe: imports $dll, which Windows does not have"
      status=1
    fi
  done
  echo "$exe:" $dlls
done
exit $status
