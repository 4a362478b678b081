# Sourced by the batch end-to-end scripts: the virtual printer and the print programs of the
# test prefix, another printer as the user's default, file types that fail or never print, the
# documents, and the checks every ended batch must pass.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

docs=$work/docs
out=$work/out
mkdir -p "$docs" "$out"
data=$(unixpath 'C:\users')/$(whoami)/AppData/Roaming/QUORPSFILES
spool=$data/TEMP
print_dde=$FOLIMAR_BIN/tools/print_dde.exe.so
devices='HKCU\Software\Microsoft\Windows NT\CurrentVersion\Devices'
windows='HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows'

reg() { wine reg add "$@" /f >/dev/null 2>&1 || fail "reg add $*"; }

# The virtual printer and the print programs; another printer is the user's default.
"$FOLIMAR_BIN/tools/printer_setup.exe" --print-programs "$folimar" >/dev/null || fail "printer_setup"
reg "$devices" /v "Office Laser" /d "winspool,LPT1:"
reg "$windows" /v Device /d "Office Laser,winspool,LPT1:"
# A type whose print program is missing, and one whose program takes the document but never prints.
reg 'HKCR\.qfail' /ve /d Quorvel.Missing
reg 'HKCR\Quorvel.Missing\shell\print\command' /ve /d '"C:\no\such\printer.exe" /p "%1"'
reg 'HKCR\.qwait' /ve /d Quorvel.Waiting
reg 'HKCR\Quorvel.Waiting\shell\print\command' /ve /d "\"$(winpath "$print_dde")\""
reg 'HKCR\Quorvel.Waiting\shell\print\ddeexec' /ve /d '[open("%1")]'
reg 'HKCR\Quorvel.Waiting\shell\print\ddeexec\Application' /ve /d QuorvelPrint
reg 'HKCR\Quorvel.Waiting\shell\print\ddeexec\Topic' /ve /d System

# Documents: two pages of text, one page for the DDE server, the three-page sample job.
seq -f 'Line %g of the letter' 90 >"$docs/letter.txt"
printf 'Notes for the DDE print server\r\n' >"$docs/notes.qdde"
cp "$FOLIMAR_SOURCE/examples/sample.ps" "$docs/sample.ps"
cp "$docs/sample.ps" "$work/sample.orig"
echo x >"$docs/broken.qfail"
echo x >"$docs/wait.qwait"
w() { winpath "$docs/$1"; }
outw=$(winpath "$out")

pdf_field() { pdfinfo "$1" 2>/dev/null | sed -n "s/^$2: *//p"; }
check_pdf() {
  [ -f "$out/$2" ] || fail "$1: no $2"
  expect "$1: $2 pages" "$(pdf_field "$out/$2" Pages)" "$3"
  expect "$1: $2 title" "$(pdf_field "$out/$2" Title)" "$4"
}
spool_files() { find "$spool" -maxdepth 1 -type f 2>/dev/null | wc -l; }
# print_programs: how many print programs of this prefix still run once they had 30 s to take
# their WM_QUIT.
no_print_programs() { [ -z "$(prefix_pids 'print_(text|dde)\.exe')" ]; }
print_programs() {
  wait_until 30 no_print_programs || true
  prefix_pids 'print_(text|dde)\.exe' | xargs -r ps -o pid=,args= -p >&2 || true
  prefix_pids 'print_(text|dde)\.exe' | wc -l
}
default_printer() { wine reg query "$windows" /v Device | tr -d '\r' | sed -n 's/^ *Device *REG_SZ *//p'; }

# check_four_documents: the PDFs of letter.txt, notes.qdde and sample.ps with their pages and
# titles, none for broken.qfail, and sample.ps as it was.
check_four_documents() {
  check_pdf "text" letter.txt.pdf 2 letter.txt
  check_pdf "DDE" notes.qdde.pdf 1 notes.qdde
  check_pdf "PostScript" sample.ps.pdf 3 "Quorvel Folimar sample"
  [ ! -e "$out/broken.qfail.pdf" ] || fail "a PDF for the failed document"
  cmp -s "$docs/sample.ps" "$work/sample.orig" || fail "the PostScript document was changed"
}

# after LABEL: what every ended batch leaves behind.
after() {
  expect "$1: default printer" "$(default_printer)" "Office Laser,winspool,LPT1:"
  expect "$1: spool folder" "$(spool_files)" "0"
  expect "$1: print programs running" "$(print_programs)" "0"
}

