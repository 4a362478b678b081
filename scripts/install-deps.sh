#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need (only the missing ones).
set -euo pipefail
packages=(
  cmake make g++ wine64 wine64-tools libwine-dev libgs-dev ghostscript
  libgtest-dev libbenchmark-dev poppler-utils xvfb xauth imagemagick
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix googletest python3
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
