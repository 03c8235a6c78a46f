#!/usr/bin/env bash
# The soak: the whole editor, built with AddressSanitizer and
# UndefinedBehaviorSanitizer, driven under Xvfb by random but valid input for
# a set time, in a scratch folder of its own. It fails on a crash, a
# sanitizer report, a dialog left hanging, a saved file that does not read
# back to the picture on screen, or a recovery copy left behind at the end.
# Not part of the test command; run it by hand (docs/testing.md).
#
#   scripts/soak.sh [MINUTES] [--seed N]     MINUTES defaults to 10
#
# The seed is printed first; the same seed drives the same run again (the
# timing of the window system aside). On failure the scratch folder is kept.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

minutes=10
seed=
while [ $# -gt 0 ]; do
  case "$1" in
    --seed) seed=${2:?--seed needs a number}; shift 2 ;;
    [0-9]*) minutes=$1; shift ;;
    *) echo "usage: $0 [MINUTES] [--seed N]" >&2; exit 2 ;;
  esac
done
[[ "$minutes" =~ ^[1-9][0-9]*$ ]] || { echo "$0: MINUTES must be a whole number above 0" >&2; exit 2; }
[ -n "$seed" ] || seed=$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')
command -v xvfb-run >/dev/null || { echo "$0: xvfb-run is missing (apt-get install xvfb xauth)" >&2; exit 2; }

cmake --preset asan >/dev/null
cmake --build --preset asan --target tobrin_soak

scratch=$(mktemp -d "${TMPDIR:-/tmp}/tobrin-soak.XXXXXX")
# Settings, recent files and recovery copies stay in the scratch folder.
export XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data XDG_STATE_HOME=$scratch/state
export XDG_CACHE_HOME=$scratch/cache XDG_RUNTIME_DIR=$scratch/runtime
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

echo "soak: seed $seed, $minutes min, scratch $scratch"
status=0
# The driver stops itself; the timeout only catches a hang.
timeout $(( minutes * 60 + 120 )) xvfb-run -a -s "-screen 0 1600x1200x24" \
  build-asan/soak/tobrin_soak --seconds $(( minutes * 60 )) --seed "$seed" --scratch "$scratch" \
  2> >(grep -v '^QStandardPaths' >&2) || status=$?
if [ $status -eq 0 ]; then
  chmod -R u+w "$scratch" && rm -rf "$scratch"
  echo "soak: clean (seed $seed)"
else
  [ $status -eq 124 ] && echo "soak: the editor stopped answering (hang)" >&2
  echo "soak: FAILED with status $status (seed $seed); scratch kept in $scratch" >&2
fi
exit $status
