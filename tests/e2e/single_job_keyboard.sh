#!/usr/bin/env bash
# The single-job and about windows from the keyboard and as a Windows user sees them: Tab order
# and focus, Enter, Esc and Alt keys, the path field showing the file name,
# the save dialog centred, and a progress bar that moves for jobs without page markers.
. "$(dirname "$0")/lib.sh"

docs=$work/docs
job=$work/job.ps
companion=$work/job.inf
mkdir -p "$docs"
set_documents "$docs"

# fresh JOB_SOURCE TITLE: a fresh job and companion file, and the program started for them.
fresh() {
  cp "$1" "$job"
  echo "companion" >"$companion"
  start_job "$job" "$2" "$companion"
}

focused() { field id "$("$driver" focus "$window")"; }
keys() { "$driver" keys "$window" "$@" >/dev/null; }

# msgbox CASE CAPTION TEXT: the message box now shown has that caption and text.
msgbox() {
  local out
  out=$("$driver" wait-msgbox --pid "$pid")
  expect "$1: message caption" "$(field caption "$out")" "$2"
  expect "$1: message text" "$(field text "$out")" "$3"
}

ended() { expect "$1: program ended" "$(field exit "$("$driver" wait-exit "$pid")")" "0"; }

# markerless PAGES [COUNT]: a job as Wine's driver writes it, without page markers; the page
# count in the trailer when COUNT is "atend", none at all otherwise.
markerless() {
  {
    printf '%%!PS-Adobe-3.0\n%%%%Title: Long report\n'
    [ "${2:-}" = atend ] && printf '%%%%Pages: (atend)\n'
    printf '%%%%EndComments\n/Courier findfont 9 scalefont setfont\n'
    for p in $(seq "$1"); do
      printf '%%%%Page: %d %d\n/pagesave save def\n' "$p" "$p"
      for y in $(seq 40 12 760); do printf '36 %d moveto (Line %d of page %d, set in Courier to give the page some text) show\n' "$y" "$y" "$p"; done
      printf 'showpage\npagesave restore\n'
    done
    printf '%%%%Trailer\n'
    [ "${2:-}" = atend ] && printf '%%%%Pages: %d\n' "$1"
    printf '%%%%EOF\n'
  } >"$work/long-$1.ps"
  echo "$work/long-$1.ps"
}

# --- The window: the end of a long path in view, Tab through the controls.
title="A report with a long title that does not fit into the path field"
fresh "$FOLIMAR_SOURCE/examples/sample.ps" "$title"
view=$("$driver" edit-view "$window" 104)
[ "$(field first "$view")" -gt 0 ] || fail "the path field shows the start of the path: $view"
echo "ok: the path field shows its end (first visible character $(field first "$view") of $(field length "$view"))"
wait_expect "focus at start: path field" 104 focused
# Path, browse, Convert, Cancel, About, and round again.
for next in 105 107 108 102 104; do
  keys tab
  wait_expect "Tab order: on to $next" "$next" focused
done
keys shift+tab
wait_expect "Shift+Tab goes back" 102 focused
keys tab tab tab
wait_expect "focus on Convert" 107 focused
screenshot keyboard-focus-convert

# Enter on the focused Cancel cancels, not converts.
keys tab
wait_expect "focus on Cancel" 108 focused
keys enter
ended "Enter on Cancel"
[ ! -e "$job" ] || fail "Enter on Cancel: the job is still there"
[ ! -e "$docs/$title.pdf" ] || fail "Enter on Cancel made a PDF"
echo "ok: Enter on Cancel: no PDF, job deleted"

# --- Esc cancels; Alt+A is Cancel's access key.
for key in esc alt+a; do
  fresh "$FOLIMAR_SOURCE/examples/sample.ps" "Sample"
  keys "$key"
  ended "$key"
  [ ! -e "$job" ] || fail "$key: the job is still there"
  [ -e "$companion" ] || fail "$key: the companion file went"
  echo "ok: $key cancels"
done

# --- Enter from the path field converts (Convert is the default button).
fresh "$FOLIMAR_SOURCE/examples/sample.ps" "Sample"
keys enter
msgbox "Enter converts" success "The coversion completed!"
expect "Enter converts: bar full behind the message" "$(field pos "$("$driver" bar "$window" 106)")" "3"
"$driver" keys "$(field hwnd "$("$driver" wait-window '#32770' --pid "$pid")")" enter >/dev/null
ended "Enter converts"
expect "Enter converts: PDF pages" "$(pdfinfo "$docs/Sample.pdf" | sed -n 's/^Pages: *//p')" "3"

# --- A long job without page markers, its count in the trailer (as Wine's driver prints):
# the bar follows the pages Ghostscript reports.
fresh "$(markerless 400 atend)" "Long report"
# The driver follows the bar from before the start, so that no page is missed however quick the
# run or busy the machine.
"$driver" bar-trace "$window" 106 --pid "$pid" --timeout 300 >"$work/trace" &
tracer=$!
wait_lines "$work/trace" 1
keys alt+c
wait_until 300 has_lines "$work/trace" 3 && screenshot progress-by-pages
wait "$tracer" || fail "following the bar failed"
positions=$(sed -n 's/^pos=//p' "$work/trace" | tr '\n' ' ')
echo "bar positions during the conversion: $positions"
moving=$(tr ' ' '\n' <<<"$positions" | awk '$1 > 0 && $1 < 400' | sort -un | wc -l)
[ "$moving" -ge 1 ] || fail "the bar did not move by pages: $positions"
echo "ok: the bar moved through $moving page positions"
msgbox "by pages" success "The coversion completed!"
out=$("$driver" bar "$window" 106)
expect "by pages: bar full at the end" "$(field pos "$out")/$(field max "$out")" "400/400"
screenshot progress-full-behind-success
"$driver" answer-msgbox OK >/dev/null
ended "by pages"

# --- Without any page count the bar runs as an animation that visibly moves, full at the end.
rm -f "$docs/Long report.pdf"
fresh "$(markerless 1500)" "Long report"
keys alt+c
marquee() { field marquee "$("$driver" bar "$window" 106)"; }
wait_expect "no count: marquee" 1 marquee
# The window's area in two screenshots a moment apart differs: the animation runs.
crop=$(field rect "$("$driver" wait-window TfrmMain --pid "$pid")" | awk -F, '{ printf "%dx%d+%d+%d", $3, $4, $1, $2 }')
import -window root -crop "$crop" "$work/a.png"
moved() {
  import -window root -crop "$crop" "$work/b.png"
  changed=$(compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1 || true)
  [ "$changed" != 0 ]
}
wait_until 30 moved || fail "the marquee does not move"
echo "ok: the marquee moves ($changed pixels changed)"
screenshot progress-marquee
msgbox "no count" success "The coversion completed!"
out=$("$driver" bar "$window" 106)
expect "no count: full at the end" "$(field marquee "$out") $(field pos "$out")/$(field max "$out")" "0 1/1"
"$driver" answer-msgbox OK >/dev/null
ended "no count"

# --- The about window: Tab reaches both links, Esc closes it.
fresh "$FOLIMAR_SOURCE/examples/sample.ps" "Sample"
keys shift+tab
wait_expect "About by Shift+Tab" 102 focused
keys enter
out=$("$driver" wait-window TfrmAbout --pid "$pid")
about=$(field hwnd "$out")
about_focus() { field id "$("$driver" focus "$about")"; }
wait_expect "about: focus on OK" 1 about_focus
"$driver" keys "$about" tab >/dev/null
wait_expect "about: Tab to the web link" 106 about_focus
"$driver" keys "$about" tab >/dev/null
wait_expect "about: Tab to the mail link" 107 about_focus
screenshot keyboard-about-link
"$driver" keys "$about" esc >/dev/null
"$driver" wait-window TfrmMain --pid "$pid" >/dev/null
! "$driver" wait-window TfrmAbout --pid "$pid" --timeout 0 >/dev/null 2>&1 || fail "Esc left the about window open"
echo "ok: Esc closes the about window"

# --- The save dialog opens centred on the window; Esc leaves the path as it was.
before=$("$driver" text "$window" 104)
"$driver" click "$window" 105 >/dev/null
out=$("$driver" wait-window --title "Input file name" --pid "$pid")
dialog=$(field hwnd "$out")
main=$("$driver" wait-window TfrmMain --pid "$pid")
centre() { awk -F, '{ printf "%d %d", $1 + $3 / 2, $2 + $4 / 2 }' <<<"$1"; }
read -r dx dy <<<"$(centre "$(field rect "$out")")"
read -r mx my <<<"$(centre "$(field rect "$main")")"
[ $((dx - mx)) -ge -2 ] && [ $((dx - mx)) -le 2 ] && [ $((dy - my)) -ge -2 ] && [ $((dy - my)) -le 2 ] ||
  fail "save dialog centred at $dx,$dy, the window at $mx,$my"
echo "ok: save dialog centred on the window"
screenshot save-dialog-centred
"$driver" keys "$dialog" esc >/dev/null
expect "save dialog cancelled: path unchanged" "$("$driver" text "$window" 104)" "$before"
"$driver" close "$window" >/dev/null
ended "save dialog"
