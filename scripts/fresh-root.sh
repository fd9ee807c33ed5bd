#!/usr/bin/env bash
# fresh-root.sh -- tries commands as a new user would on a fresh Debian 12
# machine: a minimal root made by mmdebstrap (made once, then reused), a clean
# clone of this repository's HEAD in it, and each command run there from the
# clone's root, timed, as root. Needs root and mmdebstrap (Debian's package).
# Usage: scripts/fresh-root.sh ROOT 'COMMAND' ...
#   TARNWICK_ROOT_SETUP='COMMAND'  run once in a new root before anything else,
#                                  to make it the machine you mean (another
#                                  Node.js, say: Debian 12's own is 18)
#   TARNWICK_ROOT_DEBS=DIR         .deb files installed in a new root first
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: scripts/fresh-root.sh ROOT 'COMMAND' ..." >&2; exit 2; }
root=$(realpath -m "$1")
shift
repo=$(cd "$(dirname "$0")/.." && pwd)

if [ ! -x "$root/bin/bash" ]; then
  echo "Making a minimal Debian 12 root in $root"
  # The archive, its updates and security updates, as Debian's installer sets them up.
  mmdebstrap --quiet --variant=minbase --include=ca-certificates,git bookworm "$root" \
    "deb http://deb.debian.org/debian bookworm main" "deb http://deb.debian.org/debian bookworm-updates main" \
    "deb http://deb.debian.org/debian-security bookworm-security main"
  if [ -n "${TARNWICK_ROOT_DEBS:-}" ]; then
    mkdir -p "$root/tmp/debs"
    cp "$TARNWICK_ROOT_DEBS"/*.deb "$root/tmp/debs/"
    chroot "$root" sh -c 'dpkg -i /tmp/debs/*.deb || { apt-get update -qq && apt-get install -f -y -qq; }'
    rm -rf "$root/tmp/debs"
  fi
  setup=${TARNWICK_ROOT_SETUP:-}
else
  setup=""
fi

mounts=()
unmount() {
  for ((k = ${#mounts[@]} - 1; k >= 0; k--)); do umount -l "${mounts[k]}" 2>/dev/null || true; done
}
trap unmount EXIT
for fs in proc sys dev dev/pts dev/shm; do
  mkdir -p "$root/$fs"
  mount --bind "/$fs" "$root/$fs"
  mounts+=("$root/$fs")
done
cp /etc/resolv.conf "$root/etc/resolv.conf"
inside() { chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin bash -c "$1"; }
[ -z "$setup" ] || inside "$setup"

# A clean clone of what is committed, as a user gets it.
rm -rf "$root/root/tarnwick"
git clone --quiet --no-local "$repo" "$root/root/tarnwick"
for command in "$@"; do
  echo "== $command"
  start=$(date +%s)
  status=0
  inside "cd /root/tarnwick && $command" || status=$?
  echo "== $command: status $status after $(($(date +%s) - start)) s"
done
