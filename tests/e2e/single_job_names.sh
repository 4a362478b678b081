#!/usr/bin/env bash
# The PDF path the single-job window proposes from titles that once broke it: a device name
# ("Aux" was the device AUX, which always "exists"), a TAB (an invalid path: the conversion failed
# and the job was lost), and "Café" written by a Windows driver in code page 1252. Each job is
# converted to the proposed path as a user would, by pressing Convert.
. "$(dirname "$0")/lib.sh"

docs=$work/docs
job=$work/job.ps
companion=$work/job.inf
mkdir -p "$docs"
for key in "Shell Folders" "User Shell Folders"; do
  wine reg add "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\$key" /v Personal \
    /d "$(winpath "$docs")" /f >/dev/null 2>&1 || fail "cannot set the documents folder"
done

tab=$(printf '\t')
# what | title on the port's command line | %%Title of the job | proposed file name | PDF title
while IFS='|' read -r what title dsc_title name pdf_title; do
  printf '%%!PS-Adobe-3.0\n%%%%Title: %s\n%%%%Pages: 1\n%%%%EndComments\n' "$dsc_title" >"$job"
  printf '/Helvetica findfont 20 scalefont setfont 72 700 moveto (named) show showpage\n' >>"$job"
  echo companion >"$companion"
  line=$(printf '"%s" ' "$(winpath "$job")" "Quorvel Virtual Printer" "$(winpath "$companion")" me 1 \
    20261210093000 "$title" RAW)
  pid=$(field pid "$("$driver" launch-raw "$folimar" "${line% }")")
  window=$(field hwnd "$("$driver" wait-window TfrmMain --pid "$pid")")
  [ -n "$window" ] || fail "$what: no single-job window"

  # The driver reads the field in its own code page, 1252.
  expect "$what: proposed path" "$("$driver" text "$window" 104 | iconv -f WINDOWS-1252 -t UTF-8)" \
    "$(winpath "$docs/$name")"
  screenshot "single-job-names-$what"
  "$driver" click "$window" Convert >/dev/null
  out=$("$driver" wait-msgbox --pid "$pid")
  expect "$what: no overwrite question, success" "$(field caption "$out"): $(field text "$out")" \
    "success: The coversion completed!"
  expect "$what: program ended" "$(field exit "$("$driver" answer-msgbox OK --wait-exit)")" 0
  expect "$what: PDF under the proposed name" "$(pdfinfo -enc UTF-8 "$docs/$name" | sed -n 's/^Title: *//p')" \
    "$pdf_title"
  [ ! -e "$job" ] || fail "$what: the job is still there"
done <<CASES
device|Aux|Aux|Aux_.pdf|Aux
tab|Budget${tab}2024|Budget 2024|Budget 2024.pdf|Budget 2024
cafe|Café|Caf\\351|Café.pdf|Café
CASES
