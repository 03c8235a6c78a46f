#!/usr/bin/env bash
# Proves the README's two commands on a bare Debian 12: makes a minimal root
# (mmdebstrap --variant=apt bookworm), copies the committed checkout (HEAD)
# into it and, as root under chroot:
#   1. runs `bash scripts/test.sh` (installs, then all three stages);
#   2. starts the editor with `bash scripts/run.sh` under xvfb-run for a few
#      seconds (it must still be running when stopped);
#   3. imports a metafile through the command line and checks the picture is
#      not blank.
# Prints the time of each step. The root is removed afterwards unless
# FRESH_KEEP=1. Needs root, mmdebstrap and network access to a Debian mirror.
#
# Environment:
#   FRESH_DIR     folder for the root (default: a new one under /var/tmp)
#   FRESH_MIRROR  mirror or sources file for mmdebstrap (default: this
#                 machine's Debian sources)
#   FRESH_KEEP    1 keeps the root for a look inside
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD

[ "$(id -u)" -eq 0 ] || { echo "fresh-check: run as root" >&2; exit 1; }
command -v mmdebstrap >/dev/null || { echo "fresh-check: needs mmdebstrap (apt-get install mmdebstrap)" >&2; exit 1; }

work=${FRESH_DIR:-$(mktemp -d /var/tmp/tobrin-fresh.XXXXXX)}
rootfs=$work/root
mkdir -p "$work"

if [ -z "${FRESH_MIRROR:-}" ]; then
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    FRESH_MIRROR=/etc/apt/sources.list.d/debian.sources
  elif [ -s /etc/apt/sources.list ]; then
    FRESH_MIRROR=/etc/apt/sources.list
  else
    FRESH_MIRROR=http://deb.debian.org/debian
  fi
fi

mounts=()
cleanup() {
  local status=$?
  set +e
  # Unmount in reverse order, each with what is mounted beneath it, before
  # anything is deleted: removing files through a bound /dev or /sys would
  # remove the machine's own.
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    umount -R "${mounts[i]}" 2>/dev/null || umount -lR "${mounts[i]}"
  done
  if findmnt -rn -o TARGET | grep -q "^$rootfs/"; then
    echo "fresh-check: something is still mounted under $rootfs; not removing it" >&2
    findmnt -rn -o TARGET | grep "^$rootfs/" >&2
  elif [ "${FRESH_KEEP:-0}" = 1 ]; then
    echo "fresh-check: root kept in $rootfs"
  else
    rm -rf --one-file-system "$work"
  fi
  exit $status
}
trap cleanup EXIT
trap 'exit 130' INT TERM

clock() { date +%s; }
start=$(clock)
step_start=$start
step() {
  local now
  now=$(clock)
  echo "== [$((now - start))s total, previous step $((now - step_start))s] $*"
  step_start=$now
}

step "making a bare Debian 12 root in $rootfs from $FRESH_MIRROR"
mmdebstrap --variant=apt bookworm "$rootfs" "$FRESH_MIRROR"

step "copying the checkout (HEAD $(git -C "$src" rev-parse --short HEAD)) to /root/tobrin"
mkdir -p "$rootfs/root/tobrin"
git -C "$src" archive --format=tar HEAD | tar -x -C "$rootfs/root/tobrin"

for fs in proc sys dev; do
  mount --rbind "/$fs" "$rootfs/$fs"
  mounts+=("$rootfs/$fs")
  # Unmounting inside the root must not reach the machine's own mounts.
  mount --make-rslave "$rootfs/$fs"
done

inroot() {
  chroot "$rootfs" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    /bin/bash -c "cd /root/tobrin && $1"
}

step "bash scripts/test.sh"
inroot 'bash scripts/test.sh' || { echo "FAIL: bash scripts/test.sh"; exit 1; }

step "bash scripts/run.sh under xvfb-run, stopped after 20 s"
# The build is done by now, so the editor gets nearly all of the 20 seconds;
# timeout's 124 means it was still running.
set +e
inroot 'timeout 20 xvfb-run -a bash scripts/run.sh'
started=$?
set -e
if [ $started -ne 124 ]; then
  echo "FAIL: the editor ended by itself (exit $started) instead of running"
  exit 1
fi

step "importing a metafile through the command line"
inroot 'build/tobrin import fuzz/corpus/fuzz_imageimport/shapes.wmf -o /tmp/shapes.txt --size 40x32 \
  && grep -Eq "[\$][1-9a-f]" /tmp/shapes.txt' \
  || { echo "FAIL: the metafile did not import, or imported blank"; exit 1; }

step "all passed"
