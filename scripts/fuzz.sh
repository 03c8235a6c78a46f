#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer), replays each target's committed corpus and
# regression inputs (all must pass), then fuzzes each target afresh for a
# short while. Fails on any finding; prints the executions and coverage
# per target.
#
#   scripts/fuzz.sh                          replay, then 60 s per target
#   scripts/fuzz.sh --long MINUTES [TARGET…] a long run per target (all, or
#                                            those named), growing a corpus
#                                            kept in the build folder so the
#                                            next long run starts where this
#                                            one stopped
#
# Environment:
#   FUZZ_BUILD_DIR  build folder (default build-fuzz, the "fuzz" preset's)
#   FUZZ_SECONDS    length of each fresh run (default 60; 0 only replays)
#   FUZZ_JOBS       build jobs (default: the number of processors)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

build=${FUZZ_BUILD_DIR:-build-fuzz}
seconds=${FUZZ_SECONDS:-60}
jobs=${FUZZ_JOBS:-$(nproc)}
targets=(fuzz_hexreader fuzz_imageimport fuzz_paste fuzz_formats fuzz_hexset fuzz_gif fuzz_recovery fuzz_bdf fuzz_fonthex fuzz_outlinefont fuzz_template fuzz_manifest)

long=
if [ "${1:-}" = --long ]; then
  [[ "${2:-}" =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 [--long MINUTES [TARGET...]]" >&2; exit 2; }
  long=1
  seconds=$(( $2 * 60 ))
  shift 2
  if [ $# -gt 0 ]; then
    for t in "$@"; do
      [[ " ${targets[*]} " == *" $t "* ]] || { echo "$0: no fuzz target named $t" >&2; exit 2; }
    done
    targets=("$@")
  fi
elif [ $# -gt 0 ]; then
  echo "usage: $0 [--long MINUTES [TARGET...]]" >&2
  exit 2
fi

# The "fuzz" preset in CMakePresets.json says how the targets are built.
if [ "$build" = build-fuzz ]; then
  cmake --preset fuzz
  cmake --build --preset fuzz --parallel "$jobs"
else
  cmake --preset fuzz -B "$build"
  cmake --build "$build" --parallel "$jobs" --target "${targets[@]}"
fi

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

work=$(mktemp -d "${TMPDIR:-/tmp}/tobrin-fuzz.XXXXXX")
trap 'rm -rf "$work"' EXIT
artifacts="$root/$build/fuzz-artifacts"
mkdir -p "$artifacts"

limits=(-rss_limit_mb=2048 -timeout=10)
summary=()
status=0
commit=$(git rev-parse --short HEAD 2>/dev/null || echo unknown)

# A long run records each target's result as it finishes, so stopping the
# run part way keeps what was learned.
report() {
  summary+=("$1")
  if [ -n "$long" ]; then
    mkdir -p "$root/$build/long-logs"
    echo "$(date -u +%FT%TZ) $commit $((seconds / 60)) min: $1" >>"$root/$build/long-logs/summary.txt"
  fi
}

options_for() {
  if [ "$1" = fuzz_hexreader ] || [ "$1" = fuzz_hexset ] || [ "$1" = fuzz_recovery ]; then
    echo "-dict=$root/fuzz/hex.dict"
  elif [ "$1" = fuzz_fonthex ]; then
    echo "-dict=$root/fuzz/font.dict"
  elif [ "$1" = fuzz_bdf ]; then
    echo "-dict=$root/fuzz/bdf.dict"
  elif [ "$1" = fuzz_formats ]; then
    echo "-dict=$root/fuzz/formats.dict"
  fi
}

for target in "${targets[@]}"; do
  binary="$build/fuzz/$target"
  inputs=()
  for dir in "fuzz/corpus/$target" "fuzz/regressions/$target"; do
    if [ -d "$dir" ]; then
      while IFS= read -r -d '' f; do inputs+=("$f"); done < <(find "$dir" -type f -print0 | sort -z)
    fi
  done

  # 1. Every committed input, once: the known faults stay fixed.
  echo "== $target: replaying ${#inputs[@]} committed inputs"
  if [ ${#inputs[@]} -gt 0 ]; then
    if ! "$binary" "${limits[@]}" "${inputs[@]}" >"$work/$target-replay.log" 2>&1; then
      tail -n 60 "$work/$target-replay.log"
      echo "FAIL: $target fails on a committed input"
      status=1
      report "$target: replay FAILED"
      continue
    fi
  fi
  [ "$seconds" -gt 0 ] || { report "$target: replayed ${#inputs[@]} inputs"; continue; }

  # 2. A fresh run, starting from a copy of the corpus so the repository
  #    stays as it is. A long run keeps what it learns in the build folder.
  corpus="$work/$target"
  log="$work/$target-fuzz.log"
  if [ -n "$long" ]; then
    corpus="$root/$build/long-corpus/$target"
    log="$root/$build/long-logs/$target-$(date +%Y%m%d-%H%M%S).log"
    mkdir -p "$(dirname "$log")"
  fi
  mkdir -p "$corpus"
  if [ -d "fuzz/corpus/$target" ] && [ -z "$(ls -A "$corpus")" ]; then
    cp -r "fuzz/corpus/$target/." "$corpus/"
  fi
  echo "== $target: fuzzing for ${seconds}s"
  # shellcheck disable=SC2046
  if "$binary" "${limits[@]}" $(options_for "$target") -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$artifacts/$target-" "$corpus" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    # The last status line holds the edges ("cov") and features ("ft") reached.
    cov=$(grep -E '^#[0-9]+' "$log" | tail -n 1 | sed -n 's/.* cov: \([0-9]*\) ft: \([0-9]*\).*/\1 edges, \2 features/p')
    files=$(find "$corpus" -type f | wc -l)
    report "$target: ${runs:-?} executions (${rate:-?}/s), ${cov:-coverage ?}, corpus $files, no finding"
  else
    grep -E '^==[0-9]+==|ERROR|SUMMARY|check failed|Test unit written|Qt fatal' "$log" | head -n 40 || true
    tail -n 30 "$log"
    echo "FAIL: $target found a fault; the input is in $artifacts."
    echo "      Fix it, then add the input to fuzz/regressions/$target/."
    status=1
    report "$target: FINDING (see $artifacts)"
  fi
done

echo "== fuzzing summary"
printf '  %s\n' "${summary[@]}"
[ -z "$long" ] || echo "  (kept in $build/long-logs/summary.txt)"
exit $status
