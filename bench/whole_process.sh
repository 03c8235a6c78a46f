#!/usr/bin/env bash
# Whole-process figures of "tobrin import" for a 12 Mpx (4000 x 3000) and a
# 100 Mpx (10000 x 10000) JPEG: wall time and peak memory (medians of RUNS
# runs), printed beside libjpeg-turbo's own decode (djpeg, the floor), the
# bare process start (tobrin --version) and, when xvfb-run is there, the time
# to a bare Qt window against the editor's first window. Then the peak memory
# of importing each whole-decoded format at the 64 Mpx limit (8000 x 8000,
# written by the make_large_images target), against the size of the decoded
# image: a lossless WebP, a GIF with transparency, RGBA and grey TIFFs and a
# 24-bit BMP.
#
#   bench/whole_process.sh [BUILD_DIR]      (default: build; RUNS=5)
#
# BEFORE=/path/to/an/older/tobrin adds that program's import figures, for
# before-and-after comparisons within one run.
# Needs djpeg and cjpeg (libjpeg-turbo-progs), python3 and /usr/bin/time.
set -euo pipefail

build=${1:-build}
runs=${RUNS:-5}
tobrin="$build/tobrin"
bare="$build/bench/bare_window"
for tool in djpeg cjpeg python3 /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done
[ -x "$tobrin" ] || { echo "no $tobrin: build the tobrin target first" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A picture of smooth gradients with dark bands, much as a photograph
# compresses (about 0.4 bits per pixel); written as PPM row by row and
# compressed by cjpeg.
make_jpeg() {  # width height out
  python3 - "$1" "$2" <<'EOF2' | cjpeg -quality 90 >"$3"
import sys
w, h = int(sys.argv[1]), int(sys.argv[2])
out = sys.stdout.buffer
out.write(b"P6\n%d %d\n255\n" % (w, h))
base = bytearray()
for x in range(w):
    base += bytes((x * 255 // w, (x * 3 // 4) % 256, 255 - x * 255 // w))
base = bytes(base)
tables = [bytes((v + k) % 256 for v in range(256)) for k in range(256)]
dark = bytes((20, 20, 30)) * 97
for y in range(h):
    row = bytearray(base.translate(tables[(y * 255 // h) % 256]))
    if (y // 61) % 5 == 0:
        for x in range(0, w - 97, 485):
            row[3 * x:3 * x + len(dark)] = dark
    out.write(row)
EOF2
}

# Median wall seconds, median CPU seconds (user + system) and median peak
# kilobytes (/usr/bin/time's maximum resident set size, as "time -v" gives
# it) of runs of a command. The CPU time is the steadier figure on a
# machine shared with other work.
measure() {
  python3 - "$runs" "$work/peak" "$@" <<'EOF2'
import os, sys, time
runs, peak_file, cmd = int(sys.argv[1]), sys.argv[2], sys.argv[3:]
walls, cpus, mems = [], [], []
quiet = [(os.POSIX_SPAWN_OPEN, fd, "/dev/null", os.O_WRONLY, 0) for fd in (1, 2)]
for _ in range(runs):
    start = time.perf_counter()
    pid = os.posix_spawn("/usr/bin/time", ["/usr/bin/time", "-f", "%M", "-o", peak_file] + cmd, os.environ,
                         file_actions=quiet)
    _, _, usage = os.wait4(pid, 0)
    walls.append(time.perf_counter() - start)
    cpus.append(usage.ru_utime + usage.ru_stime)
    with open(peak_file) as f:
        mems.append(int(f.read().split()[-1]))
median = lambda v: sorted(v)[len(v) // 2]
print("%.4f %.4f %d" % (median(walls), median(cpus), median(mems)))
EOF2
}

ratio() { python3 -c "import sys; a, b = map(float, sys.argv[1:]); print('%.2f' % (a / b) if b > 0 else 'n/a')" "$1" "$2"; }

row() {  # label wall cpu kb
  printf '%-44s %8.1f ms %8.1f ms %8.1f MB\n' "$1" "$(python3 -c "print($2 * 1000)")" "$(python3 -c "print($3 * 1000)")" \
    "$(python3 -c "print($4 / 1024)")"
}

echo "making sources..."
make_jpeg 4000 3000 "$work/12mpx.jpg"
make_jpeg 10000 10000 "$work/100mpx.jpg"

echo
printf '%-44s %11s %11s %11s\n' "whole process (median of $runs)" "wall" "cpu" "peak"
read -r start_w start_c start_m < <(measure "$tobrin" --version)
row "tobrin --version" "$start_w" "$start_c" "$start_m"
for size in 12mpx 100mpx; do
  src="$work/$size.jpg"
  read -r imp_w imp_c imp_m < <(measure "$tobrin" import "$src" -o "$work/out.txt" --no-match-size --size 240x120 --no-aspect)
  read -r dj_w dj_c dj_m < <(measure djpeg -outfile /dev/null "$src")
  [ -s "$work/out.txt" ] || echo "  (import of $size wrote nothing)"
  row "tobrin import $size.jpg" "$imp_w" "$imp_c" "$imp_m"
  if [ -n "${BEFORE:-}" ]; then
    read -r old_w old_c old_m < <(measure "$BEFORE" import "$src" -o "$work/old.txt" --no-match-size --size 240x120 --no-aspect)
    row "BEFORE import $size.jpg" "$old_w" "$old_c" "$old_m"
    if [ -s "$work/old.txt" ] && [ -s "$work/out.txt" ]; then
      cmp -s "$work/old.txt" "$work/out.txt" && echo "  same picture as BEFORE" || echo "  PICTURE DIFFERS from BEFORE"
    elif [ ! -s "$work/old.txt" ]; then
      echo "  (BEFORE refused $size.jpg)"
    fi
    rm -f "$work/old.txt"
  fi
  row "djpeg $size.jpg" "$dj_w" "$dj_c" "$dj_m"
  echo "  ratio import / djpeg ($size): $(ratio "$imp_w" "$dj_w")x wall, $(ratio "$imp_c" "$dj_c")x cpu"
  rm -f "$work/out.txt"
done

maker="$build/bench/make_large_images"
if [ -x "$maker" ]; then
  echo
  echo "making 8000 x 8000 images..."
  "$maker" "$work"
  printf '%-44s %11s %11s %11s  %s\n' "64 Mpx import (median of $runs)" "wall" "cpu" "peak" "decoded"
  # name and the decoded image's megabytes (4 bytes a pixel, 1 for grey)
  for entry in rgba.webp:256 transparent.gif:256 rgba.tif:256 grey.tif:64 rgb.bmp:256; do
    name=${entry%%:*}
    for program in "$tobrin" ${BEFORE:+"$BEFORE"}; do
      label="tobrin import $name"
      [ "$program" = "$tobrin" ] || label="BEFORE import $name"
      read -r big_w big_c big_m < <(measure "$program" import "$work/$name" -o "$work/out.txt" --no-match-size \
        --size 240x120 --no-aspect)
      printf '%s  %s MB%s\n' "$(row "$label" "$big_w" "$big_c" "$big_m")" "${entry##*:}" \
        "$([ -s "$work/out.txt" ] || echo ', refused')"
      rm -f "$work/out.txt"
    done
  done
  rm -f "$work"/*.webp "$work"/*.gif "$work"/*.tif "$work"/*.bmp
fi

if command -v xvfb-run >/dev/null && [ -x "$bare" ]; then
  # Both programs print the milliseconds from the start of main to their
  # first window being exposed, then quit.
  first_window() {
    local all=()
    for _ in $(seq "$runs"); do
      all+=("$(xvfb-run -a "$@" 2>/dev/null | tail -n 1)")
    done
    printf '%s\n' "${all[@]}" | sort -g | sed -n "$(((runs + 1) / 2))p"
  }
  bare_ms=$(first_window "$bare")
  menus_ms=$(first_window "$bare" --menus)
  editor_ms=$(first_window "$bare" --editor)
  echo
  echo "first window (median of $runs, under Xvfb): bare QMainWindow ${bare_ms} ms, editor ${editor_ms} ms," \
    "ratio $(ratio "$editor_ms" "$bare_ms")x"
  echo "  against a QMainWindow with menus and a text toolbar (${menus_ms} ms): ratio $(ratio "$editor_ms" "$menus_ms")x"
fi
