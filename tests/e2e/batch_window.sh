#!/usr/bin/env bash
# The batch window as a user works it: documents added by the open dialog and by drop (refused
# ones told once with the tip, sizes, planned PDF paths in both modes, duplicates), removed by
# their row buttons and the Delete key; F1 and the web link reaching what the shell opens, and F1
# naming the help's page when no browser starts; "core components not found" without the virtual
# printer.
. "$(dirname "$0")/lib.sh"

docs=$work/docs
out=$work/out
record=$work/record.txt
mkdir -p "$docs/sub" "$docs/folder.txt" "$out"
data=$(unixpath 'C:\users')/$(whoami)/AppData/Roaming/QUORPSFILES
devices='HKCU\Software\Microsoft\Windows NT\CurrentVersion\Devices'
recorder="\"$(winpath "$FOLIMAR_BIN/tools/folimar_testdriver.exe.so")\" record \"$(winpath "$record")\""

reg() { wine reg add "$@" /f >/dev/null 2>&1 || fail "reg add $*"; }

# File types of the test prefix: one with a print command, text files printed as text, and
# recorders where the shell opens help files and web pages.
reg 'HKCR\.qvd' /ve /d qvdfile
reg 'HKCR\qvdfile' /ve /d "Quorvel test document"
reg 'HKCR\qvdfile\shell\print\command' /ve /d 'notepad.exe /p "%1"'
reg 'HKCR\.txt' /ve /d txtfile
reg 'HKCR\.chm' /ve /d folimartest.chm
reg 'HKCR\folimartest.chm\shell\open\command' /ve /d "$recorder \"%1\""
reg 'HKCR\https\shell\open\command' /ve /d "$recorder \"%1\""
# Under Wine F1 opens the help's pages through winebrowser, which hands them to the desktop's
# browser: here a recorder of the test's own.
printf '#!/bin/sh\necho "browser $*" >>"%s"\n' "$record" >"$work/browser"
chmod +x "$work/browser"
reg 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$work/browser"

# Documents of known sizes: the size text's units; refused: empty, a folder, no extension, a
# type without a print command.
head -c 1023 /dev/zero | tr '\0' a >"$docs/a.txt"
head -c 1024 /dev/zero >"$docs/b.ps"
head -c 1048576 /dev/zero >"$docs/c.qvd"
echo 'int main() {}' >"$docs/main.cpp"
: >"$docs/empty.txt"
echo x >"$docs/noext"
echo x >"$docs/unknown.xyz"
echo y >"$docs/sub/a.txt"

# settings OVERWRITE: the settings file the window reads at its start.
settings() {
  mkdir -p "$data"
  printf '[Folimar]\r\nOutputFolder=%s\\\r\nOverWrite=%s\r\n' "$(winpath "$out")" "$1" >"$data/folimar.ini"
}


# rows: the list's rows as "caption|size|planned PDF|image|status", one per line.
rows() { "$driver" rows "$window" 107 | sed 's/^row=[0-9]*\t//' | awk -F'\t' '{print $1 "|" $2 "|" $3 "|" $4 "|" $5}'; }

# tip CASE REFUSED...: the tip, naming each refused file and why ("name: reason"), is shown once;
# answered, no second one follows.
tip() {
  local o what=$1 text="Some files cannot be converted.\\n" line
  shift
  for line in "$@"; do text+="\\n$line"; done
  o=$("$driver" wait-msgbox --pid "$pid" --timeout 10)
  expect "$what: tip caption" "$(field caption "$o")" "Tip"
  expect "$what: tip text" "$(field text "$o")" "$text"
  "$driver" answer-msgbox OK --pid "$pid" >/dev/null
  ! "$driver" wait-msgbox --pid "$pid" --timeout 2 >/dev/null 2>&1 || fail "$what: a second message box"
  echo "ok: $what: the tip once"
}

no_box() { ! "$driver" wait-msgbox --pid "$pid" --timeout 2 >/dev/null 2>&1 || fail "$1: a message box"; }

w() { winpath "$docs/$1"; }
outw=$(winpath "$out")

# --- Without the virtual printer: the error, then the program ends. The printer's [Devices]
# entry is taken away for it and put back after.
"$FOLIMAR_BIN/tools/printer_setup.exe" "$folimar" >/dev/null
entry=$(wine reg query "$devices" /v "Quorvel Virtual Printer" | tr -d '\r' |
  sed -n 's/^ *Quorvel Virtual Printer *REG_SZ *//p')
[ -n "$entry" ] || fail "no [Devices] entry for the printer"
wine reg delete "$devices" /v "Quorvel Virtual Printer" /f >/dev/null 2>&1 || fail "cannot remove the printer"
o=$("$driver" launch "$folimar")
pid=$(field pid "$o")
o=$("$driver" wait-msgbox --pid "$pid")
expect "no printer: caption" "$(field caption "$o")" "Quorvel Folimar Error"
expect "no printer: text" "$(field text "$o")" "Sorry, some core components not found, application will be terminated!"
! "$driver" wait-window TfrmMain_1 --pid "$pid" --timeout 0 >/dev/null 2>&1 || fail "no printer: the window shows"
o=$("$driver" answer-msgbox OK --pid "$pid" --wait-exit)
expect "no printer: the program ends" "$(field exit "$o")" "1"

reg "$devices" /v "Quorvel Virtual Printer" /d "$entry"

# --- "Overwrite" mode: a PDF already there is planned over.
settings 1
touch "$out/a.txt.pdf"
start_batch_window
expect "empty list: Create PDF" "$("$driver" enabled "$window" 102)" "disabled"
"$driver" drop "$window" 107 "$(w a.txt)" "$(w b.ps)" "$(w empty.txt)" "$(w folder.txt)" "$(w noext)" \
  "$(w c.qvd)" "$(w unknown.xyz)" "$(w main.cpp)" >/dev/null
tip "drop of eight, four refused" "empty.txt: empty" "folder.txt: a folder" \
  "noext: no file type (the name has no extension)" "unknown.xyz: no program can print .xyz files"
expected="a.txt|  1023 B|$outw\\a.txt.pdf|1|1
b.ps|  1.00 K|$outw\\b.ps.pdf|1|1
c.qvd|  1.00 M|$outw\\c.qvd.pdf|1|1
main.cpp|    14 B|$outw\\main.cpp.pdf|1|1"
expect "rows after the drop" "$(rows)" "$expected"
# A document is listed once, whatever its letter case; a drop of only new files shows no tip.
"$driver" drop "$window" 107 "$(w A.TXT)" >/dev/null
tip "duplicate" "A.TXT: already listed"
expect "duplicate: rows" "$(rows | wc -l)" "4"
screenshot batch-window
"$driver" children "$window" | grep -q '^id=1001 class=Button enabled=1 visible=1' || fail "no row button for b.ps"

# --- Removing: the row button of b.ps, then the first row by the Delete key.
captions() { rows | cut -d'|' -f1 | tr '\n' ' '; }
"$driver" click "$window" 1001 >/dev/null
wait_expect "row button: rows" "a.txt c.qvd main.cpp " captions
! "$driver" children "$window" | grep -q '^id=1001 ' || fail "the row button of b.ps is left behind"
echo "ok: the row button is gone with its row"
"$driver" keys "$window" home delete >/dev/null
wait_expect "Delete key: rows" "c.qvd main.cpp " captions
"$driver" keys "$window" home shift+end delete >/dev/null
wait_expect "Delete of all: rows" "" captions
expect "emptied: Create PDF" "$("$driver" enabled "$window" 102)" "disabled"

# --- Adding by the open dialog: to the folder, then three names of which one is refused.
"$driver" click "$window" 101 >/dev/null
dialog=$(field hwnd "$("$driver" wait-window --title "Open" --pid "$pid")")
[ -n "$dialog" ] || fail "no open dialog"
name=$("$driver" children "$dialog" | sed -n 's/^id=\([0-9]*\) class=Edit .* visible=1 .*/\1/p' | head -n1)
[ -n "$name" ] || fail "no file name field in the open dialog"
"$driver" set-text "$dialog" "$name" "$(winpath "$docs")" >/dev/null
"$driver" click "$dialog" Open >/dev/null
# The dialog has gone into the folder once its file list shows the folder's files.
listed() { "$driver" rows "$dialog" SysListView32#1 | grep -qE $'\tc(\\.qvd)?\t'; }
wait_until 60 listed || fail "the open dialog did not go into $(winpath "$docs")"
"$driver" set-text "$dialog" "$name" '"c.qvd" "empty.txt" "b.ps"' >/dev/null
screenshot batch-open-dialog
"$driver" click "$dialog" Open >/dev/null
tip "open dialog with one refused" "empty.txt: empty"
expect "open dialog: rows" "$(rows | cut -d'|' -f1,3 | tr '\n' ' ')" "c.qvd|$outw\\c.qvd.pdf b.ps|$outw\\b.ps.pdf "

# --- F1 opens the help's first page beside the program in the browser (the help file itself is
# for Windows, which can show it); the link opens the web page.
page=$(realpath "$FOLIMAR_BIN")/help-html/index.htm
cmp -s "$page" "$FOLIMAR_SOURCE/help/index.htm" || fail "no help page at $page"
"$driver" keys "$window" f1 >/dev/null
wait_lines "$record" 1
expect "F1 opens" "$(sed -n 1p "$record")" "browser file://$page"
"$driver" keys "$window" alt+f1 >/dev/null
wait_lines "$record" 2
expect "Alt+F1 opens" "$(sed -n 2p "$record")" "browser file://$page"
# With no browser to hand the pages to, F1 says where the help is instead of doing nothing.
reg 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$work/no-such-browser"
"$driver" keys "$window" f1 >/dev/null
o=$("$driver" wait-msgbox --pid "$pid" --timeout 60) || fail "F1 without a browser: no message box"
expect "F1 without a browser: caption" "$(field caption "$o")" "Help"
field text "$o" | grep -qF "$page" || fail "F1 without a browser: the box does not name $page: $(field text "$o")"
echo "ok: F1 without a browser: the box names the page"
screenshot batch-help-not-opened
"$driver" answer-msgbox OK --pid "$pid" >/dev/null
expect "F1 without a browser: nothing opened" "$(wc -l <"$record")" "2"
reg 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$work/browser"
"$driver" click "$window" 109 >/dev/null
wait_lines "$record" 3
sed -n 3p "$record" | grep -qF '"https://www.quorvel.com/folimar"' || fail "the link opened: $(sed -n 3p "$record")"
echo "ok: the link opens the web page"
"$driver" close "$window" --wait-exit >/dev/null

# --- "New name" mode: the first free numbered name; a namesake in another folder plans the next.
settings 0
touch "$out/a.txt1.pdf"
start_batch_window
"$driver" drop "$window" 107 "$(w a.txt)" "$(w sub/a.txt)" >/dev/null
no_box "new name"
expect "new name: rows" "$(rows | cut -d'|' -f1,3 | tr '\n' ' ')" "a.txt|$outw\\a.txt2.pdf a.txt|$outw\\a.txt3.pdf "
o=$("$driver" close "$window" --wait-exit)
expect "exit code" "$(field exit "$o")" "0"
