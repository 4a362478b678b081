#!/usr/bin/env bash
# The settings dialog as the batch window's "Setting" button opens it, driven over an owner of
# the test's own (setup_host): its look and place, Ok only after a change, "Save settings?" on
# Cancel and on the close box, the keyboard, the folder browser with its preselection, the
# write test and its warning, and what the caller gets back.
. "$(dirname "$0")/lib.sh"

host=$FOLIMAR_BIN/tests/setup_host.exe
# The folder browser lists a folder's children once, and stops at the first one it cannot name:
# under /tmp, where other programs' folders come and go, the chain to alpha could break under
# load. The tree the browser walks sits in the build folder instead.
base=$(mktemp -d "$FOLIMAR_BIN/e2e-settings-pick.XXXXXX")
mkdir -p "$base/alpha" "$base/beta" "$base/locked"
alpha="$(winpath "$base/alpha")\\"
beta="$(winpath "$base/beta")\\"
locked="$(winpath "$base/locked")\\"
trap 'chattr -i "$base/locked" 2>/dev/null || true; chmod u+w "$base/locked"; rm -rf "$base"; cleanup' EXIT

# open FOLDER MODE: the dialog over a fresh owner for these settings; sets hostjob and dialog.
open() {
  "$host" "$1" "$2" >"$work/host.out" 2>"$work/host.err" &
  hostjob=$!
  opened=$("$driver" wait-window TfrmSetting)
  dialog=$(field hwnd "$opened")
  [ -n "$dialog" ] || fail "no settings dialog"
}

host_ended() { ! kill -0 "$hostjob" 2>/dev/null; }

# returned CASE RESULT FOLDER OVERWRITE: the dialog has closed and the caller got these.
returned() {
  local out
  wait_until 60 host_ended || fail "$1: the dialog is still open"
  wait "$hostjob" || fail "$1: the host failed: $(cat "$work/host.err")"
  out=$(cat "$work/host.out")
  expect "$1: returned" "$(field result "$out")" "$2"
  expect "$1: folder" "$(field folder "$out")" "$3"
  expect "$1: overwrite" "$(field overwrite "$out")" "$4"
  expect "$1: owner enabled again" "$(field owner_enabled "$out")" "1"
}

still_open() {
  # What was typed or answered has been taken once no message box shows.
  wait_until 60 no_box || fail "$1: the message box stays"
  kill -0 "$hostjob" 2>/dev/null || fail "$1: the dialog closed"
  "$driver" wait-window TfrmSetting --timeout 1 >/dev/null || fail "$1: no dialog"
  echo "ok: $1: the dialog stays open"
}

no_box() { ! "$driver" wait-msgbox --timeout 0 >/dev/null 2>&1; }
no_msgbox() {
  ! "$driver" wait-msgbox --timeout 1 >/dev/null 2>&1 || fail "$1: a message box appeared"
}

# msgbox CASE CAPTION TEXT BUTTONS: the message box now shown.
msgbox() {
  local out
  out=$("$driver" wait-msgbox)
  expect "$1: message caption" "$(field caption "$out")" "$2"
  expect "$1: message text" "$(field text "$out")" "$3"
  expect "$1: message buttons" "$(field buttons "$out")" "$4"
}

ok_state() { "$driver" enabled "$dialog" 1; }
focused() { field id "$("$driver" focus "$dialog")"; }
keys() { "$driver" keys "$dialog" "$@" >/dev/null; }

# browser CASE: the folder browser now open; sets browser. Its tree has the focus.
browser() {
  local out
  out=$("$driver" wait-window --title "Browse for Folder")
  browser=$(field hwnd "$out")
  [ -n "$browser" ] || fail "$1: no folder browser"
  expect "$1: the browser's title" "$("$driver" text "$browser" 14146)" "Select a folder for output file(s)"
}

# --- Look and place: caption, size, controls, centred on the owner, Ok disabled.
open "$alpha" 1
expect "caption" "$(field caption "$opened")" "Setup"
expect "client size" "$(field client "$opened")" "381x474"
owner=$(field owner "$(cat "$work/host.out")")
centre() { awk -F, '{ printf "%d %d", $1 + $3 / 2, $2 + $4 / 2 }' <<<"$1"; }
read -r dx dy <<<"$(centre "$(field rect "$opened")")"
read -r ox oy <<<"$(centre "$owner")"
[ $((dx - ox)) -ge -2 ] && [ $((dx - ox)) -le 2 ] && [ $((dy - oy)) -ge -2 ] && [ $((dy - oy)) -le 2 ] ||
  fail "dialog centred at $dx,$dy, its owner at $ox,$oy"
echo "ok: centred on the owner"
for c in "100:Folder for output file" "101:$alpha" "103:When output file exists" "104:New name" "105:Overwrite" \
  "1:&Ok" "2:&Cancel"; do
  expect "text of ${c%%:*}" "$("$driver" text "$dialog" "${c%%:*}")" "${c#*:}"
done
expect "Ok before any change" "$(ok_state)" "disabled"
screenshot settings-dialog

# --- Keyboard: Tab order (a disabled Ok is skipped), Esc without a change asks nothing.
wait_expect "focus at start: the folder" 101 focused
# The printed documents' group lies between the mode and the buttons.
for next in 102 105 111 113 114 116 119 121 2 101; do
  keys tab
  wait_expect "Tab order: on to $next" "$next" focused
done
keys shift+tab
wait_expect "Shift+Tab goes back" 2 focused
keys alt+o
no_msgbox "Alt+O while Ok is disabled"
still_open "Alt+O while Ok is disabled"
keys esc
returned "Esc unchanged" 0 "$alpha" 1

# --- Cancel without a change: no question, nothing taken.
open "$alpha" 0
"$driver" click "$dialog" 2 >/dev/null
returned "Cancel unchanged" 0 "$alpha" 0

# --- A mode changed and changed back is still a change: Cancel asks; Cancel in the question
# keeps the dialog open; Yes takes the values as they now stand.
open "$alpha" 1
"$driver" click "$dialog" 104 >/dev/null
wait_expect "Ok after choosing New name" enabled ok_state
"$driver" click "$dialog" 105 >/dev/null
wait_expect "Ok after choosing Overwrite again" enabled ok_state
"$driver" click "$dialog" 2 >/dev/null
msgbox "Cancel after a change" "Save settings?" "Settings has been changed, do you want to save the settings?" \
  "Yes|No|Cancel"
screenshot settings-save-question
"$driver" answer-msgbox Cancel >/dev/null
still_open "Cancel in the question"
"$driver" click "$dialog" 2 >/dev/null
msgbox "Cancel again" "Save settings?" "Settings has been changed, do you want to save the settings?" "Yes|No|Cancel"
"$driver" answer-msgbox Yes >/dev/null
returned "Yes" 1 "$alpha" 1

# --- The close box after a change asks too; No leaves the caller's settings as they were.
open "$alpha" 1
"$driver" click "$dialog" 104 >/dev/null
"$driver" close "$dialog" >/dev/null
msgbox "close box after a change" "Save settings?" "Settings has been changed, do you want to save the settings?" \
  "Yes|No|Cancel"
"$driver" answer-msgbox No >/dev/null
returned "No" 0 "$alpha" 1

# --- Ok takes the new mode without a question.
open "$alpha" 1
"$driver" click "$dialog" 104 >/dev/null
"$driver" click "$dialog" 1 >/dev/null
no_msgbox "Ok"
returned "Ok" 1 "$alpha" 0

# --- From the keyboard: the arrow keys move within the mode group, Alt+O confirms.
open "$alpha" 0
keys tab tab
wait_expect "Tab enters the mode group at its checked item" 104 focused
keys right
wait_expect "Right moves to Overwrite" 105 focused
wait_expect "Ok after the arrow key" enabled ok_state
keys tab
wait_expect "Tab from the group reaches the printed documents' group" 111 focused
keys tab tab tab tab tab tab
wait_expect "Tab through that group reaches Ok" 1 focused
screenshot settings-keyboard-ok
keys alt+o
returned "Alt+O" 1 "$alpha" 1

# --- The browser opens on the current folder; a writable folder is taken with its backslash.
open "$alpha" 1
"$driver" click "$dialog" 102 >/dev/null
browser "browse"
wait_expect "browse: current folder preselected" "alpha" "$driver" text "$browser" 14149
screenshot settings-browser
# The tree has the focus: the next folder down is beta.
"$driver" keys "$browser" down >/dev/null
wait_expect "browse: beta selected" "beta" "$driver" text "$browser" 14149
"$driver" keys "$browser" enter >/dev/null
wait_expect "browse: the chosen folder shown" "$beta" "$driver" text "$dialog" 101
wait_expect "browse: Ok after a new folder" enabled ok_state
[ -z "$(ls -A "$base/beta")" ] || fail "browse: the write test left a file in beta: $(ls -A "$base/beta")"
echo "ok: browse: the write test left nothing behind"

# --- A folder in which no file can be created: the warning, and the folder text stays.
chattr +i "$base/locked" 2>/dev/null || chmod a-w "$base/locked"
if touch "$base/locked/probe" 2>/dev/null; then
  rm -f "$base/locked/probe"
  echo "skipped: browse to a folder that cannot be written (this user can write every folder)"
else
  # A double click on the folder field browses as the button does; the browser starts at beta.
  "$driver" double-click "$dialog" 101 >/dev/null
  browser "double click"
  wait_expect "double click: beta preselected" "beta" "$driver" text "$browser" 14149
  "$driver" keys "$browser" down >/dev/null
  wait_expect "double click: locked selected" "locked" "$driver" text "$browser" 14149
  "$driver" keys "$browser" enter >/dev/null
  msgbox "unwritable folder" Warning "The permission is not enough for accessing \"$locked\"." OK
  screenshot settings-permission-warning
  "$driver" answer-msgbox OK >/dev/null
  expect "unwritable folder: the text stays" "$("$driver" text "$dialog" 101)" "$beta"
fi
"$driver" click "$dialog" 1 >/dev/null
returned "browse and Ok" 1 "$beta" 1

# --- The same folder chosen again in another spelling is no change; the browser is cancelled
# when nothing is to be chosen.
upper=${alpha^^}
open "$upper" 1
"$driver" click "$dialog" 102 >/dev/null
browser "same folder"
wait_expect "same folder: preselected" "alpha" "$driver" text "$browser" 14149
"$driver" keys "$browser" enter >/dev/null
wait_expect "same folder: shown as the browser spells it" "$alpha" "$driver" text "$dialog" 101
expect "same folder: Ok stays disabled" "$(ok_state)" "disabled"
"$driver" click "$dialog" 102 >/dev/null
browser "browse cancelled"
"$driver" keys "$browser" esc >/dev/null
expect "browse cancelled: the text stays" "$("$driver" text "$dialog" 101)" "$alpha"
expect "browse cancelled: Ok stays disabled" "$(ok_state)" "disabled"
"$driver" click "$dialog" 2 >/dev/null
no_msgbox "Cancel after no change"
returned "same folder" 0 "$upper" 1

# --- An empty folder text: the browser opens without a preselection.
open "" 1
"$driver" click "$dialog" 102 >/dev/null
browser "empty folder"
screenshot settings-browser-no-preselection
"$driver" keys "$browser" esc >/dev/null
"$driver" click "$dialog" 2 >/dev/null
returned "empty folder" 0 "" 1

# --- Printed documents: the example follows the pattern; a pattern that cannot make names is
# refused with the reason and the dialog stays; the caller gets the group's values.
open "$alpha" 1
expect "printed: the switch" "$("$driver" text "$dialog" 111)" "Save printed documents automatically"
expect "printed: the folder" "$("$driver" text "$dialog" 113)" "$alpha"
expect "printed: the default pattern" "$("$driver" text "$dialog" 116)" "<Title>"
expect "printed: the example" "$("$driver" text "$dialog" 117)" "Example: Annual report.pdf"
expect "printed: open the PDF" "$("$driver" text "$dialog" 121)" "Open the PDF when it is made"
"$driver" set-text "$dialog" 116 "Scan: <Title>" >/dev/null
refusal='a file name cannot hold control characters or any of \ / : * ? " < > |'
wait_expect "printed: the example says why" "Not usable: $refusal" "$driver" text "$dialog" 117
wait_expect "printed: Ok after a change" enabled ok_state
"$driver" click "$dialog" 1 >/dev/null
msgbox "printed: Ok refuses" Setup "The file name pattern cannot be used: $refusal." OK
screenshot settings-dialog-printed-refused
"$driver" answer-msgbox OK >/dev/null
still_open "printed: refused pattern"
"$driver" set-text "$dialog" 116 "<Titel>" >/dev/null
wait_expect "printed: an unknown field" \
  "Not usable: <Titel> is no field: the fields are <Title> <Date> <Time> <User> <Counter>" \
  "$driver" text "$dialog" 117
"$driver" set-text "$dialog" 116 "<Date> <Title> <Counter>" >/dev/null
example() { "$driver" text "$dialog" 117 | grep -qE '^Example: [0-9]{4}-[0-9]{2}-[0-9]{2} Annual report 1\.pdf$'; }
wait_until 30 example || fail "printed: example $("$driver" text "$dialog" 117)"
echo "ok: printed: $("$driver" text "$dialog" 117)"
"$driver" click "$dialog" 111 >/dev/null
"$driver" click "$dialog" 120 >/dev/null
"$driver" click "$dialog" 121 >/dev/null
screenshot settings-dialog-printed
"$driver" click "$dialog" 1 >/dev/null
returned "printed" 1 "$alpha" 1
out=$(cat "$work/host.out")
expect "printed: auto-save on" "$(field autosave "$out")" "1"
expect "printed: folder" "$(field printed_folder "$out")" "$alpha"
expect "printed: pattern" "$(field pattern "$out")" "<Date> <Title> <Counter>"
expect "printed: overwrite" "$(field printed_overwrite "$out")" "1"
expect "printed: open the PDF off" "$(field open_pdf "$out")" "0"
