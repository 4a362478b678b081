#!/usr/bin/env bash
# Installs QuorvelFolimarSetup.exe silently in a Wine prefix made for this run, checks its files
# and registry entries, uninstalls it silently and checks that they, and only they, are gone:
#   install_test.sh SETUP.exe PREFIX DLL_HOLDER.exe
# Wine cannot do every step: it has no PostScript class driver, so "Quorvel Virtual Printer"
# itself is not installed here; everything around it is checked, and so is that the silent setup
# then says it failed: a non-zero exit code and the failed step in its log.
set -uo pipefail
setup=$1 holder=$3
export WINEPREFIX=$2
rm -rf "$WINEPREFIX"
trap 'wineserver -k >/dev/null 2>&1; rm -rf "$WINEPREFIX"' EXIT
wineboot -i >/dev/null 2>&1 || { echo "FAIL: wineboot"; exit 1; }

failures=0
check() { # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@" >/dev/null 2>&1; then echo "ok: $what"; else echo "FAIL: $what"; failures=$((failures + 1)); fi
}
absent() { ! "$@"; }
regkey() { wine reg query "$1" >/dev/null 2>&1; }
regvalue() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | grep -qi -- "$3"; }

c=$WINEPREFIX/drive_c
# The default folder; a /D= with spaces cannot be passed through Wine's quoting unchanged.
folder="$c/Program Files/Quorvel Folimar"
winfolder='C:\Program Files\Quorvel Folimar'
monitor_key='HKLM\System\CurrentControlSet\Control\Print\Monitors\Quorvel Port Monitor'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\QuorvelFolimar'
product_key='HKLM\SOFTWARE\Quorvel Folimar'
shortcut="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/Quorvel Folimar.lnk"

cp "$setup" "$c/setup.exe"
wine 'C:\setup.exe' /S
status=$?
wineserver -w
log="$c/ProgramData/Quorvel Folimar/setup.log"
sed 's/^/  setup.log: /' "$log" 2>/dev/null | tr -d '\r'
echo "setup exit code: $status"
check "a failed step makes the silent setup fail" test "$status" -ne 0 -a "$status" -ne 3010
check "the log names the failed step" grep -q 'qvsetup: install the PostScript class driver: FAILED: .' "$log"
check "the log says what to do about it" grep -q 'what to do: .*Microsoft PS Class Driver' "$log"
check "the log records the setup's own steps" grep -q 'setup: copy the port monitor: done' "$log"
check "the log sums up the failure" grep -q 'setup: finished: 1 step(s) FAILED' "$log"
for f in folimar.exe folimarc.exe folimar.chm qvsetup.exe uninstall.exe; do
  check "installed $f" test -s "$folder/$f"
done
check "monitor DLL in the system folder" test -s "$c/windows/system32/quorvelmon.dll"
check "Start-menu entry for the batch window" test -s "$shortcut"
check "program path recorded for the monitor" regvalue "$product_key" Program 'C:\\Program Files\\Quorvel Folimar\\folimar.exe'
check "port monitor registered" regvalue "$monitor_key" Driver quorvelmon.dll
check "uninstall entry" regvalue "$uninstall_key" UninstallString 'uninstall.exe'
# What the printer step would do on Windows, Wine cannot: no class driver to put the printer on.
echo "not checked under Wine: the PostScript class driver and the printer \"Quorvel Virtual Printer\" on it"
# The helper's own report of the steps Wine can do, run again as the setup runs it.
report=$(wine "$winfolder\\qvsetup.exe" install "$winfolder" 2>&1 | tr -d '\r')
echo "$report" | sed 's/^/  qvsetup: /'
check "helper reports the monitor step done" grep -q '^register the port monitor: done' <<<"$report"
check "helper reports the port step done" grep -q '^add the port QUORVEL:: done' <<<"$report"
check "helper reports a class-driver failure plainly" grep -q '^install the PostScript class driver: FAILED: .' <<<"$report"

# The setup run again while the monitor is in use, as the spooler holds it: the new file waits
# beside the old one and takes its place at the restart.
cp "$holder" "$c/dll_holder.exe"
wine 'C:\dll_holder.exe' 'C:\windows\system32\quorvelmon.dll' >"$c/holder.out" 2>&1 &
for _ in $(seq 100); do grep -q holding "$c/holder.out" && break; sleep 0.2; done
check "the monitor is held in use" grep -q holding "$c/holder.out"
wine 'C:\setup.exe' /S
check "an in-use monitor's successor waits beside it" test -s "$c/windows/system32/quorvelmon.dll.new"
check "the setup log says a restart is needed" grep -q 'replaced when Windows restarts' "$log"
check "the rename is recorded for the restart" regvalue 'HKLM\System\CurrentControlSet\Control\Session Manager' PendingFileRenameOperations quorvelmon
wineserver -k
wineboot -r >/dev/null 2>&1
wineserver -w
check "after the restart the monitor is in place" test -s "$c/windows/system32/quorvelmon.dll"
check "after the restart nothing waits beside it" absent test -e "$c/windows/system32/quorvelmon.dll.new"

echo "a file of the user's" >"$folder/notes.txt"
wine "$winfolder\\uninstall.exe" /S
wineserver -w
for f in folimar.exe folimarc.exe folimar.chm qvsetup.exe uninstall.exe; do
  check "removed $f" absent test -e "$folder/$f"
done
check "a file of the user's stays" test -s "$folder/notes.txt"
check "monitor DLL removed" absent test -e "$c/windows/system32/quorvelmon.dll"
check "Start-menu entry removed" absent test -e "$shortcut"
check "port monitor unregistered" absent regkey "$monitor_key"
check "program path removed" absent regkey "$product_key"
check "uninstall entry removed" absent regkey "$uninstall_key"
check "other monitors kept" regkey 'HKLM\System\CurrentControlSet\Control\Print\Monitors\Local Port'
echo "$failures failed"
[ "$failures" -eq 0 ]
