#!/usr/bin/env bash
# The DLLs the console converter's own process loads while it converts a job: no window or shell
# DLL (under Wine, user32 and gdi32 read the font configuration as they start, which costs more than
# a small job's render). Wine's service processes, which may start with it, load their own.
set -euo pipefail
. "$(dirname "$0")/checks.sh"

trace=$(WINEDEBUG=+loaddll "$folimarc" "$FOLIMAR_SOURCE/examples/sample.ps" "$work/sample.pdf" 2>&1 | tr 'A-Z' 'a-z')
check "converted" "$(pdfinfo "$work/sample.pdf" >/dev/null 2>&1 && echo yes)" yes
# A trace line starts with its thread's id; the converter's main thread loads the converter first.
own=$(awk -F: '/loaddll.*\\folimarc\.exe"/ && !id { id = $1 } id && $1 == id' <<<"$trace")
dlls=$(grep -o '[a-z0-9_]*\.\(dll\|drv\)"' <<<"$own" | tr -d '"' | sort -u | tr '\n' ' ')
echo "folimarc loads: $dlls"
check "kernel32 seen" "$(grep -c 'kernel32\.dll' <<<"$own" || true)" 1
check "window or shell DLLs" "$(grep -oE '\b(user32|gdi32|win32u|shell32|comctl32|comdlg32|ole32)\.dll' <<<"$dlls" | tr '\n' ' ' || true)" ""
[ "$failures" -eq 0 ]
