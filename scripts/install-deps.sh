#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need (only the missing
# ones), then checks that every command the build and the tests call is found.
set -euo pipefail
packages=(
  cmake make g++ wine wine64 wine64-tools libwine-dev libgs-dev ghostscript
  libgtest-dev libbenchmark-dev poppler-utils xvfb xauth imagemagick
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest python3
  fp-utils-3.2.2 procps nsis
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Every command the build and the tests call, with the package that provides it. The plain
# wine names (winegcc, wrc, wine, ...) are alternatives made by the wine package; wine64-tools
# alone gives only the -stable names. "a|b" accepts either name: fp-utils-3.2.2 installs the CHM
# tools with a version suffix and makes the plain names alternatives.
commands=(
  cmake:cmake make:make g++:g++
  winegcc:wine wineg++:wine wrc:wine wine:wine wineserver:wine wineboot:wine winepath:wine
  x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix
  x86_64-w64-mingw32-gcc-posix:gcc-mingw-w64-x86-64-posix
  x86_64-w64-mingw32-windres:binutils-mingw-w64-x86-64
  x86_64-w64-mingw32-objdump:binutils-mingw-w64-x86-64
  gs:ghostscript pdfinfo:poppler-utils pdftotext:poppler-utils
  Xvfb:xvfb xvfb-run:xvfb xauth:xauth import:imagemagick compare:imagemagick
  clang++:clang python3:python3 pgrep:procps pkill:procps makensis:nsis
  "chmcmd|chmcmd-3.2.2:fp-utils-3.2.2" "chmls|chmls-3.2.2:fp-utils-3.2.2"
)
for entry in "${commands[@]}"; do
  names=${entry%%:*}
  found=0
  for cmd in ${names//|/ }; do
    command -v "$cmd" >/dev/null 2>&1 && found=1
  done
  if [ $found -eq 0 ]; then
    echo "install-deps: the command '${names//|/\' or \'}' is missing (Debian package: ${entry#*:})" >&2
    exit 1
  fi
done
