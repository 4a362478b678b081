#!/usr/bin/env bash
# Runs a test program that makes windows, under the display it is given: tests/gui-test.sh CMD...
# The prefix's desktop takes the display of the process that starts it, so every process of the
# prefix is ended before the test (the desktop then starts for this display) and after it (the
# next test's desktop does not find this display gone).
: "${WINEPREFIX:?}" "${DISPLAY:?needs a display: run it under xvfb-run -a}"
wineserver -k 2>/dev/null
"$@"
status=$?
wineserver -k 2>/dev/null
exit "$status"
