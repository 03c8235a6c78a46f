#!/usr/bin/env bash
# Whole-process figures of "tobrin build" over a manifest of PICTURES (200)
# generated pictures, each written to a C array: a cold build (no outputs,
# no state) against the same pictures made by as many single "tobrin
# export" processes in the same run (the baseline; the build should take at
# most 0.3 of it), and a rebuild where nothing changed (should stay under
# 50 ms). Medians of RUNS runs of wall time.
#
#   bench/build_process.sh [BUILD_DIR]      (default: build; RUNS=5, PICTURES=200)
set -euo pipefail

build=${1:-build}
runs=${RUNS:-5}
pictures=${PICTURES:-200}
tobrin="$(cd "$build" && pwd)/tobrin"
[ -x "$tobrin" ] || { echo "no $tobrin: build the tobrin target first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work" "$pictures" "$runs" "$tobrin" <<'EOF2'
import os, random, shutil, subprocess, sys, time
work, count, runs, tobrin = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
rng = random.Random(7)
os.makedirs(f"{work}/art")
manifest = []
for i in range(count):
    w, h = rng.randrange(8, 121), rng.randrange(4, 61)
    row = (w + 8) // 8  # the hex text keeps a row's last byte for the pixels right of the width
    lines = [f".db  {w}, {h}"] + [".db " + ",".join("$%x" % rng.randrange(256) for _ in range(row)) for _ in range(h)]
    with open(f"{work}/art/p{i}.db", "w", newline="") as f:
        f.write("\r\n".join(lines) + "\r\n")
    manifest.append(f'[[output]]\npath = "gfx/p{i}.h"\nsources = ["art/p{i}.db"]\n')
with open(f"{work}/tobrin.toml", "w") as f:
    f.write("\n".join(manifest))
quiet = dict(stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, cwd=work)

def clean():
    shutil.rmtree(f"{work}/gfx", ignore_errors=True)
    if os.path.exists(f"{work}/.tobrin-build.state"):
        os.remove(f"{work}/.tobrin-build.state")

def timed(setup, action):
    times = []
    for _ in range(runs):
        setup()
        start = time.perf_counter()
        action()
        times.append(time.perf_counter() - start)
    return sorted(times)[len(times) // 2]

def exports():
    os.makedirs(f"{work}/gfx", exist_ok=True)
    for i in range(count):
        subprocess.run([tobrin, "export", f"art/p{i}.db", "-o", f"gfx/p{i}.h"], check=True, **quiet)

build = lambda: subprocess.run([tobrin, "build"], check=True, **quiet)
single = timed(clean, exports)
cold = timed(clean, build)
build()
warm = timed(lambda: None, build)
print(f"{count} single exports:   {single * 1000:8.1f} ms")
print(f"tobrin build, cold:   {cold * 1000:8.1f} ms   ratio {cold / single:.2f} (target <= 0.30)")
print(f"tobrin build, no change: {warm * 1000:5.1f} ms   (target < 50 ms)")
EOF2
