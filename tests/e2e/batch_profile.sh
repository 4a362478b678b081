#!/usr/bin/env bash
# A profile folder with a letter outside ASCII (a Linux user "josé": C:\users\josé): the printer's
# port and the program meet in the same spool folder and read each other's files in one encoding,
# so a printed document makes its PDF in a batch, and an ordinary print reaches the single-job
# window with its title.
. "$(dirname "$0")/batch_lib.sh"

host=$FOLIMAR_BIN/tests/batch_host.exe
profile=$(unixpath 'C:\users')/josé
appdata='C:\users\josé\AppData\Roaming'
mkdir -p "$profile/AppData/Roaming" "$profile/Documents"
folders='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer'
for key in "Shell Folders" "User Shell Folders"; do
  reg "$folders\\$key" /v AppData /d "$appdata"
  reg "$folders\\$key" /v Personal /d 'C:\users\josé\Documents'
done
spool=$profile/AppData/Roaming/QUORPSFILES/TEMP

# --- A batch: the port hands the job to the batch through josé's spool folder.
o=$("$host" --reasons "$outw" "$(w letter.txt)") || fail "batch_host failed: $o"
expect "batch" "$(tr '\n' ' ' <<<"$o")" "started 0 done 0 finished "
check_pdf "batch" letter.txt.pdf 2 letter.txt
[ -d "$spool" ] || fail "no spool folder in josé's profile"
expect "spool folder after the batch" "$(spool_files)" 0
after "josé's batch"

# --- An ordinary print of a document named outside ASCII: the single-job window proposes its
# name in josé's documents folder and makes the PDF there.
cp "$docs/letter.txt" "$docs/Café.txt"
"$FOLIMAR_BIN/tools/print_text.exe" "$docs/Café.txt" "Quorvel Virtual Printer" || fail "print_text"
found=$("$driver" wait-window TfrmMain --timeout 180)
window=$(field hwnd "$found")
[ -n "$window" ] || fail "no single-job window"
screenshot profile-single-job
# The driver reads the field in its own code page, 1252.
expect "proposed path" "$("$driver" text "$window" 104 | iconv -f WINDOWS-1252 -t UTF-8)" \
  "C:\\users\\josé\\Documents\\Café.txt.pdf"
"$driver" click "$window" Convert >/dev/null
out=$("$driver" wait-msgbox --pid "$(field pid "$found")")
expect "ordinary print: outcome" "$(field caption "$out"): $(field text "$out")" "success: The coversion completed!"
expect "ordinary print: program ended" "$(field exit "$("$driver" answer-msgbox OK --wait-exit)")" 0
expect "ordinary print: PDF pages" "$(pdf_field "$profile/Documents/Café.txt.pdf" Pages)" "2"
expect "josé's jobs folder after the print" "$(find "$profile/AppData/Roaming/QUORPSFILES/JOBS" -type f | wc -l)" 0
echo "ok: josé's profile"
