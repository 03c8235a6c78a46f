#!/usr/bin/env bash
# Proves the README's three ways in on a bare Debian 12. Makes a minimal root
# (mmdebstrap --variant=apt bookworm), copies the committed checkout (HEAD)
# into it and, as root under chroot:
#   1. runs `bash scripts/test.sh` (installs, then all three stages);
#   2. starts the editor with `bash scripts/run.sh` under xvfb-run for a few
#      seconds (it must still be running when stopped);
#   3. imports a metafile through the command line and checks the picture is
#      not blank;
#   4. makes the Debian package with `bash scripts/package.sh`.
# Then, in a second bare root, as a user would:
#   5. `apt install ./tobrin_*.deb`; the binary finds every library;
#      `tobrin --version`, a command-line export and a metafile import; the
#      editor starts offscreen; the menu entry's icon is installed; bash
#      completes `tobrin ex` to `tobrin export`;
#   6. the editor starts under xvfb-run (installed only now, so that it does
#      not bring anything the package forgot);
#   7. `apt remove tobrin` leaves none of its files, and purging what came
#      with it gives back the root's packages and files as they were.
# Prints the time of each step. The roots are removed afterwards unless
# FRESH_KEEP=1. Needs root, mmdebstrap and network access to a Debian mirror.
#
# Environment:
#   FRESH_DIR     folder for the roots (default: a new one under /var/tmp)
#   FRESH_MIRROR  mirror or sources file for mmdebstrap (default: this
#                 machine's Debian sources)
#   FRESH_KEEP    1 keeps the roots for a look inside
#   FRESH_DEB     a package already made by scripts/package.sh: skips 1-4 and
#                 proves that package (5-7)
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD

[ "$(id -u)" -eq 0 ] || { echo "fresh-check: run as root" >&2; exit 1; }
command -v mmdebstrap >/dev/null || { echo "fresh-check: needs mmdebstrap (apt-get install mmdebstrap)" >&2; exit 1; }

if [ -n "${FRESH_DEB:-}" ]; then
  FRESH_DEB=$(realpath "$FRESH_DEB")
  [ -f "$FRESH_DEB" ] || { echo "fresh-check: no package $FRESH_DEB" >&2; exit 1; }
fi
work=${FRESH_DIR:-$(mktemp -d /var/tmp/tobrin-fresh.XXXXXX)}
rootfs=$work/root
userfs=$work/user
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
  if findmnt -rn -o TARGET | grep -q "^$work/"; then
    echo "fresh-check: something is still mounted under $work; not removing it" >&2
    findmnt -rn -o TARGET | grep "^$work/" >&2
  elif [ "${FRESH_KEEP:-0}" = 1 ]; then
    echo "fresh-check: roots kept in $work"
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

# A bare Debian 12 root in $1 with the machine's /proc, /sys and /dev.
make_root() {
  mmdebstrap --variant=apt bookworm "$1" "$FRESH_MIRROR"
  for fs in proc sys dev; do
    mount --rbind "/$fs" "$1/$fs"
    mounts+=("$1/$fs")
    # Unmounting inside the root must not reach the machine's own mounts.
    mount --make-rslave "$1/$fs"
  done
}

# Runs $2 in the root $1, in /root/tobrin when it is there.
in_root() {
  chroot "$1" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb DEBIAN_FRONTEND=noninteractive \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    /bin/bash -c "cd /root/tobrin 2>/dev/null || cd /root; $2"
}
inroot() { in_root "$rootfs" "$1"; }
inuser() { in_root "$userfs" "$1"; }

if [ -z "${FRESH_DEB:-}" ]; then
  step "making a bare Debian 12 root in $rootfs from $FRESH_MIRROR"
  make_root "$rootfs"

  step "copying the checkout (HEAD $(git -C "$src" rev-parse --short HEAD)) to /root/tobrin"
  mkdir -p "$rootfs/root/tobrin"
  git -C "$src" archive --format=tar HEAD | tar -x -C "$rootfs/root/tobrin"

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

  step "bash scripts/package.sh"
  inroot 'bash scripts/package.sh' || { echo "FAIL: bash scripts/package.sh"; exit 1; }
  FRESH_DEB=$(ls "$rootfs"/root/tobrin/build-package/package/tobrin_*.deb)
fi

step "a second bare root in $userfs for $(basename "$FRESH_DEB")"
make_root "$userfs"
# Its completion comes with bash-completion, which desktops have; it is part
# of the root before the package, so not counted as the package's.
inuser 'apt-get update -q && apt-get install -y bash-completion >/dev/null'
cp "$FRESH_DEB" "$userfs/root/"
git -C "$src" show HEAD:fuzz/corpus/fuzz_imageimport/shapes.wmf >"$userfs/root/shapes.wmf"
# What a removal must give back: the packages and the files outside the
# home, temporary and variable data folders.
snapshot='{ dpkg-query -W -f "\${Package}\n"; find /usr /etc /opt -xdev | sed "s/^/file /"; } | LC_ALL=C sort'
inuser "$snapshot" >"$work/before"

step "apt install ./$(basename "$FRESH_DEB")"
inuser 'apt-get install -y ./tobrin_*.deb' || { echo "FAIL: the package did not install"; exit 1; }
inuser 'dpkg-query -W -f "Depends: \${Depends}\nRecommends: \${Recommends}\n" tobrin'

step "the installed program: libraries, --version, export, import, offscreen start, menu entry, completion"
inuser '! ldd /usr/bin/tobrin /usr/lib/*/qt6/plugins/platforms/libqxcb.so | grep "not found"' \
  || { echo "FAIL: a library is missing"; exit 1; }
inuser 'tobrin --version | grep -qx "Tobrin [0-9.]*"' || { echo "FAIL: tobrin --version"; exit 1; }
inuser 'printf ".db  8, 4\r\n.db \$ff\r\n.db \$81\r\n.db \$81\r\n.db \$ff\r\n" >/tmp/box.txt \
  && tobrin export /tmp/box.txt -o /tmp/box.xbm && grep -q "0xff, 0x81, 0x81, 0xff" /tmp/box.xbm' \
  || { echo "FAIL: the command-line export"; exit 1; }
inuser 'tobrin import shapes.wmf -o /tmp/shapes.txt --size 40x32 && grep -Eq "[\$][1-9a-f]" /tmp/shapes.txt' \
  || { echo "FAIL: the metafile did not import, or imported blank"; exit 1; }
set +e
inuser 'QT_QPA_PLATFORM=offscreen timeout 10 tobrin'
started=$?
set -e
[ $started -eq 124 ] || { echo "FAIL: the editor ended offscreen by itself (exit $started)"; exit 1; }
inuser 'entry=/usr/share/applications/io.github.tobrin.Tobrin.desktop; icon=$(sed -n "s/^Icon=//p" $entry) \
  && grep -qx "Name=Tobrin" $entry && test -f /usr/share/icons/hicolor/48x48/apps/$icon.png' \
  || { echo "FAIL: no menu entry with its icon"; exit 1; }
# As bash asks bash-completion at the first Tab on a "tobrin" line.
inuser 'source /usr/share/bash-completion/bash_completion && { _completion_loader tobrin; complete -p tobrin | grep -q _tobrin; } \
  && COMP_WORDS=(tobrin ex) COMP_CWORD=1 COMP_LINE="tobrin ex" COMP_POINT=9 && _tobrin tobrin ex tobrin \
  && [ "${COMPREPLY[*]}" = export ]' || { echo "FAIL: tobrin ex<TAB> does not complete to export"; exit 1; }

step "the editor under xvfb-run, stopped after 20 s"
inuser 'apt-get install -y xvfb xauth >/dev/null'
set +e
inuser 'timeout 20 xvfb-run -a tobrin'
started=$?
set -e
[ $started -eq 124 ] || { echo "FAIL: the editor ended by itself (exit $started) instead of running"; exit 1; }

step "apt remove tobrin, then purging what came with it"
inuser 'dpkg -L tobrin' >"$work/files"
inuser 'apt-get remove -y tobrin >/dev/null'
{
  inuser 'dpkg-query -W -f "\${Status}\n" tobrin 2>/dev/null' | grep . | sed 's/^/dpkg: /'
  while read -r f; do [ -d "$userfs$f" ] || [ ! -e "$userfs$f" ] || echo "left: $f"; done <"$work/files"
} >"$work/left" || true
if [ -s "$work/left" ]; then
  echo "FAIL: apt remove left the package behind:"; cat "$work/left"; exit 1
fi
inuser 'apt-get purge -y xvfb xauth >/dev/null && apt-get autoremove --purge -y >/dev/null'
inuser "$snapshot" >"$work/after"
# What the packages that came with it leave on purpose, not this one: a
# package apt keeps after autoremove (mount, of priority required) with its
# files, the machine id D-Bus made, and the backups of the user database
# made when a dependency added its system user.
kept=$(LC_ALL=C comm -13 <(grep -v '^file ' "$work/before") <(grep -v '^file ' "$work/after") | xargs)
echo "kept by apt after autoremove: ${kept:-nothing}"
{
  printf '%s\n' $kept
  # dpkg names some of their files by /bin, /sbin or /lib, which lead to /usr.
  if [ -n "$kept" ]; then inuser "dpkg -L $kept" | sed -E 's/^/file /; p; s#^file /(bin|sbin|lib)#file /usr/\1#'; fi
  printf 'file /etc/%s\n' machine-id mtab passwd- group- shadow- gshadow-
} | LC_ALL=C sort -u >"$work/allowed"
if ! diff <(LC_ALL=C comm -23 "$work/before" "$work/allowed") <(LC_ALL=C comm -23 "$work/after" "$work/allowed"); then
  echo "FAIL: the root differs from before the install (< before, > after)"; exit 1
fi

step "all passed"
