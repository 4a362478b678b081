#!/usr/bin/env bash
# Builds the Windows programs with MinGW-w64 and puts them, stripped, in a folder of their own:
#   ./build-windows.sh [FOLDER]      (default dist/windows)
# folimar.exe and folimarc.exe need only Windows' own DLLs, and Ghostscript's gsdll64.dll at
# run time (beside them, or from an installed Ghostscript). The help file folimar.chm goes
# beside them: F1 opens it from the program's folder. QuorvelFolimarSetup.exe installs all of it
# with the virtual printer.
set -euo pipefail
top=$(cd "$(dirname "$0")" && pwd)
out=${1:-$top/dist/windows}
"$top/scripts/install-deps.sh"
"$top/scripts/build-mingw.sh" --target folimar folimarc folimar_setup >/dev/null
build=${FOLIMAR_WINDOWS_BUILD_DIR:-$top/build-windows}
mkdir -p "$out"
for program in folimar folimarc; do
  x86_64-w64-mingw32-strip -o "$out/$program.exe" "$build/$program.exe"
done
cp "$build/folimar.chm" "$out/folimar.chm"
cp "$build/installer/QuorvelFolimarSetup.exe" "$out/QuorvelFolimarSetup.exe"
ls -l "$out"/*.exe "$out/folimar.chm"
