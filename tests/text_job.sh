#!/usr/bin/env bash
# text_job.sh OUT PAGES: a DSC job of PAGES pages of dense text that does not compress well, about
# 10 KB of PDF a page (for tests of a full disk that Ghostscript itself meets while it writes).
set -euo pipefail
awk -v pages="$2" 'BEGIN {
  srand(1)
  print "%!PS-Adobe-3.0\n%%Pages: " pages "\n%%EndComments\n/Helvetica findfont 8 scalefont setfont"
  for (p = 1; p <= pages; p++) {
    print "%%Page: " p " " p
    for (l = 0; l < 90; l++) {
      s = ""
      for (c = 0; c < 110; c++) s = s sprintf("%c", 97 + int(rand() * 26))
      print "20 " 780 - 8 * l " moveto (" s ") show"
    }
    print "showpage"
  }
  print "%%EOF"
}' >"$1"
