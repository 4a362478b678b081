#!/usr/bin/env bash
# Runs a command on a brand-new Debian 12 system: a minimal root made with mmdebstrap (apt, git,
# sudo and nothing else), into which the committed HEAD of this checkout is cloned. Everything
# the project needs is then installed by the project's own scripts inside that root, so what
# passes here passes on a new machine. CI runs the README's two commands this way.
#
#   scripts/fresh-system.sh            ./run.sh examples/sample.ps, then ./test.sh
#   scripts/fresh-system.sh 'CMD'      any command, run from the project's root inside the system
#
# Needs root (or sudo) for mmdebstrap, mount namespaces and chroot. Only committed work is used.
# Cached between runs in $FOLIMAR_FRESH_CACHE (default /var/cache/quorvel-folimar-fresh): the
# base system (about 25 s to make once) and the downloaded .deb files, never installed packages.
# The root itself is thrown away afterwards. Exit code: the command's.
set -euo pipefail
if [ "$(id -u)" -ne 0 ]; then
  exec sudo --preserve-env=FOLIMAR_FRESH_CACHE "$0" "$@"
fi
project=$(git -C "$(dirname "$0")/.." rev-parse --show-toplevel)
cache=${FOLIMAR_FRESH_CACHE:-/var/cache/quorvel-folimar-fresh}
base=$cache/bookworm-apt.tar
debs=$cache/debs
cmd=${1:-./run.sh examples/sample.ps && ./test.sh}
start=$(date +%s)

if [ ! -s "$base" ]; then
  if ! command -v mmdebstrap >/dev/null; then
    echo "fresh-system: installing mmdebstrap" >&2
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq mmdebstrap >/dev/null
  fi
  mkdir -p "$cache"
  echo "fresh-system: making the base Debian 12 system (once)" >&2
  mmdebstrap --quiet --format=tar --variant=apt --include=git,ca-certificates,sudo bookworm "$base.part"
  mv "$base.part" "$base"
fi
mkdir -p "$debs/partial"

root=$(mktemp -d /tmp/folimar-fresh.XXXXXX)
cleanup() {
  # The mounts live in the namespace below and are gone with it; never delete through one.
  if ! findmnt -rn -o TARGET | grep -q "^$root"; then rm -rf "$root"; fi
}
trap cleanup EXIT
tar -xf "$base" -C "$root"
git clone -q "$project" "$root/project"
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
# Keep downloaded packages for the next run (Debian's default apt configuration would too).
echo 'Binary::apt::APT::Keep-Downloaded-Packages "true";' >"$root/etc/apt/apt.conf.d/90keep-debs"
echo "fresh-system: $(git -C "$project" log -1 --format='%h %s')" >&2
echo "fresh-system: running: $cmd" >&2

set +e
unshare --mount --propagation private /bin/bash -c '
  set -e
  root=$1 debs=$2
  mount -t proc proc "$root/proc"
  mount --rbind /dev "$root/dev"
  mount -t sysfs sys "$root/sys"
  mount -t tmpfs tmpfs "$root/tmp"
  mount -t tmpfs tmpfs "$root/dev/shm"
  mount --bind "$debs" "$root/var/cache/apt/archives"
  exec chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    /bin/bash -c "cd /project && $3"
' _ "$root" "$debs" "$cmd"
rc=$?
set -e
echo "fresh-system: exit $rc after $(( $(date +%s) - start )) s" >&2
exit $rc
