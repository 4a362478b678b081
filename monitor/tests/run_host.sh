#!/usr/bin/env bash
# Runs the port monitor's test host under Wine: run_host.sh WINE HOST.exe SMALL_DISK_FOLDER
# A 1 MiB file system is mounted on SMALL_DISK_FOLDER for the full-disk case when this may mount
# (root); otherwise the host says that case was skipped. The mount goes when the run ends.
set -uo pipefail
wine=$1 host=$2 small=$3
mounted=0
mountpoint -q "$small" 2>/dev/null && umount "$small"
mkdir -p "$small"
if mount -t tmpfs -o size=1m quorvel-small-disk "$small" 2>/dev/null; then
  mounted=1
  export FOLIMAR_SMALL_DISK="Z:${small//\//\\}"
else
  echo "run_host.sh: cannot mount a small file system on $small: the full-disk case is skipped" >&2
fi
cleanup() { [ $mounted -eq 1 ] && umount "$small"; }
trap cleanup EXIT
"$wine" "$host"
