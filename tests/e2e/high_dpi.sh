#!/usr/bin/env bash
# The windows on a 144-DPI screen (150 %): the single-job window and the about window laid out
# at one and a half times their 96-DPI sizes, pictures drawn at that size too. Runs in a prefix
# of its own, since the screen's DPI is a setting of the whole prefix.
set -euo pipefail
: "${FOLIMAR_BIN:?}" "${FOLIMAR_SOURCE:?}"
export WINEPREFIX=$FOLIMAR_BIN/e2e-dpi144-wineprefix
"$FOLIMAR_SOURCE/tests/e2e/fresh-prefix.sh" "$WINEPREFIX"
. "$(dirname "$0")/lib.sh"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1 ||
  fail "cannot set the screen's DPI"
# The DPI is read when the prefix's server and desktop start.
wineserver -k 2>/dev/null || true

job=$work/job.ps
companion=$work/job.inf
cp "$FOLIMAR_SOURCE/examples/sample.ps" "$job"
: >"$companion"
quoted() { printf '"%s" ' "$@" | sed 's/ $//'; }

# rect WINDOW ID: left,top,width,height of the window's control with that id, in client pixels.
rect() { "$driver" children "$1" | sed -n "s/^id=$2 .* rect=\([-0-9,]*\) .*/\1/p" | head -n1; }

line=$(quoted "$(winpath "$job")" "Quorvel Virtual Printer" "$(winpath "$companion")" "me" "2071" \
  "20261210093000" "Quorvel Folimar sample" "RAW")
pid=$(field pid "$("$driver" launch-raw "$folimar" "$line")")
out=$("$driver" wait-window TfrmMain --pid "$pid")
main=$(field hwnd "$out")
# 403x224 at 96 DPI; Convert at {80, 144, 57, 57}; the logo is drawn 160x44 at {1, 1}.
expect "single-job: client size" "$(field client "$out")" "605x336"
expect "single-job: Convert" "$(rect "$main" 107)" "120,216,86,86"
expect "single-job: path field" "$(rect "$main" 104)" "53,131,433,32"
expect "single-job: logo" "$(rect "$main" 101)" "2,2,240,66"
screenshot high-dpi-single-job
# Keyboard cues at this size: Tab to Convert shows its focus rectangle and access-key underlines.
"$driver" keys "$main" tab tab >/dev/null
focus_in() { field id "$("$driver" focus "$1")"; }
wait_expect "single-job: focus on Convert" 107 focus_in "$main"
screenshot high-dpi-keyboard-focus

"$driver" click "$main" 102 >/dev/null
out=$("$driver" wait-window TfrmAbout --pid "$pid")
about=$(field hwnd "$out")
# 320x181 at 96 DPI, OK at {232, 146, 75, 25}.
expect "about: client size" "$(field client "$out")" "480x272"
expect "about: OK" "$(rect "$about" 1)" "348,219,113,38"
screenshot high-dpi-about
"$driver" keys "$about" tab >/dev/null
wait_expect "about: Tab to the web link" 106 focus_in "$about"
screenshot high-dpi-about-link-focus
"$driver" close "$about" >/dev/null

out=$("$driver" close "$main" --wait-exit)
expect "exit code" "$(field exit "$out")" "0"
