# Sourced by the console converter's tests: the converter, a work folder removed at the end, and
# check WHAT ACTUAL EXPECTED, which counts the failures in $failures.
: "${FOLIMAR_BIN:?}" "${WINEPREFIX:?}"
folimarc=$FOLIMAR_BIN/folimarc.exe
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {
  if [ "$2" = "$3" ]; then echo "ok: $1"; else echo "FAIL: $1: got '$2', expected '$3'"; failures=$((failures + 1)); fi
}
